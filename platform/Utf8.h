#pragma once
// Strict UTF-8 check: shortest forms only, no surrogates, nothing above
// U+10FFFF. Text that fails it is taken to be in an older 8-bit encoding.
#include <QtGlobal>

bool isStrictUtf8(const char* data, qsizetype size);
