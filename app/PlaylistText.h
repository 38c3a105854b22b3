#pragma once
// Reading the playlist's text form, shared by playlist files and the stored
// value; PlaylistEntries writes it.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/ByteScan.h"

namespace PlaylistText {

// The byte ranges of a text's lines: split at CR LF, lone CR and lone LF (LF
// CR is two breaks); a break at the very end adds no empty line.
class LineSpans {
public:
    LineSpans(const char* begin, const char* end) : p_(begin), end_(end), lineEnd_({'\r', '\n'}, end) {}
    // The next line, its break left out; false after the last.
    bool next(const char*& begin, const char*& end);

private:
    const char* p_;
    const char* end_;
    NextOf<2> lineEnd_;
};

// The lines of a playlist text one at a time, so that a list of millions of
// lines is never held as millions of strings: the text up to its first NUL,
// split as LineSpans splits it, decoded as UTF-8 when the whole is valid
// UTF-8, otherwise as Windows-1251. Nothing is trimmed. The bytes must
// outlive the reader.
class Lines {
public:
    explicit Lines(const QByteArray& bytes);
    bool next(QString& line);  // false after the last line

private:
    Lines(const char* text, qsizetype size);
    LineSpans spans_;
    bool utf8_;
};

// Every line of Lines at once.
QStringList decode(const QByteArray& bytes);

// The number (from 1) of the first line of the text, as LineSpans splits it,
// that is longer than maxBytes bytes; 0 when there is none.
qsizetype firstLineLongerThan(const QByteArray& bytes, qsizetype maxBytes);

}  // namespace PlaylistText
