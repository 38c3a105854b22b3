#pragma once
// The main window's menu keys are plain keys (letters, F-keys, Ins, Del).
// They act in every control of the window before the control sees them, so
// typing C in a text field clears the playlist instead of typing the letter.
#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QKeyEvent;
class QWidget;

class MenuKeyRouter : public QObject {
    Q_OBJECT
public:
    MenuKeyRouter(QWidget* window, QList<QAction*> actions);
    ~MenuKeyRouter() override;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    QAction* actionFor(const QKeyEvent* key) const;

    QPointer<QWidget> window_;
    QList<QPointer<QAction>> actions_;
};
