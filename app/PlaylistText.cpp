#include "PlaylistText.h"

#include "PlaylistEntries.h"
#include "platform/Utf8.h"
#include "platform/Windows1251.h"

#include <cstring>

namespace PlaylistText {

// Splits at CR LF, lone CR and lone LF; LF CR is two breaks; a break at the
// very end adds no empty entry.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(QString(p + start, i - start));
        if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(QString(p + start, n - start));
    return lines;
}

QStringList decode(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const auto nul = static_cast<const char*>(std::memchr(p, '\0', size_t(bytes.size())));
    const qsizetype n = nul ? nul - p : bytes.size();
    return isStrictUtf8(p, n) ? PlaylistEntries::fromUtf8Lines(QByteArray::fromRawData(p, n)).toStringList()
                              : splitLines(fromWindows1251(p, n));
}

}  // namespace PlaylistText
