#pragma once
// What the program adds for Linux desktops: files named at start (or
// handed over by a later start), and the desktop's media controls.
#include "NamedFiles.h"
#include "NowPlaying.h"
#include "SingleInstance.h"
#include "platform/MprisService.h"

#include <QObject>
#include <QTimer>

#include <memory>

class DesktopIntegration : public QObject {
    Q_OBJECT
public:
    explicit DesktopIntegration(QString socketPath = SingleInstance::defaultSocketPath(), QObject* parent = nullptr);
    ~DesktopIntegration() override;

    // Before any window exists: true when a running copy took the named
    // files, so this start ends at once. Nothing named: false.
    bool handedOver(const NamedFiles& files) const;

    // Once the windows exist: takes the files of later starts, publishes the
    // media controls, and opens the files named at this start.
    void start(const NamedFiles& files);

    // Appends the files to the playlist and launches the first as "run the
    // selected entry" would; names that do not exist are reported once.
    static void openFiles(const NamedFiles& files);

private:
    // Both run once the call that asked for them has returned: the launch
    // or a message box must not run its loop inside a socket's or the
    // session bus's notice.
    void openLater(const NamedFiles& files);
    void runSelectedLater();

    SingleInstance instance_;
    std::unique_ptr<NowPlaying> nowPlaying_;
    std::unique_ptr<MprisService> mpris_;
    QTimer refresh_;
    bool launchPending_ = false;  // runSelectedLater's launch has yet to run
};
