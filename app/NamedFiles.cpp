#include "NamedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString filePathFromUri(const QString& uri)
{
    if (!uri.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        return {};
    QUrl url(uri);
    // "localhost" names this machine; any other host is a network share.
    if (url.host().compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        url.setHost(QString());
    return url.isLocalFile() && url.host().isEmpty() ? url.toLocalFile() : QString();
}

NamedFiles resolveNamedFiles(const QStringList& arguments, const QString& workingDirectory)
{
    NamedFiles files;
    for (const QString& argument : arguments) {
        const bool uri = argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive);
        QString path = uri ? filePathFromUri(argument) : argument;
        if (!path.isEmpty())
            path = QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(path));
        if (!path.isEmpty() && QFileInfo::exists(path))
            files.found.append(path);
        else
            files.missing.append(argument);
    }
    return files;
}

QString missingFilesMessage(const QStringList& missing)
{
    return (missing.size() == 1 ? QStringLiteral("Файл не найден:\r") : QStringLiteral("Файлы не найдены:\r"))
           + missing.join(u'\r');
}
