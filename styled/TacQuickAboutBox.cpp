#include "TacQuickAboutBox.h"

#include "TacLabel.h"
#include "TacQuickAboutBoxForm.h"
#include "TacRichLabel.h"
#include "windowing/TacAnimationEffect.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

QString aboutMailBody(const AboutSystemTexts& system)
{
    return QStringLiteral("PS: I'm using ") + system.winVersion + QStringLiteral(" (") + system.winVersionNumber +
           QStringLiteral("); CPU: ") + QString::number(system.cpuFrequency) + QStringLiteral("MHz.");
}

TacQuickAboutBox::TacQuickAboutBox(QWidget* owner, UrlOpener& opener, AboutSystemSource system)
    : QObject(owner), opener_(opener), system_(std::move(system))
{
}


std::unique_ptr<TacQuickAboutBoxForm> TacQuickAboutBox::createForm() const
{
    auto* owner = qobject_cast<QWidget*>(parent());
    auto form = std::make_unique<TacQuickAboutBoxForm>(opener_);
    TacQuickAboutBoxForm& f = *form;
    const int w = Width;
    const int bevelWidth = w - 32 - 17;

    f.setOuterSize(w, f.outerHeight());
    f.TitleLabel->resize(w - 4, f.TitleLabel->height());
    f.Bevel1->resize(bevelWidth, f.Bevel1->height());
    f.Bevel2->resize(bevelWidth, f.Bevel2->height());

    f.client()->setCursor(Cursors.Client);
    f.EmailLab->setCursor(Cursors.Links);
    f.WWWLab->setCursor(Cursors.Links);
    f.OKBtn->setCursor(Cursors.Buttons);
    f.captionBar()->setCursor(Cursors.Caption);
    f.setCursor(Cursors.Border);
    f.captionBar()->closeButton()->setCursor(Cursors.BtnClose);

    f.acFormBackground->setGradient(GradientBackground.Enabled, GradientBackground.Direction,
                                    GradientBackground.Color1, GradientBackground.Color2);

    f.setCaption(Localization.stAbout + QLatin1Char(' ') + Caption);
    f.OKBtn->setText(Localization.stOK);
    f.TitleLabel->setText(Caption);
    const QIcon icon = Icon.isNull() ? QApplication::windowIcon() : Icon;
    f.setWindowIcon(icon);
    f.Icon->setPixmap(icon.pixmap(32, 32));

    f.CopyrightLabel->setText(Copyright);
    const int h = f.CopyrightLabel->height();
    f.Bevel1->move(f.Bevel1->x(), h + 30);
    int y = h + 35;

    if (!Description.isEmpty()) {
        TacRichLabel* d = f.DescriptionLabel;
        if (ShowFrames) {
            d->setColor(DescriptionColor);
            d->setTransparent(false);
            d->ShowFrame = true;
            d->ShowShadow = true;
            d->MarginHorz = 10;
            d->MarginVert = 4;
        }
        d->move(d->x(), y);
        d->resize(bevelWidth + 4, d->height());
        d->setText(Description);
        y += d->height() + 2;
        f.Bevel2->move(f.Bevel2->x(), y);
        y += 5;
    }
    f.DescriptionLabel->setVisible(!Description.isEmpty());

    const int linkHeight = f.EmailLab->fontMetrics().height() + 1;
    f.EmailLabel->move(32, y);
    f.EmailLab->setGeometry(70, y, w - 70 - 17, linkHeight);
    f.WWWLabel->move(32, y + 14);
    f.WWWLab->setGeometry(70, y + 14, w - 70 - 17, linkHeight);
    f.EmailLab->setText(Email);
    f.WWWLab->setText(WebSite);
    if (ShowHints) {
        f.EmailLab->setToolTip(Email);
        f.WWWLab->setToolTip(WebSite);
    }

    f.Bevel1->setVisible(ShowBevels);
    f.Bevel2->setVisible(ShowBevels && !Description.isEmpty());

    f.OKBtn->move(w / 2 - f.OKBtn->width() / 2, y + 37);
    f.setClientSize(f.clientWidth(), y + 68);

    f.AnimEffect->delay = AnimationDelay;
    f.AnimEffect->animateOnShow = AnimationOnShow;
    f.AnimEffect->animateOnHide = AnimationOnHide;

    // An always-on-top owner keeps its box in front of it.
    if (auto* framed = qobject_cast<FramedWindow*>(owner ? owner->window() : nullptr); framed && framed->isTopmost()) {
        f.setStacking(framed->stacking());
        f.setTopmost(true);
    }

    TacQuickAboutBoxForm* shown = form.get();
    const AboutSystemSource system = system_;
    f.FormShow = [shown, system] {
        shown->mailSubject = shown->TitleLabel->text();
        shown->mailBody = aboutMailBody(system ? system() : AboutSystemTexts{});
    };
    return form;
}

void TacQuickAboutBox::Execute() { createForm()->showModal(); }
