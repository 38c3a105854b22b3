#pragma once
// The application error box and the program's message dialog.
#include <QSize>
#include <QString>

class QFontMetrics;
class QWidget;

// The text the error box shows: "." is appended when the last character's
// code is greater than that of ".".
QString errorBoxText(const QString& message);

// Modal box: caption = application title, error icon, one OK button.
// Runs a nested event loop; timers keep ticking.
void showErrorBox(const QString& message);

enum class MessageKind { Error, Information };

// The text of a message dialog: every "\r" starts a new line.
QString messageDialogText(const QString& text);

// What a box shows of a text in an area of the given size: each line elided
// in its middle to the width, and no more lines than the height holds, the
// last of them then saying how many more there were. Only the lines shown are
// laid out, so a text of megabytes costs no more than a screenful.
QString fitMessageText(const QString& text, const QFontMetrics& metrics, QSize area);

// Modal message dialog with an icon, the text and one "OK" button; caption
// "Error" or "Information".
void showMessageDialog(const QString& text, MessageKind kind, QWidget* over = nullptr);
