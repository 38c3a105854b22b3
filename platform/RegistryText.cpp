#include "RegistryText.h"

#include "platform/ByteScan.h"
#include "platform/Utf8.h"

#include <QStringList>

#include <optional>
#include <type_traits>

namespace {

const char header[] = "; Калейдор per-user registry\n";

void appendEscaped(QByteArray& out, const char* p, qsizetype n)
{
    const char* end = p + n;
    NextOf<5> special({'\\', '"', '\r', '\n', '\0'}, end);
    while (p < end) {
        const char* run = p;
        p = special.from(p);
        out.append(run, p - run);
        if (p == end)
            break;
        switch (*p) {
        case '\\': out.append("\\\\"); break;
        case '"': out.append("\\\""); break;
        case '\r': out.append("\\r"); break;
        case '\n': out.append("\\n"); break;
        default: out.append("\\0"); break;
        }
        ++p;
    }
}

void appendQuoted(QByteArray& out, const QByteArray& bytes)
{
    out.append('"');
    appendEscaped(out, bytes.constData(), bytes.size());
    out.append('"');
}

// The text after "=" of a value held in memory.
void appendValueText(QByteArray& out, const RegValue& v)
{
    if (v.type == rtString && v.data.endsWith('\0')) {
        out.append('"');
        appendEscaped(out, v.data.constData(), v.data.size() - 1);
        out.append('"');
    } else if (v.type == rtDWord && v.data.size() == 4) {
        quint32 x = 0;
        for (int i = 0; i < 4; ++i)
            x |= quint32(quint8(v.data[i])) << (8 * i);
        out.append("dword:").append(QByteArray::number(x, 16).rightJustified(8, '0'));
    } else {
        out.append("hex(").append(QByteArray::number(v.type, 16)).append("):");
        static const char digits[] = "0123456789abcdef";
        for (qsizetype i = 0; i < v.data.size(); ++i) {
            if (i)
                out.append(',');
            const auto b = quint8(v.data[i]);
            out.append(digits[b >> 4]).append(digits[b & 15]);
        }
    }
}

// Writes a tree out. With a source, elided values are copied from it; with a
// tree that may change, every value's place in the output is recorded in it.
template <class Key>
class Writer {
public:
    explicit Writer(Key& root, const QByteArray* source = nullptr) : source_(source)
    {
        // Taken at once: a store of megabytes would otherwise be copied at
        // every growth.
        out.reserve(qsizetype(sizeof header) + roomFor(root));
    }

    bool key(Key& key, const QByteArray& path, bool isRoot)
    {
        // Keys without values are implied by their sub-keys; only an empty
        // leaf needs a section of its own to survive.
        if (!key.values().empty() || (key.subKeys().empty() && !isRoot)) {
            if (out.size() > qsizetype(sizeof header - 1))
                out.append('\n');
            out.append('[').append(path).append("]\n");
            for (std::size_t i = 0; i < key.values().size(); ++i)
                if (!value(key, i))
                    return false;
        }
        for (const auto& sub : key.subKeys())
            if (!this->key(*sub, path + '\\' + sub->name().toUtf8(), false))
                return false;
        return true;
    }

    QByteArray out{header};

private:
    bool value(Key& key, std::size_t index)
    {
        const RegValue& v = key.values()[index];
        if (v.name.isEmpty())
            out.append('@');
        else
            appendQuoted(out, v.name.toUtf8());
        out.append('=');
        const qsizetype start = out.size();
        if (v.elided) {
            if (!source_ || v.textOffset < 0 || v.textLength > source_->size() - v.textOffset)
                return false;
            out.append(source_->constData() + v.textOffset, v.textLength);
        } else {
            appendValueText(out, v);
        }
        if constexpr (!std::is_const_v<Key>)
            key.setValueText(index, start, out.size() - start);
        out.append('\n');
        return true;
    }

    static qsizetype roomFor(const RegKey& key)
    {
        qsizetype room = key.name().size() * 3 + 8;
        for (const RegValue& v : key.values()) {
            const qsizetype data = v.elided ? v.textLength
                                   : v.type == rtString ? v.data.size() + v.data.size() / 8
                                                        : v.data.size() * 3;
            room += v.name.size() * 3 + 24 + data;
        }
        for (const auto& sub : key.subKeys())
            room += key.name().size() * 3 + roomFor(*sub);
        return room;
    }

    const QByteArray* source_;
};

// A cursor over one line.
class LineParser {
public:
    LineParser(const char* p, const char* end) : p_(p), end_(end), special_({'\\', '"'}, end) {}

    bool atEnd() const { return p_ == end_; }
    const char* position() const { return p_; }
    bool take(char c)
    {
        if (p_ == end_ || *p_ != c)
            return false;
        ++p_;
        return true;
    }
    bool takeWord(const char* word)
    {
        const char* q = p_;
        for (; *word; ++word, ++q)
            if (q == end_ || (*q | 0x20) != *word)
                return false;
        p_ = q;
        return true;
    }
    void skipBlanks()
    {
        while (p_ != end_ && (*p_ == ' ' || *p_ == '\t'))
            ++p_;
    }
    // After the opening quote: the unescaped bytes up to the closing quote.
    // A value's text may be megabytes long: its room is taken at once.
    std::optional<QByteArray> quoted(bool reserveLine = false)
    {
        QByteArray out;
        if (reserveLine)
            out.reserve(end_ - p_ + 1);
        for (;;) {
            const char* run = p_;
            p_ = special_.from(p_);
            out.append(run, p_ - run);
            if (p_ == end_)
                return std::nullopt;
            if (*p_++ == '"')
                return out;
            if (p_ == end_)
                return std::nullopt;
            switch (*p_++) {
            case '\\': out.append('\\'); break;
            case '"': out.append('"'); break;
            case 'r': out.append('\r'); break;
            case 'n': out.append('\n'); break;
            case '0': out.append('\0'); break;
            default: return std::nullopt;
            }
        }
    }
    // Up to maxDigits hex digits, at least one.
    std::optional<quint32> hexNumber(int maxDigits)
    {
        quint32 x = 0;
        int n = 0;
        for (; p_ != end_ && n < maxDigits; ++p_, ++n) {
            const int d = digit(*p_);
            if (d < 0)
                break;
            x = x << 4 | quint32(d);
        }
        if (n == 0 || (p_ != end_ && digit(*p_) >= 0))
            return std::nullopt;
        return x;
    }
    std::optional<QByteArray> hexBytes()
    {
        QByteArray out;
        skipBlanks();
        if (atEnd())
            return out;
        for (;;) {
            skipBlanks();
            const auto b = hexNumber(2);
            if (!b)
                return std::nullopt;
            out.append(char(*b));
            skipBlanks();
            if (atEnd())
                return out;
            if (!take(','))
                return std::nullopt;
        }
    }

private:
    static int digit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            return (c | 0x20) - 'a' + 10;
        return -1;
    }
    const char* p_;
    const char* end_;
    NextOf<2> special_;
};

// A value line; the value's text (after "=") is recorded as a span of all.
std::optional<RegValue> parseValue(LineParser& in, const char* all)
{
    RegValue v;
    if (!in.take('@')) {
        if (!in.take('"'))
            return std::nullopt;
        const auto name = in.quoted();
        if (!name)
            return std::nullopt;
        v.name = QString::fromUtf8(*name);
    }
    in.skipBlanks();
    if (!in.take('='))
        return std::nullopt;
    in.skipBlanks();
    const char* textStart = in.position();
    if (in.take('"')) {
        auto text = in.quoted(true);
        if (!text)
            return std::nullopt;
        text->append('\0');
        v.type = rtString;
        v.data = std::move(*text);
    } else if (in.takeWord("dword:")) {
        const auto x = in.hexNumber(8);
        if (!x)
            return std::nullopt;
        v = RegValue::dword(v.name, *x);
    } else if (in.takeWord("hex")) {
        v.type = rtBinary;
        if (in.take('(')) {
            const auto t = in.hexNumber(8);
            if (!t || !in.take(')'))
                return std::nullopt;
            v.type = *t;
        }
        if (!in.take(':'))
            return std::nullopt;
        auto bytes = in.hexBytes();
        if (!bytes)
            return std::nullopt;
        v.data = std::move(*bytes);
    } else {
        return std::nullopt;
    }
    v.textOffset = textStart - all;
    v.textLength = in.position() - textStart;
    in.skipBlanks();
    if (!in.atEnd())
        return std::nullopt;
    return v;
}

RegKey* parseSection(const QByteArray& line, RegKey& root)
{
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t'))
        --end;
    if (end < 2 || line[0] != '[' || line[end - 1] != ']')
        return nullptr;
    const QStringList parts = QString::fromUtf8(line.mid(1, end - 2)).split(u'\\');
    if (parts.first().compare(QLatin1String(RegistryText::rootName), Qt::CaseInsensitive) != 0)
        return nullptr;
    RegKey* key = &root;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (!isValidKeyName(parts[i]))
            return nullptr;
        key = &key->ensureSubKey(parts[i]);
    }
    return key;
}

}  // namespace

namespace RegistryText {

QByteArray valueText(const RegValue& value)
{
    QByteArray text;
    appendValueText(text, value);
    return text;
}

QByteArray write(const RegKey& root)
{
    Writer<const RegKey> writer(root);
    writer.key(root, rootName, true);
    return writer.out;
}

std::optional<QByteArray> rewrite(RegKey& root, const QByteArray& source)
{
    Writer<RegKey> writer(root, &source);
    if (!writer.key(root, rootName, true))
        return std::nullopt;
    return writer.out;
}

bool read(const QByteArray& text, RegKey& root, int* badLine)
{
    RegKey* key = nullptr;
    // Editors elsewhere may start the file with a byte-order mark.
    qsizetype start = text.startsWith("\xef\xbb\xbf") ? 3 : 0;
    int number = 0;
    const char* const all = text.constData();
    const qsizetype size = text.size();
    NextOf<2> lineEnd({'\n', '\r'}, all + size);
    while (start < size) {
        ++number;
        // A line ends at CR LF, at a lone LF or at a lone CR: files edited
        // elsewhere use all three.
        const qsizetype end = lineEnd.from(all + start) - all;
        const char* p = all + start;
        const char* e = all + end;
        start = end + (end + 1 < size && all[end] == '\r' && all[end + 1] == '\n' ? 2 : 1);
        while (p != e && (*p == ' ' || *p == '\t'))
            ++p;
        if (p == e || *p == ';')
            continue;
        bool ok = isStrictUtf8(p, e - p);
        if (ok && *p == '[') {
            key = parseSection(QByteArray::fromRawData(p, e - p), root);
            ok = key != nullptr;
        } else if (ok) {
            LineParser line(p, e);
            auto value = key ? parseValue(line, all) : std::nullopt;
            ok = value.has_value();
            if (ok)
                key->setValue(std::move(*value));
        }
        if (!ok) {
            if (badLine)
                *badLine = number;
            return false;
        }
    }
    return true;
}

}  // namespace RegistryText
