#pragma once
// The help window in its three modes: the help text; the scrolling credits
// with the version history; the short report on the machine. "Закрыть"
// stops the credits and hides the window.
#include "windowing/FramedWindow.h"

class QFrame;
class QPlainTextEdit;
class SystemQueries;
class TabfCredits;
class TacLabel;
class TacSystemInfo;

class TacAnimationEffect;

class TAboutBox : public FramedWindow {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    // queries must outlive the window.
    TAboutBox(const SystemQueries& queries, QWidget* parent = nullptr);

    // Each shows the window, centred on the screen the first time, then
    // arranges it. startCount is the start count stored before this start.
    void showHelp();
    void showAdditional();
    void showSystemReport(int startCount);

    void acLabel1Click();

    QPlainTextEdit* label1;
    QFrame* Panel1;
    TabfCredits* me1;
    QPlainTextEdit* me;
    QPlainTextEdit* Memo1;
    TacLabel* acLabel1;
    TacSystemInfo* SI;
    TacAnimationEffect* acAnimationEffect1;

protected:
    // Closed other than by "Закрыть" (the window manager's close), the
    // credits stop all the same rather than go on ticking in a hidden window.
    void FormClose(CloseAction& action) override;

private:
    void showFace(const QString& caption);
    void setupCredits();

    bool placed_ = false;
};

extern TAboutBox* AboutBox;
