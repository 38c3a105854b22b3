#pragma once
// Helpers the tests share.
#include <QPoint>
#include <QString>
#include <QTemporaryDir>
#include <functional>

#include <sys/resource.h>

class QWidget;

// What a modal box showed before the test closed it.
struct SeenBox {
    QString caption;
    QString text;
    QString objectName;
};

// Arms a watcher that closes the next modal window (error box, message
// dialog) as soon as it appears and records what it showed. Call before the
// code that opens the box; read seen() afterwards.
class ModalWatcher {
public:
    ModalWatcher();
    ~ModalWatcher();
    const QList<SeenBox>& seen() const;

private:
    struct State;
    State* state_;
};

// Points $XDG_CONFIG_HOME (and $HOME) at a fresh temporary folder for the
// lifetime of the object, so tests never touch the user's own settings.
class TempConfigHome {
public:
    TempConfigHome();
    ~TempConfigHome();
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray oldXdg_, oldHome_;
};

// Runs body in a forked child process with the rights of an ordinary user
// (nobody when the tests run as root) and returns its exit code; -1 when the
// child could not run. Only for bodies that start no threads.
int runAsOrdinaryUser(const std::function<int()>& body);

// Processes events for up to ms milliseconds or until done() is true.
bool waitFor(const std::function<bool()>& done, int ms = 5000);

// Makes every file write of this process past `bytes` fail, as a full disk
// does (tests run as root, who ignores permission bits).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// A private session bus (its own dbus-daemon) for the lifetime of the
// object; $DBUS_SESSION_BUS_ADDRESS points at it. Make it before the first
// use of the session bus in the process.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    bool isRunning() const { return !address_.isEmpty(); }
    QString address() const { return address_; }

private:
    qint64 pid_ = 0;
    QString address_;
    QByteArray oldAddress_;
};

// Runs a command to its end (events go on meanwhile); its standard output,
// or "<failed: …>" with the error output.
QString runCommand(const QString& program, const QStringList& arguments, int ms = 10000);

// Drags with the real pointer (xdotool) from a screen point by delta, in a
// few steps as a hand would, and lets go.
void dragWithPointer(QPoint from, QPoint delta);
