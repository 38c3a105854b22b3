#pragma once
// The font dialog: face, style, size in points, underline and strike-out,
// colour and character set, with a sample. It works on a FontSpec, so sizes
// are whole points at 96 pixels per inch, and a font it opened with comes
// back unchanged when the user changes nothing.
#include "Fonts.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;

class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(QWidget* parent = nullptr);

    // What the dialog shows when it opens.
    void setFontSpec(const FontSpec& font);
    // What it shows now.
    FontSpec fontSpec() const;

    QComboBox* Faces;
    QComboBox* Styles;    // regular, italic, bold, bold italic
    QComboBox* Sizes;     // editable: whole points
    QCheckBox* StrikeOut;
    QCheckBox* Underline;
    QComboBox* Colors;
    QComboBox* Charsets;
    QLabel* Sample;

private:
    void showSample();
    static void selectData(QComboBox* box, const QVariant& value, const QString& textWhenMissing);

    FontSpec shown_;
};
