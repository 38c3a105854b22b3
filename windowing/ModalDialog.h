#pragma once
// Runs a dialog modally over its parent's window and leaves no trace of it:
// a completion list it opened closes with it, and the keyboard focus goes
// back to the window it stood over, also when no window manager does that.
class QDialog;

// The dialog's result (QDialog::Accepted or Rejected).
int runDialog(QDialog& dialog);
