#include "TCustomCaptionButton.h"

#include "Colors.h"
#include "SafeCall.h"

#include <QAbstractButton>
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

int captionMenuInsertPosition(int itemCount, int position) { return position > itemCount + 1 ? itemCount : position; }

// The button's face in the caption: the classic raised or sunken edge with
// the glyph; a right click on it is swallowed.
class CaptionButtonFace : public QAbstractButton {
public:
    CaptionButtonFace(TCustomCaptionButton* owner) : owner_(owner)
    {
        setFixedSize(FrameCaption::kButtonWidth - 2, FrameCaption::kButtonHeight - 4);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("captionButton"));
        connect(this, &QAbstractButton::clicked, this, guarded([this] { owner_->buttonClicked(); }));
    }

    bool drawnPressed() const { return isDown() || owner_->down_; }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            QAbstractButton::mousePressEvent(event);
        else
            event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            QAbstractButton::mouseReleaseEvent(event);
        else
            event->accept();
    }
    void contextMenuEvent(QContextMenuEvent* event) override { event->accept(); }

    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int w = width() - 3, h = height() - 3;  // the face of w x h inside the edges
        const bool pressed = drawnPressed();
        const QColor highlight = toQColor(clBtnHighlight), light = toQColor(cl3DLight), grey(0x80, 0x80, 0x80),
                     lightGrey(0xC0, 0xC0, 0xC0), black(Qt::black);
        auto lines = [&p](int inset, const QColor& topLeft, const QColor& bottomRight, int right, int bottom) {
            p.setPen(topLeft);
            p.drawLine(inset, inset, right - inset, inset);
            p.drawLine(inset, inset, inset, bottom - inset);
            p.setPen(bottomRight);
            p.drawLine(inset, bottom - inset, right - inset, bottom - inset);
            p.drawLine(right - inset, inset, right - inset, bottom - inset);
        };
        const int right = width() - 1, bottom = height() - 1;
        if (pressed) {
            lines(0, black, highlight, right, bottom);
            lines(1, grey, lightGrey, right, bottom);
        } else {
            lines(0, highlight, black, right, bottom);
            lines(1, light, grey, right, bottom);
        }
        p.fillRect(QRect(QPoint(2, 2), QPoint(w, h)), toQColor(clBtnFace));
        const QPixmap& glyph = pressed && !owner_->downGlyph_.isNull() ? owner_->downGlyph_ : owner_->upGlyph_;
        if (glyph.isNull())
            return;
        const int shift = pressed ? 1 : 0;
        const QRect target(2 + shift, 2 + shift, w - 1, h - 1);
        if (isEnabled()) {
            p.drawPixmap(target, glyph);
        } else {
            // Embossed: the picture's shape in the highlight colour one pixel
            // down-right, then in the shadow colour.
            QPixmap shape(glyph.size());
            shape.fill(Qt::transparent);
            for (const auto& [offset, colour] : {std::pair{QPoint(1, 1), highlight}, std::pair{QPoint(0, 0), grey}}) {
                QPainter s(&shape);
                s.drawPixmap(0, 0, glyph);
                s.setCompositionMode(QPainter::CompositionMode_SourceIn);
                s.fillRect(shape.rect(), colour);
                s.end();
                p.drawPixmap(target.translated(offset), shape);
            }
        }
    }

private:
    TCustomCaptionButton* owner_;
};

TCustomCaptionButton::TCustomCaptionButton(QObject* owner)
    : TcbFormHookComponent(owner), face_(new CaptionButtonFace(this))
{
    form()->addCaptionButton(face_);
    menu_.position = int(form()->windowMenu()->actions().size());
    insertMenuItems();
}

TCustomCaptionButton::~TCustomCaptionButton()
{
    if (form()) {
        removeMenuItems();
        delete face_;
    }
}

QAbstractButton* TCustomCaptionButton::button() const { return face_; }

void TCustomCaptionButton::setGlyphs(const QPixmap& up, const QPixmap& down)
{
    upGlyph_ = up;
    downGlyph_ = down;
    face_->update();
}

void TCustomCaptionButton::setDown(bool on)
{
    if (!toggleMode_)
        on = false;
    if (on == down_)
        return;
    down_ = on;
    if (menuItem_)
        menuItem_->setChecked(on);
    face_->update();
}

void TCustomCaptionButton::setEnabled(bool on)
{
    enabled_ = on;
    face_->setEnabled(on);
    if (menuItem_)
        menuItem_->setEnabled(on);
    updateHint();
}

void TCustomCaptionButton::setVisible(bool on)
{
    visible_ = on;
    face_->setVisible(on);
    updateHint();
    relayout();
}

void TCustomCaptionButton::setHint(const QString& text)
{
    if (text == hint_)
        return;
    hint_ = text;
    updateHint();
    if (menuItem_ && menu_.caption.isEmpty())
        menuItem_->setText(text);
}

void TCustomCaptionButton::setShowHint(bool on)
{
    showHint_ = on;
    updateHint();
}

void TCustomCaptionButton::setSeparatorWidth(int pixels)
{
    if (pixels == separatorWidth_)
        return;
    separatorWidth_ = pixels;
    face_->setProperty("separatorWidth", pixels);
    relayout();
}

void TCustomCaptionButton::setSystemMenu(const MenuSettings& settings)
{
    removeMenuItems();
    menu_ = settings;
    insertMenuItems();
}

void TCustomCaptionButton::updateHint()
{
    face_->setToolTip(visible_ && enabled_ && showHint_ ? hint_ : QString());
}

void TCustomCaptionButton::relayout()
{
    if (form())
        form()->captionBar()->updateButtons();
}

void TCustomCaptionButton::insertMenuItems()
{
    if (!menu_.applyToMenu || !form())
        return;
    QMenu* menu = form()->windowMenu();
    int p = captionMenuInsertPosition(int(menu->actions().size()), menu_.position);
    menuItem_ = new QAction(menu_.caption.isEmpty() ? hint_ : menu_.caption, this);
    menuItem_->setCheckable(true);
    menuItem_->setChecked(down_);
    menuItem_->setEnabled(enabled_);
    connect(menuItem_, &QAction::triggered, this, guarded([this] { menuChosen(); }));
    form()->insertWindowMenuItem(p, menuItem_);
    if (menu_.separatorBefore) {
        separatorBefore_ = new QAction(this);
        separatorBefore_->setSeparator(true);
        form()->insertWindowMenuItem(p, separatorBefore_);
        p += 2;
    } else {
        p += 1;
    }
    if (menu_.separatorAfter) {
        separatorAfter_ = new QAction(this);
        separatorAfter_->setSeparator(true);
        form()->insertWindowMenuItem(p, separatorAfter_);
    }
}

void TCustomCaptionButton::removeMenuItems()
{
    for (QAction** item : {&menuItem_, &separatorBefore_, &separatorAfter_}) {
        delete *item;
        *item = nullptr;
    }
}

void TCustomCaptionButton::toggle()
{
    setDown(!down_);
    if (down_ ? OnDown : OnUp)
        (down_ ? OnDown : OnUp)();
}

void TCustomCaptionButton::buttonClicked()
{
    if (!enabled_)
        return;
    if (toggleMode_)
        toggle();
    if (OnButtonClick)
        OnButtonClick();
    click();
}

void TCustomCaptionButton::menuChosen()
{
    if (!enabled_)
        return;
    if (toggleMode_)
        toggle();
    else if (menuItem_)
        menuItem_->setChecked(false);
    if (OnMenuClick)
        OnMenuClick();
    click();
}

void TCustomCaptionButton::click()
{
    if (OnClick)
        OnClick();
}
