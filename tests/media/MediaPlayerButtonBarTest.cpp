// The button bar: layout, glyphs, mouse and keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "TestSupport.h"
#include "media/TMediaPlayer.h"

namespace {

const TButtonSet kWindowButtons{btPlay, btPause, btStop, btNext, btPrev, btStep, btBack};

// The bar as the music and video windows set it up.
void setUpAsTheWindowsDo(TMediaPlayer& bar, int width = 197, int height = 20)
{
    bar.resize(width, height);
    bar.SetVisibleButtons(kWindowButtons);
    bar.SetEnabledButtons({btPlay, btPause, btStop, btNext, btPrev});
    bar.SetAutoEnable(false);
    bar.resize(width, height);
    bar.show();
}

void mouse(QWidget& w, QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void key(QWidget& w, int code)
{
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier, code == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(&w, &event);
}

// True when every opaque pixel of the glyph is drawn at its place in the button.
bool drawsGlyph(const QImage& bar, int buttonLeft, int buttonWidth, const QString& glyphName)
{
    const QImage glyph = QImage(QStringLiteral(":/glyphs/") + glyphName + QStringLiteral(".png"))
                             .convertToFormat(QImage::Format_RGB32);
    const int left = buttonLeft + buttonWidth / 2 - glyph.width() / 2;
    const int top = bar.height() / 2 - glyph.height() / 2;
    int compared = 0;
    for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) {
            const QRgb g = glyph.pixel(x, y);
            if ((g & 0xFFFFFF) == 0x808000)
                continue;
            if ((bar.pixel(left + x, top + y) & 0xFFFFFF) != (g & 0xFFFFFF))
                return false;
            ++compared;
        }
    return compared > 0;
}

struct Clicks {
    QList<TMPBtnType> clicked, posted;
    bool doDefault = false;
    explicit Clicks(TMediaPlayer& bar)
    {
        bar.OnClick = [this](TMediaPlayer*, TMPBtnType b, bool& def) {
            clicked.append(b);
            def = doDefault;
        };
        bar.OnPostClick = [this](TMediaPlayer*, TMPBtnType b) { posted.append(b); };
    }
};

TEST(MediaPlayerButtonBar, ANewControlHasTheDesignDefaults)
{
    TMediaPlayer bar;
    EXPECT_EQ(bar.size(), QSize(240, 30));
    EXPECT_EQ(bar.MinButtonSize(), QSize(29, 20));
    EXPECT_EQ(bar.VisibleButtons(), TButtonSet::all());
    EXPECT_EQ(bar.FocusedButton(), btPlay);
    EXPECT_TRUE(bar.AutoRewind());
    EXPECT_TRUE(bar.AutoEnable());
    EXPECT_EQ(bar.focusPolicy() & Qt::TabFocus, Qt::TabFocus);
}

TEST(MediaPlayerButtonBar, SevenButtonsFitIn197PixelsAndANarrowerBarIsWidened)
{
    struct Case {
        QSize asked, got;
    };
    for (const Case& c : {Case{{197, 20}, {197, 20}}, Case{{120, 12}, {197, 20}}, Case{{250, 24}, {246, 24}}}) {
        TMediaPlayer bar;
        setUpAsTheWindowsDo(bar, c.asked.width(), c.asked.height());
        EXPECT_EQ(bar.size(), c.got) << c.asked.width();
        EXPECT_EQ(bar.ButtonWidth(), (c.got.width() - 1) / 7 + 1);
    }
}

TEST(MediaPlayerButtonBar, GlyphsFollowTheEnabledAndColouredSets)
{
    TMediaPlayer bar;
    setUpAsTheWindowsDo(bar);
    bar.SetColoredButtons({btPlay});
    const QImage shown = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int w = bar.ButtonWidth();
    EXPECT_TRUE(drawsGlyph(shown, 0 * (w - 1), w, QStringLiteral("CL_PLAY")));
    EXPECT_TRUE(drawsGlyph(shown, 1 * (w - 1), w, QStringLiteral("EN_PAUSE")));
    EXPECT_TRUE(drawsGlyph(shown, 5 * (w - 1), w, QStringLiteral("DI_STEP")));
    EXPECT_TRUE(drawsGlyph(shown, 6 * (w - 1), w, QStringLiteral("DI_BACK")));
    // The olive background of a glyph never shows.
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_NE(shown.pixel(x, y) & 0xFFFFFF, 0x808000u) << x << "," << y;

    bar.setEnabled(false);
    const QImage disabled = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(drawsGlyph(disabled, 0, w, QStringLiteral("DI_PLAY")));
}

TEST(MediaPlayerButtonBar, DisabledButtonsIgnoreClicksAndSpace)
{
    TMediaPlayer bar;
    setUpAsTheWindowsDo(bar);
    Clicks clicks(bar);
    const int w = bar.ButtonWidth();
    const QPoint step(5 * (w - 1) + w / 2, 10);
    mouse(bar, QEvent::MouseButtonPress, step);
    mouse(bar, QEvent::MouseButtonRelease, step);
    EXPECT_TRUE(clicks.clicked.isEmpty());
    EXPECT_EQ(bar.FocusedButton(), btPlay);

    for (int i = 0; i < 5; ++i)
        key(bar, Qt::Key_Right);
    ASSERT_EQ(bar.FocusedButton(), btStep);
    key(bar, Qt::Key_Space);
    EXPECT_TRUE(clicks.clicked.isEmpty());

    key(bar, Qt::Key_Left);
    key(bar, Qt::Key_Space);
    EXPECT_EQ(clicks.clicked, QList<TMPBtnType>{btPrev});
    EXPECT_EQ(clicks.posted, QList<TMPBtnType>{btPrev});
}

TEST(MediaPlayerButtonBar, ReleasingOutsideThePressedButtonDoesNothing)
{
    TMediaPlayer bar;
    setUpAsTheWindowsDo(bar);
    Clicks clicks(bar);
    const int w = bar.ButtonWidth();
    const QPoint stop(2 * (w - 1) + w / 2, 10);
    mouse(bar, QEvent::MouseButtonPress, stop);
    EXPECT_EQ(bar.FocusedButton(), btStop);
    mouse(bar, QEvent::MouseMove, stop + QPoint(w, 0));
    mouse(bar, QEvent::MouseMove, stop);  // back in: drawn down again
    mouse(bar, QEvent::MouseMove, QPoint(stop.x(), 40));
    mouse(bar, QEvent::MouseButtonRelease, QPoint(stop.x(), 40));
    EXPECT_TRUE(clicks.clicked.isEmpty());

    mouse(bar, QEvent::MouseButtonPress, stop);
    mouse(bar, QEvent::MouseButtonRelease, stop);
    EXPECT_EQ(clicks.clicked, QList<TMPBtnType>{btStop});
    EXPECT_EQ(clicks.posted, QList<TMPBtnType>{btStop});
}

TEST(MediaPlayerButtonBar, AClickWithoutADeviceShowsTheErrorAndSkipsTheRest)
{
    TMediaPlayer bar;
    setUpAsTheWindowsDo(bar);
    Clicks clicks(bar);
    clicks.doDefault = true;
    ModalWatcher watcher;
    const QPoint play(10, 10);
    mouse(bar, QEvent::MouseButtonPress, play);
    mouse(bar, QEvent::MouseButtonRelease, play);
    EXPECT_EQ(clicks.clicked, QList<TMPBtnType>{btPlay});
    EXPECT_TRUE(clicks.posted.isEmpty());
    ASSERT_EQ(watcher.seen().size(), 1);
    EXPECT_EQ(watcher.seen().first().text, QStringLiteral("No MCI device open."));
}

TEST(MediaPlayerButtonBar, RightArrowReachesTheHiddenEjectButton)
{
    TMediaPlayer bar;
    setUpAsTheWindowsDo(bar);
    for (int i = 0; i < 6; ++i)
        key(bar, Qt::Key_Right);
    EXPECT_EQ(bar.FocusedButton(), btBack);
    key(bar, Qt::Key_Right);
    EXPECT_EQ(bar.FocusedButton(), btEject);
    key(bar, Qt::Key_Right);
    EXPECT_EQ(bar.FocusedButton(), btEject);
    key(bar, Qt::Key_Left);
    EXPECT_EQ(bar.FocusedButton(), btBack);
    for (int i = 0; i < 8; ++i)
        key(bar, Qt::Key_Left);
    EXPECT_EQ(bar.FocusedButton(), btPlay);
}

}  // namespace
