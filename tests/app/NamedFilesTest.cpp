// Files named at start: resolution of names, and the hand-over to a copy
// that already runs.
#include "app/NamedFiles.h"
#include "app/SingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <future>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

}  // namespace

TEST(NamedFiles, ResolvesNamesAsTheUserGaveThem)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString d = dir.path();
    QDir().mkpath(d + QStringLiteral("/sub"));
    touch(d + QStringLiteral("/a.jpg"));
    touch(d + QStringLiteral("/sub/b c.mp3"));
    touch(d + QStringLiteral("/песня.mp3"));

    const NamedFiles files = resolveNamedFiles(
        {QStringLiteral("a.jpg"), QStringLiteral("./sub/../sub/b c.mp3"), d + QStringLiteral("/a.jpg"),
         QStringLiteral("file://") + d + QStringLiteral("/%D0%BF%D0%B5%D1%81%D0%BD%D1%8F.mp3"),
         QStringLiteral("gone.avi"), QStringLiteral("http://example.org/x.mp3"), QStringLiteral("sub")},
        d);
    EXPECT_EQ(files.found, (QStringList{d + "/a.jpg", d + "/sub/b c.mp3", d + "/a.jpg", d + QStringLiteral("/песня.mp3"),
                                        d + "/sub"}));
    EXPECT_EQ(files.missing, (QStringList{"gone.avi", "http://example.org/x.mp3"}));
}

TEST(NamedFiles, MissingNamesMakeOneMessage)
{
    EXPECT_EQ(missingFilesMessage({"a.jpg"}), QStringLiteral("Файл не найден:\ra.jpg"));
    EXPECT_EQ(missingFilesMessage({"a.jpg", "b.mp3"}), QStringLiteral("Файлы не найдены:\ra.jpg\rb.mp3"));
}

TEST(SingleInstance, ARunningCopyTakesTheFiles)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("k.socket"));
    SingleInstance running(socket);
    ASSERT_TRUE(running.listen());
    NamedFiles received;
    QObject::connect(&running, &SingleInstance::filesReceived, [&](const NamedFiles& f) { received = f; });

    // The later start blocks while it waits for the answer: it runs beside
    // the running copy's event loop, as another process would.
    const NamedFiles sent{{"/p/a.jpg", QStringLiteral("/p/песня.mp3")}, {"gone.avi"}};
    auto handed = std::async(std::launch::async, [&] { return SingleInstance(socket).handOver(sent); });
    ASSERT_TRUE(waitFor([&] { return handed.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
    EXPECT_TRUE(handed.get());
    EXPECT_EQ(received.found, sent.found);
    EXPECT_EQ(received.missing, sent.missing);
}

TEST(SingleInstance, NoRunningCopyMeansNoHandOver)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("k.socket"));
    EXPECT_FALSE(SingleInstance(socket).handOver({{"/a.jpg"}, {}}, 500));
    // A socket file left by a copy that crashed does not keep the next one
    // from listening.
    touch(socket);
    EXPECT_FALSE(SingleInstance(socket).handOver({{"/a.jpg"}, {}}, 500));
    SingleInstance next(socket);
    EXPECT_TRUE(next.listen());
}

TEST(SingleInstance, GarbageFromAClientIsDropped)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("k.socket"));
    SingleInstance running(socket);
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &SingleInstance::filesReceived);

    // A frame that claims 2 GiB, then one whose body is not a list of names.
    auto send = [&](const QByteArray& bytes) {
        return std::async(std::launch::async, [&socket, bytes] {
            QLocalSocket client;
            client.connectToServer(socket);
            if (!client.waitForConnected(2000))
                return false;
            client.write(bytes);
            client.waitForBytesWritten(2000);
            client.waitForReadyRead(1000);
            return client.bytesAvailable() > 0;
        });
    };
    auto huge = send(QByteArray("\x7f\xff\xff\xff", 4) + QByteArray(64, 'x'));
    const QByteArray notAList = QByteArray("\0\0\0\x06", 4) + QByteArray("Xjunk\0", 6);
    auto junk = send(notAList);
    ASSERT_TRUE(waitFor([&] {
        return huge.wait_for(std::chrono::seconds(0)) == std::future_status::ready
               && junk.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }, 10000));
    EXPECT_FALSE(huge.get());
    EXPECT_FALSE(junk.get());
    EXPECT_EQ(received.count(), 0);
}
