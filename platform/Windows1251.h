#pragma once
// The Cyrillic 8-bit code page in which older installations wrote their
// playlist files.
#include <QString>

QString fromWindows1251(const char* data, qsizetype size);
