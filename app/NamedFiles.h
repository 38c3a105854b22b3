#pragma once
// Files named on the command line ("kaleidor a.jpg b.mp3", or a file
// manager's "Open with"): made absolute, file:// URIs decoded, and split
// into those that exist and those that do not.
#include <QString>
#include <QStringList>

struct NamedFiles {
    QStringList found;    // absolute paths, in the order given
    QStringList missing;  // as the user gave them
};

NamedFiles resolveNamedFiles(const QStringList& arguments, const QString& workingDirectory);

// The local path a file:// URI names ("file://localhost/…" too); empty
// for any other text.
QString filePathFromUri(const QString& uri);

// The one message that reports every missing name.
QString missingFilesMessage(const QStringList& missing);
