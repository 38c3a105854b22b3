#pragma once
// An extra button in a framed window's caption, left of the window's own
// buttons, with a matching item in the window menu. It has two looks, up and
// pressed; in toggle mode each click flips its down state and the pressed
// look stays while it is down, and the menu item carries a check mark.
#include "TcbFormHookComponent.h"

#include <QPixmap>
#include <QString>

#include <functional>

class QAction;
class QAbstractButton;

// Where the window menu item goes: at position, or at the end when position
// lies more than one past the items there are.
int captionMenuInsertPosition(int itemCount, int position);

class TCustomCaptionButton : public TcbFormHookComponent {
    Q_OBJECT
public:
    struct MenuSettings {
        bool applyToMenu = true;
        QString caption;  // the hint when empty
        int position = 0;
        bool separatorBefore = true;
        bool separatorAfter = false;
    };

    explicit TCustomCaptionButton(QObject* owner);
    ~TCustomCaptionButton() override;

    bool isDown() const { return down_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool visible() const { return visible_; }
    void setVisible(bool on);
    QString hint() const { return hint_; }
    void setHint(const QString& text);
    bool showHint() const { return showHint_; }
    void setShowHint(bool on);
    int separatorWidth() const { return separatorWidth_; }
    void setSeparatorWidth(int pixels);
    const MenuSettings& systemMenu() const { return menu_; }
    void setSystemMenu(const MenuSettings& settings);

    // The button in the caption and the window menu's item (null while not inserted).
    QAbstractButton* button() const;
    QAction* menuItem() const { return menuItem_; }

    std::function<void()> OnButtonClick, OnMenuClick, OnClick, OnDown, OnUp;

protected:
    void setToggleMode(bool on) { toggleMode_ = on; }
    void setGlyphs(const QPixmap& up, const QPixmap& down);
    // Forced up outside toggle mode.
    void setDown(bool on);
    // A click on the button or the menu item, after the down state flipped.
    virtual void click();

private:
    friend class CaptionButtonFace;
    void toggle();
    void buttonClicked();
    void menuChosen();
    void insertMenuItems();
    void removeMenuItems();
    void updateHint();
    void relayout();

    class CaptionButtonFace* face_;
    QAction* menuItem_ = nullptr;
    QAction* separatorBefore_ = nullptr;
    QAction* separatorAfter_ = nullptr;
    MenuSettings menu_;
    QPixmap upGlyph_, downGlyph_;
    QString hint_;
    int separatorWidth_ = 0;
    bool toggleMode_ = false;
    bool down_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool showHint_ = true;
};
