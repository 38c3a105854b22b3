#include "SettingsStore.h"

#include "platform/Errors.h"
#include "platform/TRegistry.h"

#include <functional>
#include <iterator>
#include <limits>
#include <variant>

namespace SettingsStore {

namespace {

const QString kSettingsKey = QStringLiteral("\\Qx\\настройки");
const QString kPositionKey = QStringLiteral("mesto");

// How a stored value meets its field of the settings.
template <class T>
struct Field {
    T (*get)(const Settings&);
    void (*set)(Settings&, T);
};
// The playlist is written from its text or kept as the store holds it.
struct PlaylistText {};

struct StoredValue {
    const char* name;
    std::variant<Field<int>, Field<bool>, Field<QString>, PlaylistText> field;
};

// The values of the settings key in the order the store holds them.
const StoredValue kValues[] = {
    {"Fon", Field<int>{[](const Settings& s) { return static_cast<int>(s.listColor); },
                       [](Settings& s, int v) { s.listColor = static_cast<TColor>(v); }}},
    {"F1_h", Field<int>{[](const Settings& s) { return s.height; }, [](Settings& s, int v) { s.height = v; }}},
    {"F1_w", Field<int>{[](const Settings& s) { return s.width; }, [](Settings& s, int v) { s.width = v; }}},
    {"Playlist", PlaylistText{}},
    {"Lit_p", Field<bool>{[](const Settings& s) { return s.options.shrinkPictures; },
                          [](Settings& s, bool v) { s.options.shrinkPictures = v; }}},
    {"L_P", Field<bool>{[](const Settings& s) { return s.options.loadLastPlaylist; },
                        [](Settings& s, bool v) { s.options.loadLastPlaylist = v; }}},
    {"IC_S", Field<bool>{[](const Settings& s) { return s.options.trayIcon; },
                         [](Settings& s, bool v) { s.options.trayIcon = v; }}},
    {"K_R", Field<bool>{[](const Settings& s) { return s.options.wheelResize; },
                        [](Settings& s, bool v) { s.options.wheelResize = v; }}},
    // The list font, set in the order face, colour, character set, size, style.
    {"Font Name", Field<QString>{[](const Settings& s) { return s.listFont.name; },
                                 [](Settings& s, QString v) { s.listFont.name = std::move(v); }}},
    {"Color", Field<int>{[](const Settings& s) { return static_cast<int>(s.listFont.color); },
                         [](Settings& s, int v) { s.listFont.color = static_cast<TColor>(v); }}},
    {"CharSet", Field<int>{[](const Settings& s) { return s.listFont.charset; },
                           [](Settings& s, int v) { s.listFont.charset = v & 0xFF; }}},
    {"Size", Field<int>{[](const Settings& s) { return s.listFont.size(); },
                        [](Settings& s, int v) { s.listFont.setSize(v); }}},
    {"Style", Field<int>{[](const Settings& s) { return s.listFont.style; },
                         [](Settings& s, int v) { s.listFont.style = v & 0x0F; }}},
    {"Z", Field<QString>{[](const Settings& s) { return s.delayText; },
                         [](Settings& s, QString v) { s.delayText = std::move(v); }}},
};

// The main window takes its width before its height; the store holds the
// height first.
constexpr std::size_t kHeightIndex = 1, kWidthIndex = 2;
std::size_t readingOrder(std::size_t index)
{
    return index == kHeightIndex ? kWidthIndex : index == kWidthIndex ? kHeightIndex : index;
}

// The windows' places in the position key, the main window's first.
const struct StoredPlaceNames {
    const char* left;
    const char* top;
    StoredPlace Settings::*place;
} kPlaces[] = {
    {"f1_l", "f1_t", &Settings::main},           {"f2_l", "f2_t", &Settings::music},
    {"f3_l", "f3_t", &Settings::screen},         {"f4_l", "f4_t", &Settings::settingsDialog},
    {"f8_l", "f8_t", &Settings::video},          {"Thumb_l", "Thumb_t", &Settings::thumbnails},
};

class ValueReader {
public:
    ValueReader(TRegistry& reg, ReadFailure& failure) : reg_(reg), failure_(failure) {}

    void integer(const QString& name, const std::function<void(int)>& apply)
    {
        read(name, [&] { apply(reg_.ReadInteger(name)); });
    }
    void value(const StoredValue& stored, Settings& s)
    {
        const QString name = QString::fromLatin1(stored.name);
        if (const auto* number = std::get_if<Field<int>>(&stored.field))
            integer(name, [&](int v) { number->set(s, v); });
        else if (const auto* flag = std::get_if<Field<bool>>(&stored.field))
            read(name, [&] { flag->set(s, reg_.ReadBool(name)); });
        else if (const auto* text = std::get_if<Field<QString>>(&stored.field))
            read(name, [&] { text->set(s, reg_.ReadString(name)); });
        else
            read(name, [&] { s.playlist = reg_.ReadStringUtf8(name); });
    }
    void place(const StoredPlaceNames& names, Settings& s)
    {
        StoredPlace& place = s.*names.place;
        integer(QString::fromLatin1(names.left), [&](int v) { place.left = v; });
        integer(QString::fromLatin1(names.top), [&](int v) { place.top = v; });
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
        for (std::size_t i = 0; i < std::size(kValues); ++i)
            reader.value(kValues[readingOrder(i)], s);
        if (reg.OpenKey(kPositionKey, false))
            reader.place(kPlaces[0], s);
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
    if (reg.OpenKey(kSettingsKey, false) && reg.OpenKey(kPositionKey, false))
        for (std::size_t i = 1; i < std::size(kPlaces); ++i)
            reader.place(kPlaces[i], settings);
    reg.CloseKey();
}

void save(TRegistry& reg, Settings s, const std::function<QByteArray()>& unchangedPlaylist)
{
    reg.OpenKey(kSettingsKey, true);
    for (const StoredValue& stored : kValues) {
        const QString name = QString::fromLatin1(stored.name);
        if (const auto* number = std::get_if<Field<int>>(&stored.field))
            reg.WriteInteger(name, number->get(s));
        else if (const auto* flag = std::get_if<Field<bool>>(&stored.field))
            reg.WriteBool(name, flag->get(s));
        else if (const auto* text = std::get_if<Field<QString>>(&stored.field))
            reg.WriteString(name, text->get(s));
        else if (unchangedPlaylist)
            reg.KeepStringUtf8(name, unchangedPlaylist);
        else
            reg.WriteStringUtf8(name, std::move(s.playlist));
    }
    reg.OpenKey(kPositionKey, true);
    for (const StoredPlaceNames& names : kPlaces) {
        const StoredPlace& place = s.*names.place;
        reg.WriteInteger(QString::fromLatin1(names.left), place.left.value_or(0));
        reg.WriteInteger(QString::fromLatin1(names.top), place.top.value_or(0));
    }
    reg.CloseKey();
}

}  // namespace SettingsStore
