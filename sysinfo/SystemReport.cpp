#include "SystemReport.h"

#include "TacSystemInfo.h"
#include "windowing/Rounding.h"

#include <limits>

QStringList systemReport(const TacSystemInfo& info, int startCount, const QLocale& locale)
{
    constexpr double kMegabyte = 1048576.0;
    QLocale numbers = locale;
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    // The stored count stops at the largest integer, and so does the report.
    const int starts = startCount == std::numeric_limits<int>::max() ? startCount : startCount + 1;
    return {
        QString(),
        QStringLiteral("Имя пользователя  -  ") + info.CurrentUserName(),
        QStringLiteral("Частота процессора  -  %1 Mhz").arg(info.CPUFrequency()),
        QStringLiteral("Кол-во ОЗУ  -  ") +
            numbers.toString(static_cast<double>(info.MemTotalPhisical()) / kMegabyte, 'g', 15) +
            QStringLiteral(" Mb"),
        QStringLiteral("Кол-во свободного ОЗУ  -  %1 Mb")
            .arg(roundHalfEven(static_cast<double>(info.MemAvailPhisical()) / kMegabyte)),
        QStringLiteral("Версия DirectX  -  ") + info.WinDirectXVersion(),
        QString(53, QLatin1Char('-')),
        QStringLiteral("Время работы системы  -  %1 минут(ы)")
            .arg(roundHalfEven(static_cast<double>(info.SystemUpTime()) / 60.0)),
        QStringLiteral("Программа была запущена %1 раз(а)").arg(starts),
    };
}
