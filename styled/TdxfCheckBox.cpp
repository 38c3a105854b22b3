#include "TdxfCheckBox.h"

#include "windowing/SafeCall.h"

TdxfCheckBox::TdxfCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
{
    // toggled comes for clicks and for changes from code alike, and never
    // when the state stays as it was.
    connect(this, &QCheckBox::toggled, this, guarded([this] {
                if (onClick)
                    onClick();
            }));
}
