#include "TAboutBox.h"

#include "windowing/TacAnimationEffect.h"

#include "HelpTexts.h"
#include "SystemReport.h"
#include "TabfCredits.h"
#include "TacSystemInfo.h"
#include "platform/LinuxSystemQueries.h"
#include "styled/TacLabel.h"
#include "windowing/Rounding.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>

TAboutBox* AboutBox = nullptr;

namespace {
// A read-only text box whose text can still be selected and copied with the
// mouse and the keyboard, as a report pasted into a message needs.
QPlainTextEdit* readOnlyText(QWidget* parent, const char* name, const QRect& place, TColor background,
                             const FontSpec& font)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setFont(font.toQFont());
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, toQColor(background));
    palette.setColor(QPalette::Text, toQColor(font.color));
    box->setPalette(palette);
    return box;
}
}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : TAboutBox(LinuxSystemQueries::instance(), parent) {}

TAboutBox::TAboutBox(const SystemQueries& queries, QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setCaption(QStringLiteral("Помощь"));
    setBorderStyle(BorderStyle::Dialog);
    setBorderIcons({.systemMenu = false, .minimize = false, .maximize = false});
    setColor(clMoneyGreen);
    setClientSize(306, 282);
    acAnimationEffect1 = new TacAnimationEffect(this);
    acAnimationEffect1->setObjectName(QStringLiteral("acAnimationEffect1"));
    acAnimationEffect1->animateOnShow = true;
    acAnimationEffect1->animateOnHide = true;
    QWidget* c = client();

    label1 = readOnlyText(c, "label1", QRect(0, 16, 305, 233), clMetalGray,
                          fontSpec(QStringLiteral("Courier New"), -11, 0, clWindowText, 204));
    label1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    label1->setPlainText(HelpTexts::help());

    Panel1 = new QFrame(c);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 305, 89);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    QPalette panelPalette = Panel1->palette();
    panelPalette.setColor(QPalette::Window, toQColor(clBtnFace));
    Panel1->setPalette(panelPalette);
    Panel1->hide();

    me1 = new TabfCredits(Panel1);
    me1->setObjectName(QStringLiteral("me1"));
    setupCredits();

    me = readOnlyText(c, "me", QRect(8, 88, 289, 161), clMetalGray,
                      fontSpec(QStringLiteral("Arial"), -13, fsItalic, clWhite, 204));
    me->setFrameStyle(QFrame::Box | QFrame::Plain);
    me->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    me->setPlainText(HelpTexts::creditsAndHistory());
    me->hide();

    Memo1 = readOnlyText(c, "Memo1", QRect(8, 88, 289, 161), clSilver, FontSpec());
    Memo1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Memo1->hide();

    acLabel1 = new TacLabel(QStringLiteral("Закрыть"), c);
    acLabel1->setObjectName(QStringLiteral("acLabel1"));
    acLabel1->setGeometry(87, 248, 121, 33);
    const QString comic = QStringLiteral("Comic Sans MS");
    acLabel1->setLookFont(TacLabel::Look::Normal, fontSpec(comic, -21, 0, clNavy));
    acLabel1->setLookFont(TacLabel::Look::Hover, fontSpec(comic, -21, fsBold | fsUnderline, clBlueGray));
    acLabel1->setLookFont(TacLabel::Look::Pressed, fontSpec(comic, -21, fsBold, clBlueGray));
    acLabel1->onClick = [this] { acLabel1Click(); };

    SI = new TacSystemInfo(queries, this);
}

void TAboutBox::setupCredits()
{
    me1->setGeometry(1, 1, 303, 87);
    me1->setTimerEnabled(false);
    me1->setTimerInterval(15);
    me1->setCreditsBodyFont(fontSpec(QStringLiteral("Comic Sans MS"), -21, fsBold | fsItalic, clBlue));
    me1->setCreditsHeaderFont(fontSpec(QStringLiteral("Modern"), -27, fsBold, clMaroon));

    const QString corsiva = QStringLiteral("Monotype Corsiva");
    TabfCreditSection& author = me1->Credits().add();
    author.setHeader(QStringLiteral("Автор:"));
    author.setHeaderFont(fontSpec(corsiva, -36, fsBold | fsItalic, clMaroon));
    author.setBody({HelpTexts::author(), QStringLiteral("  "), QStringLiteral("  ")});
    author.setBodyFont(fontSpec(QStringLiteral("Times New Roman"), -21, fsBold, clBlue));
    author.setColSpace(0);
    author.setParentColSpace(false);

    TabfCreditSection& testers = me1->Credits().add();
    testers.setHeader(QStringLiteral("Бетатестёры:"));
    testers.setHeaderFont(fontSpec(corsiva, -32, fsBold | fsItalic, clPlum));
    testers.setBody(HelpTexts::betaTesters() << QStringLiteral("  "));
    testers.setBodyFont(fontSpec(QStringLiteral("Arial"), -21, fsBold | fsItalic, clRose));
    testers.setColSpace(0);
    testers.setParentColSpace(false);

    me1->setFillType(QStringLiteral("GradientHorz"));
    me1->setFillColorDark(clInactiveCaption);
    me1->setFillColorLight(clSeaGreen);
    me1->setFillColorNormal(clHotLight);
    me1->setPathBegin(87);
    me1->setPathRiseTo(87);
    me1->setPathFallFrom(50);
    me1->setCreditsPosition(0);
}

void TAboutBox::showFace(const QString& caption)
{
    if (!placed_) {
        placed_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.x() + roundInt((area.width() - outerWidth()) / 2.0),
                 area.y() + roundInt((area.height() - outerHeight()) / 2.0));
        }
    }
    show();
    raise();
    activateWindow();
    setCaption(caption);
}

void TAboutBox::showHelp()
{
    showFace(QStringLiteral("Помощь"));
    label1->show();
    Panel1->hide();
    me->hide();
    Memo1->hide();
}

void TAboutBox::showAdditional()
{
    showFace(QStringLiteral("Дополнительно"));
    label1->hide();
    Panel1->show();
    me->show();
    Memo1->hide();
    me1->setTimerEnabled(true);
}

void TAboutBox::showSystemReport(int startCount)
{
    showFace(QStringLiteral("О системе"));
    label1->hide();
    Panel1->show();
    me->hide();
    Memo1->show();
    me1->setTimerEnabled(true);
    Memo1->setPlainText(systemReport(*SI, startCount).join(QLatin1Char('\n')));
}

void TAboutBox::acLabel1Click()
{
    me1->setTimerEnabled(false);
    hide();
}

void TAboutBox::FormClose(CloseAction&) { me1->setTimerEnabled(false); }
