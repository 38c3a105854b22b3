#include "FakeSystemQueries.h"

#include "styled/TacLabel.h"
#include "sysinfo/SystemReport.h"
#include "sysinfo/TAboutBox.h"
#include "sysinfo/TabfCredits.h"
#include "sysinfo/TacSystemInfo.h"

#include "TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

TEST(SystemReport, LinesFromTheSystemValues)
{
    FakeSystemQueries q;
    q.login = QStringLiteral("ivan");
    q.memoryFigures = MemoryFigures{536346624, 536346624, 0, 0};
    q.upTime = 90;
    TacSystemInfo si(q);
    const QStringList lines = systemReport(si, 0, QLocale(QLocale::Russian));
    const QStringList expected = {
        QString(),
        QStringLiteral("Имя пользователя  -  ivan"),
        QStringLiteral("Частота процессора  -  2400 Mhz"),
        QStringLiteral("Кол-во ОЗУ  -  511,5 Mb"),
        QStringLiteral("Кол-во свободного ОЗУ  -  512 Mb"),  // 511.5 rounds to the even neighbour
        QStringLiteral("Версия DirectX  -  "),
        QStringLiteral("-----------------------------------------------------"),
        QStringLiteral("Время работы системы  -  2 минут(ы)"),
        QStringLiteral("Программа была запущена 1 раз(а)"),
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(lines[6].size(), 53);
}

TEST(SystemReport, FiguresRoundAndFormatAsTheUserReadsThem)
{
    FakeSystemQueries q;
    TacSystemInfo si(q);
    const struct {
        std::int64_t total, available, upTime;
        int starts;
        QLocale::Language language;
        const char *totalLine, *availableLine, *upTimeLine, *startsLine;
    } cases[] = {
        {536870912, 537395200, 150, 4, QLocale::Russian, "Кол-во ОЗУ  -  512 Mb", "Кол-во свободного ОЗУ  -  512 Mb",
         "Время работы системы  -  2 минут(ы)", "Программа была запущена 5 раз(а)"},
        {536346624, 0, 89, 0, QLocale::C, "Кол-во ОЗУ  -  511.5 Mb", "Кол-во свободного ОЗУ  -  0 Mb",
         "Время работы системы  -  1 минут(ы)", "Программа была запущена 1 раз(а)"},
        // 16 GiB and 60 days: 64-bit figures, never wrapped; no group separator.
        {17179869184LL, 12884901888LL, 5184000, std::numeric_limits<int>::max(), QLocale::Russian,
         "Кол-во ОЗУ  -  16384 Mb", "Кол-во свободного ОЗУ  -  12288 Mb", "Время работы системы  -  86400 минут(ы)",
         "Программа была запущена 2147483647 раз(а)"},
    };
    for (const auto& c : cases) {
        q.memoryFigures = MemoryFigures{c.total, c.available, 0, 0};
        q.upTime = c.upTime;
        const QStringList lines = systemReport(si, c.starts, QLocale(c.language));
        EXPECT_EQ(lines[3], QString::fromUtf8(c.totalLine));
        EXPECT_EQ(lines[4], QString::fromUtf8(c.availableLine));
        EXPECT_EQ(lines[7], QString::fromUtf8(c.upTimeLine));
        EXPECT_EQ(lines[8], QString::fromUtf8(c.startsLine));
    }
}

namespace {
struct AboutBoxFixture {
    FakeSystemQueries queries;
    TAboutBox box{queries};

    AboutBoxFixture() { QLocale::setDefault(QLocale(QLocale::Russian)); }
    ~AboutBoxFixture() { QLocale::setDefault(QLocale::c()); }
};
}  // namespace

TEST(AboutBox, ThreeModesAndClose)
{
    AboutBoxFixture f;
    TAboutBox& b = f.box;
    EXPECT_EQ(b.clientWidth(), 306);
    EXPECT_EQ(b.clientHeight(), 282);
    EXPECT_FALSE(b.isVisible());
    EXPECT_FALSE(b.me1->TimerEnabled());

    const struct {
        const char* step;
        std::function<void()> run;
        const char* caption;
        bool help, panel, credits, report, timer;
    } steps[] = {
        {"help", [&] { b.showHelp(); }, "Помощь", true, false, false, false, false},
        {"additional", [&] { b.showAdditional(); }, "Дополнительно", false, true, true, false, true},
        // Help leaves the credits moving in the hidden panel.
        {"help again", [&] { b.showHelp(); }, "Помощь", true, false, false, false, true},
        {"report", [&] { b.showSystemReport(2); }, "О системе", false, true, false, true, true},
    };
    for (const auto& s : steps) {
        s.run();
        EXPECT_TRUE(b.isVisible()) << s.step;
        EXPECT_EQ(b.caption(), QString::fromUtf8(s.caption)) << s.step;
        EXPECT_EQ(b.label1->isVisible(), s.help) << s.step;
        EXPECT_EQ(b.Panel1->isVisible(), s.panel) << s.step;
        EXPECT_EQ(b.me->isVisible(), s.credits) << s.step;
        EXPECT_EQ(b.Memo1->isVisible(), s.report) << s.step;
        EXPECT_EQ(b.me1->TimerEnabled(), s.timer) << s.step;
    }
    EXPECT_EQ(b.Memo1->toPlainText().split(QLatin1Char('\n')).last(), QStringLiteral("Программа была запущена 3 раз(а)"));

    QTest::mouseClick(b.acLabel1, Qt::LeftButton);
    EXPECT_FALSE(b.isVisible());
    EXPECT_FALSE(b.me1->TimerEnabled());
    EXPECT_FALSE(b.me1->timerArmed());

    // Shown again, the window keeps the mode it was last set to until the command arranges it.
    b.showHelp();
    EXPECT_TRUE(b.label1->isVisible());

    // Closed by the window manager, the window hides and the credits stop as well.
    b.showAdditional();
    b.close();
    EXPECT_FALSE(b.isVisible());
    EXPECT_FALSE(b.me1->timerArmed());
}

TEST(AboutBox, CentredOnFirstShowThenWhereLeft)
{
    AboutBoxFixture f;
    TAboutBox& b = f.box;
    b.showHelp();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(b.x() + b.outerWidth() / 2.0, screen.center().x(), 1.0);
    EXPECT_NEAR(b.y() + b.outerHeight() / 2.0, screen.center().y(), 1.0);
    b.move(10, 20);
    b.acLabel1Click();
    b.showAdditional();
    EXPECT_EQ(b.pos(), QPoint(10, 20));
}

TEST(AboutBox, ReadOnlyTextsCanBeSelectedAndCopied)
{
    AboutBoxFixture f;
    TAboutBox& b = f.box;
    f.queries.memoryFigures = MemoryFigures{536346624, 0, 0, 0};
    b.showSystemReport(0);
    EXPECT_TRUE(b.Memo1->toPlainText().contains(QStringLiteral("Кол-во ОЗУ  -  511,5 Mb")));
    for (QPlainTextEdit* text : {b.label1, b.me, b.Memo1}) {
        EXPECT_TRUE(text->isReadOnly());
        QApplication::clipboard()->clear();
        text->setFocus();
        QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), text->toPlainText()) << text->objectName().toStdString();
        QTest::keyClick(text, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClicks(text, QStringLiteral("abc"));
        EXPECT_FALSE(text->toPlainText().isEmpty());
        EXPECT_FALSE(text->toPlainText().contains(QStringLiteral("abc")));
    }
}

TEST(AboutBox, HelpTextAndCreditsAsDesigned)
{
    AboutBoxFixture f;
    TAboutBox& b = f.box;
    const QStringList help = b.label1->toPlainText().split(QLatin1Char('\n'));
    EXPECT_EQ(help.size(), 58);
    for (const QString& line : help)
        EXPECT_LE(line.size(), 40) << line.toStdString();
    const QStringList formats = {QStringLiteral("Программа поддерживает следующие "),
                                 QStringLiteral("форматы:"),
                                 QStringLiteral("Видео- *.avi;*.mpeg;*.mpg;*.asf;*.wmv;"),
                                 QStringLiteral("*.divx;*.dat"),
                                 QStringLiteral("Изображения- *.dib;*.jpg;*.jpeg;*.bmp;"),
                                 QStringLiteral("*.ico;*.emf;*.wmf;*.gif"),
                                 QStringLiteral("Музыка- *.wav;*.mid;*.ac3;*.mp3;*.ogg")};
    EXPECT_EQ(help.mid(0, 7), formats);
    const QString history = b.me->toPlainText();
    for (const char* version : {"Версия 1.1", "Версия 1.2", "Версия 1.3", "Версия 1.4", "Версия 1.5"})
        EXPECT_TRUE(history.contains(QString::fromUtf8(version))) << version;

    TabfCredits& c = *b.me1;
    ASSERT_EQ(c.Credits().count(), 2);
    EXPECT_EQ(c.Credits()[0].Header(), QStringLiteral("Автор:"));
    EXPECT_EQ(c.Credits()[1].Header(), QStringLiteral("Бетатестёры:"));
    EXPECT_EQ(c.Credits()[0].Body().size(), 3);
    EXPECT_EQ(c.Credits()[1].Body().size(), 3);
    EXPECT_FALSE(c.Credits()[0].ParentHeaderFont());
    EXPECT_FALSE(c.Credits()[1].ParentBodyFont());
    EXPECT_EQ(c.FillType(), QStringLiteral("GradientHorz"));
    EXPECT_EQ(c.geometry(), QRect(1, 1, 303, 87));
    EXPECT_EQ(c.PathBegin(), 87);
    EXPECT_EQ(c.PathEnd(), 0);
    EXPECT_EQ(c.PathRiseTo(), 87);
    EXPECT_EQ(c.PathFallFrom(), 50);
    EXPECT_EQ(c.TimerInterval(), 15);
    EXPECT_EQ(c.CreditsPosition(), 0);

    // The design's faces are drawn in their free stand-ins.
    const struct {
        const char* design;
        const char* drawn;
    } faces[] = {{"Monotype Corsiva", "Z003"},      {"Comic Sans MS", "Comic Neue"},
                 {"Arial", "Liberation Sans"},      {"Times New Roman", "Liberation Serif"},
                 {"Courier New", "Liberation Mono"}};
    for (const auto& face : faces)
        // A face installed from two foundries carries the foundry's name after it.
        EXPECT_TRUE(QFontInfo(QFont(QString::fromUtf8(face.design))).family().startsWith(QString::fromUtf8(face.drawn)))
            << face.design;
}
