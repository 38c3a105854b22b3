// The program with a large stored playlist, measured from outside on the real
// X server: from process start to the main window painted (wall and CPU
// time), the CPU time until it is idle after that, the resident memory then
// (and its peak), and from the close request to the process' end (the store
// written), once with the playlist as it was read and once after one entry
// was deleted (a click on the first entry and Del, through xdotool). Each run
// is a fresh process; the figures are medians with their range. The empty
// playlist is the reference the large one is compared with.
//
// Usage: bench_large_playlist [runs] [program...]   (needs DISPLAY; the
// program defaults to the kaleidor beside the bench folder; several programs,
// say two builds, are measured side by side)
#include "platform/TRegistry.h"
#include "support/BenchFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// A store as a user of many starts has it: the playlist, the options and
// the counter, so no first-start greeting.
void writeStore(const QString& configHome, int entries)
{
    qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
    QStringList list;
    list.reserve(entries);
    for (int i = 0; i < entries; ++i)
        list << QStringLiteral("/home/user/Музыка/Альбом %1/Песня номер %2.mp3").arg(i / 12).arg(i, 6, 10, QLatin1Char('0'));
    TRegistry reg;
    reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true);
    reg.WriteString(QStringLiteral("Playlist"), list.isEmpty() ? QString() : list.join(QStringLiteral("\r\n")) + "\r\n");
    reg.WriteBool(QStringLiteral("L_P"), true);
    reg.WriteInteger(QStringLiteral("N"), 10);
    reg.CloseKey();
}

std::string windowName(xcb_connection_t* c, xcb_window_t w)
{
    const auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(xcb_get_property_reply(c, cookie, nullptr), free);
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       size_t(xcb_get_property_value_length(reply.get())));
}

// The first mapped top-level window whose name holds part.
std::optional<xcb_window_t> viewableNamed(xcb_connection_t* c, xcb_window_t root, const std::string& part,
                                          bool whole = false)
{
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), free);
    if (!tree)
        return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attrs(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr), free);
        if (attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE
            && (whole ? windowName(c, children[i]) == part
                      : windowName(c, children[i]).find(part) != std::string::npos))
            return children[i];
    }
    return std::nullopt;
}

// Painted: most of its pixels are no longer the unpainted black.
bool painted(xcb_connection_t* c, xcb_window_t w)
{
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geo(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), free);
    if (!geo)
        return false;
    std::unique_ptr<xcb_get_image_reply_t, decltype(&free)> image(
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, geo->width, geo->height, ~0u),
                            nullptr),
        free);
    if (!image)
        return false;
    const auto* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image.get()));
    const int n = xcb_get_image_data_length(image.get()) / 4;
    int lit = 0;
    for (int i = 0; i < n; ++i)
        lit += (px[i] & 0xFFFFFF) != 0;
    return n > 0 && lit > n * 3 / 4;
}

// A figure of /proc/<pid>/status in kB: "VmRSS" now, "VmHWM" the peak.
long statusKb(pid_t pid, const QByteArray& field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLong();
    return 0;
}

// The process' CPU time so far, in clock ticks.
long cpuTicks(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // The fields after the command name, which may itself hold spaces.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? fields[11].toLong() + fields[12].toLong() : -1;
}

// Waits until the program has used no CPU for a while: what it still did
// after painting (writing the store in the background) is then over.
void awaitIdle(pid_t pid)
{
    const auto start = Clock::now();
    long last = cpuTicks(pid);
    int still = 0;
    while (still < 3 && msSince(start) < 10000) {
        usleep(100 * 1000);
        const long now = cpuTicks(pid);
        still = now == last ? still + 1 : 0;
        last = now;
    }
}

struct Run {
    double startMs = 0, closeMs = 0, startCpuMs = 0, idleCpuMs = 0;
    long rssKb = 0, peakKb = 0;
};

double ticksToMs(long ticks)
{
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

void xdotool(std::vector<std::string> args)
{
    args.insert(args.begin(), "xdotool");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) != pid
        || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "xdotool failed\n");
        std::exit(1);
    }
}

Run runOnce(const std::string& program, xcb_connection_t* c, xcb_window_t root, bool deleteOne)
{
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::perror(program.c_str());
        std::exit(1);
    }
    Run run;
    std::optional<xcb_window_t> window;
    while (msSince(start) < 60000) {
        if (!window)
            window = viewableNamed(c, root, "ver 1.5");
        if (window && painted(c, *window))
            break;
        usleep(1000);
    }
    run.startMs = msSince(start);
    run.startCpuMs = ticksToMs(cpuTicks(pid));
    if (!window) {
        std::fprintf(stderr, "no main window painted within a minute\n");
        kill(pid, SIGKILL);
        std::exit(1);
    }
    // A message box (titled with the bare program name) would make every
    // figure meaningless: the run measured something else.
    if (viewableNamed(c, root, "Калейдор", true)) {
        std::fprintf(stderr, "the program showed a message box\n");
        kill(pid, SIGKILL);
        std::exit(1);
    }
    awaitIdle(pid);
    run.idleCpuMs = ticksToMs(cpuTicks(pid));
    run.rssKb = statusKb(pid, "VmRSS");
    run.peakKb = statusKb(pid, "VmHWM");
    if (deleteOne) {
        const std::string id = std::to_string(*window);
        xdotool({"mousemove", "--window", id, "40", "60", "click", "1"});
        xdotool({"key", "Delete"});
        awaitIdle(pid);
    }
    // The close request a window manager sends.
    const auto atom = [c](const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> r(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), free);
        return r ? r->atom : XCB_ATOM_NONE;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = *window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    const auto closing = Clock::now();
    xcb_send_event(c, 0, *window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    // A program that does not end (a message box waiting for an answer, a
    // hang) fails the benchmark instead of stalling it.
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (msSince(closing) > 30000) {
            std::fprintf(stderr, "the program did not end after the close request\n");
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            std::exit(1);
        }
        usleep(500);
    }
    run.closeMs = msSince(closing);
    return run;
}

// The entries of the stored playlist: the line breaks in its text.
qsizetype storedEntries(const QString& configHome)
{
    QFile f(configHome + QStringLiteral("/kaleidor/user.reg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().count("\\r\\n") : -1;
}

void printLoad(const char* when)
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (f.open(QIODevice::ReadOnly))
        std::printf("load average %s: %s", when, f.readAll().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<std::string> programs(argv + std::min(argc, 2), argv + argc);
    if (programs.empty()) {
        char exe[4096] = {};
        if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0)
            return 1;
        programs.push_back(QFileInfo(QString::fromLocal8Bit(exe)).absolutePath().toStdString() + "/../kaleidor");
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    qunsetenv("QT_QPA_PLATFORM");

    struct Figures {
        std::vector<double> starts, startCpus, idleCpus, closes, rss, peaks;
    };
    struct Case {
        int entries;
        bool deleteOne;
        std::unique_ptr<QTemporaryDir> home = std::make_unique<QTemporaryDir>();
        QString configHome() const { return home->path() + QStringLiteral("/config"); }
    };
    Case cases[] = {{0, false}, {100000, false}, {100000, true}};
    constexpr size_t caseCount = std::size(cases);
    for (Case& k : cases)
        writeStore(k.configHome(), k.entries);
    // figures[program][case]
    std::vector<std::array<Figures, caseCount>> figures(programs.size());
    printLoad("before");
    // The cases and the programs take turns, so that a slow spell of the
    // machine weighs on all of them alike.
    for (int i = 0; i < runs; ++i)
        for (size_t p = 0; p < programs.size(); ++p)
            for (size_t k = 0; k < caseCount; ++k) {
                // Each run deletes from the whole playlist.
                if (cases[k].deleteOne)
                    writeStore(cases[k].configHome(), cases[k].entries);
                qputenv("HOME", cases[k].home->path().toUtf8());
                qputenv("XDG_CONFIG_HOME", cases[k].configHome().toUtf8());
                // A store last written moments ago is read as if it might
                // still be changing; a user's store is older than that.
                usleep(2500 * 1000);
                const Run run = runOnce(programs[p], c, root, cases[k].deleteOne);
                if (cases[k].deleteOne && storedEntries(cases[k].configHome()) != cases[k].entries - 1) {
                    std::fprintf(stderr, "the deletion did not reach the store\n");
                    return 1;
                }
                Figures& f = figures[p][k];
                f.starts.push_back(run.startMs);
                f.startCpus.push_back(run.startCpuMs);
                f.idleCpus.push_back(run.idleCpuMs);
                f.closes.push_back(run.closeMs);
                f.rss.push_back(double(run.rssKb));
                f.peaks.push_back(double(run.peakKb));
            }
    printLoad("after");
    const auto spread = [](const std::vector<double>& v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.0f [%.0f-%.0f]", median(v), *std::min_element(v.begin(), v.end()),
                      *std::max_element(v.begin(), v.end()));
        return std::string(text);
    };
    for (size_t p = 0; p < programs.size(); ++p) {
        if (programs.size() > 1)
            std::printf("%s\n", programs[p].c_str());
        std::printf("%-16s %8s %-18s %6s %-18s %6s %-18s %-18s %11s %8s\n", "entries", "store MB", "start ms",
                    "ratio", "start CPU ms", "ratio", "CPU to idle ms", "close ms", "idle RSS MB", "peak MB");
        const Figures& empty = figures[p][0];
        for (size_t k = 0; k < caseCount; ++k) {
            Figures& f = figures[p][k];
            const double memory = median(f.rss);
            const double storeMb = QFileInfo(cases[k].configHome() + QStringLiteral("/kaleidor/user.reg")).size()
                                   / 1048576.0;
            const std::string name = std::to_string(cases[k].entries) + (cases[k].deleteOne ? ", one deleted" : "");
            std::printf("%-16s %8.1f %-18s %6.2f %-18s %6.2f %-18s %-18s %11.1f %8.1f", name.c_str(), storeMb,
                        spread(f.starts).c_str(), median(f.starts) / median(empty.starts), spread(f.startCpus).c_str(),
                        median(f.startCpus) / median(empty.startCpus), spread(f.idleCpus).c_str(),
                        spread(f.closes).c_str(), memory / 1024, median(f.peaks) / 1024);
            if (cases[k].entries > 0)
                std::printf("   %.0f bytes per entry", (memory - median(empty.rss)) * 1024 / cases[k].entries);
            std::printf("\n");
        }
    }
    xcb_disconnect(c);
    return 0;
}
