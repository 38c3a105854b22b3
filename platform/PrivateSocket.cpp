#include "PrivateSocket.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString systemError(const QString& what, const QString& path)
{
    return QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(errno)));
}

// Owned by the user, readable, writable and searchable by nobody else.
bool usersAlone(const struct stat& st) { return st.st_uid == ::getuid() && (st.st_mode & 077) == 0; }

bool isPrivateFolder(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && usersAlone(st);
}

bool socketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray native = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || size_t(native.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, native.constData(), native.size());
    return true;
}

}  // namespace

QString privateSocketFolder(const QString& runtimeDir, const QString& tempDir)
{
    if (!runtimeDir.isEmpty() && isPrivateFolder(QFile::encodeName(runtimeDir)))
        return runtimeDir;
    const QString own = QDir(tempDir).filePath(QStringLiteral("kaleidor-%1").arg(::getuid()));
    const QByteArray native = QFile::encodeName(own);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw EPrivateSocketError(systemError(QStringLiteral("Не удалось создать папку"), own));
    // Whoever made it first, only a folder that is ours alone is used: a
    // folder another user made would let that user take our files.
    if (!isPrivateFolder(native))
        throw EPrivateSocketError(QStringLiteral("Папка %1 принадлежит не только этому пользователю").arg(own));
    return own;
}

QString privateSocketFolder()
{
    return privateSocketFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), QDir::tempPath());
}

bool peerIsThisUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer
           && peer.uid == ::getuid();
}

InstanceLock::InstanceLock(const QString& path)
{
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0)
        throw EPrivateSocketError(systemError(QStringLiteral("Не удалось открыть"), path));
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) {
        ::close(fd_);
        fd_ = -1;
        throw EPrivateSocketError(QStringLiteral("Файл %1 не принадлежит этому пользователю").arg(path));
    }
}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_);  // closing releases the lock
}

bool InstanceLock::tryLock()
{
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return false;
        if (errno != EINTR)
            throw EPrivateSocketError(QStringLiteral("Не удалось заблокировать файл: %1")
                                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    return true;
}

PrivateListener::PrivateListener(const QString& path, QObject* parent) : QObject(parent), path_(path)
{
    sockaddr_un address;
    if (!socketAddress(path, address))
        throw EPrivateSocketError(QStringLiteral("Слишком длинное имя сокета: %1").arg(path));
    struct stat st {};
    if (::lstat(address.sun_path, &st) == 0) {
        // Only a socket of ours is a leftover of a copy that ended without
        // removing it; anything else is not ours to delete.
        if (!S_ISSOCK(st.st_mode) || st.st_uid != ::getuid())
            throw EPrivateSocketError(QStringLiteral("На месте сокета лежит чужой файл: %1").arg(path));
        ::unlink(address.sun_path);
    }
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0)
        throw EPrivateSocketError(systemError(QStringLiteral("Не удалось создать сокет"), path));
    // The kernel queues this many connecting processes while the program is
    // busy or paused; further ones wait in connect until there is room.
    constexpr int kBacklog = 64;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(fd_, kBacklog) != 0 || ::lstat(address.sun_path, &st) != 0) {
        const QString message = systemError(QStringLiteral("Не удалось открыть сокет"), path);
        ::close(fd_);
        fd_ = -1;
        throw EPrivateSocketError(message);
    }
    device_ = st.st_dev;
    inode_ = st.st_ino;
}

PrivateListener::~PrivateListener()
{
    delete notifier_;
    ::close(fd_);
    const QByteArray native = QFile::encodeName(path_);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
        ::unlink(native.constData());
}

void PrivateListener::start()
{
    if (notifier_)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &PrivateListener::acceptPending);
    rest_ = new QTimer(this);
    rest_->setSingleShot(true);
    rest_->setInterval(kRestMs);
    connect(rest_, &QTimer::timeout, this, [this] {
        resting_ = false;
        updateNotifier();
    });
    updateNotifier();
}

void PrivateListener::setPaused(bool paused)
{
    paused_ = paused;
    updateNotifier();
}

void PrivateListener::updateNotifier()
{
    if (notifier_)
        notifier_->setEnabled(!paused_ && !resting_);
}

void PrivateListener::acceptPending()
{
    while (!paused_ && !resting_) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors or memory: the connection stays queued and
            // is taken once something has been freed.
            resting_ = true;
            updateNotifier();
            rest_->start();
            return;
        }
        if (!peerIsThisUser(client)) {
            ::close(client);
            continue;
        }
        emit accepted(client);
    }
}

PrivateConnection::~PrivateConnection()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool PrivateConnection::connect(const QString& path, const QDeadlineTimer& deadline)
{
    sockaddr_un address;
    if (!socketAddress(path, address))
        throw EPrivateSocketError(QStringLiteral("Слишком длинное имя сокета: %1").arg(path));
    for (;;) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd_ < 0)
            throw EPrivateSocketError(systemError(QStringLiteral("Не удалось создать сокет"), path));
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        // Not there yet, a leftover nobody listens on, or a full queue: the
        // copy that holds the lock is about to listen or to take the queue.
        if (error != ENOENT && error != ECONNREFUSED && error != EAGAIN && error != EINTR)
            return false;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    if (!peerIsThisUser(fd_))
        throw EPrivateSocketError(QStringLiteral("Сокет %1 открыт процессом другого пользователя").arg(path));
    return true;
}

bool PrivateConnection::waitFor(short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd entry{fd_, events, 0};
        const qint64 left = deadline.remainingTime();
        const int ready = ::poll(&entry, 1, left < 0 ? -1 : int(std::min<qint64>(left, 1000000)));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool PrivateConnection::writeAll(const QByteArray& bytes, const QDeadlineTimer& deadline)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::send(fd_, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (written > 0) {
            done += written;
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (!waitFor(POLLOUT, deadline))
            return false;
    }
    return true;
}

bool PrivateConnection::readByte(char& byte, const QDeadlineTimer& deadline)
{
    for (;;) {
        const ssize_t got = ::recv(fd_, &byte, 1, 0);
        if (got == 1)
            return true;
        if (got == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
        if (!waitFor(POLLIN, deadline))
            return false;
    }
}
