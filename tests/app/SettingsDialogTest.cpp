// The settings dialog: its controls, the check boxes' semantics, reset, the
// switches, the stored options coming back and the close with a shake.
#include "TestSupport.h"
#include "app/Application.h"
#include "app/ShellState.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "platform/DesktopServices.h"
#include "styled/TacLabel.h"
#include "styled/TdxfCheckBox.h"
#include "windowing/TabfFormEffect.h"
#include "windowing/TabfTrayIcon.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct SettingsDialog : ::testing::Test {
    TempConfigHome home;
    std::optional<ModalWatcher> watching{std::in_place};

    void SetUp() override
    {
        Shell = ShellState();
        Application::createWindows();
    }
    void TearDown() override
    {
        Application::destroyWindows();
        Shell = ShellState();
    }
};

TEST_F(SettingsDialog, ControlsStandWhereTheyBelong)
{
    const struct {
        QWidget* control;
        QRect place;
        const char* caption;
        bool checked;
    } cases[] = {
        {Form4->CheckBox1, {0, 112, 173, 18}, "Отключить  примагничивание", false},
        {Form4->dxfCheckBox2, {0, 136, 199, 18}, "Уменьшать большие изображения", true},
        {Form4->CB1, {0, 160, 183, 18}, "Загружать последний плейлист", true},
        {Form4->dxfCheckBox1, {0, 184, 147, 18}, "Показавать иконку трее", true},
        {Form4->CB3, {0, 208, 202, 18}, "Колёсико изм. размеры плейлиста", true},
    };
    for (const auto& c : cases) {
        auto* box = static_cast<TdxfCheckBox*>(c.control);
        EXPECT_EQ(box->geometry(), c.place) << c.caption;
        EXPECT_EQ(box->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(box->checked(), c.checked) << c.caption;
    }
    EXPECT_EQ(Form4->Label1->geometry(), QRect(0, 72, 169, 37));
    EXPECT_EQ(Form4->Panel1->geometry(), QRect(168, 72, 33, 37));
    EXPECT_EQ(Form4->acLabel1->geometry(), QRect(39, 223, 121, 33));
    EXPECT_EQ(Form4->acLabel1->text(), QStringLiteral("Закрыть"));
    EXPECT_EQ(Form4->acLabel1->lookFont(TacLabel::Look::Normal).color, clNavy);
    EXPECT_EQ(Form4->acLabel1->lookFont(TacLabel::Look::Hover).style, fsBold | fsUnderline);
    EXPECT_EQ(Form4->acLabel1->lookFont(TacLabel::Look::Pressed).style, int(fsBold));
    EXPECT_EQ(Form4->abfFormEffect->shaking().amplitude, 13u);
    EXPECT_EQ(Form4->abfFormEffect->shaking().interval, 27u);
    EXPECT_EQ(Form4->abfFormEffect->shaking().time, 666u);
    EXPECT_FALSE(Form4->abfFormEffect->autoDrag());
}

TEST_F(SettingsDialog, WheelTextFollowsTheServer)
{
    EXPECT_EQ(TForm4::wheelText(false), QStringLiteral("Не определено колёсико у мышки"));
    EXPECT_EQ(TForm4::wheelText(true), QStringLiteral("Определено колёсико у мышки \nзначит вы можете изменять "
                                                      "размеры \nнекоторых окон этим колёсиком"));
    EXPECT_EQ(Form4->Label1->text(), TForm4::wheelText(DesktopServices::hasMouseWheel()));
}

TEST(CheckBox, ClickTogglesAndActsCodeActsOnlyOnChange)
{
    TdxfCheckBox box(QStringLiteral("x"));
    int actions = 0;
    box.onClick = [&] { ++actions; };
    box.setChecked(false);
    EXPECT_EQ(actions, 0);
    box.setChecked(true);
    EXPECT_EQ(actions, 1);
    box.setChecked(true);
    EXPECT_EQ(actions, 1);
    box.resize(100, 20);
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_FALSE(box.checked());
    EXPECT_EQ(actions, 2);
}

TEST_F(SettingsDialog, ResetRestoresTheLookAndTheBoxes)
{
    Form1->setListFont(fontSpec(QStringLiteral("Arial"), -20, fsUnderline, clRed, 0));
    Form1->setListColor(clYellow);
    Form1->setOuterSize(600, 400);
    for (TdxfCheckBox* box : {Form4->dxfCheckBox2, Form4->CB1, Form4->dxfCheckBox1, Form4->CB3})
        box->setChecked(false);
    Form4->CheckBox1->setChecked(true);
    ASSERT_FALSE(Form1->abfTrayIcon1->visible());

    Form4->SpeedButton3->click();

    EXPECT_EQ(QSize(Form1->outerWidth(), Form1->outerHeight()), QSize(387, 270));
    EXPECT_EQ(Form1->listFont(), fontSpec(QStringLiteral("Courier New"), -13, fsBold | fsItalic, clWindowText, 204));
    EXPECT_EQ(Form1->listColor(), clSilver);
    EXPECT_TRUE(Form4->dxfCheckBox2->checked());
    EXPECT_TRUE(Form4->CB1->checked());
    EXPECT_TRUE(Form4->dxfCheckBox1->checked());
    EXPECT_TRUE(Form1->abfTrayIcon1->visible());
    EXPECT_FALSE(Form4->CB3->checked());  // keeps its state
    EXPECT_TRUE(Form4->CheckBox1->checked());
}

TEST_F(SettingsDialog, TrayIconFollowsItsBox)
{
    TabfTrayIcon* icon = Form1->abfTrayIcon1;
    ASSERT_TRUE(icon->visible());
    Form4->dxfCheckBox1->click();
    EXPECT_FALSE(icon->visible());
    // Shown by minimizing while the box is off: the next click makes them agree again.
    icon->setVisible(true);
    Form4->dxfCheckBox1->click();
    EXPECT_TRUE(Form4->dxfCheckBox1->checked());
    EXPECT_TRUE(icon->visible());
    Form4->dxfCheckBox1->click();
    EXPECT_FALSE(icon->visible());
    // Reset with the box checked but the icon away brings the icon back too.
    Form4->dxfCheckBox1->setChecked(true);
    icon->setVisible(false);
    Form4->SpeedButton3Click();
    EXPECT_TRUE(icon->visible());
}

TEST_F(SettingsDialog, MagnetSwitchTurnsBothMagnetsOffAndOn)
{
    ASSERT_TRUE(Form3->acFormMagnet1->active());
    ASSERT_TRUE(Form8->acFormMagnet1->active());
    Form4->CheckBox1->click();
    EXPECT_FALSE(Form3->acFormMagnet1->active());
    EXPECT_FALSE(Form8->acFormMagnet1->active());
    Form4->CheckBox1->click();
    EXPECT_TRUE(Form3->acFormMagnet1->active());
    EXPECT_TRUE(Form8->acFormMagnet1->active());
}

TEST_F(SettingsDialog, StoredOptionsComeBackAtStartUp)
{
    Shell.StoredShrinkPictures = false;
    Shell.StoredLoadLastPlaylist = false;
    Shell.StoredTrayIcon = false;
    Shell.StoredWheelResize = false;
    Form4->FormCreate();
    EXPECT_FALSE(Form4->dxfCheckBox2->checked());
    EXPECT_FALSE(Form4->CB1->checked());
    EXPECT_FALSE(Form4->dxfCheckBox1->checked());
    EXPECT_FALSE(Form4->CB3->checked());
    EXPECT_FALSE(Form1->abfTrayIcon1->visible());
    EXPECT_TRUE(Form1->isVisible());

    Shell.StoredTrayIcon = true;
    Form4->FormCreate();
    EXPECT_TRUE(Form4->dxfCheckBox1->checked());
    EXPECT_TRUE(Form1->abfTrayIcon1->visible());
}

TEST_F(SettingsDialog, SwatchColoursTheWindowsOwnText)
{
    Form4->setSwatchColor(clRed);
    QTest::mouseClick(Form4->Panel1, Qt::LeftButton);
    EXPECT_EQ(Form1->fontColor(), clRed);
    EXPECT_EQ(Form1->Edit1->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_NE(Form1->listFont().color, clRed);
}

// Answers the next font or colour dialog: records what it opened with, then
// chooses value and confirms.
template <class Dialog, class Value, class Read, class Write>
void answerNext(Dialog* dialog, Value value, Value* openedWith, Read read, Write write)
{
    auto* timer = new QTimer(dialog);
    QObject::connect(timer, &QTimer::timeout, dialog, [=] {
        if (!dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        *openedWith = read(dialog);
        write(dialog, value);
        dialog->accept();
    });
    timer->start(10);
}

TEST_F(SettingsDialog, FontAndColourDialogsOpenWithTheirLastChoice)
{
    watching.reset();
    EXPECT_EQ(Form4->lastFont(), FontSpec());  // "MS Sans Serif", -11 at first

    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPixelSize(17);
    chosen.setItalic(true);
    QFont opened;
    answerNext(Form4->FontDialog1, chosen, &opened, [](QFontDialog* d) { return d->currentFont(); },
               [](QFontDialog* d, const QFont& f) { d->setCurrentFont(f); });
    Form1->AHMMenuItem9->trigger();
    EXPECT_EQ(Form1->listFont().name, QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(Form1->listFont().style & fsItalic);

    answerNext(Form4->FontDialog1, QFont(QStringLiteral("DejaVu Sans")), &opened,
               [](QFontDialog* d) { return d->currentFont(); },
               [](QFontDialog* d, const QFont& f) { d->setCurrentFont(f); });
    Form4->SpeedButton1->click();
    EXPECT_EQ(opened.family(), QStringLiteral("DejaVu Serif"));

    QColor openedColor;
    answerNext(Form4->ColorDialog1, QColor(10, 20, 30), &openedColor,
               [](QColorDialog* d) { return d->currentColor(); },
               [](QColorDialog* d, const QColor& c) { d->setCurrentColor(c); });
    Form1->AHMMenuItem34->trigger();
    EXPECT_EQ(Form1->listColor(), rgbColor(10, 20, 30));
    answerNext(Form4->ColorDialog1, QColor(1, 2, 3), &openedColor, [](QColorDialog* d) { return d->currentColor(); },
               [](QColorDialog* d, const QColor& c) { d->setCurrentColor(c); });
    Form4->SpeedButton2->click();
    EXPECT_EQ(openedColor, QColor(10, 20, 30));
    EXPECT_EQ(Form1->listColor(), rgbColor(1, 2, 3));
}

TEST_F(SettingsDialog, CloseShakesThenHidesInPlace)
{
    Form4->show();
    Form4->move(300, 200);
    bool shook = false;
    Form4->abfFormEffect->OnShakingEnd = [&] { shook = true; };
    Form4->acLabel1Click();
    EXPECT_TRUE(shook);
    EXPECT_FALSE(Form4->isVisible());
    EXPECT_EQ(Form4->pos(), QPoint(300, 200));
}

}  // namespace
