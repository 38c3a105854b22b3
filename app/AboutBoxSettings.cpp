#include "AboutBoxSettings.h"

#include "sysinfo/TacSystemInfo.h"

#include <QDate>
#include <QIcon>
#include <QLocale>

namespace {
// The day this file was compiled, as dd.MM.yyyy.
QString buildDate()
{
    const QDate date = QLocale::c().toDate(QString::fromLatin1(__DATE__).simplified(), QStringLiteral("MMM d yyyy"));
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}
}  // namespace

void setUpAboutBox(TacQuickAboutBox& box)
{
    box.Caption = QStringLiteral("О программе");
    box.Copyright = QStringLiteral("[B][MAROON]Калейдор 1.5 Домашняя редакция\r\n"
                                   "[DEF][BLACK]Средство разработки: [U]C++ / Qt 6[]\r\n"
                                   "Настроен для рабочих столов Linux\r\n"
                                   "Автор: [B][RED]команда Калейдора[DEF]");
    box.Description = QStringLiteral("Эта версия сделана для редакции [B][RED]Домашняя[DEF]\r\n"
                                     "[MAROON]Дата компиляции:[DEF]\r\n"
                                     "[B][PURPLE]") +
                      buildDate();
    box.DescriptionColor = clHighlightText;
    box.GradientBackground.Color1 = clInactiveCaptionText;
    box.GradientBackground.Color2 = clInactiveBorder;
    box.Cursors.Links = Qt::PointingHandCursor;
    box.Icon = QIcon(QStringLiteral(":/icons/kaleidor-32.png"));
    box.Localization.stAbout = QStringLiteral("О");
    box.Localization.stOK = QStringLiteral("Закрыть");
    box.ShowFrames = false;
    box.Email = QStringLiteral("kaleidor@example.org");
    box.WebSite = QStringLiteral("www.example.org/kaleidor");
    box.Width = 290;
}

AboutSystemTexts aboutSystemTexts()
{
    const TacSystemInfo info;
    return {info.WinVersion(), info.WinVersionNumber(), info.CPUFrequency()};
}
