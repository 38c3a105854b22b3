#include "SettingsStore.h"

#include "Playlist.h"
#include "ShellState.h"
#include "TForm1.h"
#include "TForm4.h"
#include "media/TForm2.h"
#include "media/TForm3.h"
#include "media/TForm8.h"
#include "pictures/TThumbFromFileForm.h"
#include "platform/Errors.h"
#include "platform/TRegistry.h"
#include "styled/TdxfCheckBox.h"
#include "windowing/ErrorBox.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include <functional>
#include <limits>

ShellState Shell;

namespace SettingsStore {

namespace {

const QString kSettingsKey = QStringLiteral("\\Qx\\настройки");
const QString kPositionKey = QStringLiteral("mesto");

// Reads each value on its own: a missing value keeps the design value
// silently; a value of the wrong type keeps it too, and the first such
// message is shown once the reading is over. A run that ended without
// closing the main window must not cost the user every later setting.
class ValueReader {
public:
    explicit ValueReader(TRegistry& reg) : reg_(reg) {}

    void integer(const QString& name, const std::function<void(int)>& apply)
    {
        read(name, [&] { apply(reg_.ReadInteger(name)); });
    }
    void boolean(const QString& name, const std::function<void(bool)>& apply)
    {
        read(name, [&] { apply(reg_.ReadBool(name)); });
    }
    void string(const QString& name, const std::function<void(const QString&)>& apply)
    {
        read(name, [&] { apply(reg_.ReadString(name)); });
    }
    bool failed() const { return !firstFailure_.isEmpty(); }
    void showFailure() const
    {
        if (failed())
            showErrorBox(firstFailure_);
    }

private:
    void read(const QString& name, const std::function<void()>& body)
    {
        if (!reg_.ValueExists(name))
            return;
        try {
            body();
        } catch (const ERegistryException& e) {
            if (firstFailure_.isEmpty())
                firstFailure_ = e.message();
        }
    }

    TRegistry& reg_;
    QString firstFailure_;
};

void reportDamagedStore(const TRegistry& reg)
{
    const QString movedTo = reg.DamagedStoreMovedTo();
    if (!movedTo.isEmpty())
        showMessageDialog(QStringLiteral("Файл настроек повреждён и отложен в сторону:\r%1\rПрограмма запущена с "
                                         "настройками по умолчанию.")
                              .arg(movedTo),
                          MessageKind::Information, Form1);
}

// A window whose caption band would lie on no screen could never be dragged
// back; it goes to its design place instead.
QPoint placeOnScreen(const FramedWindow& window, QPoint stored, QPoint design)
{
    const int b = window.borderWidth();
    const QRect caption(stored.x() + b, stored.y() + b, window.outerWidth() - 2 * b, FramedWindow::kCaptionHeight);
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(caption))
            return stored;
    return design;
}

void readPlace(ValueReader& reader, FramedWindow* window, const QString& leftName, const QString& topName,
               QPoint design)
{
    QPoint stored = window->pos();
    reader.integer(leftName, [&](int v) { stored.setX(v); });
    reader.integer(topName, [&](int v) { stored.setY(v); });
    window->move(placeOnScreen(*window, stored, design));
}

QPoint thumbnailsDesignPlace()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    return screen.center() - QPoint(ThumbFromFileForm->outerWidth() / 2, ThumbFromFileForm->outerHeight() / 2);
}

}  // namespace

void readMainWindow()
{
    Shell.LoadLastPlaylist = false;
    Shell.StoredLoadLastPlaylist = true;
    {
        TRegistry reg;
        ValueReader reader(reg);
        if (reg.OpenKey(kSettingsKey, false)) {
            FontSpec font = Form1->listFont();
            reader.integer(QStringLiteral("Fon"), [](int v) { Form1->setListColor(static_cast<TColor>(v)); });
            reader.integer(QStringLiteral("F1_w"), [](int v) { Form1->setOuterSize(v, Form1->outerHeight()); });
            reader.integer(QStringLiteral("F1_h"), [](int v) { Form1->setOuterSize(Form1->outerWidth(), v); });
            reader.string(QStringLiteral("Playlist"), [](const QString& v) { Form1->playlist()->setText(v); });
            reader.boolean(QStringLiteral("Lit_p"), [](bool v) { Shell.StoredShrinkPictures = v; });
            reader.boolean(QStringLiteral("L_P"), [](bool v) { Shell.LoadLastPlaylist = Shell.StoredLoadLastPlaylist = v; });
            reader.boolean(QStringLiteral("IC_S"), [](bool v) { Shell.StoredTrayIcon = v; });
            reader.boolean(QStringLiteral("K_R"), [](bool v) { Shell.StoredWheelResize = v; });
            reader.string(QStringLiteral("Font Name"), [&](const QString& v) { font.name = v; });
            reader.integer(QStringLiteral("Color"), [&](int v) { font.color = static_cast<TColor>(v); });
            reader.integer(QStringLiteral("CharSet"), [&](int v) { font.charset = v & 0xFF; });
            reader.integer(QStringLiteral("Size"), [&](int v) { font.setSize(v); });
            reader.integer(QStringLiteral("Style"), [&](int v) { font.style = v & 0x0F; });
            Form1->setListFont(font);
            reader.string(QStringLiteral("Z"), [](const QString& v) { Form1->Edit1->setText(v); });
            if (reg.OpenKey(kPositionKey, false))
                readPlace(reader, Form1, QStringLiteral("f1_l"), QStringLiteral("f1_t"), QPoint(211, 292));
        }
        reg.CloseKey();
        reportDamagedStore(reg);
        reader.showFailure();
    }
    // A playlist is thrown away only when the user said so; a store that
    // lacks the option keeps the box's design state (load it).
    if (!Shell.StoredLoadLastPlaylist)
        Form1->playlist()->clear();
    // A delay text that is not a number is what the delay panel treats as 1.
    try {
        Shell.SlideDelay = strToInt(Form1->Edit1->text());
    } catch (const EConvertError&) {
        Shell.SlideDelay = 1;
    }
}

void countStartAndPlaceWindows()
{
    bool firstStart = false;
    {
        TRegistry reg;
        ValueReader reader(reg);
        reg.OpenKey(kSettingsKey, true);
        Shell.StartCount = 0;
        bool counted = true;
        if (reg.ValueExists(QStringLiteral("N"))) {
            counted = false;
            reader.integer(QStringLiteral("N"), [&](int v) {
                Shell.StartCount = v;
                counted = true;
            });
        }
        if (counted) {
            // The counter stops at its largest value instead of wrapping round.
            const int next = Shell.StartCount == std::numeric_limits<int>::max() ? Shell.StartCount
                                                                                 : Shell.StartCount + 1;
            reg.WriteInteger(QStringLiteral("N"), next);
            firstStart = reg.ReadInteger(QStringLiteral("N")) == 1;
        }
        // The count is committed before anything waits for the user.
        reg.CloseKey();
        reportDamagedStore(reg);
        reader.showFailure();
    }
    if (firstStart)
        showMessageDialog(QStringLiteral("Программа запущена первый раз.\rПрочтите помощь-справка"),
                          MessageKind::Information, Form1);

    TRegistry reg;
    ValueReader reader(reg);
    if (reg.OpenKey(kSettingsKey, false) && reg.OpenKey(kPositionKey, false)) {
        readPlace(reader, Form2, QStringLiteral("f2_l"), QStringLiteral("f2_t"), QPoint(160, 549));
        readPlace(reader, Form3, QStringLiteral("f3_l"), QStringLiteral("f3_t"), QPoint(277, 0));
        readPlace(reader, Form4, QStringLiteral("f4_l"), QStringLiteral("f4_t"), QPoint(517, 423));
        readPlace(reader, Form8, QStringLiteral("f8_l"), QStringLiteral("f8_t"), QPoint(160, 555));
        readPlace(reader, ThumbFromFileForm, QStringLiteral("Thumb_l"), QStringLiteral("Thumb_t"),
                  thumbnailsDesignPlace());
    }
    reg.CloseKey();
    reader.showFailure();
}

void writeAtClose()
{
    const FontSpec font = Form1->listFont();
    TRegistry reg;
    reg.OpenKey(kSettingsKey, true);
    reg.WriteInteger(QStringLiteral("Fon"), static_cast<int>(Form1->listColor()));
    reg.WriteInteger(QStringLiteral("F1_h"), Form1->outerHeight());
    reg.WriteInteger(QStringLiteral("F1_w"), Form1->outerWidth());
    reg.WriteString(QStringLiteral("Playlist"), Form1->playlist()->text());
    reg.WriteBool(QStringLiteral("Lit_p"), Form4->dxfCheckBox2->checked());
    reg.WriteBool(QStringLiteral("L_P"), Form4->CB1->checked());
    reg.WriteBool(QStringLiteral("IC_S"), Form4->dxfCheckBox1->checked());
    reg.WriteBool(QStringLiteral("K_R"), Form4->CB3->checked());
    reg.WriteString(QStringLiteral("Font Name"), font.name);
    reg.WriteInteger(QStringLiteral("Color"), static_cast<int>(font.color));
    reg.WriteInteger(QStringLiteral("CharSet"), font.charset);
    reg.WriteInteger(QStringLiteral("Size"), font.size());
    reg.WriteInteger(QStringLiteral("Style"), font.style);
    reg.WriteString(QStringLiteral("Z"), Form1->Edit1->text());
    reg.OpenKey(kPositionKey, true);
    const struct {
        FramedWindow* window;
        const char* left;
        const char* top;
    } places[] = {
        {Form1, "f1_l", "f1_t"}, {Form2, "f2_l", "f2_t"}, {Form3, "f3_l", "f3_t"},
        {Form4, "f4_l", "f4_t"}, {Form8, "f8_l", "f8_t"}, {ThumbFromFileForm, "Thumb_l", "Thumb_t"},
    };
    for (const auto& p : places) {
        reg.WriteInteger(QString::fromLatin1(p.left), p.window->left());
        reg.WriteInteger(QString::fromLatin1(p.top), p.window->top());
    }
    reg.CloseKey();
}

}  // namespace SettingsStore
