// The window set: seven windows created in their order, only the main window
// visible, the references gone after destruction; closing another window
// only hides it, closing the main window ends the program; Qt's own texts
// speak Russian.
#include "TestSupport.h"
#include "app/Application.h"
#include "app/DesktopIntegration.h"
#include "app/Playlist.h"
#include "app/SingleInstance.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "pictures/TThumbFromFileForm.h"
#include "sysinfo/TAboutBox.h"

#include <QApplication>
#include <QTemporaryDir>
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

// Later starts hand over while the windows are still being made (the first
// start's greeting is open then) and while a message about earlier names is
// open: their files wait, and come as one batch once the message is closed.
TEST(HandOvers, WaitForTheWindowsAndForTheOpenMessage)
{
    TempConfigHome home;
    QTemporaryDir folder;
    SingleInstance instance(folder.path());
    ASSERT_EQ(instance.claim(), SingleInstance::Role::Running);
    DesktopIntegration desktop(&instance);

    QStringList boxes;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        boxes << box->property("text").toString();
        // The greeting of the first start, then the message about this start's own missing name.
        if (boxes.size() == 1)
            emit instance.filesReceived({{"/early.txt"}, {}});
        if (boxes.size() == 2)
            for (int i = 0; i < 100; ++i)
                emit instance.filesReceived({{QStringLiteral("/f%1.txt").arg(i)}, {QStringLiteral("m%1").arg(i)}});
        box->close();
    });
    probe.start(10);
    Application shell;
    shell.createWindows();
    QApplication::processEvents();
    EXPECT_EQ(Form1->playlist()->count(), 0) << "nothing is opened before the windows are ready";

    desktop.start({{}, {"gone.jpg"}});
    ASSERT_TRUE(waitFor([&] { return Form1->playlist()->count() == 101; }));
    waitFor([] { return false; }, 200);
    ASSERT_EQ(boxes.size(), 3) << boxes.last().replace(u'\n', u'/').left(400).toStdString();
    EXPECT_EQ(boxes[1], QStringLiteral("Файл не найден:\ngone.jpg"));
    EXPECT_TRUE(boxes[2].startsWith(QStringLiteral("Файлы не найдены:\nm0\nm1\n")));
    EXPECT_TRUE(boxes[2].endsWith(QStringLiteral("\nm99")));
    EXPECT_EQ(Form1->playlist()->at(0), QStringLiteral("/early.txt"));
}
