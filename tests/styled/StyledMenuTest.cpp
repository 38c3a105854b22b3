// Styled popup menus: item measures, dividers, the side bar, the typed
// character rule, and the menu's own layout and drawing.
#include "platform/Errors.h"
#include "styled/TAHMMenuLayout.h"
#include "styled/TAHMPopupMenu.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const FontSpec kMenuFont = fontSpec(QStringLiteral("M"), -11);
const FontSpec kSelectedFont = fontSpec(QStringLiteral("S"), -11, fsBold);
const FontSpec kDividerFont = fontSpec(QStringLiteral("D"), -12);

// Every character of a font is as wide as its face says: S 7, M 6, D 5
// pixels; the divider font is the tallest.
MenuMetrics fixedMetrics(int dividerHeight = 15)
{
    MenuMetrics m;
    m.textSize = [dividerHeight](const FontSpec& font, const QString& text) {
        const int per = font.name == QLatin1String("S") ? 7 : font.name == QLatin1String("M") ? 6 : 5;
        return QSize(per * int(text.size()), font.name == QLatin1String("D") ? dividerHeight : 13);
    };
    return m;
}

MenuLevelFacts level(int barWidth)
{
    MenuLevelFacts l;
    l.menuFont = kMenuFont;
    l.selectedFont = kSelectedFont;
    l.dividerFont = kDividerFont;
    l.barWidth = barWidth;
    return l;
}

QColor pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

}  // namespace

TEST(MenuMeasure, ItemSizesFollowTheWidestFontAndTheBar)
{
    const struct {
        const char* caption;
        bool children;
        int barWidth, shortcut, dividerHeight;
        int width, height, fullWidth;
    } cases[] = {
        // column "W" 7 + bar 15, caption and tab 11 × 7: 22 + 77 = 99
        {"Открыть...", false, 15, 0, 15, 101, 20, 108},
        {"", false, 15, 0, 15, 31, 20, 38},           // empty: measured as "W", the tab alone after it
        {"Фон", true, 0, 0, 15, 7 + 28 + 7 + 2, 20, 7 + 42 + 2},  // a sub-menu adds a tab
        {"Фон", false, 20, 30, 15, 7 + 20 + 28 + 30 + 2, 20, 7 + 85 + 2},
        {"Фон", false, 0, 0, 26, 37, 26, 44},         // taller than the menu bar
    };
    for (const auto& c : cases) {
        MenuLevelFacts l = level(c.barWidth);
        l.shortcutWidth = c.shortcut;
        const MenuItemSize size =
            measureMenuItem({QString::fromUtf8(c.caption), c.children}, l, fixedMetrics(c.dividerHeight));
        EXPECT_EQ(size.width, c.width) << c.caption;
        EXPECT_EQ(size.height, c.height) << c.caption;
        EXPECT_EQ(size.fullWidth, c.fullWidth) << c.caption;
    }
    EXPECT_EQ(estimatedLevelSize({{101, 20, 108}, {31, 20, 38}, {40, 26, 60}}), QSize(128, 66));
}

TEST(MenuMeasure, ImagesAndPictures)
{
    MenuLevelFacts l = level(0);
    l.imageSize = QSize(16, 30);
    const MenuItemSize withImage = measureMenuItem({QStringLiteral("ab"), false, true}, l, fixedMetrics());
    EXPECT_EQ(withImage.width, 20 + 21 + 2);
    EXPECT_EQ(withImage.height, 33);
    MenuItemFacts picture{QStringLiteral("ab")};
    picture.picture = QSize(50, 40);
    const MenuItemSize pictureItem = measureMenuItem(picture, level(0), fixedMetrics());
    EXPECT_EQ(pictureItem.width, 7 + 50 + 2);
    EXPECT_EQ(pictureItem.height, 40);
}

TEST(MenuDivider, LinesLeaveAGapForTheCaption)
{
    const struct {
        const char* caption;
        int captionWidth, gapLeft, gapRight;
    } cases[] = {
        {"", 0, 56, 58},  // two pixels in the middle
        {"-", 5, 54, 54},  // no gap
        {"Файлы", 20, 46, 68},
    };
    for (const auto& c : cases) {
        const DividerLines d = dividerLines(15, 100, 40, 60, QString::fromUtf8(c.caption), c.captionWidth, 13);
        EXPECT_EQ(d.y, 50) << c.caption;
        EXPECT_EQ(d.gapLeft, c.gapLeft) << c.caption;
        EXPECT_EQ(d.gapRight, c.gapRight) << c.caption;
        EXPECT_EQ(d.areaLeft, 15);
        EXPECT_EQ(d.areaRight, 100);
    }
}

TEST(MenuSideBar, GradientBands)
{
    EXPECT_TRUE(barBands(100, clNavy, clBlack, 1).isEmpty());
    EXPECT_TRUE(barBands(100, clNavy, clBlack, 0).isEmpty());
    const QList<BarBand> bands = barBands(100, rgbColor(0, 100, 200), rgbColor(200, 100, 0), 3);
    ASSERT_EQ(bands.size(), 3);
    const struct {
        int top, height;
        TColor color;
    } expected[] = {
        {0, 22, rgbColor(1, 100, 200)},  // a channel of 0 becomes 1
        {44, 55, rgbColor(100, 100, 100)},
        {88, 88, rgbColor(200, 100, 1)},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bands[i].top, expected[i].top) << i;
        EXPECT_EQ(bands[i].height, expected[i].height) << i;
        EXPECT_EQ(bands[i].color, expected[i].color) << i;
    }
}

TEST(MenuSideBar, PictureFromColourGradientAndCaption)
{
    TAHMSubMenu d;
    d.Enabled = d.BarEnabled = true;
    d.BarWidth = 20;
    d.BarColor = rgbColor(192, 255, 255);
    d.BarAsGradient = {true, rgbColor(0, 128, 128), 1};
    const QImage plain = sideBarPicture(d, 200);
    EXPECT_EQ(plain.size(), QSize(20, 200));
    EXPECT_EQ(pixel(plain, 10, 0), QColor(192, 255, 255));
    EXPECT_EQ(pixel(plain, 10, 199), QColor(192, 255, 255));  // one band: the bar colour alone

    d.BarAsGradient.ColorCount = 32;
    const QImage fading = sideBarPicture(d, 200);
    EXPECT_EQ(pixel(fading, 10, 0), QColor(192, 255, 255));
    EXPECT_EQ(pixel(fading, 10, 199), QColor(1, 128, 128));

    d.BarCaption = QStringLiteral("Системный трей");
    d.BarFontColor = clRed;
    const QImage captioned = sideBarPicture(d, 200);
    int red = 0;
    int lowest = -1;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 20; ++x)
            if (pixel(captioned, x, y).red() > 200 && pixel(captioned, x, y).green() < 100) {
                ++red;
                lowest = y;
            }
    EXPECT_GT(red, 20);
    EXPECT_GT(lowest, 150);  // written upwards from the bottom

    d.BarWidth = 0;
    EXPECT_THROW(sideBarPicture(d, 200), EInvalidOperation);
}

TEST(MenuCharacter, TypedLetterPicksTheFirstItemStartingWithIt)
{
    const QList<MenuCharItem> items{
        {QStringLiteral("Открыть...")},
        {QStringLiteral("Запустить слайд-шоу")},
        {QStringLiteral("Задержка")},
        {QString(), true, true, true},
        {QStringLiteral("Фон"), true, false},    // disabled
        {QStringLiteral("Фильтр"), false, true},  // hidden
        {QStringLiteral("Со&хранить")},
        {QStringLiteral("E&xit")},
        {QStringLiteral("Фото")},
    };
    const struct {
        const char* typed;
        int index;
    } cases[] = {
        {"О", 0}, {"о", 0},  // Cyrillic in both cases
        {"З", 1}, {"з", 1},  // the first of two
        {"Ф", 8},            // disabled and hidden items are passed over
        {"х", 6}, {"С", -1},  // the letter after "&" counts, not the first
        {"X", 7}, {"x", 7},
        {"Ж", -1}, {" ", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(menuCharMatch(items, QString::fromUtf8(c.typed).front()), c.index) << c.typed;
}

namespace {
struct MenuFixture : ::testing::Test {
    QWidget owner;
    TAHMPopupMenu menu{&owner};
    QAction* open = menu.addAction(QStringLiteral("Открыть..."));
    QAction* divider = menu.addSeparator();
    QAction* background = menu.addAction(QStringLiteral("Фон"));
    QAction* about = menu.addAction(QStringLiteral("О программе"));

    MenuFixture()
    {
        menu.MenuFont = kMenuFont;
        menu.SelectedFont = kSelectedFont;
        menu.DividerFont = kDividerFont;
        menu.SelectedColor = clBlueGray;
        menu.FullSelect = false;
        menu.PopupDetails.Enabled = true;
        menu.PopupDetails.Color = clLightTurquoise;
        menu.PopupDetails.BarEnabled = true;
        menu.PopupDetails.BarWidth = 20;
        menu.PopupDetails.BarColor = clRed;
        menu.setMetrics(fixedMetrics(24));
    }

    QImage shown()
    {
        menu.popup(QPoint(100, 100));
        return menu.grab().toImage();
    }
};
}  // namespace

TEST_F(MenuFixture, ItemsStackInOrderAtTheirMeasuredSizes)
{
    menu.popup(QPoint(100, 100));
    int y = 0;
    int widest = 0;
    for (QAction* a : menu.actions())
        widest = std::max(widest, menu.itemSize(a).width);
    for (QAction* a : {open, divider, background, about}) {
        EXPECT_EQ(menu.itemRect(a), QRect(0, y, widest, 24)) << a->text().toStdString();
        y += 24;
    }
    EXPECT_EQ(menu.width(), widest + 2 * TAHMMenu::kFrame);
    EXPECT_EQ(menu.height(), y + 2 * TAHMMenu::kFrame);
    EXPECT_EQ(menu.estimatedSize(), QSize(menu.itemSize(about).fullWidth + 20, 96));
}

TEST_F(MenuFixture, SelectionFillStartsRightOfTheBar)
{
    menu.setActiveAction(background);
    const QImage image = shown();
    const int f = TAHMMenu::kFrame;
    const int y = f + menu.itemRect(background).center().y();
    EXPECT_EQ(pixel(image, f + 5, y), QColor(Qt::red));         // the bar
    EXPECT_EQ(pixel(image, f + 20, y), toQColor(clBlueGray));   // right edge of the bar: selection
    EXPECT_EQ(pixel(image, f + menu.itemRect(background).right(), y), toQColor(clBlueGray));
    const int other = f + menu.itemRect(open).top() + 1;
    EXPECT_EQ(pixel(image, f + 30, other), toQColor(clLightTurquoise));
}

TEST_F(MenuFixture, WithoutSelectionColourTheBackgroundStays)
{
    menu.SelectedColor = clNone;
    menu.relayout();
    menu.setActiveAction(background);
    const QImage image = shown();
    const int f = TAHMMenu::kFrame;
    EXPECT_EQ(pixel(image, f + 30, f + menu.itemRect(background).top() + 1), toQColor(clLightTurquoise));
}

TEST_F(MenuFixture, DividerDrawsShadowOverHighlightWithAGap)
{
    const QImage image = shown();
    const int f = TAHMMenu::kFrame;
    const QRect r = menu.itemRect(divider);
    const int my = r.top() + r.height() / 2;
    const int left = 20 - 1 + 1;  // bar 20 + 1, image column from one pixel before
    const int mx = (left + r.right() + 1) / 2;
    EXPECT_EQ(pixel(image, f + left + 2, f + my), toQColor(clBtnShadow));
    EXPECT_EQ(pixel(image, f + left + 2, f + my + 1), toQColor(clBtnHighlight));
    EXPECT_EQ(pixel(image, f + mx - 2, f + my), toQColor(clBtnShadow));
    EXPECT_EQ(pixel(image, f + mx - 1, f + my), toQColor(clLightTurquoise));
    EXPECT_EQ(pixel(image, f + mx, f + my), toQColor(clLightTurquoise));
    EXPECT_EQ(pixel(image, f + mx + 1, f + my), toQColor(clBtnShadow));
}

TEST_F(MenuFixture, TypingALetterRunsTheItemAfterClosingTheMenu)
{
    QSignalSpy triggered(about, &QAction::triggered);
    bool closedFirst = false;
    QObject::connect(about, &QAction::triggered, &menu, [&] { closedFirst = !menu.isVisible(); });
    menu.popup(QPoint(100, 100));
    QKeyEvent none(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("ж"));
    QApplication::sendEvent(&menu, &none);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(triggered.count(), 0);

    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("о"));
    open->setEnabled(false);  // "Открыть..." would come first
    QApplication::sendEvent(&menu, &key);
    EXPECT_EQ(triggered.count(), 1);
    EXPECT_TRUE(closedFirst);
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(MenuFixture, PopupAlignment)
{
    const int width = menu.sizeHint().width();
    int popups = 0;
    menu.OnPopup = [&] { ++popups; };
    const struct {
        TAHMPopupAlignment alignment;
        int left;
    } cases[] = {{TAHMPopupAlignment::paLeft, 400}, {TAHMPopupAlignment::paRight, 400 - width},
                 {TAHMPopupAlignment::paCenter, 400 - width / 2}};
    for (const auto& c : cases) {
        menu.PopupAlignment = c.alignment;
        menu.Popup(400, 300);
        EXPECT_EQ(menu.pos(), QPoint(c.left, 300));
        menu.hide();
    }
    EXPECT_EQ(popups, 3);
}
