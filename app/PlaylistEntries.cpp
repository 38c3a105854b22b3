#include "PlaylistEntries.h"

#include "PlaylistText.h"
#include "platform/Utf8.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// The first or last chars characters of UTF-8 text, converting no more of it
// than can hold them: a character is at most four bytes. A sequence the cut
// splits comes out as replacement characters beyond the part kept.
QString leadingChars(const char* p, qsizetype n, qsizetype chars)
{
    return fromCheckedUtf8(p, std::min(n, chars * 4)).left(chars);
}

QString trailingChars(const char* p, qsizetype n, qsizetype chars)
{
    const qsizetype take = std::min(n, chars * 4);
    return fromCheckedUtf8(p + n - take, take).right(chars);
}

}  // namespace

PlaylistEntries::PlaylistEntries(const QStringList& entries)
{
    append(entries);
}

PlaylistEntries PlaylistEntries::fromUtf8Lines(QByteArray text)
{
    PlaylistEntries list;
    const char* const begin = text.constData();
    const auto nul = static_cast<const char*>(std::memchr(begin, '\0', size_t(text.size())));
    const char* const end = nul ? nul : begin + text.size();
    // Room for one entry per line feed at once, not by repeated growing.
    qsizetype feeds = 0;
    for (const char* f = begin; (f = static_cast<const char*>(std::memchr(f, '\n', size_t(end - f)))); ++f)
        ++feeds;
    list.spans_.reserve(size_t(feeds + 1));
    PlaylistText::LineSpans spans(begin, end);
    for (const char *b = nullptr, *e = nullptr; spans.next(b, e);)
        list.spans_.push_back({b - begin, e - b});
    list.text_ = std::move(text);
    return list;
}

QString PlaylistEntries::at(qsizetype index) const
{
    const Span& s = spans_[size_t(index)];
    return fromCheckedUtf8(text_.constData() + s.offset, s.length);
}

QString PlaylistEntries::shownAt(qsizetype index, qsizetype maxChars) const
{
    const Span& s = spans_[size_t(index)];
    if (s.length <= 8 * maxChars)
        return at(index);
    // More than 8 × maxChars bytes are more than 2 × maxChars characters, so
    // the two ends do not overlap.
    const char* const p = text_.constData() + s.offset;
    return leadingChars(p, s.length, maxChars) + trailingChars(p, s.length, maxChars);
}

QString PlaylistEntries::fileNameAt(qsizetype index, qsizetype maxChars) const
{
    const Span& s = spans_[size_t(index)];
    const std::string_view entry(text_.constData() + s.offset, size_t(s.length));
    const size_t slash = entry.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? entry : entry.substr(slash + 1);
    return leadingChars(name.data(), qsizetype(name.size()), maxChars);
}

QStringList PlaylistEntries::toStringList() const
{
    QStringList list;
    list.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        list.append(at(i));
    return list;
}

void PlaylistEntries::appendUtf8(const QString& entry)
{
    // Each entry on its own: a surrogate cut at an entry's end stays there.
    QStringEncoder toUtf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    const qsizetype offset = text_.size();
    text_.resize(offset + entry.size() * 3);
    char* const start = text_.data() + offset;
    const qsizetype length = toUtf8.appendToBuffer(start, entry) - start;
    text_.resize(offset + length);
    spans_.push_back({offset, length});
}

void PlaylistEntries::append(const QStringList& entries)
{
    qsizetype room = 0;
    for (const QString& e : entries)
        room += e.size() * 3;
    reserve(room, entries.size());
    for (const QString& e : entries)
        appendUtf8(e);
}

void PlaylistEntries::append(const QString& entry)
{
    reserve(entry.size() * 3, 1);
    appendUtf8(entry);
}

void PlaylistEntries::reserve(qsizetype bytes, qsizetype entries)
{
    // Growing by at least half keeps appending one entry at a time cheap.
    const qsizetype room = text_.size() + bytes;
    if (room > text_.capacity())
        text_.reserve(std::max(room, text_.capacity() * 3 / 2));
    if (spans_.size() + size_t(entries) > spans_.capacity())
        spans_.reserve(std::max(spans_.size() + size_t(entries), spans_.capacity() * 3 / 2));
}

void PlaylistEntries::removeAt(qsizetype index)
{
    // Its text stays in the buffer until the whole list is replaced.
    spans_.erase(spans_.begin() + index);
}

QByteArray PlaylistEntries::encoded() const
{
    qsizetype size = 0;
    for (const Span& s : spans_)
        size += s.length + 2;
    QByteArray out(size, Qt::Uninitialized);
    char* p = out.data();
    for (const Span& s : spans_) {
        std::memcpy(p, text_.constData() + s.offset, size_t(s.length));
        p += s.length;
        *p++ = '\r';
        *p++ = '\n';
    }
    return out;
}
