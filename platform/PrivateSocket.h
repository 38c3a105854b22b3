#pragma once
// Local sockets that only the user's own processes reach: they live in a
// folder that is the user's alone, and each end checks the user id of the
// process at the other end.
#include "platform/Errors.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <sys/types.h>

class QSocketNotifier;
class QTimer;

// A socket, its folder or its lock is not the user's alone, or cannot be made.
class EPrivateSocketError : public Exception {
public:
    using Exception::Exception;
};

// The folder for the program's socket and lock: runtimeDir ($XDG_RUNTIME_DIR)
// when it is a folder of the user's with no rights for anyone else, else
// "kaleidor-<uid>" in tempDir, made with mode 0700. An existing folder there
// is used only when it is a real folder (no link) owned by the user with no
// rights for others. Raises EPrivateSocketError.
QString privateSocketFolder(const QString& runtimeDir, const QString& tempDir);
// The same for this process' environment.
QString privateSocketFolder();

// True when the process at the other end of a connected local socket runs as
// this process' user.
bool peerIsThisUser(int fd);

// An exclusive lock on a file of the user's own, held from tryLock until the
// object goes; the system drops it when the process ends, however it ends.
class InstanceLock {
public:
    // Opens (creating) the file; raises EPrivateSocketError when it is not a
    // plain file of the user's or cannot be opened. No link is followed.
    explicit InstanceLock(const QString& path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process holds the lock.
    bool tryLock();

private:
    int fd_ = -1;
};

// A listening local socket that hands out connections of the user's own
// processes only. Connections of other users are closed at once. A failing
// accept (no descriptors left, no memory) pauses accepting for a moment; the
// socket itself stays, so later starts still find it.
class PrivateListener : public QObject {
    Q_OBJECT
public:
    // Binds path and listens. A socket of the user's left at path by a copy
    // that ended without removing it is replaced; anything else there raises
    // EPrivateSocketError, as does a failing bind.
    explicit PrivateListener(const QString& path, QObject* parent = nullptr);
    // Removes the socket file, unless something else has taken its place.
    ~PrivateListener() override;

    // Starts handing out connections; needs the thread's event loop. Until
    // then, and while paused, connecting processes wait in the system's queue.
    void start();
    void setPaused(bool paused);

    // How long accepting rests after a failing accept.
    static constexpr int kRestMs = 250;

signals:
    // A connected, non-blocking socket; the receiver owns it.
    void accepted(int fd);

private:
    void acceptPending();
    void updateNotifier();

    int fd_ = -1;
    QString path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool paused_ = false;
    bool resting_ = false;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* rest_ = nullptr;
};

// A blocking connection to a PrivateListener; every step ends by a deadline.
class PrivateConnection {
public:
    PrivateConnection() = default;
    ~PrivateConnection();
    PrivateConnection(const PrivateConnection&) = delete;
    PrivateConnection& operator=(const PrivateConnection&) = delete;

    // Connects to path, trying again while nobody listens there yet or the
    // listener's queue is full; false when the deadline passes first. Raises
    // EPrivateSocketError when the listener runs as another user.
    bool connect(const QString& path, const QDeadlineTimer& deadline);
    bool writeAll(const QByteArray& bytes, const QDeadlineTimer& deadline);
    // One byte of the answer; false on the deadline or when the other end closed.
    bool readByte(char& byte, const QDeadlineTimer& deadline);

private:
    bool waitFor(short events, const QDeadlineTimer& deadline);

    int fd_ = -1;
};
