// The playlist: its text form, the editing and selection rules, and the
// playlist files.
#include "app/Playlist.h"
#include "app/PlaylistEntries.h"
#include "app/PlaylistText.h"
#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

template <class E, class F>
QString failure(F f)
{
    try {
        f();
    } catch (const E& e) {
        return e.message();
    }
    return QStringLiteral("<no failure>");
}

QStringList three()
{
    return {QStringLiteral("/a/1.jpg"), QStringLiteral("/a/2.mp3"), QStringLiteral("/a/3.avi")};
}

}  // namespace

TEST(PlaylistText, DecodesTheByteCases)
{
    const struct {
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\nb\r\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},          // LF CR is two breaks
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
        {"  a b \t\r\n\"q\"\r\n", {"  a b \t", "\"q\""}},  // nothing trimmed or unquoted
        {QByteArray("a\r\nb\0c\r\nd", 9), {"a", "b"}},     // the text ends at its first NUL
        {QByteArray("\0a\r\n", 4), {}},
        {"x\x01\x7fy\r\n", {"x\x01\x7fy"}},                // control characters kept
        {"/home/\xd0\xb0.mp3\r\n", {QStringLiteral("/home/а.mp3")}},
        // Not UTF-8: the older Cyrillic code page.
        {"C:\\\xcc\xf3\xe7\xfb\xea\xe0\\\xa8\xeb\xea\xe0.mp3\r\n\xb9 1\r\n",
         {QStringLiteral("C:\\Музыка\\Ёлка.mp3"), QStringLiteral("№ 1")}},
        // One bad sequence anywhere decides for the whole text.
        {"/\xd0\xb0\r\n/\xff\r\n", {QStringLiteral("/Р°"), QStringLiteral("/я")}},
        {"\xc0\xaf", {QStringLiteral("АЇ")}},        // overlong form
        {"\xed\xa0\x80", {QStringLiteral("н\u00a0Ђ")}},   // encoded surrogate
        {"\xf4\x90\x80\x80", {QStringLiteral("фђЂЂ")}},  // above U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaylistText::decode(c.bytes), c.entries) << c.bytes.toHex().toStdString();
}

TEST(PlaylistText, EncodesEveryEntryWithCrLfAndReadsItBack)
{
    EXPECT_EQ(PlaylistEntries().encoded(), QByteArray());
    const QStringList entries{QStringLiteral("/музыка/а.mp3"), QString(), QStringLiteral(" b "), QString()};
    const QByteArray bytes = PlaylistEntries(entries).encoded();
    EXPECT_EQ(bytes, QByteArray("/\xd0\xbc\xd1\x83\xd0\xb7\xd1\x8b\xd0\xba\xd0\xb0/\xd0\xb0.mp3\r\n\r\n b \r\n\r\n"));
    EXPECT_EQ(PlaylistText::decode(bytes), entries);
}

// The entries kept as UTF-8 behave as a list of strings through every edit,
// whether they came from the stored text (line breaks and all left in the
// buffer) or from strings; a removed entry's text never shows again.
TEST(PlaylistEntries, EditsGiveWhatAListOfStringsGives)
{
    const QByteArray stored("/\xd0\xb4\xd0\xbe\xd0\xbc/a.mp3\r\n\nb\rc \xe2\x82\xac\r\n\xf0\x9f\x98\x80");
    const QStringList storedList{QStringLiteral("/дом/a.mp3"), QString(), QStringLiteral("b"),
                                 QStringLiteral("c €"), QStringLiteral("😀")};
    for (const bool fromText : {true, false}) {
        SCOPED_TRACE(fromText ? "from the stored text" : "from strings");
        PlaylistEntries kept = fromText ? PlaylistEntries::fromUtf8Lines(stored) : PlaylistEntries(storedList);
        QStringList expected = storedList;
        ASSERT_EQ(kept.toStringList(), expected);
        kept.removeAt(0);
        expected.removeAt(0);
        kept.append({QStringLiteral("новый\r\nс переводом строки"), QString(), QString(5000, u'я')});
        expected.append({QStringLiteral("новый\r\nс переводом строки"), QString(), QString(5000, u'я')});
        kept.removeAt(2);
        expected.removeAt(2);
        for (int i = 0; i < 300; ++i) {  // one at a time, as the thumbnails viewer adds them
            kept.append({QStringLiteral("/%1.jpg").arg(i)});
            expected.append(QStringLiteral("/%1.jpg").arg(i));
        }
        ASSERT_EQ(kept.size(), expected.size());
        EXPECT_EQ(kept.toStringList(), expected);
        EXPECT_EQ(kept.at(3), expected.at(3));
        QByteArray text;
        for (const QString& e : expected)
            text += e.toUtf8() + "\r\n";
        EXPECT_EQ(kept.encoded(), text);
    }
    EXPECT_TRUE(PlaylistEntries::fromUtf8Lines(QByteArray("\0a", 2)).isEmpty());
    EXPECT_EQ(PlaylistEntries::fromUtf8Lines("a\r\n").size(), 1);
}

TEST(Playlist, DeleteKeepsTheSelectionNear)
{
    const struct {
        int count;
        int selected;
        QStringList left;
        int selectedAfter;
    } cases[] = {
        {3, 1, {"/a/1.jpg", "/a/3.avi"}, 1},  // the follower takes its place
        {3, 0, {"/a/2.mp3", "/a/3.avi"}, 0},
        {3, 2, {"/a/1.jpg", "/a/2.mp3"}, 1},  // the last: the new last
        {1, 0, {}, -1},
        {3, -1, {"/a/1.jpg", "/a/2.mp3", "/a/3.avi"}, -1},  // nothing selected: nothing removed
    };
    for (const auto& c : cases) {
        Playlist list;
        list.setEntries(three().mid(0, c.count));
        list.setSelectedIndex(c.selected);
        list.deleteSelected();
        EXPECT_EQ(list.entries(), c.left) << c.selected;
        EXPECT_EQ(list.selectedIndex(), c.selectedAfter) << c.selected;
    }
}

TEST(Playlist, EditsNotifyViewsAndLoseTheSelectionWhenReplaced)
{
    Playlist list;
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy selection(&list, &Playlist::selectionChanged);
    list.append(three());
    list.append(QStringLiteral("/b/4.gif"));
    list.append(QStringList());
    ASSERT_EQ(inserted.size(), 2);  // one notice per batch
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.data(list.index(3), Qt::DisplayRole).toString(), QStringLiteral("/b/4.gif"));

    list.setSelectedIndex(2);
    list.setEntries(PlaylistEntries::fromUtf8Lines(QByteArray("x\r\ny\0z", 6)));
    EXPECT_EQ(list.entries(), QStringList({"x", "y"}));
    EXPECT_EQ(list.selectedIndex(), -1);
    list.setSelectedIndex(1);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selectedIndex(), -1);
    QList<int> seen;
    for (const auto& args : selection)
        seen << args[0].toInt();
    EXPECT_EQ(seen, QList<int>({2, -1, 1, -1}));
    EXPECT_EQ(list.utf8Text(), QByteArray());
}

TEST(Playlist, IndexOutOfRangeRaisesTheListMessage)
{
    Playlist list;
    list.setEntries(three());
    EXPECT_EQ(failure<EListError>([&] { list.at(3); }), QStringLiteral("List index out of bounds (3)"));
    EXPECT_EQ(failure<EListError>([&] { list.at(-1); }), QStringLiteral("List index out of bounds (-1)"));
    EXPECT_EQ(failure<EListError>([&] { list.setSelectedIndex(3); }), QStringLiteral("List index out of bounds (3)"));
    EXPECT_EQ(list.selectedIndex(), -1);
}

TEST(Playlist, SavedFilesLoadBackIdentical)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.qx"));
    Playlist list;
    const QStringList entries{QStringLiteral("/home/u/Музыка/песня.mp3"), QString(), QStringLiteral("relative name"),
                              QString(300, u'д')};
    list.setEntries(entries);
    list.saveToFile(path);
    list.clear();
    list.loadFromFile(path);
    EXPECT_EQ(list.entries(), entries);

    list.clear();
    list.saveToFile(path);
    EXPECT_EQ(readFile(path), QByteArray());  // an empty playlist is a zero-byte file
    list.setEntries(three());
    list.loadFromFile(path);
    EXPECT_EQ(list.count(), 0);
}

TEST(Playlist, LoadStopsAtTheFirstNulOfABinaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.jpg"));
    QByteArray bytes("first\r\nsecond\xff");
    bytes.append('\0');
    bytes.append(QByteArray(3 << 20, 'x'));  // past the first chunk read
    writeFile(path, bytes);
    Playlist list;
    list.loadFromFile(path);
    EXPECT_EQ(list.entries(), QStringList({"first", QStringLiteral("secondя")}));
}

TEST(Playlist, LoadFailureRaisesAndKeepsThePlaylist)
{
    QTemporaryDir dir;
    Playlist list;
    list.setEntries(three());
    list.setSelectedIndex(1);
    // A named pipe, and a link to one, fail at once instead of waiting for a
    // writer that never comes.
    const QString fifo = dir.filePath(QStringLiteral("pipe.qx"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("link.qx"));
    ASSERT_TRUE(QFile::link(fifo, link));
    for (const QString& path : {dir.filePath(QStringLiteral("missing.qx")), dir.path(), fifo, link}) {
        EXPECT_EQ(failure<EFOpenError>([&] { list.loadFromFile(path); }), QStringLiteral("Cannot open file ") + path);
        EXPECT_EQ(list.entries(), three());
        EXPECT_EQ(list.selectedIndex(), 1);
    }
}

TEST(Playlist, FailedSaveWritesNothingAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    Playlist list;
    list.setEntries(QStringList(200, QStringLiteral("/some/rather/long/path/to/a/picture.jpg")));

    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/list.qx"));
    EXPECT_EQ(failure<EFCreateError>([&] { list.saveToFile(nowhere); }), QStringLiteral("Cannot create file ") + nowhere);
    EXPECT_FALSE(QFile::exists(nowhere));

    const QString path = dir.filePath(QStringLiteral("list.qx"));
    writeFile(path, "old\r\n");
    {
        const FileSizeLimit diskFull(1000);
        EXPECT_EQ(failure<EFCreateError>([&] { list.saveToFile(path); }), QStringLiteral("Cannot create file ") + path);
    }
    EXPECT_EQ(readFile(path), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"list.qx"}));
}

TEST(Playlist, NamesOfSavedFilesAndOfEntries)
{
    const struct {
        const char* in;
        const char* out;
    } saveNames[] = {{"/h/list", "/h/list.qx"}, {"/h/list.qx", "/h/list.qx.qx"}, {"/h/a.list", "/h/a.list.qx"}};
    for (const auto& c : saveNames)
        EXPECT_EQ(playlistSaveName(QString::fromUtf8(c.in)), QString::fromUtf8(c.out));

    // The file name of an entry, of a long one only as much as is shown; a
    // character the cut splits is not turned into another.
    const QString longName = QString(kMaxDrawnEntryChars - 1, u'a') + QStringLiteral("😀bbb");
    const QString hugeName(100000, u'я');
    const struct {
        QString entry;
        QString name;
    } fileNames[] = {
        {"/home/u/a.b.jpg", "a.b.jpg"},
        {"a.jpg", "a.jpg"},
        {"/home/u/", ""},
        {"C:\\x\\y.jpg", "C:\\x\\y.jpg"},
        {"/d/" + longName, longName.left(kMaxDrawnEntryChars)},
        {"/d/" + hugeName, hugeName.left(kMaxDrawnEntryChars)},
    };
    Playlist list;
    for (const auto& c : fileNames)
        list.append(c.entry);
    for (int i = 0; i < list.count(); ++i)
        EXPECT_EQ(list.fileNameAt(i), fileNames[i].name) << i;
    EXPECT_EQ(failure<EListError>([&] { list.fileNameAt(list.count()); }),
              QStringLiteral("List index out of bounds (%1)").arg(list.count()));
}

TEST(Playlist, DrawnTextOfAHugeEntryIsCutOnTheSideItsElisionKeeps)
{
    // Characters of two and four bytes around the places the model cuts.
    const QString head(kMaxDrawnEntryChars, u'ж'), tail(kMaxDrawnEntryChars, u't');
    const QString huge = head + QStringLiteral("z") + QStringLiteral("😀").repeated(1 << 18) + tail;
    Playlist list;
    list.setEntries({huge});
    const QString displayed = list.data(list.index(0), Qt::DisplayRole).toString();
    EXPECT_EQ(displayed.size(), 2 * kMaxDrawnEntryChars);
    EXPECT_EQ(list.data(list.index(0), Qt::EditRole).toString(), huge);
    const struct {
        Qt::TextElideMode mode;
        QString drawn;
    } cases[] = {
        {Qt::ElideRight, head},
        {Qt::ElideNone, head},
        {Qt::ElideLeft, tail},
        {Qt::ElideMiddle, head.left(kMaxDrawnEntryChars / 2) + tail.right(kMaxDrawnEntryChars / 2)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(entryDrawnText(huge, c.mode), c.drawn) << c.mode;
        // The model's display text draws as the entry itself would.
        EXPECT_EQ(entryDrawnText(displayed, c.mode), c.drawn) << c.mode;
        EXPECT_EQ(entryDrawnText(QStringLiteral("/a/b.jpg"), c.mode), QStringLiteral("/a/b.jpg")) << c.mode;
    }
    const QString exact(kMaxDrawnEntryChars, u'x');
    EXPECT_EQ(entryDrawnText(exact, Qt::ElideMiddle), exact);
}
