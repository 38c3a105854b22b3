#include "TestSupport.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>

struct ModalWatcher::State {
    QTimer timer;
    QList<SeenBox> seen;
};

ModalWatcher::ModalWatcher() : state_(new State)
{
    state_->timer.setInterval(10);
    QObject::connect(&state_->timer, &QTimer::timeout, [s = state_] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        SeenBox box;
        box.caption = modal->windowTitle();
        box.objectName = modal->objectName();
        box.text = modal->property("text").toString();
        s->seen.append(box);
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(0);
        else
            modal->close();
    });
    state_->timer.start();
}

ModalWatcher::~ModalWatcher() { delete state_; }

const QList<SeenBox>& ModalWatcher::seen() const { return state_->seen; }

TempConfigHome::TempConfigHome() : oldXdg_(qgetenv("XDG_CONFIG_HOME")), oldHome_(qgetenv("HOME"))
{
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8() + "/config");
    qputenv("HOME", dir_.path().toUtf8());
}

TempConfigHome::~TempConfigHome()
{
    if (oldXdg_.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldXdg_);
    qputenv("HOME", oldHome_);
}

bool waitFor(const std::function<bool()>& done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

PrivateSessionBus::PrivateSessionBus() : oldAddress_(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
{
    QProcess daemon;
    daemon.setProgram(QStringLiteral("dbus-daemon"));
    daemon.setArguments({QStringLiteral("--session"), QStringLiteral("--fork"), QStringLiteral("--print-address=1"),
                         QStringLiteral("--print-pid=1")});
    daemon.start();
    if (!daemon.waitForFinished(10000) || daemon.exitCode() != 0)
        return;
    const QStringList lines = QString::fromUtf8(daemon.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() < 2)
        return;
    address_ = lines[0].trimmed();
    pid_ = lines[1].trimmed().toLongLong();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (pid_ > 0)
        ::kill(pid_t(pid_), SIGTERM);
    if (oldAddress_.isEmpty())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", oldAddress_);
}

QString runCommand(const QString& program, const QStringList& arguments, int ms)
{
    QProcess process;
    process.start(program, arguments);
    // The command may call back into this process, whose events must go on.
    const bool done = waitFor([&] { return process.state() == QProcess::NotRunning; }, ms);
    if (!done || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(1000);
        return QStringLiteral("<failed: ") + QString::fromUtf8(process.readAllStandardError()) + u'>';
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

int runAsOrdinaryUser(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(125);
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

void dragWithPointer(QPoint from, QPoint delta)
{
    auto xdotool = [](const QStringList& args) {
        EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0) << args.join(' ').toStdString();
    };
    auto moveTo = [&](QPoint p) {
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
        EXPECT_TRUE(waitFor([p] { return QCursor::pos() == p; }));
    };
    // The button state changes once the program has taken the press or release.
    auto button = [&](const char* action, bool down) {
        xdotool({action, "1"});
        EXPECT_TRUE(waitFor([down] { return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton) == down; }));
    };
    moveTo(from);
    button("mousedown", true);
    // Several steps, as a hand would move.
    for (int i = 1; i <= 4; ++i)
        moveTo(from + delta * i / 4);
    button("mouseup", false);
}
