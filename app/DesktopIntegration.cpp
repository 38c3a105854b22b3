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
    connect(&instance_, &SingleInstance::filesReceived, this, [this](const NamedFiles& received) {
        // Opened once the hand-over is done: a message box must not run its
        // loop inside the socket's notice.
        QMetaObject::invokeMethod(
            this,
            [received] {
                Form1->show();
                Form1->raise();
                Form1->activateWindow();
                openFiles(received);
            },
            Qt::QueuedConnection);
    });

    nowPlaying_ = std::make_unique<NowPlaying>(
        Form2, Form8,
        [] {
            Form1->show();
            Form1->raise();
            Form1->activateWindow();
        },
        [] { Form1->close(); });
    mpris_ = std::make_unique<MprisService>(*nowPlaying_);
    if (mpris_->publish()) {
        connect(&refresh_, &QTimer::timeout, mpris_.get(), &MprisService::refresh);
        refresh_.start(kRefreshMs);
    }
    openFiles(files);
}

void DesktopIntegration::openFiles(const NamedFiles& files)
{
    if (!files.missing.isEmpty())
        showMessageDialog(missingFilesMessage(files.missing), MessageKind::Error, Form1);
    if (files.found.isEmpty())
        return;
    safeCall([&] { Form1->openNamedFiles(files.found); });
}
