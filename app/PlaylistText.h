#pragma once
// Reading the playlist's text form, shared by playlist files and the stored
// value; PlaylistEntries writes it.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace PlaylistText {
// Up to the first NUL; split at CR LF, lone CR and lone LF (LF CR is two
// breaks); a break at the very end adds no empty entry; no trimming. UTF-8
// when the bytes are valid UTF-8, otherwise Windows-1251.
QStringList decode(const QByteArray& bytes);
// The line splitting of decode, on text already decoded.
QStringList splitLines(const QString& text);
}  // namespace PlaylistText
