#pragma once
// Files named on the command line ("kaleidor a.jpg b.mp3", or a file
// manager's "Open with"): made absolute, file:// URIs decoded, and split
// into those that exist and those that do not.
#include <QString>
#include <QStringList>

// What one start (or one hand-over to the running copy) may name: more would
// hold the window while the playlist takes them and the message lists them.
inline constexpr int kMaxNamedFiles = 4096;
inline constexpr qsizetype kMaxNameBytes = 4096;            // one name, UTF-8
inline constexpr qsizetype kMaxNamedBytes = 1024 * 1024;    // all names, UTF-8

struct NamedFiles {
    QStringList found;    // absolute paths, in the order given
    QStringList missing;  // as the user gave them (a very long one shortened)
    int dropped = 0;      // names past the limits above, not taken

    bool isEmpty() const { return found.isEmpty() && missing.isEmpty() && dropped == 0; }
    // Takes more's names while the limits allow; the rest count as dropped.
    void add(const NamedFiles& more);
};

NamedFiles resolveNamedFiles(const QStringList& arguments, const QString& workingDirectory);

// The local path a file:// URI names ("file://localhost/…" too); empty
// for any other text.
QString filePathFromUri(const QString& uri);

// The one message that reports every missing name, each on a line of its own.
QString missingFilesMessage(const QStringList& missing);

// The message for names past the limits; empty when there were none.
QString droppedFilesMessage(int dropped);
