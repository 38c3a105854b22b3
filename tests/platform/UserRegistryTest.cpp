// The per-user registry: its text form, the file store and the settings
// accessor with its messages.
#include "platform/Errors.h"
#include "platform/RegistryText.h"
#include "platform/TRegistry.h"
#include "platform/UserRegistry.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <thread>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.message();
    }
    return QStringLiteral("<no failure>");
}

const char sampleText[] =
    "; Калейдор per-user registry\n"
    "[HKEY_CURRENT_USER\\Qx\\настройки]\n"
    "\"Fon\"=dword:00c0c0c0\n"
    "\"Font Name\"=\"Courier New\"\n"
    "\"Playlist\"=\"/home/u/a.jpg\\r\\n/home/u/b \\\"c\\\" \\\\d.mp3\\r\\n\"\n"
    "\"Neg\"=dword:fffffff6\n"
    "\"Nul\"=\"a\\0b\"\n"
    "\"Path\"=hex(2):25,48,00\n"
    "\"Big\"=hex(b):01,02,03,04,05,06,07,08\n"
    "\"Raw\"=hex(3):\n"
    "\"q\\\"uote\"=\"\"\n"
    "@=dword:00000001\n"
    "\n"
    "[HKEY_CURRENT_USER\\Qx\\настройки\\mesto]\n"
    "\"f1_l\"=dword:000000d3\n"
    "\n"
    "[HKEY_CURRENT_USER\\Qx\\empty]\n";

}  // namespace

TEST(RegistryText, ReadsEveryFormAndWritesItBackUnchanged)
{
    RegKey root(QStringLiteral("HKEY_CURRENT_USER"));
    int bad = 0;
    ASSERT_TRUE(RegistryText::read(sampleText, root, &bad)) << bad;
    const RegKey* s = root.subKey(QStringLiteral("qx"))->subKey(QStringLiteral("НАСТРОЙКИ"));
    ASSERT_NE(s, nullptr);
    QStringList order;
    for (const auto& v : s->values())
        order << v.name;
    EXPECT_EQ(order, QStringList({"Fon", "Font Name", "Playlist", "Neg", "Nul", "Path", "Big", "Raw", "q\"uote", ""}));
    EXPECT_EQ(s->value("Playlist")->data, QByteArray("/home/u/a.jpg\r\n/home/u/b \"c\" \\d.mp3\r\n").append('\0'));
    EXPECT_EQ(s->value("Nul")->data, QByteArray("a\0b\0", 4));
    EXPECT_EQ(s->value("Neg")->data, QByteArray("\xf6\xff\xff\xff", 4));
    EXPECT_EQ(s->value("Path")->type, rtExpandString);
    EXPECT_EQ(s->value("Big")->type, rtQWord);
    EXPECT_EQ(s->value("Raw")->data, QByteArray());
    EXPECT_EQ(s->value("q\"uote")->data, QByteArray(1, '\0'));
    EXPECT_EQ(RegistryText::write(root), QByteArray(sampleText));
}

TEST(RegistryText, AcceptsHandEditedVariants)
{
    const QByteArray text = "\xef\xbb\xbf; edited\r\n"
                            "  [HKEY_CURRENT_USER\\A]  \r\n"
                            "\"x\" = DWORD:FF \r\n"
                            "\"b\"=hex:0a, 0B\r\n"
                            "; a comment line\r\n"
                            "[hkey_current_user\\a]\r\n"
                            "\"X\"=dword:00000002\r\n";
    RegKey root(QStringLiteral("HKEY_CURRENT_USER"));
    int bad = 0;
    ASSERT_TRUE(RegistryText::read(text, root, &bad)) << bad;
    const RegKey* a = root.subKey(QStringLiteral("A"));
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->values().size(), 2u);
    EXPECT_EQ(a->values()[0].name, QStringLiteral("x"));  // first spelling kept, value replaced
    EXPECT_EQ(a->values()[0].data, QByteArray("\x02\0\0\0", 4));
    EXPECT_EQ(a->values()[1].type, rtBinary);
    EXPECT_EQ(a->values()[1].data, QByteArray("\x0a\x0b"));
}

TEST(RegistryText, RejectsDamagedTextNamingTheLine)
{
    const struct {
        QByteArray text;
        int line;
    } cases[] = {
        {"\"a\"=dword:00000001\n", 1},                          // value before any key
        {"[HKEY_LOCAL_MACHINE\\Qx]\n", 1},                      // another root
        {"[HKEY_CURRENT_USER\\Qx\n", 1},                        // no closing bracket
        {"[HKEY_CURRENT_USER\\a\\\\b]\n", 1},                   // empty key name
        {"[HKEY_CURRENT_USER]\n\"a\"=\"x\\q\"\n", 2},           // unknown escape
        {"[HKEY_CURRENT_USER]\n\"a\"=\"open\n", 2},             // unterminated string
        {"[HKEY_CURRENT_USER]\n\"a\"=dword:123456789\n", 2},    // nine digits
        {"[HKEY_CURRENT_USER]\n\"a\"=dword:\n", 2},             // no digits
        {"[HKEY_CURRENT_USER]\n\"a\"=hex(3):01,2g\n", 2},       // not a byte
        {"[HKEY_CURRENT_USER]\n\"a\"=hex(3):01,\n", 2},         // dangling comma
        {"[HKEY_CURRENT_USER]\n\"a\"=\"x\" junk\n", 2},         // text after the value
        {"[HKEY_CURRENT_USER]\n\"a\"=\"\xcf\xf0\xe8\"\n", 2},   // not UTF-8
        {"[HKEY_CURRENT_USER]\n\n\na=1\n", 4},                  // not a value line
        {QByteArray("[HKEY_CURRENT_USER]\n\"a\"=\"x\"\0\n", 29), 2},  // a NUL byte
    };
    for (const auto& c : cases) {
        RegKey root(QStringLiteral("HKEY_CURRENT_USER"));
        int bad = 0;
        EXPECT_FALSE(RegistryText::read(c.text, root, &bad)) << c.text.toStdString();
        EXPECT_EQ(bad, c.line) << c.text.toStdString();
    }
}

TEST(UserRegistry, PathFollowsXdgConfigHomeThenHome)
{
    TempConfigHome home;
    EXPECT_EQ(UserRegistry::defaultPath(), home.path() + "/config/kaleidor/user.reg");
    for (const char* unusable : {"", "relative/dir"}) {
        qputenv("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(UserRegistry::defaultPath(), home.path() + "/.config/kaleidor/user.reg") << unusable;
    }
}

TEST(UserRegistry, FileIsCreatedWithItsFolderOnTheFirstWriteOnly)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    {
        TRegistry reg;
        EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
        reg.CloseKey();
    }
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.CloseKey();  // a created key is a change
    }
    EXPECT_EQ(readFile(file), QByteArray("; Калейдор per-user registry\n[HKEY_CURRENT_USER\\Qx\\настройки]\n"));
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.WriteInteger(QStringLiteral("N"), 1);
        // dropped: never closed
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
    EXPECT_FALSE(reg.ValueExists(QStringLiteral("N")));
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files), QStringList({"user.reg", "user.reg.lock"}));
}

TEST(TRegistry, OpenKeyFollowsThePathRules)
{
    TempConfigHome home;
    TRegistry reg;
    EXPECT_TRUE(reg.OpenKey(QStringLiteral("Qx"), true));  // relative to the root when none is open
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("\\Qx"));
    EXPECT_TRUE(reg.OpenKey(QStringLiteral("настройки\\mesto"), true));  // every level created
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("\\Qx\\настройки\\mesto"));
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("nowhere"), false));
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Qx\\nowhere"), false));
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("bad\nname"), true));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("\\Qx\\настройки\\mesto"));  // failures change nothing
    EXPECT_TRUE(reg.OpenKey(QStringLiteral("\\QX\\НАСТРОЙКИ"), false));    // names ignore case
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("\\Qx\\настройки"));
    EXPECT_TRUE(reg.OpenKey(QStringLiteral("mesto"), false));
    EXPECT_EQ(reg.CurrentPath(), QStringLiteral("\\Qx\\настройки\\mesto"));
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), QString());
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("mesto"), false));  // relative to the root again
}

TEST(TRegistry, ReadsAndRaisesTheStoreMessages)
{
    TempConfigHome home;
    writeFile(UserRegistry::defaultPath(), "[HKEY_CURRENT_USER\\Qx\\настройки]\n"
                                           "\"Int\"=dword:fffffff6\n"
                                           "\"Two\"=dword:00000002\n"
                                           "\"Short\"=hex(4):07\n"
                                           "\"Str3\"=\"abc\"\n"
                                           "\"Str4\"=\"abcd\"\n"
                                           "\"Bin2\"=hex(3):01,02\n"
                                           "\"Empty\"=hex(7):\n"
                                           "\"Nul\"=\"Курьер\\0tail\"\n"
                                           "\"Exp\"=hex(2):24,48,4f,4d,45,00\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
    EXPECT_EQ(reg.ReadInteger("Int"), -10);
    EXPECT_EQ(reg.ReadInteger("Short"), 7);
    EXPECT_TRUE(reg.ReadBool("Two"));
    EXPECT_EQ(reg.ReadString("Nul"), QStringLiteral("Курьер"));
    EXPECT_EQ(reg.ReadString("Exp"), QStringLiteral("$HOME"));
    EXPECT_EQ(reg.ReadString("Missing"), QString());
    EXPECT_EQ(reg.ReadString("Empty"), QString());  // length zero, whatever its type
    EXPECT_TRUE(reg.ValueExists("int"));
    EXPECT_FALSE(reg.ValueExists("Missing"));

    const struct {
        std::function<void()> read;
        const char* expected;
    } failures[] = {
        {[&] { reg.ReadInteger("Missing"); }, "Failed to get data for 'Missing'"},
        {[&] { reg.ReadBool("Missing"); }, "Failed to get data for 'Missing'"},
        {[&] { reg.ReadInteger("Str3"); }, "Invalid data type for 'Str3'"},  // 4 bytes with its NUL
        {[&] { reg.ReadInteger("Str4"); }, "Failed to get data for 'Str4'"},  // 5 bytes: too long
        {[&] { reg.ReadInteger("Bin2"); }, "Invalid data type for 'Bin2'"},
        {[&] { reg.ReadString("Int"); }, "Invalid data type for 'Int'"},
        {[&] { reg.ReadString("Bin2"); }, "Invalid data type for 'Bin2'"},
    };
    for (const auto& f : failures)
        EXPECT_EQ(message(f.read), QString::fromUtf8(f.expected));

    reg.CloseKey();
    EXPECT_EQ(message([&] { reg.ReadInteger("Int"); }), QStringLiteral("Failed to get data for 'Int'"));
    EXPECT_EQ(message([&] { reg.WriteString("Z", "1"); }), QStringLiteral("Failed to set data for 'Z'"));
}

TEST(TRegistry, WritesAreSeenAtOnceAndCommittedOnCloseKeepingOtherValues)
{
    TempConfigHome home;
    writeFile(UserRegistry::defaultPath(), "[HKEY_CURRENT_USER\\Qx\\настройки]\n"
                                           "\"N\"=dword:00000004\n"
                                           "\"Unknown\"=hex(3):ab\n"
                                           "\"Fon\"=dword:00000000\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
    reg.WriteInteger("Fon", 12632256);
    reg.WriteString("Playlist", QStringLiteral("/a/\"б\"\\c\r\n"));
    reg.WriteBool("L_P", true);
    EXPECT_EQ(reg.ReadInteger("Fon"), 12632256);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("mesto"), true));
    reg.WriteInteger("f1_l", -1200);

    {  // another copy counts its start before this one closes
        TRegistry other;
        ASSERT_TRUE(other.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        other.WriteInteger("N", other.ReadInteger("N") + 1);
        other.CloseKey();
    }
    reg.CloseKey();
    EXPECT_EQ(readFile(UserRegistry::defaultPath()),
              QByteArray("; Калейдор per-user registry\n"
                         "[HKEY_CURRENT_USER\\Qx\\настройки]\n"
                         "\"N\"=dword:00000005\n"
                         "\"Unknown\"=hex(3):ab\n"
                         "\"Fon\"=dword:00c0c0c0\n"
                         "\"Playlist\"=\"/a/\\\"б\\\"\\\\c\\r\\n\"\n"
                         "\"L_P\"=dword:00000001\n"
                         "\n"
                         "[HKEY_CURRENT_USER\\Qx\\настройки\\mesto]\n"
                         "\"f1_l\"=dword:fffffb50\n"));
}

TEST(UserRegistry, ConcurrentCommitsLoseNothing)
{
    TempConfigHome home;
    constexpr int rounds = 20;
    auto writer = [](const char* prefix) {
        for (int i = 0; i < rounds; ++i) {
            TRegistry reg;
            reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true);
            reg.WriteInteger(QString::fromLatin1(prefix) + QString::number(i), i);
            reg.CloseKey();
        }
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
    for (int i = 0; i < rounds; ++i) {
        EXPECT_EQ(reg.ReadInteger(QStringLiteral("a%1").arg(i)), i);
        EXPECT_EQ(reg.ReadInteger(QStringLiteral("b%1").arg(i)), i);
    }
}

TEST(UserRegistry, DamagedFileIsMovedAsideNeverDeleted)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    const QByteArray damaged = "[HKEY_CURRENT_USER\\Qx\\настройки]\n\"N\"=dword:zz\n";
    writeFile(file, damaged);
    QString aside;
    {
        TRegistry reg;
        aside = reg.DamagedStoreMovedTo();
        EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));  // as on a first start
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.WriteInteger("N", 1);
        reg.CloseKey();
    }
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/user\\.reg\\.damaged-\\d{8}-\\d{6}$")).match(aside).hasMatch())
        << aside.toStdString();
    EXPECT_EQ(readFile(aside), damaged);
    EXPECT_TRUE(readFile(file).contains("\"N\"=dword:00000001"));
    TRegistry again;
    EXPECT_EQ(again.DamagedStoreMovedTo(), QString());

    // A second damaged file in the same second gets a name of its own.
    writeFile(file, damaged);
    TRegistry third;
    EXPECT_NE(third.DamagedStoreMovedTo(), aside);
    EXPECT_EQ(readFile(third.DamagedStoreMovedTo()), damaged);
}

TEST(UserRegistry, FailedCommitRaisesAndKeepsTheOldFile)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    const QByteArray old = "[HKEY_CURRENT_USER\\Qx\\настройки]\n\"N\"=dword:00000003\n";
    writeFile(file, old);
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.WriteInteger("Fon", 0);
        reg.WriteString("Playlist", QString(5000, u'x'));
        const FileSizeLimit diskFull(1000);
        EXPECT_EQ(message([&] { reg.CloseKey(); }), QStringLiteral("Failed to set data for 'Fon'"));
    }
    EXPECT_EQ(readFile(file), old);
    const QStringList left = QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files);
    EXPECT_EQ(left, QStringList({"user.reg", "user.reg.lock"}));

    // A folder that cannot be made: the config folder is a file.
    qputenv("XDG_CONFIG_HOME", file.toUtf8());
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), true));
    reg.WriteInteger("N", 1);
    EXPECT_EQ(message([&] { reg.CloseKey(); }), QStringLiteral("Failed to set data for 'N'"));
    EXPECT_EQ(readFile(file), old);
}

TEST(RegistryText, ReadsEveryKindOfLineEndAlike)
{
    const QByteArray lines[] = {"; Калейдор per-user registry", "[HKEY_CURRENT_USER\\Qx\\настройки]",
                                "\"N\"=dword:00000007", "", "\"Z\"=\"a\\r\\nb\""};
    for (const char* end : {"\n", "\r\n", "\r"}) {
        QByteArray text;
        for (const QByteArray& line : lines)
            text += line + end;
        RegKey root(QStringLiteral("HKEY_CURRENT_USER"));
        int bad = 0;
        ASSERT_TRUE(RegistryText::read(text, root, &bad)) << bad << " " << QByteArray(end).toHex().toStdString();
        const RegKey* s = root.subKey(QStringLiteral("Qx"))->subKey(QStringLiteral("настройки"));
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->value("N")->data, QByteArray("\x07\0\0\0", 4));
        EXPECT_EQ(s->value("Z")->data, QByteArray("a\r\nb").append('\0'));
    }
    // A bad line is counted in lines of any end.
    RegKey root(QStringLiteral("HKEY_CURRENT_USER"));
    int bad = 0;
    EXPECT_FALSE(RegistryText::read("[HKEY_CURRENT_USER]\r\r\n\n\ra=1\r", root, &bad));
    EXPECT_EQ(bad, 5);
}

// A reader that looked each value up among all before it took minutes here.
TEST(RegistryText, ReadsAKeyOfManyValuesFindingEachByName)
{
    constexpr int count = 100000;
    QByteArray text = "[HKEY_CURRENT_USER\\Big]\n";
    for (int i = 0; i < count; ++i)
        text += "\"v" + QByteArray::number(i) + "\"=dword:" + QByteArray::number(i, 16).rightJustified(8, '0') + '\n';
    text += "\"V77\"=dword:ffffffff\n";  // names compare without case: replaces v77 where it stands
    RegKey root(QStringLiteral("HKEY_CURRENT_USER"));
    ASSERT_TRUE(RegistryText::read(text, root));
    const RegKey* big = root.subKey(QStringLiteral("BIG"));
    ASSERT_NE(big, nullptr);
    ASSERT_EQ(big->values().size(), size_t(count));
    EXPECT_EQ(big->values()[77].name, QStringLiteral("v77"));
    EXPECT_EQ(big->values()[77].data, QByteArray("\xff\xff\xff\xff"));
    for (int i : {0, 1, 4096, count - 1})
        EXPECT_EQ(big->value(QStringLiteral("V%1").arg(i))->data, RegValue::dword({}, quint32(i)).data) << i;
    EXPECT_EQ(big->value(QStringLiteral("v%1").arg(count)), nullptr);
}

TEST(UserRegistry, StoreWithOtherLineEndsIsReadAndKept)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    writeFile(file, "[HKEY_CURRENT_USER\\Qx\\настройки]\r\"Playlist\"=\"/a.jpg\\r\\n\"\r\"N\"=dword:00000004\r");
    {
        TRegistry reg;
        EXPECT_EQ(reg.DamagedStoreMovedTo(), QString());
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
        EXPECT_EQ(reg.ReadInteger(QStringLiteral("N")), 4);
        reg.WriteInteger(QStringLiteral("N"), 5);
        reg.WriteString(QStringLiteral("Z"), QStringLiteral("2"));  // not a change of digits: rewritten
        reg.CloseKey();
    }
    const QByteArray now = readFile(file);
    EXPECT_TRUE(now.contains("\"Playlist\"=\"/a.jpg\\r\\n\"\n")) << now.toStdString();
    EXPECT_TRUE(now.contains("\"N\"=dword:00000005\n\"Z\"=\"2\"\n")) << now.toStdString();
}

// What cannot be read whole is moved aside before anything replaces it; a
// named pipe in the store's place must not block the reader either.
TEST(UserRegistry, StoreThatIsNotARegularFileIsMovedAsideWithoutBlocking)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    QDir().mkpath(QFileInfo(file).absolutePath());
    ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    TRegistry reg;
    const QString aside = reg.DamagedStoreMovedTo();
    ASSERT_FALSE(aside.isEmpty());
    EXPECT_TRUE(QFileInfo(aside).exists());
    EXPECT_FALSE(QFileInfo(aside).isFile());
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), true));
    reg.WriteInteger(QStringLiteral("N"), 1);
    reg.CloseKey();
    EXPECT_TRUE(readFile(file).contains("\"N\"=dword:00000001"));
}

// A commit removes the temporary file a killed commit of ours left, once no
// commit can still be writing it; every other file beside the store stays,
// whatever its name.
TEST(UserRegistry, CommitRemovesOnlyItsOwnStaleTemporaryFiles)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    writeFile(file, "[HKEY_CURRENT_USER\\Qx]\n\"N\"=dword:00000001\n");
    const QString ours = QStringLiteral("user.reg.") + QLatin1String(UserRegistry::kTemporaryTag);
    const QString stale = ours + "Ab12xY.tmp";
    const QString fresh = ours + "Zz09Qq.tmp";  // a commit may be writing it now
    const QStringList others = {"user.reg.backup", "user.reg.old001", "user.reg.2024ok", "user.reg.Ab12xY",
                                "user.reg.damaged-20260101-120000", ours + "Ab12x.tmp", ours + "Ab12xYZ.tmp",
                                ours + "Ab12xY", "x" + stale};
    const QDir folder(QFileInfo(file).absolutePath());
    const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const QString& name : others + QStringList{stale, fresh}) {
        writeFile(folder.filePath(name), "the user's");
        if (name != fresh)
            ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(folder.filePath(name)).constData(), anHourAgo, 0), 0);
    }
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), false));
        reg.WriteInteger(QStringLiteral("N"), 2);
        reg.CloseKey();
    }
    QStringList left = folder.entryList(QDir::Files);
    QStringList expected = others + QStringList{fresh, "user.reg", "user.reg.lock"};
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
    for (const QString& name : others)
        EXPECT_EQ(readFile(folder.filePath(name)), "the user's") << name.toStdString();
}

// A store that is a symbolic link is written through it: the file it leads
// to is replaced in its own folder or has its digits changed in place, a
// damaged one is moved aside there, and the link stays as it is.
TEST(UserRegistry, LinkedStoreIsWrittenThroughTheLink)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    const QString dotfiles = home.path() + QStringLiteral("/dotfiles");
    const QString target = dotfiles + QStringLiteral("/kaleidor.reg");
    writeFile(target, "[HKEY_CURRENT_USER\\Qx]\n\"N\"=dword:00000001\n");
    QDir().mkpath(QFileInfo(file).absolutePath());
    ASSERT_EQ(::symlink("../../dotfiles/kaleidor.reg", QFile::encodeName(file).constData()), 0);
    const auto commit = [](const std::function<void(TRegistry&)>& write) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), true));
        write(reg);
        reg.CloseKey();
    };
    const auto linkIntact = [&] {
        EXPECT_TRUE(QFileInfo(file).isSymLink());
        EXPECT_EQ(QFileInfo(file).symLinkTarget(), target);
    };
    commit([](TRegistry& reg) { reg.WriteInteger(QStringLiteral("N"), 2); });  // digits only
    linkIntact();
    EXPECT_TRUE(readFile(target).contains("\"N\"=dword:00000002\n"));
    commit([](TRegistry& reg) { reg.WriteString(QStringLiteral("Z"), QStringLiteral("5")); });  // rewritten
    linkIntact();
    EXPECT_TRUE(readFile(target).contains("\"N\"=dword:00000002\n\"Z\"=\"5\"\n")) << readFile(target).toStdString();
    EXPECT_EQ(QDir(dotfiles).entryList(QDir::Files), QStringList{"kaleidor.reg"});
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::System),
              QStringList({"user.reg", "user.reg.lock"}));

    writeFile(target, "damaged [[[\n");
    QString aside;
    commit([&](TRegistry& reg) {
        aside = reg.DamagedStoreMovedTo();
        reg.WriteInteger(QStringLiteral("N"), 1);
    });
    linkIntact();
    EXPECT_EQ(QFileInfo(aside).absolutePath(), dotfiles);
    EXPECT_EQ(readFile(aside), "damaged [[[\n");
    EXPECT_TRUE(readFile(target).contains("\"N\"=dword:00000001\n"));
}

// A number changed to a number of the same width has its digits overwritten
// in place; the file is neither replaced nor otherwise changed. Any other
// change, or a number written by hand in another form, rewrites the file.
TEST(UserRegistry, NumbersAreChangedInPlaceEverythingElseRewritesTheFile)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    const QByteArray text = "[HKEY_CURRENT_USER\\Qx]\n\"Playlist\"=\"/a.mp3\\r\\n\"\n\"N\"=dword:00000009\n"
                            "\"Hand\"=DWORD:0000000A\n";
    const auto inode = [&] {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
        return st.st_ino;
    };
    const struct {
        const char* what;
        std::function<void(TRegistry&)> write;
        bool inPlace;
        QByteArray now;  // the line that changed
    } cases[] = {
        {"a number", [](TRegistry& r) { r.WriteInteger(QStringLiteral("N"), 0x7fffffff); }, true,
         "\"N\"=dword:7fffffff\n"},
        {"a number written by hand", [](TRegistry& r) { r.WriteInteger(QStringLiteral("Hand"), 11); }, false,
         "\"Hand\"=dword:0000000b\n"},
        {"a number made a text", [](TRegistry& r) { r.WriteString(QStringLiteral("N"), QStringLiteral("9")); }, false,
         "\"N\"=\"9\"\n"},
        {"a new number", [](TRegistry& r) { r.WriteInteger(QStringLiteral("M"), 1); }, false,
         "\"M\"=dword:00000001\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(file, text);
        const ino_t before = inode();
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), false));
        c.write(reg);
        reg.CloseKey();
        const QByteArray now = readFile(file);
        EXPECT_TRUE(now.contains(c.now)) << now.toStdString();
        EXPECT_EQ(inode() == before, c.inPlace);
        if (c.inPlace)
            EXPECT_EQ(QByteArray(now).replace("7fffffff", "00000009"), text);
    }
}

// A copy of the program that remembered the store sees another copy's
// change of its digits however soon after its own it comes: the file's
// size and identity stay, only its times tell the versions apart.
TEST(UserRegistry, DigitsChangedInPlaceByAnotherCopyAreSeenAtOnce)
{
    TempConfigHome home;
    const auto count = [] {
        TRegistry reg;
        reg.LockStore();
        if (!reg.OpenKey(QStringLiteral("\\Qx"), true))
            return -1;
        const int n = reg.ValueExists(QStringLiteral("N")) ? reg.ReadInteger(QStringLiteral("N")) : 0;
        reg.WriteInteger(QStringLiteral("N"), n + 1);
        reg.CloseKey();
        return n;
    };
    count();
    constexpr int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        EXPECT_EQ(count(), 1 + 2 * round);  // this process remembers what it wrote
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(count() == 2 + 2 * round ? 0 : 1);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(count(), 1 + 2 * rounds);
}

// Large values are not remembered between reads: a later accessor still reads
// them whole, and commits that do not write them copy them from the file as
// it stands, wherever earlier commits moved them.
TEST(UserRegistry, RememberedStoreGivesLargeValuesWholeAndKeepsThem)
{
    TempConfigHome home;
    QString big;
    while (big.size() <= UserRegistry::kRememberedValueBytes)
        big += QStringLiteral("/дом/\"песня\" \\%1.mp3\r\n").arg(big.size());
    const auto commitValue = [](const QString& key, const QString& name, int value) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(key, true));
        reg.WriteInteger(name, value);
        reg.CloseKey();
    };
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.WriteString(QStringLiteral("Playlist"), big);
        reg.WriteInteger(QStringLiteral("N"), 1);
        reg.CloseKey();
    }
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
        reg.WriteInteger(QStringLiteral("N"), 2);  // seen by the read that must load the file whole
        EXPECT_EQ(reg.ReadString(QStringLiteral("Playlist")), big);
        EXPECT_EQ(reg.ReadInteger(QStringLiteral("N")), 2);
    }
    commitValue(QStringLiteral("\\Qx\\настройки"), QStringLiteral("N"), 3);
    // Values written before it in the file move the large value on.
    commitValue(QStringLiteral("\\Qx"), QStringLiteral("Before"), 7);
    commitValue(QStringLiteral("\\Qx\\настройки"), QStringLiteral("N"), 4);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("N")), 4);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Playlist")), big);
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), false));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("Before")), 7);
    // The file holds what a fresh write of the same values would.
    RegKey parsed;
    ASSERT_TRUE(RegistryText::read(readFile(UserRegistry::defaultPath()), parsed));
    EXPECT_EQ(RegistryText::write(parsed), readFile(UserRegistry::defaultPath()));
}

// A commit that would write the file as it is leaves it alone; any change
// replaces it.
TEST(UserRegistry, CommitThatChangesNothingLeavesTheFileAlone)
{
    TempConfigHome home;
    const QString big(int(UserRegistry::kRememberedValueBytes) + 10, u'ж');
    const auto commit = [&](int n) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.WriteString(QStringLiteral("Playlist"), big);
        reg.WriteInteger(QStringLiteral("N"), n);
        reg.CloseKey();
    };
    const auto inode = [] {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(UserRegistry::defaultPath()).constData(), &st), 0);
        return st.st_ino;
    };
    commit(1);
    const ino_t first = inode();
    commit(1);
    EXPECT_EQ(inode(), first);
    commit(2);
    EXPECT_NE(inode(), first);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("N")), 2);
    EXPECT_EQ(reg.ReadString(QStringLiteral("Playlist")), big);
}

// A large value kept as it was read stays as the file holds it, unmade,
// while the file is the one this process last saw; once another program has
// replaced or removed the file, the value is made and written.
TEST(UserRegistry, KeptLargeValueIsMadeOnlyWhenTheFileChangedElsewhere)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    QByteArray stored;
    while (stored.size() <= UserRegistry::kRememberedValueBytes)
        stored += "/дом/\"песня\" " + QByteArray::number(stored.size()) + ".mp3\n";
    const QByteArray made = "/made/by/the/program.mp3\r\n";
    int makes = 0;
    const auto keep = [&](int n) {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.KeepStringUtf8(QStringLiteral("Playlist"), [&] {
            ++makes;
            return made;
        });
        reg.WriteInteger(QStringLiteral("N"), n);
        reg.CloseKey();
    };
    const auto playlist = [] {
        TRegistry reg;
        EXPECT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false));
        return reg.ReadStringUtf8(QStringLiteral("Playlist"));
    };
    const auto writeStored = [&] {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.WriteStringUtf8(QStringLiteral("Playlist"), stored);
        reg.CloseKey();
    };
    writeStored();
    keep(1);
    keep(2);
    EXPECT_EQ(makes, 0);
    EXPECT_EQ(playlist(), stored);

    // Replaced by another program, with other line ends: no longer this
    // process' text, so the kept value is made.
    QByteArray text = readFile(file);
    text.replace("\n", "\r\n");
    writeFile(file + ".new", text);
    ASSERT_EQ(::rename(QFile::encodeName(file + ".new").constData(), QFile::encodeName(file).constData()), 0);
    keep(3);
    EXPECT_EQ(makes, 1);
    EXPECT_EQ(playlist(), made);

    // A small value is held whole, so it is simply written.
    keep(4);
    EXPECT_EQ(makes, 2);

    // Removed between the accessor's read and its commit.
    writeStored();
    makes = 0;
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true));
        reg.KeepStringUtf8(QStringLiteral("Playlist"), [&] {
            ++makes;
            return made;
        });
        ASSERT_TRUE(QFile::remove(file));
        reg.CloseKey();
    }
    EXPECT_EQ(makes, 1);
    EXPECT_EQ(playlist(), made);
}

// Another program's change to the file is seen however recently the file was
// read, and merged into the next commit.
TEST(UserRegistry, ChangeMadeElsewhereIsSeenAndMerged)
{
    TempConfigHome home;
    const QString file = UserRegistry::defaultPath();
    const auto readA = [] {
        TRegistry reg;
        EXPECT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), false));
        return reg.ReadInteger(QStringLiteral("A"));
    };
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), true));
        reg.WriteInteger(QStringLiteral("A"), 1);
        reg.CloseKey();  // what it wrote is remembered
    }
    EXPECT_EQ(readA(), 1);
    // Replaced whole by another program, with the same size.
    QByteArray text = readFile(file).replace("dword:00000001", "dword:00000002");
    writeFile(file + ".new", text);
    ASSERT_EQ(::rename(QFile::encodeName(file + ".new").constData(), QFile::encodeName(file).constData()), 0);
    EXPECT_EQ(readA(), 2);
    // Edited in place.
    writeFile(file, "[HKEY_CURRENT_USER\\Qx]\n\"A\"=dword:00000007\n\n");
    EXPECT_EQ(readA(), 7);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Qx"), false));
    writeFile(file, "[HKEY_CURRENT_USER\\Qx]\n\"A\"=dword:00000003\n\"C\"=dword:00000004\n");
    reg.WriteInteger(QStringLiteral("B"), 5);
    reg.CloseKey();
    const QByteArray now = readFile(file);
    EXPECT_TRUE(now.contains("\"A\"=dword:00000003\n\"C\"=dword:00000004\n\"B\"=dword:00000005\n")) << now.toStdString();
}
