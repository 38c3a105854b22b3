// A dialog run over a window: its completion list closes with it and the
// focus goes back to the window, which no window manager does offscreen.
#include "TestSupport.h"
#include "windowing/ModalDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ModalDialog, TheCompletionListClosesWithTheDialogAndTheFocusReturns)
{
    QWidget window;
    window.resize(300, 200);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &window; }));

    for (const bool accept : {true, false}) {
        QFileDialog dialog(&window);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QAbstractItemView* popup = nullptr;
        QTimer::singleShot(0, &dialog, [&] {
            // The user typed part of a name: the completion list is up.
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            QCompleter* completer = name->completer();
            ASSERT_NE(completer, nullptr);
            popup = completer->popup();
            popup->show();
            static_cast<QDialog&>(dialog).done(accept ? QDialog::Accepted : QDialog::Rejected);
        });
        EXPECT_EQ(runDialog(dialog), accept ? QDialog::Accepted : QDialog::Rejected);
        ASSERT_NE(popup, nullptr);
        EXPECT_FALSE(popup->isVisible());
        EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == &window; }));
    }
}
