#pragma once
// A two-state check box with a caption. A mouse click toggles it and runs its
// click action; setting the state from code runs the action too, but only
// when the state really changes.
#include <QCheckBox>
#include <functional>

class TdxfCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TdxfCheckBox(const QString& caption, QWidget* parent = nullptr);

    bool checked() const { return isChecked(); }

    std::function<void()> onClick;
};
