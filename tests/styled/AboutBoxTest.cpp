// The about window's layout from its settings, its links and what they hand to the desktop.
#include "platform/UrlOpener.h"
#include "styled/LinkAddress.h"
#include "styled/TacLabel.h"
#include "styled/TacQuickAboutBox.h"
#include "styled/TacQuickAboutBoxForm.h"
#include "styled/TacRichLabel.h"
#include "windowing/FramedWindow.h"
#include "windowing/TacAnimationEffect.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

class RecordingOpener : public UrlOpener {
public:
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};

// Stands in for the desktop's mail program and browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void record(const QUrl& url) { urls.append(url); }
};

const AboutSystemTexts kHostileSystem{QStringLiteral("Debian & Co #1?BCC=spy@example.net"),
                                      QStringLiteral("12 % 3 «тест»"), 2400};

struct AboutBoxFixture : ::testing::Test {
    QWidget owner;
    RecordingOpener opener;
    TacQuickAboutBox box{&owner, opener, [] { return kHostileSystem; }};

    AboutBoxFixture()
    {
        box.Caption = QStringLiteral("О программе");
        box.Localization.stAbout = QStringLiteral("О");
        box.Localization.stOK = QStringLiteral("Закрыть");
        box.Width = 290;
        box.Copyright = QStringLiteral("[B][MAROON]Калейдор[]\r\nпервая\r\nвторая\r\nтретья");
        box.Description = QStringLiteral("одна\r\n[MAROON]две\r\n[B][PURPLE]три");
        box.Email = QStringLiteral("author@example.org");
        box.WebSite = QStringLiteral("www.example.org/kaleidor");
    }
};

}  // namespace

TEST_F(AboutBoxFixture, WindowIsLaidOutBelowItsTexts)
{
    const auto form = box.createForm();
    EXPECT_EQ(form->caption(), QStringLiteral("О О программе"));
    EXPECT_EQ(form->outerWidth(), 290);
    EXPECT_EQ(form->TitleLabel->text(), QStringLiteral("О программе"));
    EXPECT_EQ(form->TitleLabel->width(), 286);
    EXPECT_EQ(form->OKBtn->text(), QStringLiteral("Закрыть"));

    const int h = form->CopyrightLabel->height();
    EXPECT_EQ(h, 4 * form->CopyrightLabel->lineHeight());
    EXPECT_EQ(form->Bevel1->y(), h + 30);
    EXPECT_EQ(form->Bevel1->width(), 290 - 32 - 17);
    EXPECT_EQ(form->DescriptionLabel->y(), h + 35);
    EXPECT_EQ(form->DescriptionLabel->width(), 290 - 32 - 17 + 4);
    const int d = form->DescriptionLabel->height();
    EXPECT_EQ(d, 3 * form->DescriptionLabel->lineHeight());
    const int y = h + 35 + d + 2 + 5;
    EXPECT_EQ(form->Bevel2->y(), y - 5);
    EXPECT_EQ(form->EmailLab->y(), y);
    EXPECT_EQ(form->EmailLabel->y(), y);
    EXPECT_EQ(form->WWWLab->y(), y + 14);
    EXPECT_EQ(form->WWWLab->x(), 70);
    EXPECT_EQ(form->OKBtn->geometry(), QRect(100, y + 37, 91, 24));  // 145 − 45
    EXPECT_EQ(form->clientHeight(), y + 68);
    EXPECT_FALSE(form->Bevel1->isHidden());
    EXPECT_FALSE(form->Bevel2->isHidden());
    EXPECT_EQ(form->EmailLab->text(), box.Email);
    EXPECT_EQ(form->EmailLab->toolTip(), box.Email);
    EXPECT_EQ(form->WWWLab->text(), box.WebSite);
}

TEST_F(AboutBoxFixture, WithoutDescriptionTheLinksMoveUp)
{
    box.Description.clear();
    box.ShowBevels = true;
    box.Width = 300;
    const auto form = box.createForm();
    const int y = form->CopyrightLabel->height() + 35;
    EXPECT_TRUE(form->DescriptionLabel->isHidden());
    EXPECT_TRUE(form->Bevel2->isHidden());
    EXPECT_EQ(form->EmailLab->y(), y);
    EXPECT_EQ(form->OKBtn->x(), 150 - 45);
    EXPECT_EQ(form->clientHeight(), y + 68);

    box.ShowBevels = false;
    EXPECT_TRUE(box.createForm()->Bevel1->isHidden());
}

TEST(AboutBoxOwner, TheBoxAnimatesAsSetAndStaysInFrontOfAPinnedOwner)
{
    FramedWindow owner;
    RecordingOpener opener;
    TacQuickAboutBox box{&owner, opener, {}};
    box.AnimationDelay = 30;
    box.AnimationOnHide = false;
    const auto form = box.createForm();
    EXPECT_EQ(form->AnimEffect->delay, 30);
    EXPECT_TRUE(form->AnimEffect->animateOnShow);
    EXPECT_FALSE(form->AnimEffect->animateOnHide);
    EXPECT_FALSE(form->isTopmost());

    owner.setTopmost(true);
    EXPECT_TRUE(box.createForm()->isTopmost());
}

TEST_F(AboutBoxFixture, EmailLinkSendsTheSystemTextsEncoded)
{
    const auto form = box.createForm();
    form->show();
    QTest::mouseClick(form->EmailLab, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 1);
    const QUrl url = opener.opened.first();
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), QStringLiteral("author@example.org"));
    EXPECT_FALSE(url.hasFragment());
    const QList<QPair<QString, QString>> expected{
        {QStringLiteral("Subject"), QStringLiteral("О программе")},
        {QStringLiteral("Body"),
         QStringLiteral("PS: I'm using Debian & Co #1?BCC=spy@example.net (12 % 3 «тест»); CPU: 2400MHz.")},
        {QStringLiteral("CC"), QString()},
        {QStringLiteral("BCC"), QString()}};
    EXPECT_EQ(QUrlQuery(url).queryItems(QUrl::FullyDecoded), expected);
}

TEST_F(AboutBoxFixture, WebLinkGetsHttpInFront)
{
    const auto form = box.createForm();
    form->show();
    QTest::mouseClick(form->WWWLab, Qt::LeftButton);
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened.first(), QUrl(QStringLiteral("http://www.example.org/kaleidor")));
}

TEST(DesktopUrlOpener, HandsTheEncodedAddressToTheDesktop)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "record");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "record");
    QWidget owner;
    TacQuickAboutBox box(&owner, DesktopUrlOpener::instance(), [] { return kHostileSystem; });
    box.Email = QStringLiteral("author@example.org");
    box.WebSite = QStringLiteral("www.example.org");
    const auto form = box.createForm();
    form->show();
    form->EmailLabClick();
    form->WWWLabClick();
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));

    ASSERT_EQ(recorder.urls.size(), 2);
    EXPECT_EQ(recorder.urls[0].toString(QUrl::FullyEncoded), mailtoAddress(form->mail()));
    EXPECT_TRUE(recorder.urls[0].toString(QUrl::FullyEncoded).endsWith(QLatin1String("&CC=&BCC=")));
    EXPECT_EQ(recorder.urls[1].toString(), QStringLiteral("http://www.example.org"));
}

TEST(AboutMailBody, ComposesTheSystemTexts)
{
    EXPECT_EQ(aboutMailBody({QStringLiteral("Debian GNU/Linux 12"), QStringLiteral("12.5"), 1800}),
              QStringLiteral("PS: I'm using Debian GNU/Linux 12 (12.5); CPU: 1800MHz."));
}

#include "AboutBoxTest.moc"
