#pragma once
// The application's current hint: the hint of the highlighted menu item or of
// the control under the mouse (the nearest parent's when the control has
// none, the empty text when none has one). It announces every change.
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

class ApplicationHint : public QObject {
    Q_OBJECT
public:
    // Follows the mouse over the controls of window.
    explicit ApplicationHint(QWidget* window);
    ~ApplicationHint() override;

    static void setHint(QWidget* control, const QString& hint);
    static QString hintOf(const QWidget* control);  // nearest parent's when the control has none
    // The part after "|", or the whole hint when it has no "|".
    static QString longHint(const QString& hint);

    QString current() const { return current_; }
    void setCurrent(const QString& hint);

    void watchMenu(QMenu* menu);
    void watchMenuBar(QMenuBar* bar);

signals:
    void changed(const QString& hint);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<QWidget> window_;
    QString current_;
};
