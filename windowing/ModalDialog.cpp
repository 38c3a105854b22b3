#include "ModalDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialog>
#include <QPointer>

int runDialog(QDialog& dialog)
{
    QPointer<QWidget> over = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    const int result = dialog.exec();
    // A file name's completion list is a window of its own; it would stay
    // on the screen after the dialog.
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (QAbstractItemView* popup = completer->popup(); popup && popup->isVisible())
            popup->hide();
    if (over && over->isVisible())
        over->activateWindow();
    return result;
}
