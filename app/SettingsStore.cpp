#include "SettingsStore.h"

#include "platform/Errors.h"
#include "platform/TRegistry.h"

#include <functional>
#include <limits>

namespace SettingsStore {

namespace {

const QString kSettingsKey = QStringLiteral("\\Qx\\настройки");
const QString kPositionKey = QStringLiteral("mesto");

class ValueReader {
public:
    ValueReader(TRegistry& reg, ReadFailure& failure) : reg_(reg), failure_(failure) {}

    void integer(const QString& name, const std::function<void(int)>& apply)
    {
        read(name, [&] { apply(reg_.ReadInteger(name)); });
    }
    void boolean(const QString& name, bool& target)
    {
        read(name, [&] { target = reg_.ReadBool(name); });
    }
    void string(const QString& name, QString& target)
    {
        read(name, [&] { target = reg_.ReadString(name); });
    }
    void utf8String(const QString& name, QByteArray& target)
    {
        read(name, [&] { target = reg_.ReadStringUtf8(name); });
    }
    void place(const QString& leftName, const QString& topName, StoredPlace& place)
    {
        integer(leftName, [&](int v) { place.left = v; });
        integer(topName, [&](int v) { place.top = v; });
    }

private:
    void read(const QString& name, const std::function<void()>& body)
    {
        if (!reg_.ValueExists(name))
            return;
        try {
            body();
        } catch (const ERegistryException& e) {
            failure_.keep(e.message());
        }
    }

    TRegistry& reg_;
    ReadFailure& failure_;
};

}  // namespace

Settings load(TRegistry& reg, ReadFailure& failure)
{
    Settings s;
    ValueReader reader(reg, failure);
    if (reg.OpenKey(kSettingsKey, false)) {
        reader.integer(QStringLiteral("Fon"), [&](int v) { s.listColor = static_cast<TColor>(v); });
        reader.integer(QStringLiteral("F1_w"), [&](int v) { s.width = v; });
        reader.integer(QStringLiteral("F1_h"), [&](int v) { s.height = v; });
        reader.utf8String(QStringLiteral("Playlist"), s.playlist);
        reader.boolean(QStringLiteral("Lit_p"), s.options.shrinkPictures);
        reader.boolean(QStringLiteral("L_P"), s.options.loadLastPlaylist);
        reader.boolean(QStringLiteral("IC_S"), s.options.trayIcon);
        reader.boolean(QStringLiteral("K_R"), s.options.wheelResize);
        FontSpec& font = s.listFont;
        reader.string(QStringLiteral("Font Name"), font.name);
        reader.integer(QStringLiteral("Color"), [&](int v) { font.color = static_cast<TColor>(v); });
        reader.integer(QStringLiteral("CharSet"), [&](int v) { font.charset = v & 0xFF; });
        reader.integer(QStringLiteral("Size"), [&](int v) { font.setSize(v); });
        reader.integer(QStringLiteral("Style"), [&](int v) { font.style = v & 0x0F; });
        reader.string(QStringLiteral("Z"), s.delayText);
        if (reg.OpenKey(kPositionKey, false))
            reader.place(QStringLiteral("f1_l"), QStringLiteral("f1_t"), s.main);
    }
    reg.CloseKey();
    return s;
}

StartCount countStart(TRegistry& reg, ReadFailure& failure)
{
    StartCount count;
    // Read and written back under the store's lock: copies started at the
    // same moment count a start each.
    reg.LockStore();
    reg.OpenKey(kSettingsKey, true);
    bool counted = true;
    if (reg.ValueExists(QStringLiteral("N"))) {
        counted = false;
        ValueReader(reg, failure).integer(QStringLiteral("N"), [&](int v) {
            count.before = v;
            counted = true;
        });
    }
    if (counted) {
        // The counter stops at its largest value instead of wrapping round.
        const int next = count.before == std::numeric_limits<int>::max() ? count.before : count.before + 1;
        reg.WriteInteger(QStringLiteral("N"), next);
        count.first = reg.ReadInteger(QStringLiteral("N")) == 1;
    }
    try {
        reg.CloseKey();
    } catch (const ERegistryException& e) {
        failure.keep(e.message());
    }
    return count;
}

void loadPlaces(TRegistry& reg, Settings& settings, ReadFailure& failure)
{
    ValueReader reader(reg, failure);
    if (reg.OpenKey(kSettingsKey, false) && reg.OpenKey(kPositionKey, false)) {
        reader.place(QStringLiteral("f2_l"), QStringLiteral("f2_t"), settings.music);
        reader.place(QStringLiteral("f3_l"), QStringLiteral("f3_t"), settings.screen);
        reader.place(QStringLiteral("f4_l"), QStringLiteral("f4_t"), settings.settingsDialog);
        reader.place(QStringLiteral("f8_l"), QStringLiteral("f8_t"), settings.video);
        reader.place(QStringLiteral("Thumb_l"), QStringLiteral("Thumb_t"), settings.thumbnails);
    }
    reg.CloseKey();
}

void save(TRegistry& reg, Settings s, const std::function<QByteArray()>& unchangedPlaylist)
{
    const FontSpec& font = s.listFont;
    reg.OpenKey(kSettingsKey, true);
    reg.WriteInteger(QStringLiteral("Fon"), static_cast<int>(s.listColor));
    reg.WriteInteger(QStringLiteral("F1_h"), s.height);
    reg.WriteInteger(QStringLiteral("F1_w"), s.width);
    if (unchangedPlaylist)
        reg.KeepStringUtf8(QStringLiteral("Playlist"), unchangedPlaylist);
    else
        reg.WriteStringUtf8(QStringLiteral("Playlist"), std::move(s.playlist));
    reg.WriteBool(QStringLiteral("Lit_p"), s.options.shrinkPictures);
    reg.WriteBool(QStringLiteral("L_P"), s.options.loadLastPlaylist);
    reg.WriteBool(QStringLiteral("IC_S"), s.options.trayIcon);
    reg.WriteBool(QStringLiteral("K_R"), s.options.wheelResize);
    reg.WriteString(QStringLiteral("Font Name"), font.name);
    reg.WriteInteger(QStringLiteral("Color"), static_cast<int>(font.color));
    reg.WriteInteger(QStringLiteral("CharSet"), font.charset);
    reg.WriteInteger(QStringLiteral("Size"), font.size());
    reg.WriteInteger(QStringLiteral("Style"), font.style);
    reg.WriteString(QStringLiteral("Z"), s.delayText);
    reg.OpenKey(kPositionKey, true);
    const struct {
        const StoredPlace& place;
        const char* left;
        const char* top;
    } places[] = {
        {s.main, "f1_l", "f1_t"},           {s.music, "f2_l", "f2_t"}, {s.screen, "f3_l", "f3_t"},
        {s.settingsDialog, "f4_l", "f4_t"}, {s.video, "f8_l", "f8_t"}, {s.thumbnails, "Thumb_l", "Thumb_t"},
    };
    for (const auto& p : places) {
        reg.WriteInteger(QString::fromLatin1(p.left), p.place.left.value_or(0));
        reg.WriteInteger(QString::fromLatin1(p.top), p.place.top.value_or(0));
    }
    reg.CloseKey();
}

}  // namespace SettingsStore
