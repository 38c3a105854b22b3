#include "TacQuickAboutBoxForm.h"

#include "TacFormBackground.h"
#include "TacLabel.h"
#include "TacRichLabel.h"
#include "platform/UrlOpener.h"
#include "windowing/SafeCall.h"
#include "windowing/TacAnimationEffect.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

void TacBevel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(toQColor(clBtnShadow));
    p.drawLine(0, 0, width() - 1, 0);
    p.setPen(toQColor(clBtnHighlight));
    p.drawLine(0, 1, width() - 1, 1);
}

void TacTitleLabel::setText(const QString& text)
{
    text_ = text;
    update();
}

void TacTitleLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(fontSpec(QStringLiteral("Arial"), -16, fsBold | fsItalic).toQFont());
    const int flags = Qt::AlignHCenter | Qt::AlignTop;
    p.setPen(toQColor(clHighlightText));
    p.drawText(rect().translated(2, 2), flags, text_);
    p.setPen(toQColor(cl3DLight));
    p.drawText(rect().translated(1, 1), flags, text_);
    p.setPen(toQColor(clWindowText));
    p.drawText(rect(), flags, text_);
}

TacQuickAboutBoxForm::TacQuickAboutBoxForm(UrlOpener& opener, QWidget* parent) : FramedWindow(parent), opener_(opener)
{
    setObjectName(QStringLiteral("acQuickAboutBoxForm"));
    setBorderStyle(BorderStyle::Dialog);
    setBorderIcons({true, false, false});
    setWindowModality(Qt::ApplicationModal);
    QWidget* c = client();
    c->setFont(FontSpec().toQFont());
    acFormBackground = new TacFormBackground(c);
    AnimEffect = new TacAnimationEffect(this);

    Icon = new QLabel(c);
    Icon->setObjectName(QStringLiteral("Icon"));
    Icon->setGeometry(2, 4, 32, 32);
    TitleLabel = new TacTitleLabel(c);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    TitleLabel->setGeometry(4, 4, 287, 21);

    CopyrightLabel = new TacRichLabel(c);
    CopyrightLabel->setObjectName(QStringLiteral("CopyrightLabel"));
    CopyrightLabel->WordWrap = true;
    CopyrightLabel->setTransparent(true);
    CopyrightLabel->setGeometry(40, 28, 249, 13);

    Bevel1 = new TacBevel(c);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel2 = new TacBevel(c);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    for (TacBevel* bevel : {Bevel1, Bevel2})
        bevel->setGeometry(32, 0, 242, 9);

    DescriptionLabel = new TacRichLabel(c);
    DescriptionLabel->setObjectName(QStringLiteral("DescriptionLabel"));
    DescriptionLabel->WordWrap = true;
    DescriptionLabel->setTransparent(true);
    DescriptionLabel->setLabelFont(fontSpec(QStringLiteral("MS Sans Serif"), -11));
    DescriptionLabel->setGeometry(32, 0, 246, 13);

    EmailLabel = new QLabel(QStringLiteral("E-Mail:"), c);
    EmailLabel->setObjectName(QStringLiteral("EmailLabel"));
    WWWLabel = new QLabel(QStringLiteral("WWW:"), c);
    WWWLabel->setObjectName(QStringLiteral("WWWLabel"));
    auto link = [c](const char* name) {
        auto* label = new TacLabel(QString(), c);
        label->setObjectName(QLatin1String(name));
        label->setHighlightCopy(false);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        const QString face = QStringLiteral("MS Sans Serif");
        label->setLookFont(TacLabel::Look::Normal, fontSpec(face, -11, fsUnderline, clBlue));
        label->setLookFont(TacLabel::Look::Hover, fontSpec(face, -11, fsUnderline, clRed));
        label->setLookFont(TacLabel::Look::Pressed, fontSpec(face, -11, fsUnderline, clYellow));
        return label;
    };
    EmailLab = link("EmailLab");
    EmailLab->onClick = [this] { EmailLabClick(); };
    WWWLab = link("WWWLab");
    WWWLab->onClick = [this] { WWWLabClick(); };

    OKBtn = new QPushButton(c);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setFixedSize(91, 24);
    OKBtn->setDefault(true);
    OKBtn->setFocusPolicy(Qt::ClickFocus);
    connect(OKBtn, &QPushButton::clicked, this, [this] { close(); });
}

MailLink TacQuickAboutBoxForm::mail() const
{
    MailLink link;
    link.address = EmailLab->text();
    link.subject = mailSubject;
    link.body = mailBody;
    return link;
}

void TacQuickAboutBoxForm::EmailLabClick() { opener_.openUrl(linkUrl(mailtoAddress(mail()))); }

void TacQuickAboutBoxForm::WWWLabClick() { opener_.openUrl(QUrl(webAddress(WWWLab->text()), QUrl::TolerantMode)); }

void TacQuickAboutBoxForm::showEvent(QShowEvent* event)
{
    FramedWindow::showEvent(event);
    if (FormShow)
        safeCall(FormShow);
}

void TacQuickAboutBoxForm::keyPressEvent(QKeyEvent* event)
{
    // The close button is the default and the cancel button.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        close();
    else
        FramedWindow::keyPressEvent(event);
}

void TacQuickAboutBoxForm::showModal()
{
    move(QGuiApplication::primaryScreen()->availableGeometry().center() - rect().center());
    showUntilClosed();
}
