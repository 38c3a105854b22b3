#include "FontDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const struct {
    const char* name;
    TColor color;
} kColors[] = {
    {"Чёрный", clBlack},   {"Бордовый", clMaroon}, {"Зелёный", clGreen},    {"Оливковый", clOlive},
    {"Тёмно-синий", clNavy}, {"Фиолетовый", clPurple}, {"Сине-зелёный", clTeal}, {"Серый", clGray},
    {"Серебристый", clSilver}, {"Красный", clRed},   {"Лайм", clLime},        {"Жёлтый", clYellow},
    {"Синий", clBlue},     {"Фуксия", clFuchsia},  {"Морская волна", clAqua}, {"Белый", clWhite},
    {"Цвет текста окна", clWindowText},
};

const struct {
    const char* name;
    int charset;
} kCharsets[] = {
    {"Западный", 0},          {"По умолчанию", 1},       {"Символ", 2},    {"Кириллица", 204},
    {"Центральноевропейский", 238}, {"Греческий", 161},  {"Турецкий", 162}, {"Балтийский", 186},
    {"Иврит", 177},           {"Арабский", 178},         {"Вьетнамский", 163}, {"Тайский", 222},
    {"OEM/DOS", 255},
};

const int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

}  // namespace

FontDialog::FontDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(QStringLiteral("Шрифт"));

    Faces = new QComboBox(this);
    Faces->setObjectName(QStringLiteral("Faces"));
    Faces->addItems(QFontDatabase::families());
    Styles = new QComboBox(this);
    Styles->setObjectName(QStringLiteral("Styles"));
    Styles->addItem(QStringLiteral("Обычный"), 0);
    Styles->addItem(QStringLiteral("Курсив"), int(fsItalic));
    Styles->addItem(QStringLiteral("Жирный"), int(fsBold));
    Styles->addItem(QStringLiteral("Жирный курсив"), int(fsBold | fsItalic));
    Sizes = new QComboBox(this);
    Sizes->setObjectName(QStringLiteral("Sizes"));
    Sizes->setEditable(true);
    Sizes->setInsertPolicy(QComboBox::NoInsert);
    for (int size : kSizes)
        Sizes->addItem(QString::number(size));

    auto* effects = new QGroupBox(QStringLiteral("Видоизменение"), this);
    StrikeOut = new QCheckBox(QStringLiteral("Зачёркнутый"), effects);
    StrikeOut->setObjectName(QStringLiteral("StrikeOut"));
    Underline = new QCheckBox(QStringLiteral("Подчёркнутый"), effects);
    Underline->setObjectName(QStringLiteral("Underline"));
    Colors = new QComboBox(effects);
    Colors->setObjectName(QStringLiteral("Colors"));
    for (const auto& c : kColors) {
        QPixmap swatch(12, 12);
        swatch.fill(toQColor(c.color));
        Colors->addItem(QIcon(swatch), QString::fromUtf8(c.name), QVariant::fromValue<uint>(c.color));
    }
    auto* effectsLayout = new QFormLayout(effects);
    effectsLayout->addRow(StrikeOut);
    effectsLayout->addRow(Underline);
    effectsLayout->addRow(QStringLiteral("Цвет:"), Colors);

    Sample = new QLabel(QStringLiteral("АаБбЯя AaBbYyZz"), this);
    Sample->setObjectName(QStringLiteral("Sample"));
    Sample->setAlignment(Qt::AlignCenter);
    Sample->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Sample->setMinimumSize(220, 50);
    Charsets = new QComboBox(this);
    Charsets->setObjectName(QStringLiteral("Charsets"));
    for (const auto& c : kCharsets)
        Charsets->addItem(QString::fromUtf8(c.name), c.charset);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Шрифт:"), Faces);
    form->addRow(QStringLiteral("Начертание:"), Styles);
    form->addRow(QStringLiteral("Размер:"), Sizes);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(effects);
    layout->addWidget(new QLabel(QStringLiteral("Образец:"), this));
    layout->addWidget(Sample);
    auto* charsetRow = new QFormLayout;
    charsetRow->addRow(QStringLiteral("Набор символов:"), Charsets);
    layout->addLayout(charsetRow);
    layout->addWidget(buttons);

    for (QComboBox* box : {Faces, Styles, Colors, Charsets})
        connect(box, &QComboBox::currentIndexChanged, this, &FontDialog::showSample);
    connect(Sizes, &QComboBox::currentTextChanged, this, &FontDialog::showSample);
    for (QCheckBox* box : {StrikeOut, Underline})
        connect(box, &QCheckBox::toggled, this, &FontDialog::showSample);
}

void FontDialog::selectData(QComboBox* box, const QVariant& value, const QString& textWhenMissing)
{
    int index = box->findData(value);
    if (index < 0) {
        box->addItem(textWhenMissing, value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

void FontDialog::setFontSpec(const FontSpec& font)
{
    shown_ = font;
    int face = Faces->findText(font.name);
    if (face < 0) {
        // A face that is not installed is still the one chosen; fontconfig draws a substitute.
        Faces->addItem(font.name);
        face = Faces->count() - 1;
    }
    Faces->setCurrentIndex(face);
    Styles->setCurrentIndex(Styles->findData(font.style & (fsBold | fsItalic)));
    Sizes->setCurrentText(QString::number(font.size()));
    StrikeOut->setChecked(font.style & fsStrikeOut);
    Underline->setChecked(font.style & fsUnderline);
    selectData(Colors, QVariant::fromValue<uint>(font.color), QStringLiteral("Другой"));
    selectData(Charsets, font.charset, QString::number(font.charset));
    showSample();
}

FontSpec FontDialog::fontSpec() const
{
    FontSpec font = shown_;
    font.name = Faces->currentText();
    font.style = Styles->currentData().toInt() | (Underline->isChecked() ? fsUnderline : 0) |
                 (StrikeOut->isChecked() ? fsStrikeOut : 0);
    // Only a size the user changed is converted: the height shown stays exact.
    bool ok = false;
    const int points = Sizes->currentText().trimmed().toInt(&ok);
    if (ok && points > 0 && points != shown_.size())
        font.setSize(points);
    font.color = Colors->currentData().value<uint>();
    font.charset = Charsets->currentData().toInt();
    return font;
}

void FontDialog::showSample()
{
    const FontSpec font = fontSpec();
    Sample->setFont(font.toQFont());
    QPalette pal = Sample->palette();
    pal.setColor(QPalette::WindowText, toQColor(font.color));
    Sample->setPalette(pal);
}
