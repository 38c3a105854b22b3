#pragma once
// The about window: icon, title, the marked-up copyright and description,
// the e-mail and web links and the close button over a gradient. It is built
// anew by TacQuickAboutBox for every showing; the layout below the copyright
// follows the heights of the texts.
#include "LinkAddress.h"
#include "windowing/FramedWindow.h"

#include <functional>

class QLabel;
class QPushButton;
class TacAnimationEffect;
class TacFormBackground;
class TacLabel;
class TacRichLabel;
class UrlOpener;

// A separator line along the top of its rectangle: shadow above highlight.
class TacBevel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The title: the text drawn over a highlight two pixels and a shadow one
// pixel towards the lower right.
class TacTitleLabel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    QString text() const { return text_; }
    void setText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

class TacQuickAboutBoxForm : public FramedWindow {
    Q_OBJECT
public:
    explicit TacQuickAboutBoxForm(UrlOpener& opener, QWidget* parent = nullptr);

    QLabel* Icon;
    TacTitleLabel* TitleLabel;
    TacRichLabel* CopyrightLabel;
    TacBevel* Bevel1;
    TacBevel* Bevel2;
    TacRichLabel* DescriptionLabel;
    QLabel* EmailLabel;
    QLabel* WWWLabel;
    TacLabel* EmailLab;
    TacLabel* WWWLab;
    QPushButton* OKBtn;
    TacFormBackground* acFormBackground;
    TacAnimationEffect* AnimEffect;

    // What the e-mail link sends; the address is the link's text.
    MailLink mail() const;
    QString mailSubject;
    QString mailBody;
    // Run when the window is shown (the e-mail's subject and body are filled there).
    std::function<void()> FormShow;

    void EmailLabClick();
    void WWWLabClick();

    // Shows the window and returns once it has been closed.
    void showModal();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    UrlOpener& opener_;
};
