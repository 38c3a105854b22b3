#pragma once
// The about box: a component that, when executed, builds a small modal about
// window from its settings, shows it and frees it once it is closed.
#include "TacFormBackground.h"
#include "windowing/Colors.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QWidget;
class TacQuickAboutBoxForm;
class UrlOpener;

// What the e-mail text tells about the machine.
struct AboutSystemTexts {
    QString winVersion;
    QString winVersionNumber;
    int cpuFrequency = 0;  // MHz
};
using AboutSystemSource = std::function<AboutSystemTexts()>;

// "PS: I'm using <system> (<version>); CPU: <n>MHz."
QString aboutMailBody(const AboutSystemTexts& system);

class TacQuickAboutBox : public QObject {
    Q_OBJECT
public:
    // opener and system are asked when the links are clicked and when the
    // window is shown; opener must outlive the component.
    TacQuickAboutBox(QWidget* owner, UrlOpener& opener, AboutSystemSource system);

    struct CursorSet {
        Qt::CursorShape Caption = Qt::ArrowCursor, Client = Qt::ArrowCursor, Border = Qt::ArrowCursor,
                        BtnClose = Qt::ArrowCursor, Buttons = Qt::ArrowCursor, Links = Qt::PointingHandCursor;
    };
    struct Gradient {
        bool Enabled = true;
        GradientDirection Direction = GradientDirection::gdHorizontal;
        TColor Color1 = clBtnFace;
        TColor Color2 = cl3DLight;
    };
    struct Texts {
        QString stAbout = QStringLiteral("About");
        QString stOK = QStringLiteral("OK");
    };

    bool AnimationOnShow = true;
    bool AnimationOnHide = true;
    quint16 AnimationDelay = 80;
    QString Caption = QStringLiteral("Program");
    QString Copyright = QStringLiteral("[B]Program[]\r\nCopyright");
    CursorSet Cursors;
    Gradient GradientBackground;
    QString Description;
    TColor DescriptionColor = clHighlightText;
    QIcon Icon;
    Texts Localization;
    bool ShowBevels = true;
    bool ShowFrames = false;
    bool ShowHints = true;
    QString Email = QStringLiteral("mail@example.org");
    QString WebSite = QStringLiteral("www.example.org");
    int Width = 260;

    // The window as the settings build it, not yet shown.
    std::unique_ptr<TacQuickAboutBoxForm> createForm() const;

    // Shows the window modally and returns once it has been closed.
    void Execute();

private:
    UrlOpener& opener_;
    AboutSystemSource system_;
};
