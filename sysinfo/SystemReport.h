#pragma once
// The short report on the machine that the help window shows: user, clock,
// memory, DirectX version, up time and how often the program was started.
#include <QLocale>
#include <QStringList>

class TacSystemInfo;

// startCount is the count stored before this start; the report counts this
// start too. Fractional megabytes use the locale's decimal separator.
QStringList systemReport(const TacSystemInfo& info, int startCount, const QLocale& locale = QLocale());
