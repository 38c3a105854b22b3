#include "SystemTextFiles.h"

#include <QDir>
#include <QFile>

#include <limits>

namespace SystemTextFiles {

namespace {
std::optional<std::int64_t> kilobytes(const QByteArray& text, const QString& key)
{
    QString value = colonField(text, key);
    if (value.endsWith(QLatin1String(" kB")))
        value.chop(3);
    bool ok = false;
    const qlonglong kb = value.toLongLong(&ok);
    if (!ok || kb < 0 || kb > std::numeric_limits<std::int64_t>::max() / 1024)
        return std::nullopt;
    return static_cast<std::int64_t>(kb) * 1024;
}

QByteArray unquoted(QByteArray value)
{
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') || value.back() != value.front())
        return value;
    value = value.mid(1, value.size() - 2);
    QByteArray plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        plain += value[i];
    }
    return plain;
}

// The value of the first line starting with prefix, the line trimmed.
std::optional<QByteArray> prefixed(const QByteArray& text, const QByteArray& prefix)
{
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return std::nullopt;
}
}  // namespace

QByteArray read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxTextFile);
}

std::optional<MemoryFigures> parseMeminfo(const QByteArray& text)
{
    const auto total = kilobytes(text, QStringLiteral("MemTotal"));
    const auto available = kilobytes(text, QStringLiteral("MemAvailable"));
    if (!total || !available)
        return std::nullopt;
    MemoryFigures figures;
    figures.totalPhysical = *total;
    figures.availPhysical = *available;
    const auto limit = kilobytes(text, QStringLiteral("CommitLimit"));
    const auto committed = kilobytes(text, QStringLiteral("Committed_AS"));
    if (limit) {
        figures.totalVirtual = *limit;
        figures.availVirtual = committed && *committed < *limit ? *limit - *committed : 0;
    }
    return figures;
}

QString colonField(const QByteArray& text, const QString& key)
{
    const qsizetype end = text.indexOf("\n\n");
    for (const QByteArray& line : (end < 0 ? text : text.left(end)).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && QString::fromUtf8(line.left(colon)).trimmed() == key)
            return QString::fromUtf8(line.mid(colon + 1)).trimmed();
    }
    return {};
}

QString osReleaseField(const QByteArray& text, const QByteArray& key)
{
    const auto value = prefixed(text, key + '=');
    return value ? QString::fromUtf8(unquoted(*value)) : QString();
}

QString userDirectory(const QByteArray& text, const QByteArray& name, const QString& home)
{
    const auto raw = prefixed(text, "XDG_" + name + "_DIR=");
    if (!raw)
        return {};
    QString value = QString::fromUtf8(unquoted(*raw));
    if (value.startsWith(QLatin1String("$HOME")))
        value = home + value.mid(5);
    if (value.isEmpty() || QDir::cleanPath(value) == QDir::cleanPath(home))
        return {};
    return value;
}

QString desktopEntryExec(const QByteArray& text)
{
    bool inEntry = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5)).trimmed();
    }
    return {};
}

}  // namespace SystemTextFiles
