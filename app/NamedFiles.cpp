#include "NamedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace {

// A missing name is only shown: a very long one keeps its two ends, well
// inside one name's UTF-8 limit (a character takes at most 3 bytes per unit).
QString shortened(const QString& name)
{
    constexpr qsizetype kKept = kMaxNameBytes / 3 / 2 - 1;
    if (name.size() <= 2 * kKept)
        return name;
    return name.left(kKept) + u'…' + name.right(kKept);
}

qsizetype utf8Size(const QString& name)
{
    qsizetype size = 0;
    for (const QChar c : name)
        size += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 || c.isSurrogate() ? 2 : 3;
    return size;
}

class NameBudget {
public:
    explicit NameBudget(const NamedFiles& files)
        : names_(files.found.size() + files.missing.size())
    {
        for (const QStringList* list : {&files.found, &files.missing})
            for (const QString& name : *list)
                bytes_ += utf8Size(name);
    }
    bool take(const QString& name)
    {
        const qsizetype size = utf8Size(name);
        if (names_ >= kMaxNamedFiles || bytes_ + size > kMaxNamedBytes)
            return false;
        ++names_;
        bytes_ += size;
        return true;
    }

private:
    qsizetype names_ = 0;
    qsizetype bytes_ = 0;
};

void addDropped(NamedFiles& files, qsizetype count)
{
    files.dropped = int(std::min<qsizetype>(qsizetype(files.dropped) + count, std::numeric_limits<int>::max()));
}

}  // namespace

void NamedFiles::add(const NamedFiles& more)
{
    NameBudget budget(*this);
    for (auto [from, to] : {std::pair{&more.found, &found}, std::pair{&more.missing, &missing}})
        for (const QString& name : *from) {
            if (budget.take(name))
                to->append(name);
            else
                addDropped(*this, 1);
        }
    addDropped(*this, more.dropped);
}

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
    NameBudget budget(files);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool uri = argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive);
        // A name far longer than any path cannot name a file.
        QString path = argument.size() > kMaxNameBytes ? QString() : uri ? filePathFromUri(argument) : argument;
        if (!path.isEmpty())
            path = QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(path));
        const bool exists = !path.isEmpty() && QFileInfo::exists(path);
        const QString name = exists ? path : shortened(argument);
        if (utf8Size(name) > kMaxNameBytes) {
            addDropped(files, 1);
            continue;
        }
        // The names past the limits are not even looked at.
        if (!budget.take(name)) {
            addDropped(files, arguments.size() - i);
            break;
        }
        (exists ? files.found : files.missing).append(name);
    }
    return files;
}

QString missingFilesMessage(const QStringList& missing)
{
    QString message = missing.size() == 1 ? QStringLiteral("Файл не найден:") : QStringLiteral("Файлы не найдены:");
    for (QString name : missing) {
        // A line break inside a name must not start a line of its own.
        for (QChar& c : name)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                c = u'?';
        message += u'\r' + name;
    }
    return message;
}

QString droppedFilesMessage(int dropped)
{
    if (dropped <= 0)
        return {};
    return QStringLiteral("Слишком много файлов сразу: не добавлено %1 (можно не больше %2).")
        .arg(dropped)
        .arg(kMaxNamedFiles);
}
