#pragma once
// The settings dialog: the playlist's font and background, a reset of the
// main window's look, and five switches that other windows read. It reaches
// no other window: it says what the user asked for through its signals.
#include "Settings.h"
#include "windowing/Colors.h"
#include "windowing/Fonts.h"
#include "windowing/FramedWindow.h"

class QColorDialog;
class FontDialog;
class QFrame;
class QLabel;
class QTextEdit;
class QToolButton;
class TabfFormEffect;
class TacLabel;
class TdxfCheckBox;

class TForm4 : public FramedWindow {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    void FormCreate() override;

    static QString wheelText(bool hasWheel);

    // The font and colour dialogs open with what was last chosen in them.
    FontSpec chooseFont(bool& ok);
    TColor chooseColor(bool& ok);
    FontSpec lastFont() const { return lastFont_; }
    TColor lastColor() const { return lastColor_; }

    // The check boxes show the options; the application keeps them.
    Options options() const;
    void setOptions(const Options& options);

    TColor swatchColor() const { return swatchColor_; }
    void setSwatchColor(TColor color);

    QTextEdit* Memo1;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton2;
    QLabel* Label1;
    QFrame* Panel1;
    TdxfCheckBox* CheckBox1;
    TdxfCheckBox* dxfCheckBox2;
    TdxfCheckBox* CB1;
    TdxfCheckBox* dxfCheckBox1;
    TdxfCheckBox* CB3;
    TacLabel* acLabel1;
    FontDialog* FontDialog1;
    QColorDialog* ColorDialog1;
    TabfFormEffect* abfFormEffect;

    void SpeedButton1Click();  // font command
    void SpeedButton2Click();  // background command
    void SpeedButton3Click();  // reset
    void Panel1Click();        // swatch command
    void CheckBox1Click();     // magnet switch
    void dxfCheckBox1Click();  // tray switch
    void acLabel1Click();      // close

signals:
    void fontRequested();
    void backgroundRequested();
    // The playlist's look and the main window's size go back to their design.
    void lookReset();
    void windowFontColorChosen(TColor color);
    void magnetSwitched(bool active);
    void trayIconSwitched(bool visible);
    void optionsChanged(const Options& options);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FontSpec lastFont_;
    TColor lastColor_ = clBlack;
    TColor swatchColor_ = clBtnFace;
};

extern TForm4* Form4;
