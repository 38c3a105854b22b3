#pragma once
// The screen window: pictures and the video picture.
#include "media/TImage.h"
#include "windowing/FramedWindow.h"
#include "windowing/TacFormMagnet.h"

#include <functional>

class QMenu;
struct MediaState;

class TForm3 : public FramedWindow {
    Q_OBJECT
public:
    // media is the shell's record of the current video's natural size.
    explicit TForm3(const MediaState& media, QWidget* parent = nullptr);

    // What the launcher drives.
    // Shows a picture at its own size, or at half of the size the window took.
    void showPicture(PictureFile picture, bool halve);
    void clearPicture();
    bool showsVideo() const;
    // Turns to the video surface and hands it out as the player's display.
    QWidget* showVideoSurface();
    // Fits the client area to a video picture of that size, width first;
    // returns the client size the window took.
    QSize fitVideo(QSize size);
    void leaveVideo();

    TImage* Image1;
    QWidget* Panel1;  // the video surface
    QMenu* PopupMenu1;
    QAction *N11, *N21, *N31, *N41, *N1, *N2;
    TacFormMagnet* acFormMagnet1;

    void N11Click();  // smaller by 25 %
    void N21Click();  // smaller by 50 %
    void N31Click();  // larger by 25 %
    void N41Click();  // larger by 50 %
    void N2Click();   // real size
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void FormResize();
    void Panel1Click();

    // The video window comes forward on the next click on the video surface.
    bool showsVideoWindowOnClick() const { return showVideoWindow_; }

    // Run at the end of closing; the shell stops its slide show here.
    std::function<void()> onClosed;

    // One zoom step of an outer size: divided or multiplied by factor.
    static int zoomed(int size, double factor, bool enlarge);

protected:
    void FormClose(CloseAction& action) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void zoom(double factor, bool enlarge);
    void addToOuterSize(int delta);

    const MediaState& media_;
    bool showVideoWindow_ = true;
    int wheelRest_ = 0;
};

extern TForm3* Form3;
