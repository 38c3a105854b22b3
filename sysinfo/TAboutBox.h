#pragma once
// The help window: help text, credits and the system report.
#include "windowing/FramedWindow.h"

class TAboutBox : public FramedWindow {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // The three faces of the window; each shows it, centred on the screen
    // the first time.
    void showHelp();
    void showAdditional();
    void showSystemReport();

private:
    void showFace(const QString& caption);

    bool placed_ = false;
};

extern TAboutBox* AboutBox;
