// The window set: seven windows in their order, with their captions, places
// and sizes; only the main window is visible; closing it ends the program.
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
#include <QTimer>
#include <gtest/gtest.h>

namespace {
struct WindowSet {
    TempConfigHome home;
    ModalWatcher watcher;
    WindowSet() { Application::createWindows(); }
    ~WindowSet() { Application::destroyWindows(); }
};
}  // namespace

TEST(WindowSet, SevenWindowsWithTheirCaptionsPlacesAndVisibility)
{
    WindowSet set;
    const struct {
        FramedWindow* form;
        const char* name;
        const char* caption;
        QSize client;
        bool visible;
    } cases[] = {
        {Form1, "Form1", "Калейдор ver 1.5", {472, 213}, true},
        {Form2, "Form2", "Музыка", {194, 61}, false},
        {Form3, "Form3", "Экран", {377, 307}, false},
        {Form4, "Form4", "Настройка", {202, 255}, false},
        {AboutBox, "AboutBox", nullptr, {306, 282}, false},
        {ThumbFromFileForm, "ThumbFromFileForm", "Thumbs Смотрельщик", {796, 464}, false},
        {Form8, "Form8", "Видео", {194, 61}, false},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.form, nullptr) << c.name;
        EXPECT_EQ(c.form->objectName(), QString::fromUtf8(c.name));
        if (c.caption)
            EXPECT_EQ(c.form->caption(), QString::fromUtf8(c.caption));
        EXPECT_EQ(QSize(c.form->clientWidth(), c.form->clientHeight()), c.client) << c.name;
        EXPECT_EQ(c.form->isVisible(), c.visible) << c.name;
    }
    EXPECT_EQ(Form1->geometry(), QRect(211, 292, 480, 267));
    EXPECT_EQ(Form3->geometry(), QRect(277, 0, 385, 341));
}

TEST(WindowSet, ClosingAnotherWindowOnlyHidesIt)
{
    WindowSet set;
    Form3->show();
    Form3->close();
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_NE(Form3, nullptr);
}

TEST(WindowSet, ClosingTheMainWindowEndsTheProgram)
{
    WindowSet set;
    QTimer::singleShot(0, [] { Form1->close(); });
    QTimer::singleShot(5000, [] { QApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
}
