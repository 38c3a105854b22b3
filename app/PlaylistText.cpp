#include "PlaylistText.h"

#include "platform/Utf8.h"
#include "platform/Windows1251.h"

#include <cstring>

namespace PlaylistText {

namespace {

qsizetype lengthBeforeNul(const QByteArray& bytes)
{
    const auto nul = static_cast<const char*>(std::memchr(bytes.constData(), '\0', size_t(bytes.size())));
    return nul ? nul - bytes.constData() : bytes.size();
}

}  // namespace

bool LineSpans::next(const char*& begin, const char*& end)
{
    if (p_ >= end_)
        return false;
    begin = p_;
    end = lineEnd_.from(p_);
    p_ = end == end_ ? end_ : end + (*end == '\r' && end + 1 < end_ && end[1] == '\n' ? 2 : 1);
    return true;
}

Lines::Lines(const QByteArray& bytes) : Lines(bytes.constData(), lengthBeforeNul(bytes)) {}

Lines::Lines(const char* text, qsizetype size) : spans_(text, text + size), utf8_(isStrictUtf8(text, size)) {}

bool Lines::next(QString& line)
{
    const char* begin = nullptr;
    const char* end = nullptr;
    if (!spans_.next(begin, end))
        return false;
    line = utf8_ ? fromCheckedUtf8(begin, end - begin) : fromWindows1251(begin, end - begin);
    return true;
}

QStringList decode(const QByteArray& bytes)
{
    QStringList entries;
    Lines lines(bytes);
    for (QString line; lines.next(line);)
        entries.append(line);
    return entries;
}

qsizetype firstLineLongerThan(const QByteArray& bytes, qsizetype maxBytes)
{
    LineSpans spans(bytes.constData(), bytes.constData() + bytes.size());
    qsizetype number = 0;
    for (const char *begin = nullptr, *end = nullptr; spans.next(begin, end);) {
        ++number;
        if (end - begin > maxBytes)
            return number;
    }
    return 0;
}

}  // namespace PlaylistText
