// Sockets only the user's own processes reach: the folder they live in, and
// the user id each end checks of the other.
#include "platform/PrivateSocket.h"

#include "TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::lstat(native(path).constData(), &st);
    return st.st_mode & 07777;
}

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native(path).constData(), native(path).size());
    return address;
}

// A shared temporary folder as /tmp is: everyone may make things in it.
struct SharedTemp {
    QTemporaryDir dir;
    SharedTemp() { ::chmod(native(dir.path()).constData(), 01777); }
    QString own() const { return dir.filePath(QStringLiteral("kaleidor-%1").arg(::getuid())); }
};

}  // namespace

TEST(PrivateSocketFolder, TheRuntimeFolderOrAFolderOfOurOwnThatIsOursAlone)
{
    QTemporaryDir runtime;  // made with mode 0700
    SharedTemp temp;
    EXPECT_EQ(privateSocketFolder(runtime.path(), temp.dir.path()), runtime.path());

    // A runtime folder others may enter is not used; our own folder is made.
    ::chmod(native(runtime.path()).constData(), 0755);
    for (const QString& unusable : {runtime.path(), QString(), QStringLiteral("/nonexistent")}) {
        EXPECT_EQ(privateSocketFolder(unusable, temp.dir.path()), temp.own());
        EXPECT_EQ(modeOf(temp.own()), 0700u);
    }
}

// Whatever waits under our folder's name, made by us or by another user, is
// used only when it is a real folder of ours with no rights for anyone else.
TEST(PrivateSocketFolder, RefusesWhatSomeoneElseCouldHaveMadeOrEnter)
{
    QTemporaryDir target;
    const struct {
        const char* what;
        std::function<bool(const QString& own)> make;
    } cases[] = {
        {"a folder others may enter", [](const QString& own) { return ::mkdir(native(own).constData(), 0755) == 0; }},
        {"a link to a folder of ours",
         [&](const QString& own) { return ::symlink(native(target.path()).constData(), native(own).constData()) == 0; }},
        {"a plain file", [](const QString& own) { return QFile(own).open(QIODevice::WriteOnly); }},
        {"a folder another user made first", [](const QString& own) {
             return runAsOrdinaryUser([&] { return ::mkdir(native(own).constData(), 0700) == 0 ? 0 : 1; }) == 0;
         }},
    };
    for (const auto& c : cases) {
        SharedTemp temp;
        ASSERT_TRUE(c.make(temp.own())) << c.what;
        EXPECT_THROW(privateSocketFolder(QString(), temp.dir.path()), EPrivateSocketError) << c.what;
    }
}

TEST(InstanceLock, OneHolderAtATimeAndNoLinkFollowed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("k.lock"));
    {
        InstanceLock first(path);
        ASSERT_TRUE(first.tryLock());
        InstanceLock second(path);
        EXPECT_FALSE(second.tryLock());
    }
    InstanceLock again(path);
    EXPECT_TRUE(again.tryLock()) << "the lock goes with its holder";

    const QString link = dir.filePath(QStringLiteral("link.lock"));
    ASSERT_EQ(::symlink(native(path).constData(), native(link).constData()), 0);
    EXPECT_THROW(InstanceLock{link}, EPrivateSocketError);
}

// Runs body in a child process as nobody while this one goes on with its
// events; the child's exit code, -1 when it did not end in time.
int runAsNobodyBeside(const std::function<int()>& body, int ms = 10000)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(125);
        ::_exit(body());
    }
    int status = 0;
    const bool ended = waitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, ms);
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A listener takes no connection of another user's process, and a client
// talks to no listener of another user's.
TEST(PrivateListener, EachEndRefusesAnotherUser)
{
    QTemporaryDir dir;
    ::chmod(native(dir.path()).constData(), 0777);
    const QString path = dir.filePath(QStringLiteral("k.socket"));
    {
        PrivateListener listener(path);
        ::chmod(native(path).constData(), 0777);
        listener.start();
        QSignalSpy accepted(&listener, &PrivateListener::accepted);
        // 0: the listener closed the connection at once. The client is a
        // raw one: ours would not even talk to a listener of another user.
        EXPECT_EQ(runAsNobodyBeside([&] {
                      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                      const sockaddr_un address = addressOf(path);
                      if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                          return 2;
                      timeval patience{3, 0};
                      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
                      char byte = 0;
                      return int(::recv(fd, &byte, 1, 0)) == 0 ? 0 : 3;
                  }),
                  0);
        EXPECT_EQ(accepted.count(), 0);
        PrivateConnection own;
        ASSERT_TRUE(own.connect(path, QDeadlineTimer(2000)));
        ASSERT_TRUE(waitFor([&] { return accepted.count() == 1; }));
        ::close(accepted.at(0).at(0).toInt());
    }

    // Another user's listener in a folder we may enter.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un address = addressOf(path);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)
            ::_exit(1);
        [[maybe_unused]] ssize_t w = ::write(ready[1], "r", 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    PrivateConnection connection;
    EXPECT_THROW(connection.connect(path, QDeadlineTimer(2000)), EPrivateSocketError);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}
