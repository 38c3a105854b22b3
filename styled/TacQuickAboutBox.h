#pragma once
// The about box: the program's name and version in a small modal dialog.
#include <QObject>
#include <QString>

class QWidget;

class TacQuickAboutBox : public QObject {
    Q_OBJECT
public:
    explicit TacQuickAboutBox(QWidget* owner);

    QString caption() const { return QStringLiteral("О программе"); }

    // Shows the dialog and waits until it is closed.
    void Execute();
};
