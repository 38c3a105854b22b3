#include "PlaylistText.h"

#include "platform/ByteScan.h"
#include "platform/Utf8.h"
#include "platform/Windows1251.h"

#include <QStringEncoder>

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

QByteArray encode(const QStringList& entries)
{
    // Room for the longest form; pages never written are never touched.
    qsizetype room = 0;
    for (const QString& e : entries)
        room += e.size() * 3 + 2;
    QByteArray out(room, Qt::Uninitialized);
    // Each entry on its own: a surrogate cut at an entry's end stays there.
    QStringEncoder toUtf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    char* p = out.data();
    for (const QString& e : entries) {
        p = toUtf8.appendToBuffer(p, e);
        *p++ = '\r';
        *p++ = '\n';
    }
    out.truncate(p - out.constData());
    return out;
}

QStringList decode(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const auto nul = static_cast<const char*>(std::memchr(p, '\0', size_t(bytes.size())));
    const qsizetype n = nul ? nul - p : bytes.size();
    return isStrictUtf8(p, n) ? splitUtf8(QByteArray::fromRawData(p, n)) : splitLines(fromWindows1251(p, n));
}

QStringList splitUtf8(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    const auto nul = static_cast<const char*>(std::memchr(p, '\0', size_t(bytes.size())));
    const char* const end = nul ? nul : p + bytes.size();
    // Each line is converted on its own: a long text is never held whole in
    // UTF-16 beside its entries.
    QStringList lines;
    // Room for one entry per line feed at once, not by repeated growing.
    qsizetype feeds = 0;
    for (const char* f = p; (f = static_cast<const char*>(std::memchr(f, '\n', size_t(end - f)))); ++f)
        ++feeds;
    lines.reserve(feeds + 1);
    NextOf<2> lineEnd({'\r', '\n'}, end);
    while (p < end) {
        const char* e = lineEnd.from(p);
        lines.append(fromCheckedUtf8(p, e - p));
        if (e == end)
            break;
        p = e + (*e == '\r' && e + 1 < end && e[1] == '\n' ? 2 : 1);
    }
    return lines;
}

}  // namespace PlaylistText
