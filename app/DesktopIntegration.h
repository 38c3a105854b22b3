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
    // Takes the hand-overs of later starts from now on, also while the
    // windows are still being made; they are opened once start has run.
    // instance: the running copy's; null when this copy runs alone.
    explicit DesktopIntegration(SingleInstance* instance, QObject* parent = nullptr);
    ~DesktopIntegration() override;

    // Once the windows exist: publishes the media controls, and opens the
    // files named at this start and those handed over meanwhile.
    void start(const NamedFiles& files);

    // Appends the files to the playlist and launches the first as "run the
    // selected entry" would; names that do not exist are reported once.
    static void openFiles(const NamedFiles& files);

private:
    // Both run once the call that asked for them has returned: the launch
    // or a message box must not run its loop inside a socket's or the
    // session bus's notice.
    void take(const NamedFiles& files);
    void runSelectedLater();
    void openPending();

    // Hand-overs not opened yet, merged: while a message about the last ones
    // is open, any number of later starts add at most one start's worth.
    NamedFiles pending_;
    bool hasPending_ = false;
    bool started_ = false;
    bool opening_ = false;
    std::unique_ptr<NowPlaying> nowPlaying_;
    std::unique_ptr<MprisService> mpris_;
    QTimer refresh_;
    bool launchPending_ = false;  // runSelectedLater's launch has yet to run
};
