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
}  // namespace

DesktopIntegration::DesktopIntegration(QString socketPath, QObject* parent)
    : QObject(parent), instance_(std::move(socketPath))
{
}

DesktopIntegration::~DesktopIntegration() = default;

bool DesktopIntegration::handedOver(const NamedFiles& files) const
{
    if (files.found.isEmpty() && files.missing.isEmpty())
        return false;
    return instance_.handOver(files);
}

void DesktopIntegration::start(const NamedFiles& files)
{
    instance_.listen();
    connect(&instance_, &SingleInstance::filesReceived, this, &DesktopIntegration::openLater);

    NowPlaying::Commands commands;
    commands.raise = [] {
        Form1->show();
        Form1->raise();
        Form1->activateWindow();
    };
    commands.quit = [] { Form1->close(); };
    commands.runSelected = [this] { runSelectedLater(); };
    commands.openFiles = [this](const NamedFiles& named) { openLater(named); };
    nowPlaying_ = std::make_unique<NowPlaying>(Form2, Form8, Form1->playlist(), std::move(commands));
    mpris_ = std::make_unique<MprisService>(*nowPlaying_);
    if (mpris_->publish()) {
        connect(&refresh_, &QTimer::timeout, mpris_.get(), &MprisService::refresh);
        refresh_.start(kRefreshMs);
    }
    openFiles(files);
}

void DesktopIntegration::openLater(const NamedFiles& files)
{
    QMetaObject::invokeMethod(
        this,
        [files] {
            Form1->show();
            Form1->raise();
            Form1->activateWindow();
            openFiles(files);
        },
        Qt::QueuedConnection);
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
    if (!files.missing.isEmpty())
        showMessageDialog(missingFilesMessage(files.missing), MessageKind::Error, Form1);
    if (files.found.isEmpty())
        return;
    safeCall([&] {
        Playlist* playlist = Form1->playlist();
        const int first = playlist->count();
        playlist->append(files.found);
        playlist->setSelectedIndex(first);
        Form1->N11Click();
    });
}
