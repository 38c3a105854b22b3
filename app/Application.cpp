#include "Application.h"

#include "DesktopIntegration.h"
#include "NamedFiles.h"
#include "Playlist.h"
#include "SettingsStore.h"
#include "SlideShow.h"
#include "TForm1.h"
#include "TForm4.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "pictures/TThumbFromFileForm.h"
#include "sysinfo/TAboutBox.h"
#include "windowing/ClassicLook.h"
#include "windowing/SafeCall.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <functional>

namespace Application {

namespace {
// Builds a window and runs its creation handler; start-up work that the
// shell does for a window of a lower layer runs as part of that handler.
template <class Form>
void createForm(Form*& reference, bool visible, const std::function<void()>& shellWork = {})
{
    reference = new Form;
    safeCall([&] {
        reference->FormCreate();
        if (shellWork)
            shellWork();
    });
    if (visible) {
        reference->show();
        reference->activateWindow();
    }
}

template <class Form>
void destroyForm(Form*& reference)
{
    delete reference;
    reference = nullptr;
}
}  // namespace

void selectPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

void initialize(QApplication& app)
{
    app.setApplicationName(QStringLiteral("kaleidor"));
    app.setApplicationDisplayName(QStringLiteral("Калейдор"));
    app.setQuitOnLastWindowClosed(false);
    applyClassicLook(app);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/kaleidor-%1.png").arg(size), QSize(size, size));
    app.setWindowIcon(icon);
}

void createWindows()
{
    createForm(Form1, true);
    createForm(Form2, false);
    createForm(Form3, false);
    // Closing the screen window ends the slide show.
    Form3->onClosed = [] {
        if (Form1 && Form1->slideShow())
            Form1->slideShow()->stop();
    };
    createForm(Form4, false);
    createForm(AboutBox, false);
    createForm(ThumbFromFileForm, false);
    // Space in the thumbnails viewer adds the picture to the playlist.
    QObject::connect(ThumbFromFileForm, &TThumbFromFileForm::addToPlaylist, Form1,
                     guarded([](const QString& file) { Form1->playlist()->append(file); }));
    createForm(Form8, false, [] { SettingsStore::countStartAndPlaceWindows(); });
}

void destroyWindows()
{
    destroyForm(Form8);
    destroyForm(ThumbFromFileForm);
    destroyForm(AboutBox);
    destroyForm(Form4);
    destroyForm(Form3);
    destroyForm(Form2);
    destroyForm(Form1);
}

int run(int argc, char** argv)
{
    selectPlatform();
    QApplication app(argc, argv);
    initialize(app);
    const NamedFiles named = resolveNamedFiles(app.arguments().mid(1), QDir::currentPath());
    DesktopIntegration desktop;
    if (desktop.handedOver(named))
        return 0;
    createWindows();
    desktop.start(named);
    const int result = app.exec();
    destroyWindows();
    return result;
}

}  // namespace Application
