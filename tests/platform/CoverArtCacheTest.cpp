// The cover file the desktop's media controls read: one at a time, in the
// program's own folder, written through no symbolic link.
#include "platform/CoverArtCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

TEST(CoverArtCache, KeepsOneCoverFileWhileItIsWanted)
{
    QTemporaryDir root;
    const QString folder = root.path() + "/kaleidor/covers";
    QString second;
    {
        CoverArtCache cache(root.path());
        const QString first = QUrl(cache.urlFor("first cover", "jpg")).toLocalFile();
        EXPECT_EQ(QFileInfo(first).absolutePath(), folder);
        EXPECT_EQ(contents(first), "first cover");
        EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
        EXPECT_EQ(QUrl(cache.urlFor("first cover", "jpg")).toLocalFile(), first);

        second = QUrl(cache.urlFor("second cover", "png")).toLocalFile();
        EXPECT_NE(second, first);
        EXPECT_EQ(contents(second), "second cover");
        EXPECT_FALSE(QFile::exists(first));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(second).fileName()});
    }
    EXPECT_FALSE(QFile::exists(second));  // gone with the cache
}

TEST(CoverArtCache, WritesThroughNoLinkAndIntoNoFolderButItsOwn)
{
    const QByteArray cover("cover bytes");
    const QString name = QStringLiteral("%1-%2.png").arg(::getpid()).arg(
        QString::fromLatin1(QCryptographicHash::hash(cover, QCryptographicHash::Sha1).toHex()));

    {  // The program's folder is a link elsewhere: nothing is written there.
        QTemporaryDir root, elsewhere;
        ASSERT_TRUE(QFile::link(elsewhere.path(), root.path() + "/kaleidor"));
        EXPECT_TRUE(CoverArtCache(root.path()).urlFor(cover, "png").isEmpty());
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    }
    {  // A link stands at the cover's name: it is replaced, what it points to is not touched.
        QTemporaryDir root, elsewhere;
        ASSERT_TRUE(QDir().mkpath(root.path() + "/kaleidor/covers"));
        const QString victim = elsewhere.path() + "/precious";
        ASSERT_TRUE(writeFile(victim, "precious"));
        ASSERT_TRUE(QFile::link(victim, root.path() + "/kaleidor/covers/" + name));
        CoverArtCache cache(root.path());
        const QString written = QUrl(cache.urlFor(cover, "png")).toLocalFile();
        EXPECT_EQ(written, root.path() + "/kaleidor/covers/" + name);
        EXPECT_FALSE(QFileInfo(written).isSymLink());
        EXPECT_EQ(contents(written), cover);
        EXPECT_EQ(contents(victim), "precious");
    }
    {  // A suffix that is no format's name is no file name either.
        QTemporaryDir root;
        EXPECT_TRUE(CoverArtCache(root.path()).urlFor(cover, "../../x").isEmpty());
        EXPECT_FALSE(QFile::exists(root.path() + "/x"));
    }
    if (::geteuid() == 0) {  // Another user's folder in its place.
        QTemporaryDir root;
        ASSERT_TRUE(QDir().mkpath(root.path() + "/kaleidor"));
        ASSERT_EQ(::chown(QFile::encodeName(root.path() + "/kaleidor").constData(), 65534, 65534), 0);
        EXPECT_TRUE(CoverArtCache(root.path()).urlFor(cover, "png").isEmpty());
        EXPECT_FALSE(QFile::exists(root.path() + "/kaleidor/covers"));
    }
}

TEST(CoverArtCache, RemovesTheCoversOfProgramsThatEnded)
{
    QTemporaryDir root;
    const QString folder = root.path() + "/kaleidor/covers/";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString hash(40, u'a');
    // No process has a number this large; process 1 runs as long as the machine.
    const QString ended = folder + "999999999-" + hash + ".jpg";
    const QString halfWritten = folder + ".999999999-" + hash + ".png.1f2e";
    const QString running = folder + "1-" + hash + ".jpg";
    const QString notOurs = folder + "notes.txt";
    for (const QString& path : {ended, halfWritten, running, notOurs})
        ASSERT_TRUE(writeFile(path, "x"));

    CoverArtCache cache(root.path());
    EXPECT_FALSE(cache.urlFor("cover", "png").isEmpty());
    EXPECT_FALSE(QFile::exists(ended));
    EXPECT_FALSE(QFile::exists(halfWritten));
    EXPECT_TRUE(QFile::exists(running));
    EXPECT_TRUE(QFile::exists(notOurs));
}
