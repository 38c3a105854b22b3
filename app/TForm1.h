#pragma once
// The main window: playlist, menus, status line and the delay panel. Every
// user command starts here; what another window does for it is asked for
// through a signal, which the application connects.
#include "windowing/FramedWindow.h"
#include "windowing/Fonts.h"

#include <functional>

class ApplicationHint;
class MediaLauncher;
class MenuKeyRouter;
class Playlist;
class PlaylistLoader;
class QAction;
class QUrl;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QMenuBar;
class QPushButton;
class SlideShow;
class TAHMApplicationMenu;
class TAHMPopupMenu;
class TabfColorPicker;
class TFormTopmost;
class TacWin2kEffects;
class TabfTrayIcon;
class TacQuickAboutBox;
class Timer;
struct Options;
struct ShellState;

class TForm1 : public FramedWindow {
    Q_OBJECT
public:
    // state holds the slide-show delay the delay panel sets; options are the
    // ones in force (the wheel reads its switch there).
    TForm1(ShellState& state, const Options& options, QWidget* parent = nullptr);
    ~TForm1() override;

    void FormCreate() override;

    // The launcher runs files; the slide show steps on Timer1.
    void attach(MediaLauncher& launcher, SlideShow& slideShow);
    // Run when the window closes; raising keeps the window open.
    std::function<void()> onClosing;

    Playlist* playlist() const { return playlist_; }
    MediaLauncher* launcher() const { return launcher_; }
    SlideShow* slideShow() const { return slideShow_; }
    ApplicationHint* applicationHint() const { return hint_; }

    // The playlist's own look.
    FontSpec listFont() const { return listFont_; }
    void setListFont(const FontSpec& font);
    TColor listColor() const { return listColor_; }
    void setListColor(TColor color);

    // The window's font colour: the text of the controls that take the
    // window's font (the delay field, its button, the status line).
    TColor fontColor() const { return windowFont_.color; }
    void setFontColor(TColor color);

    QString statusText() const;

    // Menus and their items.
    QMenuBar* MainMenu1;
    QMenu *N1, *N2, *N3, *N19, *N4;
    QAction *N5, *N26, *N6;
    QAction *N7, *N8, *N27, *N9, *N10, *N22;
    QAction *N11, *N29, *N12, *N16, *N17, *N15;
    QAction *NZ20, *NZ21;
    QAction *N18, *N13, *N28, *N14;
    TAHMApplicationMenu* Menu0;
    QAction *AHMMenuItem10, *AHMMenuItem3, *AHMMenuItem11, *AHMMenuItem1, *AHMMenuItem7, *AHMMenuItem2,
        *AHMMenuItem4, *AHMMenuItem12, *AHMMenuItem9, *AHMMenuItem34, *AHMMenuItem5, *AHMMenuItem6, *AHMMenuItem8;
    TAHMPopupMenu* AHMPopupMenu1;
    QAction *AHMMenuItem44, *AHMMenuItem46, *AHMMenuItem47, *AHMMenuItem48, *AHMMenuItem49, *AHMMenuItem61,
        *AHMMenuItem62, *AHMMenuItem63, *AHMMenuItem64;

    // Controls and components.
    QListView* ListBox1;
    QLabel* StatusLine;
    QWidget* Panel1;
    QLineEdit* Edit1;
    QPushButton* BitBtn1;
    Timer* Timer1;
    TabfTrayIcon* abfTrayIcon1;
    TabfColorPicker* abfColorPicker1;
    TFormTopmost* FormTopmost1;
    TacWin2kEffects* acWin2kEffects1;
    TacQuickAboutBox* acQuickAboutBox1;
    // The file dialogs, each made when first asked for: a dialog costs about
    // 10 ms to make and as much to destroy, its folder model running a thread
    // of its own, and most starts never open one.
    QFileDialog* OpenDialog1();  // media files: open and add
    QFileDialog* OpenDialog2();  // playlist open
    QFileDialog* SaveDialog1();  // playlist save

    // Commands.
    void N5Click();   // open a file and launch it
    void N6Click();   // exit
    void N7Click();   // add files
    void N8Click();   // delete the selected entry
    void N9Click();   // load a playlist
    void N10Click();  // save the playlist
    void N22Click();  // clear the playlist
    void N11Click();  // run the selected entry
    void N12Click();  // settings dialog
    void N16Click();  // thumbnails viewer
    void N15Click();  // system report
    void NZ20Click(); // slide show on / off
    void NZ21Click(); // delay panel
    void N18Click();  // additional information
    void N13Click();  // help
    void N14Click();  // about box
    void AHMMenuItem9Click();   // playlist font
    void AHMMenuItem34Click();  // playlist background
    void AHMMenuItem48Click();  // hide into the tray
    void AHMMenuItem49Click();  // show from the tray
    void BitBtn1Click();        // confirm the delay
    void ListBox1Click();
    void ListBox1DblClick();
    void StatusLineMouseMove();
    void ColorPickerIdle();
    // Wheel steps over the window (120 units a notch).
    void FormMouseWheel(int angleDelta);

    // Reads a playlist file off this thread and, once it is read, replaces
    // the playlist by its entries (a list cut by the limits of one load is
    // reported), then runs then.
    void loadPlaylist(const QString& path, std::function<void()> then);
    // Files named at start or handed over by a later start (existing paths).
    void openNamedFiles(const QStringList& files);

    // Files dropped on the window: the first local file is appended to the
    // playlist, the others are ignored. False when the drop held none.
    bool dropFiles(const QList<QUrl>& urls);

signals:
    void settingsRequested();
    void thumbnailsRequested();
    void systemReportRequested();
    void additionalRequested();
    void helpRequested();
    void fontRequested();
    void backgroundRequested();
    // The screen colour under the mouse, every tick of the colour picker.
    void colorPicked(TColor color);

protected:
    void FormClose(CloseAction& action) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildControls();
    QFileDialog* makeDialog(const char* name, const QString& caption);
    void syncViewSelection(int index);
    void setStatusText(const QString& text);

    ShellState& state_;
    const Options& options_;
    Playlist* playlist_;
    PlaylistLoader* loader_;
    FontSpec windowFont_;
    FontSpec listFont_;
    TColor listColor_;
    ApplicationHint* hint_ = nullptr;
    MenuKeyRouter* keys_ = nullptr;
    MediaLauncher* launcher_ = nullptr;
    SlideShow* slideShow_ = nullptr;
    QFileDialog* openDialog1_ = nullptr;
    QFileDialog* openDialog2_ = nullptr;
    QFileDialog* saveDialog1_ = nullptr;
    bool syncing_ = false;
    int wheelRest_ = 0;
    const QEvent* lastWheel_ = nullptr;
    quint64 lastWheelTime_ = 0;
};

extern TForm1* Form1;
