// The window set: seven windows created in their order, only the main window
// visible, the references gone after destruction; closing another window
// only hides it, closing the main window ends the program; Qt's own texts
// speak Russian.
#include "TestSupport.h"
#include "app/Application.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "pictures/TThumbFromFileForm.h"
#include "sysinfo/TAboutBox.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct WindowSet {
    TempConfigHome home;
    ModalWatcher watcher;
    Application shell;
    WindowSet() { shell.createWindows(); }
};

QList<FramedWindow*> references()
{
    return {Form1, Form2, Form3, Form4, AboutBox, ThumbFromFileForm, Form8};
}
}  // namespace

TEST(WindowSet, SevenWindowsOnlyTheMainOneVisibleAndNoneLeftAfterwards)
{
    {
        WindowSet set;
        const char* names[] = {"Form1", "Form2", "Form3", "Form4", "AboutBox", "ThumbFromFileForm", "Form8"};
        const QList<FramedWindow*> windows = references();
        for (int i = 0; i < windows.size(); ++i) {
            ASSERT_NE(windows[i], nullptr) << names[i];
            EXPECT_EQ(windows[i]->objectName(), QString::fromLatin1(names[i]));
            EXPECT_EQ(windows[i]->isVisible(), i == 0) << names[i];
        }
        EXPECT_TRUE(Form1->isMainWindow());
        // The first start greets the user over the visible main window.
        EXPECT_EQ(set.watcher.seen().size(), 1);
    }
    for (FramedWindow* window : references())
        EXPECT_EQ(window, nullptr);
}

TEST(WindowSet, ClosingAnotherWindowOnlyHidesIt)
{
    WindowSet set;
    for (FramedWindow* window : {static_cast<FramedWindow*>(Form3), static_cast<FramedWindow*>(Form4),
                                 static_cast<FramedWindow*>(Form8)}) {
        QPointer<FramedWindow> alive(window);
        window->show();
        window->close();
        QApplication::processEvents();
        ASSERT_TRUE(alive) << window->objectName().toStdString();
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_TRUE(Form1->isVisible());
}

TEST(WindowSet, ClosingTheMainWindowEndsTheProgram)
{
    WindowSet set;
    QTimer::singleShot(0, [] { Form1->close(); });
    // Only a program that never ends meets this; it is no time limit.
    QTimer::singleShot(60000, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST(QtTexts, QtsOwnDialogsSpeakRussian)
{
    Application::initialize(*qApp);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Перейти к:"));
    // The title is the application's own; window titles stay as they are.
    EXPECT_TRUE(QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName());
}
