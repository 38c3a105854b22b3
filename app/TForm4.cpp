#include "TForm4.h"

#include "platform/DesktopServices.h"
#include "styled/TacLabel.h"
#include "styled/TdxfCheckBox.h"
#include "windowing/ErrorBox.h"
#include "windowing/FontDialog.h"
#include "windowing/ModalDialog.h"
#include "windowing/SafeCall.h"
#include "windowing/TabfFormEffect.h"

#include <QColorDialog>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTextEdit>
#include <QToolButton>

TForm4* Form4 = nullptr;

namespace {

QToolButton* speedButton(QWidget* parent, const char* name, const QString& caption, const QString& pictureName,
                         const QRect& place)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setAutoRaise(true);
    b->setGeometry(place);
    if (!pictureName.isEmpty()) {
        b->setIcon(QIcon(QStringLiteral(":/menu/%1.png").arg(pictureName)));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

TdxfCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, const QRect& place, bool checked)
{
    auto* box = new TdxfCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    box->setChecked(checked);
    return box;
}

}  // namespace

TForm4::TForm4(QWidget* parent) : FramedWindow(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setCaption(QStringLiteral("Настройка"));
    setBorderStyle(BorderStyle::Single);
    setBorderIcons({.systemMenu = true, .minimize = false, .maximize = false});
    setColor(clTan);
    setClientSize(202, 255);
    move(517, 423);
    QWidget* c = client();
    c->setFont(FontSpec().toQFont());

    Memo1 = new QTextEdit(c);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, 201, 41);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memo = Memo1->palette();
    memo.setColor(QPalette::Base, toQColor(clBtnShadow));
    Memo1->setPalette(memo);
    Memo1->setPlainText(QStringLiteral("Настройка  параметров \nшрифта и цвета фона"));
    Memo1->selectAll();
    Memo1->setAlignment(Qt::AlignCenter);
    Memo1->moveCursor(QTextCursor::Start);

    SpeedButton1 = speedButton(c, "SpeedButton1", QStringLiteral("Шрифт"), QStringLiteral("font"), {0, 40, 65, 25});
    SpeedButton3 = speedButton(c, "SpeedButton3", QStringLiteral("сбросить\nнастройки"), QString(), {72, 40, 57, 33});
    SpeedButton3->setFont(fontSpec(QStringLiteral("MS Sans Serif"), -11, 0, clWindowText, 204).toQFont());
    SpeedButton2 = speedButton(c, "SpeedButton2", QStringLiteral("Фон"), QStringLiteral("color"), {136, 40, 65, 25});
    connect(SpeedButton1, &QToolButton::clicked, this, guarded([this] { SpeedButton1Click(); }));
    connect(SpeedButton2, &QToolButton::clicked, this, guarded([this] { SpeedButton2Click(); }));
    connect(SpeedButton3, &QToolButton::clicked, this, guarded([this] { SpeedButton3Click(); }));

    Label1 = new QLabel(c);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 72, 169, 37);
    Label1->setAutoFillBackground(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFont(fontSpec(QStringLiteral("Arial"), -9, 0, clWindowText, 204).toQFont());
    QPalette sea = Label1->palette();
    sea.setColor(QPalette::Window, toQColor(clSeaGreen));
    Label1->setPalette(sea);

    Panel1 = new QFrame(c);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(168, 72, 33, 37);
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setAutoFillBackground(true);
    Panel1->installEventFilter(this);
    setSwatchColor(swatchColor_);

    CheckBox1 = checkBox(c, "CheckBox1", QStringLiteral("Отключить  примагничивание"), {0, 112, 173, 18}, false);
    dxfCheckBox2 = checkBox(c, "dxfCheckBox2", QStringLiteral("Уменьшать большие изображения"), {0, 136, 199, 18}, true);
    CB1 = checkBox(c, "CB1", QStringLiteral("Загружать последний плейлист"), {0, 160, 183, 18}, true);
    dxfCheckBox1 = checkBox(c, "dxfCheckBox1", QStringLiteral("Показавать иконку трее"), {0, 184, 147, 18}, true);
    CB3 = checkBox(c, "CB3", QStringLiteral("Колёсико изм. размеры плейлиста"), {0, 208, 202, 18}, true);
    CheckBox1->onClick = [this] { CheckBox1Click(); };
    dxfCheckBox1->onClick = [this] { dxfCheckBox1Click(); };
    for (TdxfCheckBox* box : {dxfCheckBox2, CB1, dxfCheckBox1, CB3})
        connect(box, &QCheckBox::toggled, this, [this] { emit optionsChanged(options()); });

    acLabel1 = new TacLabel(QStringLiteral("Закрыть"), c);
    acLabel1->setObjectName(QStringLiteral("acLabel1"));
    acLabel1->setGeometry(39, 223, 121, 33);
    const QString comic = QStringLiteral("Comic Sans MS");
    acLabel1->setLookFont(TacLabel::Look::Normal, fontSpec(comic, -21, 0, clNavy));
    acLabel1->setLookFont(TacLabel::Look::Hover, fontSpec(comic, -21, fsBold | fsUnderline, clBlueGray));
    acLabel1->setLookFont(TacLabel::Look::Pressed, fontSpec(comic, -21, fsBold, clBlueGray));
    acLabel1->onClick = [this] { acLabel1Click(); };

    FontDialog1 = new FontDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    ColorDialog1->setOption(QColorDialog::DontUseNativeDialog);

    abfFormEffect = new TabfFormEffect(this);
    abfFormEffect->setObjectName(QStringLiteral("abfFormEffect"));
    abfFormEffect->setAutoDrag(false);
    abfFormEffect->setShakeAmplitude(13);
    abfFormEffect->setShakeInterval(27);
    abfFormEffect->setShakeTime(666);
}

QString TForm4::wheelText(bool hasWheel)
{
    return messageDialogText(hasWheel ? QStringLiteral("Определено колёсико у мышки \rзначит вы можете изменять "
                                                       "размеры \rнекоторых окон этим колёсиком")
                                      : QStringLiteral("Не определено колёсико у мышки"));
}

void TForm4::FormCreate()
{
    Label1->setText(wheelText(DesktopServices::hasMouseWheel()));
}

Options TForm4::options() const
{
    return {.shrinkPictures = dxfCheckBox2->checked(),
            .loadLastPlaylist = CB1->checked(),
            .trayIcon = dxfCheckBox1->checked(),
            .wheelResize = CB3->checked()};
}

void TForm4::setOptions(const Options& options)
{
    dxfCheckBox2->setChecked(options.shrinkPictures);
    CB1->setChecked(options.loadLastPlaylist);
    dxfCheckBox1->setChecked(options.trayIcon);
    CB3->setChecked(options.wheelResize);
    // The tray icon matches its box whatever the box's action did on the way.
    emit trayIconSwitched(options.trayIcon);
}

FontSpec TForm4::chooseFont(bool& ok)
{
    FontDialog1->setFontSpec(lastFont_);
    ok = runDialog(*FontDialog1) == QDialog::Accepted;
    if (ok)
        lastFont_ = FontDialog1->fontSpec();
    return lastFont_;
}

TColor TForm4::chooseColor(bool& ok)
{
    ColorDialog1->setCurrentColor(toQColor(lastColor_));
    ok = runDialog(*ColorDialog1) == QDialog::Accepted;
    if (ok)
        lastColor_ = fromQColor(ColorDialog1->selectedColor());
    return lastColor_;
}

void TForm4::setSwatchColor(TColor color)
{
    swatchColor_ = color;
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::Window, toQColor(color));
    Panel1->setPalette(pal);
}

void TForm4::SpeedButton1Click() { emit fontRequested(); }

void TForm4::SpeedButton2Click() { emit backgroundRequested(); }

void TForm4::SpeedButton3Click()
{
    emit lookReset();
    dxfCheckBox2->setChecked(true);
    CB1->setChecked(true);
    dxfCheckBox1->setChecked(true);
    // The icon follows the box also when the box was checked already.
    dxfCheckBox1Click();
}

void TForm4::Panel1Click() { emit windowFontColorChosen(swatchColor_); }

void TForm4::CheckBox1Click() { emit magnetSwitched(!CheckBox1->checked()); }

// The icon shows exactly when the box is checked, so box, icon and the stored
// value never drift apart.
void TForm4::dxfCheckBox1Click() { emit trayIconSwitched(dxfCheckBox1->checked()); }

void TForm4::acLabel1Click()
{
    abfFormEffect->shake();
    hide();
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        Panel1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
        safeCall([this] { Panel1Click(); });
    return FramedWindow::eventFilter(watched, event);
}
