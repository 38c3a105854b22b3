// Files named at start: resolution of names, and the hand-over to a copy
// that already runs.
#include "app/NamedFiles.h"
#include "app/HandOverServer.h"
#include "app/SingleInstance.h"
#include "platform/PrivateSocket.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <future>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

template <class T>
bool ready(const std::future<T>& future)
{
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// A client of the running copy's socket that speaks raw bytes, as a hostile
// or broken program would.
class RawClient {
public:
    // Connects at once, or on connectNow() (its descriptor is taken now).
    explicit RawClient(const QString& path, bool now = true) : path_(path)
    {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (now)
            connectNow();
    }
    void connectNow()
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(path_);
        std::memcpy(address.sun_path, native.constData(), native.size());
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    void send(const QByteArray& bytes) const
    {
        // What does not fit the socket's buffer is simply not sent.
        [[maybe_unused]] ssize_t sent = ::send(fd_, bytes.constData(), bytes.size(), MSG_NOSIGNAL);
    }
    // 'A' answered, 'C' closed without an answer, 'O' still open.
    char state() const
    {
        char byte = 0;
        const ssize_t got = ::recv(fd_, &byte, 1, MSG_PEEK);
        return got == 1 ? 'A' : got == 0 || errno == ECONNRESET ? 'C' : 'O';
    }

private:
    QString path_;
    int fd_ = -1;
    bool connected_ = false;
};

QByteArray frame(const QByteArray& payload)
{
    QByteArray head(4, '\0');
    qToBigEndian(quint32(payload.size()), head.data());
    return head + payload;
}

int openDescriptors() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size()); }

// The running copy of a test, listening in a private folder of its own.
struct RunningCopy {
    QTemporaryDir dir;
    SingleInstance instance{dir.path()};
    QList<NamedFiles> received;
    QString socket() const { return dir.filePath(QStringLiteral("kaleidor.socket")); }

    RunningCopy()
    {
        EXPECT_EQ(instance.claim(), SingleInstance::Role::Running);
        instance.listen();
        QObject::connect(&instance, &SingleInstance::filesReceived, [this](const NamedFiles& f) { received << f; });
    }
    // A later start's hand-over, from another thread as from another process.
    std::future<bool> handOver(const NamedFiles& files, int connectMs = 2000) const
    {
        return std::async(std::launch::async, [path = dir.path(), files, connectMs] {
            return SingleInstance(path).handOver(files, connectMs);
        });
    }
};

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
    EXPECT_EQ(files.dropped, 0);
}

TEST(NamedFiles, MissingNamesMakeOneMessageWithALinePerName)
{
    EXPECT_EQ(missingFilesMessage({"a.jpg"}), QStringLiteral("Файл не найден:\ra.jpg"));
    EXPECT_EQ(missingFilesMessage({"a.jpg", "b.mp3"}), QStringLiteral("Файлы не найдены:\ra.jpg\rb.mp3"));
    // A name with line breaks in it stays one line.
    EXPECT_EQ(missingFilesMessage({"a\nb\rc.jpg"}), QStringLiteral("Файл не найден:\ra?b?c.jpg"));
    EXPECT_EQ(droppedFilesMessage(0), QString());
    EXPECT_EQ(droppedFilesMessage(7), QStringLiteral("Слишком много файлов сразу: не добавлено 7 (можно не больше 4096)."));
}

// 600 000 names on a command line, a name of 16 MB, names that together pass
// a megabyte: one start takes no more than one hand-over carries.
TEST(NamedFiles, OneStartTakesNoMoreThanTheLimits)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("a.jpg")));
    const QString longName(16 * 1024 * 1024, u'я');
    const QString pathOf1000(1000, u'd');

    struct Case {
        const char* what;
        QStringList arguments;
        qsizetype found, missing, dropped;
    } cases[] = {
        {"600 000 existing names", QStringList(600000, QStringLiteral("a.jpg")), kMaxNamedFiles, 0,
         600000 - kMaxNamedFiles},
        {"one name of 16 MB", {longName}, 0, 1, 0},
        // 1000-byte names: a megabyte holds 1048 of them.
        {"names past a megabyte", QStringList(2000, pathOf1000), 0, 1048, 2000 - 1048},
    };
    for (const Case& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const NamedFiles files = resolveNamedFiles(c.arguments, dir.path());
        EXPECT_LT(clock.elapsed(), 1000) << c.what;
        EXPECT_EQ(files.found.size(), c.found) << c.what;
        EXPECT_EQ(files.missing.size(), c.missing) << c.what;
        EXPECT_EQ(files.dropped, c.dropped) << c.what;
        for (const QString& name : files.missing)
            EXPECT_LE(name.toUtf8().size(), kMaxNameBytes) << c.what;
    }
    // The long name keeps both its ends.
    const QString kept = resolveNamedFiles({QStringLiteral("начало") + longName + QStringLiteral("конец")}, dir.path())
                             .missing.value(0);
    EXPECT_TRUE(kept.startsWith(QStringLiteral("начало")) && kept.endsWith(QStringLiteral("конец")));

    // Hand-overs merged while the last ones wait take no more either.
    NamedFiles merged;
    merged.add({QStringList(3000, "/f"), {"m"}, 2});
    merged.add({QStringList(3000, "/g"), {"n"}, 0});
    EXPECT_EQ(merged.found.size() + merged.missing.size(), kMaxNamedFiles);
    EXPECT_EQ(merged.dropped, 6002 - kMaxNamedFiles + 2);
}

TEST(SingleInstance, ALaterStartHandsItsFilesOrItsWishToSeeTheWindowOver)
{
    RunningCopy running;
    SingleInstance later(running.dir.path());
    EXPECT_EQ(later.claim(), SingleInstance::Role::Later);

    const NamedFiles sent{{"/p/a.jpg", QStringLiteral("/p/песня.mp3")}, {"gone.avi"}, 3};
    for (const NamedFiles& files : {sent, NamedFiles{}}) {
        auto handed = running.handOver(files);
        ASSERT_TRUE(waitFor([&] { return ready(handed); }, 10000));
        EXPECT_TRUE(handed.get());
    }
    ASSERT_TRUE(waitFor([&] { return running.received.size() == 2; }));
    EXPECT_EQ(running.received[0].found, sent.found);
    EXPECT_EQ(running.received[0].missing, sent.missing);
    EXPECT_EQ(running.received[0].dropped, 3);
    EXPECT_TRUE(running.received[1].isEmpty());
}

// The first copy holds the lock and its socket from its first moment, but
// answers only once its event loop runs: a start a moment later waits for it
// instead of becoming a second copy.
TEST(SingleInstance, AStartAMomentAfterTheFirstWaitsForIt)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    ASSERT_EQ(first.claim(), SingleInstance::Role::Running);
    NamedFiles received;
    QObject::connect(&first, &SingleInstance::filesReceived, [&](const NamedFiles& f) { received = f; });

    SingleInstance second(dir.path());
    ASSERT_EQ(second.claim(), SingleInstance::Role::Later);
    auto handed = std::async(std::launch::async, [&] { return second.handOver({{"/a.jpg"}, {}}); });
    QThread::msleep(500);  // the first copy is still coming up
    first.listen();
    ASSERT_TRUE(waitFor([&] { return ready(handed); }, 10000));
    EXPECT_TRUE(handed.get());
    ASSERT_TRUE(waitFor([&] { return !received.found.isEmpty(); }));
    EXPECT_EQ(received.found, QStringList{"/a.jpg"});
}

TEST(SingleInstance, TheNextCopyReplacesOnlyItsOwnLeftoverSocket)
{
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("kaleidor.socket"));
    {
        // A copy that ended without removing its socket.
        SingleInstance crashed(dir.path());
        ASSERT_EQ(crashed.claim(), SingleInstance::Role::Running);
        ASSERT_EQ(::link(QFile::encodeName(socket).constData(), QFile::encodeName(socket + ".kept").constData()), 0);
    }
    ASSERT_TRUE(QFile::rename(socket + ".kept", socket));
    {
        SingleInstance next(dir.path());
        EXPECT_EQ(next.claim(), SingleInstance::Role::Running);
    }
    EXPECT_FALSE(QFile::exists(socket)) << "a copy removes its socket when it ends";

    // A file that is no socket of ours is left alone, and the lock goes with
    // the failure so that later starts do not wait for this one.
    touch(socket);
    SingleInstance blocked(dir.path());
    EXPECT_THROW(blocked.claim(), EPrivateSocketError);
    EXPECT_TRUE(QFile::exists(socket));
    SingleInstance after(dir.path());
    EXPECT_THROW(after.claim(), EPrivateSocketError);
}

TEST(SingleInstance, NoAnswerMeansNoHandOver)
{
    QTemporaryDir dir;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(SingleInstance(dir.path()).handOver({{"/a.jpg"}, {}}, 300));
    EXPECT_LT(clock.elapsed(), 3000);
}

// Frames past the limits are refused before anything is kept for them, and
// refused clients get no answer.
TEST(SingleInstance, RefusesFramesPastTheLimits)
{
    RunningCopy running;
    QByteArray manyNames;
    for (int i = 0; i <= kMaxNamedFiles; ++i)
        manyNames += QByteArray("F/x\0", 4);
    const QByteArray longName = 'M' + QByteArray(kMaxNameBytes + 1, 'x') + '\0';
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"a frame that claims 16 MB", QByteArray("\x01\x00\x00\x00", 4) + QByteArray(64, 'F')},
        {"a frame that claims 2 GiB", QByteArray("\x7f\xff\xff\xff", 4) + QByteArray(64, 'F')},
        {"4097 names", frame(manyNames)},
        {"a name of 4097 bytes", frame(longName)},
        {"no list of names", frame(QByteArray("Xjunk\0", 6))},
        {"a name without its end", frame("Fa.jpg")},
        {"a bad count", frame(QByteArray("D-5\0", 4))},
    };
    std::vector<std::unique_ptr<RawClient>> clients;
    for (const auto& c : cases) {
        clients.push_back(std::make_unique<RawClient>(running.socket()));
        ASSERT_TRUE(clients.back()->connected()) << c.what;
        clients.back()->send(c.bytes);
    }
    for (size_t i = 0; i < clients.size(); ++i)
        EXPECT_TRUE(waitFor([&] { return clients[i]->state() == 'C'; }, 1500)) << cases[i].what;
    EXPECT_TRUE(running.received.isEmpty());
}

// Clients that send part of a frame and go silent: at most sixteen are served
// at a time, each is dropped after two seconds, and the rest wait.
TEST(SingleInstance, ServesFewClientsAtATimeAndDropsTheSilentOnes)
{
    RunningCopy running;
    waitFor([] { return false; }, 100);  // the server's thread is up
    const int before = openDescriptors();
    const QByteArray part = frame(QByteArray(900 * 1024, 'F')).left(64 * 1024);
    std::vector<std::unique_ptr<RawClient>> silent;
    for (int i = 0; i < 40; ++i) {
        silent.push_back(std::make_unique<RawClient>(running.socket()));
        ASSERT_TRUE(silent.back()->connected());
        silent.back()->send(part);
    }
    waitFor([] { return false; }, 500);
    // Our own 40 ends and at most 16 served ones.
    EXPECT_LE(openDescriptors() - before, 40 + HandOverServer::kMaxClients);
    EXPECT_EQ(silent[0]->state(), 'O');
    EXPECT_TRUE(waitFor([&] { return silent[0]->state() == 'C'; }, 5000));
    silent.clear();

    auto handed = running.handOver({{"/a.jpg"}, {}});
    ASSERT_TRUE(waitFor([&] { return ready(handed); }, 12000));
    EXPECT_TRUE(handed.get());
}

// A copy that runs out of descriptors goes on listening: the socket stays and
// a later start is served once descriptors are free again.
TEST(SingleInstance, KeepsListeningWhenDescriptorsRunOut)
{
    RunningCopy running;
    // One hand-over first: the sanitizers check a type's first use with a
    // pipe, which a process without descriptors cannot make.
    auto first = running.handOver({{"/first.jpg"}, {}});
    ASSERT_TRUE(waitFor([&] { return ready(first) && running.received.size() == 1; }, 10000));
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 12; ++i)
        idle.push_back(std::make_unique<RawClient>(running.socket(), false));
    rlimit old{};
    ::getrlimit(RLIMIT_NOFILE, &old);
    rlimit low = old;
    low.rlim_cur = openDescriptors() + 2;
    ::setrlimit(RLIMIT_NOFILE, &low);
    for (const auto& client : idle) {
        client->connectNow();
        ASSERT_TRUE(client->connected());
    }
    waitFor([] { return false; }, 600);  // accepting fails for want of descriptors
    ::setrlimit(RLIMIT_NOFILE, &old);

    EXPECT_TRUE(QFile::exists(running.socket()));
    auto handed = running.handOver({{"/a.jpg"}, {}});
    ASSERT_TRUE(waitFor([&] { return ready(handed); }, 12000));
    EXPECT_TRUE(handed.get());
    EXPECT_TRUE(waitFor([&] { return running.received.size() == 2; }));
}
