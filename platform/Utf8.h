#pragma once
// Strict UTF-8 check: shortest forms only, no surrogates, nothing above
// U+10FFFF. Text that fails it is taken to be in an older 8-bit encoding.
#include <QString>
#include <QtGlobal>

bool isStrictUtf8(const char* data, qsizetype size);

// The text of bytes already found to be UTF-8 by isStrictUtf8, in one
// allocation of its exact size (Qt's conversion leaves room for every byte,
// which a hundred thousand playlist entries would keep). Bytes that are not
// UTF-8 still come out safely, each bad part as a replacement character.
QString fromCheckedUtf8(const char* data, qsizetype size);
