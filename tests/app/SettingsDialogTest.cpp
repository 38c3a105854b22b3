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
#include "windowing/FontDialog.h"
#include "windowing/TabfFormEffect.h"
#include "windowing/TabfTrayIcon.h"

#include <QApplication>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <optional>

namespace {

struct SettingsDialog : ::testing::Test {
    TempConfigHome home;
    std::optional<ModalWatcher> watching{std::in_place};
    std::optional<Application> shell;

    void SetUp() override
    {
        shell.emplace();
        shell->createWindows();
    }
    void TearDown() override
    {
        shell.reset();
    }
};

// The dialog alone: what it asks for, it asks through its signals.
struct DialogAlone : ::testing::Test {
    TForm4 dialog;
    QList<Options> changes;
    DialogAlone()
    {
        QObject::connect(&dialog, &TForm4::optionsChanged, [this](const Options& o) { changes << o; });
    }
};

TEST_F(DialogAlone, EachOptionBoxSwitchesItsOwnOption)
{
    const struct {
        TdxfCheckBox* TForm4::*box;
        const char* caption;
        bool Options::*option;
    } cases[] = {
        {&TForm4::dxfCheckBox2, "Уменьшать большие изображения", &Options::shrinkPictures},
        {&TForm4::CB1, "Загружать последний плейлист", &Options::loadLastPlaylist},
        {&TForm4::dxfCheckBox1, "Показавать иконку трее", &Options::trayIcon},
        {&TForm4::CB3, "Колёсико изм. размеры плейлиста", &Options::wheelResize},
    };
    for (const auto& c : cases) {
        TdxfCheckBox* box = dialog.*c.box;
        EXPECT_EQ(box->text(), QString::fromUtf8(c.caption));
        changes.clear();
        box->click();
        Options expected;
        expected.*c.option = false;
        ASSERT_EQ(changes.size(), 1) << c.caption;
        EXPECT_EQ(changes.last(), expected) << c.caption;
        box->click();
        EXPECT_EQ(changes.last(), Options{}) << c.caption;
    }
    // The magnet switch is not an option: it only says whether magnets act.
    QSignalSpy magnets(&dialog, &TForm4::magnetSwitched);
    changes.clear();
    dialog.CheckBox1->click();
    ASSERT_EQ(magnets.size(), 1);
    EXPECT_FALSE(magnets.at(0).at(0).toBool());
    EXPECT_TRUE(changes.isEmpty());
}

TEST_F(DialogAlone, ButtonsAskTheApplicationAndReachNoWindow)
{
    QSignalSpy font(&dialog, &TForm4::fontRequested);
    QSignalSpy background(&dialog, &TForm4::backgroundRequested);
    QSignalSpy reset(&dialog, &TForm4::lookReset);
    QSignalSpy tray(&dialog, &TForm4::trayIconSwitched);
    QSignalSpy swatch(&dialog, &TForm4::windowFontColorChosen);
    dialog.SpeedButton1->click();
    dialog.SpeedButton2->click();
    EXPECT_EQ(font.size(), 1);
    EXPECT_EQ(background.size(), 1);

    dialog.dxfCheckBox1->setChecked(false);
    tray.clear();
    dialog.SpeedButton3->click();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_TRUE(dialog.dxfCheckBox1->checked());
    ASSERT_FALSE(tray.isEmpty());
    EXPECT_TRUE(tray.last().at(0).toBool());

    dialog.setSwatchColor(clRed);
    QTest::mouseClick(dialog.Panel1, Qt::LeftButton);
    ASSERT_EQ(swatch.size(), 1);
    EXPECT_EQ(swatch.at(0).at(0).value<TColor>(), clRed);
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

TEST_F(SettingsDialog, OptionsShownAndChangedFlowBetweenBoxesAndTheApplication)
{
    const Options stored{.shrinkPictures = false, .loadLastPlaylist = false, .trayIcon = false, .wheelResize = false};
    Form4->setOptions(stored);
    EXPECT_EQ(Form4->options(), stored);
    EXPECT_EQ(shell->settings().options, stored);
    EXPECT_FALSE(Form1->abfTrayIcon1->visible());
    EXPECT_TRUE(Form1->isVisible());

    // A click on a box changes the option in force, which the wheel then reads.
    Form4->CB3->click();
    EXPECT_TRUE(shell->settings().options.wheelResize);
    Form4->setOptions(Options{});
    EXPECT_EQ(shell->settings().options, Options{});
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
    const FontSpec chosen = fontSpec(QStringLiteral("DejaVu Serif"), -17, fsItalic, clMaroon, 204);
    FontSpec opened;
    auto readFont = [](FontDialog* d) { return d->fontSpec(); };
    auto writeFont = [](FontDialog* d, const FontSpec& f) { d->setFontSpec(f); };
    answerNext(Form4->FontDialog1, chosen, &opened, readFont, writeFont);
    Form1->AHMMenuItem9->trigger();
    EXPECT_EQ(opened, FontSpec());
    EXPECT_EQ(Form1->listFont(), chosen);

    // Opened again from the dialog's own button, it shows the last choice.
    answerNext(Form4->FontDialog1, fontSpec(QStringLiteral("DejaVu Sans"), -13), &opened, readFont, writeFont);
    Form4->SpeedButton1->click();
    EXPECT_EQ(opened, chosen);

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
