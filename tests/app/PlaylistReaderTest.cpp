// Playlists written by other players: M3U/M3U8 and PLS, with the quirks
// real files carry, and the choice of reader by file name.
#include "app/M3uPlaylistReader.h"
#include "app/Playlist.h"
#include "app/PlaylistReader.h"
#include "app/PlsPlaylistReader.h"
#include "platform/Errors.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string_view>
#include <typeinfo>

using namespace std::string_view_literals;

namespace {

const QString folder = QStringLiteral("/music/lists");

struct Case {
    const char* name;
    QByteArray bytes;
    QStringList entries;
};

QByteArray bytesOf(std::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

QString writeList(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

}  // namespace

TEST(M3uPlaylistReader, ReadsTheQuirksOfRealLists)
{
    const Case cases[] = {
        {"plain absolute, LF", "/a/1.mp3\n/a/2.jpg\n", {"/a/1.mp3", "/a/2.jpg"}},
        {"CRLF and no final break", "/a/1.mp3\r\n/a/2.jpg", {"/a/1.mp3", "/a/2.jpg"}},
        {"lone CR", "/a/1.mp3\r/a/2.jpg\r", {"/a/1.mp3", "/a/2.jpg"}},
        {"extended lines, comments, blanks",
         "#EXTM3U\r\n\r\n#EXTINF:123,Artist - Title\r\n/a/1.mp3\r\n# a note\r\n   \r\n/a/2.jpg\r\n",
         {"/a/1.mp3", "/a/2.jpg"}},
        {"byte-order mark", "\xEF\xBB\xBF#EXTM3U\n/a/1.mp3\n", {"/a/1.mp3"}},
        {"byte-order mark before an entry", "\xEF\xBB\xBF/a/1.mp3\n", {"/a/1.mp3"}},
        {"relative paths", "1.mp3\nsub/2.jpg\n../up/3.avi\n./4.gif\n",
         {"/music/lists/1.mp3", "/music/lists/sub/2.jpg", "/music/up/3.avi", "/music/lists/4.gif"}},
        {"backslashes of a relative path", "sub\\dir\\5.mp3\n", {"/music/lists/sub/dir/5.mp3"}},
        {"file URIs, percent-encoded", "file:///a/%D0%BF%D0%B5%D1%81%D0%BD%D1%8F%201.mp3\nfile://localhost/a/b.jpg\n",
         {QStringLiteral("/a/песня 1.mp3"), "/a/b.jpg"}},
        {"other URIs kept", "http://radio.example.org/stream?x=1&y=2\n", {"http://radio.example.org/stream?x=1&y=2"}},
        {"drive paths kept", "C:\\Music\\a.mp3\n", {"C:\\Music\\a.mp3"}},
        {"surrounding blanks trimmed", "  /a/1.mp3 \t\n", {"/a/1.mp3"}},
        {"UTF-8 names", "/музыка/песня.mp3\n", {QStringLiteral("/музыка/песня.mp3")}},
        {"Windows-1251 names", "/\xEC\xF3\xE7\xFB\xEA\xE0/a.mp3\n", {QStringLiteral("/музыка/a.mp3")}},
        {"empty file", "", {}},
        {"only comments", "#EXTM3U\n#EXTINF:1,x\n", {}},
    };
    const M3uPlaylistReader reader;
    for (const Case& c : cases)
        EXPECT_EQ(reader.read(c.bytes, folder).entries.toStringList(), c.entries) << c.name;
}

TEST(PlsPlaylistReader, ReadsTheQuirksOfRealLists)
{
    const Case cases[] = {
        {"ordinary list",
         "[playlist]\r\nFile1=/a/1.mp3\r\nTitle1=One\r\nLength1=100\r\nFile2=/a/2.ogg\r\nNumberOfEntries=2\r\nVersion=2\r\n",
         {"/a/1.mp3", "/a/2.ogg"}},
        {"numbers out of order, with a gap", "[playlist]\nFile3=/c.mp3\nFile1=/a.mp3\nFile10=/j.mp3\n",
         {"/a.mp3", "/c.mp3", "/j.mp3"}},
        {"keys in any case, section name too", "[PlayList]\nfile1=/a.mp3\nFILE2=/b.mp3\n", {"/a.mp3", "/b.mp3"}},
        {"relative and URI entries", "[playlist]\nFile1=x/1.mp3\nFile2=file:///a/%20b.mp3\nFile3=http://h.example/s\n",
         {"/music/lists/x/1.mp3", "/a/ b.mp3", "http://h.example/s"}},
        {"byte-order mark and blanks", "\xEF\xBB\xBF[playlist]\n\n File1 = /a.mp3 \n", {"/a.mp3"}},
        {"keys outside the section ignored", "File1=/outside.mp3\n[other]\nFile2=/other.mp3\n[playlist]\nFile3=/in.mp3\n",
         {"/in.mp3"}},
        {"malformed keys ignored", "[playlist]\nFile=/a.mp3\nFileX=/b.mp3\nFile1\nFile2=\nFile3=/c.mp3\n", {"/c.mp3"}},
        {"empty file", "", {}},
    };
    const PlsPlaylistReader reader;
    for (const Case& c : cases)
        EXPECT_EQ(reader.read(c.bytes, folder).entries.toStringList(), c.entries) << c.name;
}

TEST(PlaylistReader, ChoosesTheReaderByExtension)
{
    const struct {
        const char* path;
        const std::type_info& reader;
    } cases[] = {
        {"/l/a.m3u", typeid(M3uPlaylistReader)},  {"/l/a.M3U8", typeid(M3uPlaylistReader)},
        {"/l/a.pls", typeid(PlsPlaylistReader)},  {"/l/a.PLS", typeid(PlsPlaylistReader)},
        {"/l/a.qx", typeid(QxPlaylistReader)},    {"/l/a.txt", typeid(QxPlaylistReader)},
        {"/l/m3u", typeid(QxPlaylistReader)},
    };
    for (const auto& c : cases) {
        const auto reader = PlaylistReader::forFile(QString::fromUtf8(c.path));
        EXPECT_EQ(typeid(*reader), c.reader) << c.path;
    }
}

TEST(PlaylistReader, OwnListsKeepTheirEntriesExactly)
{
    // Our own format keeps blanks, "#" and relative text as the user wrote them.
    const QxPlaylistReader reader;
    EXPECT_EQ(reader.read(" a.mp3\r\n#x\r\n\r\n", folder).entries.toStringList(), (QStringList{" a.mp3", "#x", ""}));
}

TEST(PlaylistReader, LoadingAForeignListResolvesAgainstItsFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mix.m3u"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#EXTM3U\r\n#EXTINF:3,Three\r\nsongs/3.mp3\r\n/abs/4.jpg\r\n");
    file.close();
    Playlist playlist;
    playlist.loadFromFile(path);
    EXPECT_EQ(playlist.entries(), (QStringList{dir.filePath(QStringLiteral("songs/3.mp3")), "/abs/4.jpg"}));
}

// Whatever the format, the text ends at its first NUL: nothing after it
// becomes an entry, and no entry holds U+0000.
TEST(PlaylistFile, TheTextOfEveryFormatEndsAtItsFirstNul)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"a.m3u", bytesOf("/a/1.mp3\n/a/2\0.mp3\n/a/3.mp3\n"sv), {"/a/1.mp3", "/a/2"}},
        {"b.m3u8", bytesOf("\0/a/1.mp3\n"sv), {}},
        {"c.pls", bytesOf("[playlist]\nFile1=/a/1.mp3\nFile2=/a/2.mp3\0\nFile3=/a/3.mp3\n"sv),
         {"/a/1.mp3", "/a/2.mp3"}},
        {"d.qx", bytesOf("a\r\nb\0c\r\nd"sv), {"a", "b"}},
    };
    for (const auto& c : cases) {
        const QStringList entries = readPlaylistFile(writeList(dir, c.name, c.bytes)).entries.toStringList();
        EXPECT_EQ(entries, c.entries) << c.name;
        for (const QString& entry : entries)
            EXPECT_FALSE(entry.contains(QChar(0))) << c.name;
    }
}

// A line longer than any path refuses the whole load, naming the file and
// the line, before anything of it is decoded; a line of exactly the limit
// loads, its line break not counted.
TEST(PlaylistFile, ALineTooLongForAPathRefusesTheLoadNamingTheLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const qsizetype limit = PlaylistLimits().lineBytes;
    for (const char* name : {"list.m3u", "list.pls", "list.qx"}) {
        const QByteArray head("[playlist]\r\nFile1=/a.mp3\r\n");
        const QString fits = writeList(dir, QStringLiteral("fits-") + name,
                                       head + "File2=/" + QByteArray(limit - 7, 'x') + "\r\n");
        EXPECT_EQ(readPlaylistFile(fits).entries.size(), QByteArray(name).endsWith(".pls") ? 2 : 3) << name;

        const QString path =
            writeList(dir, name, head + "File2=/" + QByteArray(limit - 6, 'x') + "\r\nFile3=/b.mp3\r\n");
        Playlist playlist;
        playlist.setEntries({QStringLiteral("/kept.jpg")});
        QString message;
        try {
            playlist.loadFromFile(path);
        } catch (const EFOpenError& e) {
            message = e.message();
        }
        EXPECT_EQ(message, QStringLiteral("Плей-лист не загружен:\r%1\rСтрока 3 длиннее %2 байт: это не путь к файлу.")
                               .arg(path)
                               .arg(limit))
            << name;
        EXPECT_EQ(playlist.entries(), QStringList{QStringLiteral("/kept.jpg")}) << name;
    }
}

// One load takes no more entries and no more bytes than its limits; what it
// takes are the first whole lines, and it tells that the list was cut.
TEST(PlaylistFile, OneLoadTakesNoMoreThanItsLimits)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PlaylistLimits limits{.lineBytes = 100, .entries = 3, .fileBytes = 60};
    const struct {
        const char* name;
        QByteArray bytes;
        QStringList entries;
        bool cut;
    } cases[] = {
        {"exactly full.qx", "1\n2\n3\n", {"1", "2", "3"}, false},
        {"one too many.qx", "1\n2\n3\n4", {"1", "2", "3"}, true},
        {"comments do not count.m3u", "#EXTM3U\n/1\n#x\n/2\n\n/3\n", {"/1", "/2", "/3"}, false},
        {"one too many.m3u", "/1\n/2\n/3\n/4\n", {"/1", "/2", "/3"}, true},
        // A number given again is no new entry; the fourth number is.
        {"numbers.pls", "[playlist]\nFile3=/3\nFile1=/1\nFile1=/one\nFile2=/2\nFile9=/9\n", {"/one", "/2", "/3"}, true},
        // The third line is cut by the byte limit and left out.
        {"longer than the byte limit.qx",
         QByteArray(25, 'a') + "\n" + QByteArray(25, 'b') + "\n" + QByteArray(20, 'c') + "\n",
         {QString(25, u'a'), QString(25, u'b')},
         true},
        {"a NUL before the byte limit.qx", bytesOf("a\nb\n\0"sv) + QByteArray(60, 'x'), {"a", "b"}, false},
    };
    for (const auto& c : cases) {
        const PlaylistRead read = readPlaylistFile(writeList(dir, QString::fromUtf8(c.name), c.bytes), limits);
        EXPECT_EQ(read.entries.toStringList(), c.entries) << c.name;
        EXPECT_EQ(read.cut, c.cut) << c.name;
    }
}
