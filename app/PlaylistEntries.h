#pragma once
// The playlist's entries kept as UTF-8 text in one buffer, each made a
// QString only when it is asked for. A hundred thousand entries then take
// one allocation instead of a hundred thousand, and the stored playlist
// becomes the list without converting each entry.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

class PlaylistEntries {
public:
    PlaylistEntries() = default;
    explicit PlaylistEntries(const QStringList& entries);
    // The lines of UTF-8 text, split as PlaylistText::decode splits them:
    // up to the first NUL, at CR LF, lone CR and lone LF, with no empty
    // entry after a final break. The text is kept, not copied.
    static PlaylistEntries fromUtf8Lines(QByteArray text);

    qsizetype size() const { return qsizetype(spans_.size()); }
    bool isEmpty() const { return spans_.empty(); }
    QString at(qsizetype index) const;  // index must be in range
    // What the window shows of an entry, read from its UTF-8 without
    // converting the rest of a long one. shownAt: the entry whole when it
    // has at most 8 × maxChars bytes, otherwise its first and its last
    // maxChars characters joined, all that any elision of it keeps.
    // fileNameAt: the first maxChars characters of the text after its last
    // "/" (of all of it when it has none).
    QString shownAt(qsizetype index, qsizetype maxChars) const;
    QString fileNameAt(qsizetype index, qsizetype maxChars) const;
    QStringList toStringList() const;

    void append(const QStringList& entries);
    void append(const QString& entry);
    void removeAt(qsizetype index);  // index must be in range

    // Every entry followed by CR LF, the playlist's text form.
    QByteArray encoded() const;

private:
    struct Span {
        qsizetype offset;
        qsizetype length;
    };
    void appendUtf8(const QString& entry);
    void reserve(qsizetype bytes, qsizetype entries);  // room for that much more

    QByteArray text_;  // may hold line breaks and removed entries between spans
    std::vector<Span> spans_;
};
