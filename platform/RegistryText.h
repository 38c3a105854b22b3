#pragma once
// The text form of the per-user registry, a file that people read and edit:
//
//   ; comment
//   [HKEY_CURRENT_USER\Qx\настройки]
//   "Fon"=dword:00c0c0c0
//   "Font Name"="Courier New"
//   "Data"=hex(3):01,ff
//
// A string is written with the escapes \\ \" \r \n \0 and stands for its
// UTF-8 bytes plus the closing NUL; dword is 8 lower-case hex digits; every
// other value is hex(T) with T the type number in hex, as "hex(b)" for 11.
// "@" names the key's unnamed value. Order is kept both ways. Lines end at
// LF when written and at CR LF, LF or CR when read.
#include "platform/RegistryTree.h"

#include <QByteArray>

#include <optional>

namespace RegistryText {

inline constexpr char rootName[] = "HKEY_CURRENT_USER";

// An elided value cannot be written this way.
QByteArray write(const RegKey& root);

// The text of a value after "=", as write() gives it.
QByteArray valueText(const RegValue& value);

// Writes root, copying each elided value's text from source, the store text
// the tree was read from or last written to, and records in root where each
// value's text now stands. Nothing when an elided value's text lies outside
// source.
std::optional<QByteArray> rewrite(RegKey& root, const QByteArray& source);

// Fills root from text. Returns false for text that is not in the form
// above (invalid UTF-8, a value before any key, a broken line); *badLine
// then holds the 1-based number of the first bad line.
bool read(const QByteArray& text, RegKey& root, int* badLine = nullptr);

}  // namespace RegistryText
