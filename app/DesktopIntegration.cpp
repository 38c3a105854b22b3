#include "DesktopIntegration.h"

#include "Playlist.h"
#include "TForm1.h"
#include "media/TForm2.h"
#include "media/TForm8.h"
#include "windowing/ErrorBox.h"
#include "windowing/SafeCall.h"

namespace {
// The media controls learn of changes made inside the windows (a click on
// the bar, a new file launched) on this beat.
constexpr int kRefreshMs = 1000;

void showMainWindow()
{
    Form1->show();
    Form1->raise();
    Form1->activateWindow();
}
}  // namespace

DesktopIntegration::DesktopIntegration(SingleInstance* instance, QObject* parent) : QObject(parent)
{
    if (!instance)
        return;
    connect(instance, &SingleInstance::filesReceived, this, &DesktopIntegration::take);
    instance->listen();
}

DesktopIntegration::~DesktopIntegration() = default;

void DesktopIntegration::take(const NamedFiles& files)
{
    pending_.add(files);
    hasPending_ = true;
    // Opened once the hand-over is done: a message box must not run its loop
    // inside the socket's notice.
    QMetaObject::invokeMethod(this, &DesktopIntegration::openPending, Qt::QueuedConnection);
}

void DesktopIntegration::openPending()
{
    // One at a time: hand-overs that come while a message about the last
    // ones is open wait for it to close.
    if (!started_ || opening_ || !hasPending_)
        return;
    const NamedFiles files = std::exchange(pending_, {});
    hasPending_ = false;
    opening_ = true;
    showMainWindow();
    openFiles(files);
    opening_ = false;
    if (hasPending_)
        QMetaObject::invokeMethod(this, &DesktopIntegration::openPending, Qt::QueuedConnection);
}

void DesktopIntegration::start(const NamedFiles& files)
{
    NowPlaying::Commands commands;
    commands.raise = showMainWindow;
    commands.quit = [] { Form1->close(); };
    commands.runSelected = [this] { runSelectedLater(); };
    commands.openFiles = [this](const NamedFiles& named) { take(named); };
    nowPlaying_ = std::make_unique<NowPlaying>(Form2, Form8, Form1->playlist(), std::move(commands));
    mpris_ = std::make_unique<MprisService>(*nowPlaying_);
    if (mpris_->publish()) {
        connect(&refresh_, &QTimer::timeout, mpris_.get(), &MprisService::refresh);
        refresh_.start(kRefreshMs);
    }
    openFiles(files);
    started_ = true;
    openPending();
}

void DesktopIntegration::runSelectedLater()
{
    // Steps that come faster than files open launch only where they ended.
    if (launchPending_)
        return;
    launchPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            launchPending_ = false;
            // The playlist may have been emptied meanwhile.
            if (Form1->playlist()->count() > 0)
                safeCall([] { Form1->N11Click(); });
            mpris_->refresh();
        },
        Qt::QueuedConnection);
}

void DesktopIntegration::openFiles(const NamedFiles& files)
{
    QStringList problems;
    if (files.dropped > 0)
        problems << droppedFilesMessage(files.dropped);
    if (!files.missing.isEmpty())
        problems << missingFilesMessage(files.missing);
    if (!problems.isEmpty())
        showMessageDialog(problems.join(u'\r'), MessageKind::Error, Form1);
    if (files.found.isEmpty())
        return;
    safeCall([&] { Form1->openNamedFiles(files.found); });
}
