// Whole-process benchmarks measured from outside the program, as a user sees
// it: on a private Xvfb started here, the program's real window set in a
// fresh process per run, a real key press (XTest) and the result detected
// from outside (the screen window's pixels read on the X server each time it
// reports drawing there, the first audible sample read from the sound
// device, CPU time and context switches read from /proc). Each case runs
// beside its peer program in the same run.
//
//   bench_outside picture [runs [name part [other builds...]]]
//                                  F5 -> photo painted, beside djpeg -outfile /dev/null
//   bench_outside music [runs]     F5 -> first audible MP3 sample, beside mpv --no-video
//   bench_outside idle [seconds]   wake-ups and CPU with the main and screen windows open, without and with the settings dialog
//   bench_outside video [seconds]  CPU of H.264 playback at natural size, beside gst-play-1.0 and mpv
//   bench_outside thumbs [rounds]  T -> the thumbnails viewer's grid filled from 200 photos, with the
//                                  shared thumbnail cache cold and warm, beside vipsthumbnail in 2 processes
//
// Sound goes through ALSA's file plugin into a pipe read here (a per-run
// HOME holds the .asoundrc), so the onset is when the first sample above
// -30 dB reaches the device, for our program and mpv alike. Fixtures are made
// once in /tmp/kaleidor-bench.
#include "app/Application.h"
#include "app/Playlist.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "media/TForm3.h"
#include "pictures/TImageLibThumbnails.h"
#include "pictures/TThumbFromFileForm.h"
#include "styled/TdxfCheckBox.h"
#include "support/BenchFixtures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <iterator>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const std::string kFixtureDir = "/tmp/kaleidor-bench";

// ---- the child: the program's window set, driven by the keyboard ----

int child(const std::string& scenario, const QString& file)
{
    // Started from a desktop, the program runs in the user's home.
    QDir::setCurrent(QDir::homePath());
    int argc = 1;
    char name[] = "kaleidor";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Application::initialize(app);
    // The first start greets the user with a box; nobody is there to close it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(20);
    Application shell;
    shell.createWindows();
    shell.preloadMediaWhenIdle();
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline && (!Form1->isVisible() || QApplication::activeModalWidget()))
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    closer.stop();
    Form4->dxfCheckBox2->setChecked(scenario == "picture-shrink");
    if (!file.isEmpty()) {
        Form1->playlist()->setEntries({file});
        Form1->playlist()->setSelectedIndex(0);
    }
    if (scenario.starts_with("idle"))
        Form3->show();
    if (scenario == "idle-settings")
        Form4->show();
    Form1->raise();
    Form1->activateWindow();
    while (Clock::now() < deadline && QApplication::activeWindow() != Form1)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    // Let whatever follows showing the windows (animation, first paints) end.
    QTimer::singleShot(500, [] {
        // Also the thumbnails viewer's window and where its grid lies in it.
        const QPoint grid = ThumbFromFileForm->ImageLibThumbnails1->viewport()->mapTo(ThumbFromFileForm, QPoint());
        std::printf("ready %lu %lu %d %d\n", static_cast<unsigned long>(Form3->winId()),
                    static_cast<unsigned long>(ThumbFromFileForm->winId()), grid.x(), grid.y());
        std::fflush(stdout);
    });
    return app.exec();
}

// ---- processes ----

struct Process {
    pid_t pid = 0;
    int out = -1;  // its standard output, when piped
};

// Standard output piped to us or dropped; standard input from stdinFd when given.
Process spawn(std::vector<std::string> args, const std::vector<std::string>& env, bool pipeOut, int stdinFd = -1)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // No environment given: the benchmark's own.
    std::vector<std::string> envCopy = env;
    std::vector<char*> envp;
    for (std::string& e : envCopy)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char** envArg = env.empty() ? environ : envp.data();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int fds[2] = {-1, -1};
    if (pipeOut) {
        if (pipe(fds) != 0)
            std::exit(1);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (stdinFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
    Process p;
    if (posix_spawnp(&p.pid, argv[0], &actions, nullptr, argv.data(), envArg) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (pipeOut) {
        close(fds[1]);
        p.out = fds[0];
    }
    return p;
}

void finish(Process& p)
{
    if (p.pid > 0) {
        kill(p.pid, SIGKILL);
        waitpid(p.pid, nullptr, 0);
    }
    if (p.out >= 0)
        close(p.out);
    p = {};
}

// Runs a program to its end; returns the CPU milliseconds it used.
double runToEnd(std::vector<std::string> args)
{
    Process p = spawn(args, {}, false);
    int status = 0;
    rusage usage{};
    wait4(p.pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0].c_str());
        std::exit(1);
    }
    return cpuMs(usage);
}

// Reads the child's "ready SCREEN THUMBS X Y" line: the screen window, the
// thumbnails viewer's window and its grid's place in it.
std::vector<unsigned long> awaitReadyLine(Process& p)
{
    std::string line;
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < deadline) {
        pollfd fd{p.out, POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0)
            continue;
        char c = 0;
        if (read(p.out, &c, 1) != 1)
            break;
        if (c == '\n') {
            std::vector<unsigned long> fields;
            for (const QString& field : QString::fromStdString(line).split(QLatin1Char(' ')).mid(1))
                fields.push_back(field.toULong());
            fields.resize(4);
            return fields;
        }
        line += c;
    }
    std::fprintf(stderr, "the program did not come up\n");
    std::exit(1);
}

unsigned long awaitReady(Process& p) { return awaitReadyLine(p)[0]; }

// utime + stime of a process (all its threads), in milliseconds.
double processCpuMs(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of stat; the list starts at field 3.
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Wake-ups: the times a thread went to sleep (voluntary context switches;
// being preempted on a busy machine is none), of every thread of a process
// or of its main thread only.
long wakeUps(pid_t pid, bool mainThreadOnly = false)
{
    long total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (mainThreadOnly && task.toInt() != pid)
            continue;
        QFile f(tasks.filePath(task) + QStringLiteral("/status"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLong();
    }
    return total;
}

long peakRssKb(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// ---- the X server ----

class Server {
public:
    Server()
    {
        for (int n = 150; n < 200 && !display_; ++n) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
                continue;
            name_ = ":" + std::to_string(n);
            xvfb_ = spawn({"Xvfb", name_, "-screen", "0", "1920x1200x24", "-nolisten", "tcp"}, {}, false);
            for (int i = 0; i < 100 && !display_; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                display_ = XOpenDisplay(name_.c_str());
            }
            if (!display_)
                finish(xvfb_);
        }
        if (!display_) {
            std::fprintf(stderr, "could not start Xvfb\n");
            std::exit(1);
        }
        int damageError = 0;
        if (!XDamageQueryExtension(display_, &damageEvent_, &damageError)) {
            std::fprintf(stderr, "the X server has no DAMAGE extension\n");
            std::exit(1);
        }
    }
    ~Server()
    {
        XCloseDisplay(display_);
        finish(xvfb_);
    }
    Display* display() const { return display_; }
    const std::string& name() const { return name_; }
    pid_t pid() const { return xvfb_.pid; }

    void pressKey(KeySym key)
    {
        const KeyCode code = XKeysymToKeycode(display_, key);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        XFlush(display_);
    }

    // Reports of drawing on the window (and its background being cleared),
    // each one as drawing starts after the previous one was collected.
    unsigned long watchDrawing(unsigned long window)
    {
        return XDamageCreate(display_, window, XDamageReportNonEmpty);
    }
    void stopWatching(unsigned long damage)
    {
        XDamageDestroy(display_, damage);
        XSync(display_, True);
    }
    // Sleeps until something was drawn on the watched window, or until the
    // deadline; the benchmark asks the server nothing meanwhile, so it takes
    // no CPU from the program it measures.
    bool awaitDrawing(unsigned long damage, Clock::time_point deadline)
    {
        for (;;) {
            bool drawn = false;
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                drawn = drawn || event.type == damageEvent_ + XDamageNotify;
            }
            if (drawn) {
                XDamageSubtract(display_, damage, None, None);
                XFlush(display_);
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            poll(&fd, 1, int(left) + 1);
        }
    }

    QRgb pixel(int x, int y)
    {
        XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0;
        const unsigned long p = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return qRgb(int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255));
    }

    // The window's place on the root window, when it is mapped and viewable.
    bool viewable(unsigned long window, QRect& place)
    {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes) || attributes.map_state != IsViewable)
            return false;
        int x = 0, y = 0;
        Window childWindow = 0;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &childWindow);
        place = QRect(x, y, attributes.width, attributes.height);
        return true;
    }

private:
    std::string name_;
    int damageEvent_ = 0;
    Process xvfb_;
    Display* display_ = nullptr;
};

// The home every run shares, as a user's stays the same from start to start:
// GStreamer checks some plugins against folders in it, and a new home would
// make every start scan those plugins again and rewrite the plugin registry.
QString benchHome()
{
    const QString home = QString::fromStdString(kFixtureDir + "/home");
    QDir().mkpath(home);
    return home;
}

// runDir holds what one run keeps to itself: its settings and runtime files.
std::vector<std::string> childEnv(const Server& server, const QString& runDir)
{
    const char* path = std::getenv("PATH");
    const std::string run = runDir.toStdString();
    // GStreamer's plugin registry is kept as a user's would be: rebuilding it
    // costs seconds.
    return {"DISPLAY=" + server.name(), "HOME=" + benchHome().toStdString(), "XDG_CONFIG_HOME=" + run + "/config",
            "XDG_DATA_HOME=" + run + "/data", "XDG_RUNTIME_DIR=" + run, "XDG_CACHE_HOME=" + kFixtureDir + "/cache",
            "QT_QPA_PLATFORM=xcb", std::string("PATH=") + (path ? path : "/usr/bin:/bin"), "LANG=C.UTF-8"};
}

std::string self()
{
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0)
        std::exit(1);
    return exe;
}

// ---- fixtures ----

std::string fixturePath(const std::string& name) { return kFixtureDir + "/" + name; }

bool have(const std::string& path) { return QFile::exists(QString::fromStdString(path)); }

std::string photoJpeg(int width, int height, bool progressive)
{
    const std::string jpeg = fixturePath(std::to_string(width) + "x" + std::to_string(height) +
                                         (progressive ? "-progressive.jpg" : "-baseline.jpg"));
    if (have(jpeg))
        return jpeg;
    const std::string ppm = fixturePath("photo.ppm");
    {
        QFile f(QString::fromStdString(ppm));
        f.open(QIODevice::WriteOnly);
        f.write(photoPpm(width, height));
    }
    std::vector<std::string> cjpeg{"cjpeg", "-quality", "90"};
    if (progressive)
        cjpeg.push_back("-progressive");
    cjpeg.insert(cjpeg.end(), {"-outfile", jpeg, ppm});
    runToEnd(cjpeg);
    QFile::remove(QString::fromStdString(ppm));
    return jpeg;
}

// 40 s of music whose loudness changes, so a VBR encoder really varies its
// frame sizes; without xingmux the file has no header that tells its length.
std::string musicMp3(bool vbr, bool xing)
{
    const std::string name = std::string(vbr ? "vbr" : "cbr") + (xing ? "-xing" : "") + ".mp3";
    const std::string mp3 = fixturePath(name);
    if (have(mp3))
        return mp3;
    std::string pipeline = "audiotestsrc wave=sine freq=440 volume=0.4 num-buffers=1723 samplesperbuffer=1024 ! "
                           "audio/x-raw,rate=44100,channels=2 ! audiomixer name=mix ! audioconvert ! ";
    pipeline += vbr ? "lamemp3enc target=quality quality=2 ! " : "lamemp3enc target=bitrate cbr=true bitrate=192 ! ";
    pipeline += xing ? "xingmux ! " : "mpegaudioparse ! ";
    pipeline += "filesink location=" + mp3 +
                " audiotestsrc wave=pink-noise volume=0.3 num-buffers=1723 samplesperbuffer=1024 ! "
                "audio/x-raw,rate=44100,channels=2 ! volume volume=0.5 ! mix.";
    std::vector<std::string> args{"gst-launch-1.0", "-q"};
    for (const QString& part : QString::fromStdString(pipeline).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        args.push_back(part.toStdString());
    runToEnd(args);
    return mp3;
}

// An H.264 clip in 4:2:0 8-bit of a photo panning slowly across the frame,
// with no sound; the encoder gets explicit I420 input.
std::string videoClip(int width, int height, int seconds)
{
    const std::string clip = fixturePath("pan-" + std::to_string(width) + "x" + std::to_string(height) + "-" +
                                         std::to_string(seconds) + "s.avi");
    if (have(clip))
        return clip;
    const int frames = seconds * 25;
    const int bigW = width + frames * 2, bigH = height + frames;
    // The photo as I420 planes, once.
    const QByteArray ppm = photoPpm(bigW, bigH);
    const auto* rgb = reinterpret_cast<const unsigned char*>(ppm.constData() + ppm.indexOf("\n255\n") + 5);
    std::vector<unsigned char> Y(std::size_t(bigW) * bigH), U(std::size_t(bigW / 2) * (bigH / 2)), V(U.size());
    for (int y = 0; y < bigH; ++y)
        for (int x = 0; x < bigW; ++x) {
            const unsigned char* p = rgb + (std::size_t(y) * bigW + x) * 3;
            Y[std::size_t(y) * bigW + x] = static_cast<unsigned char>((66 * p[0] + 129 * p[1] + 25 * p[2] + 128) / 256 + 16);
            if (y % 2 == 0 && x % 2 == 0 && x / 2 < bigW / 2 && y / 2 < bigH / 2) {
                const std::size_t i = std::size_t(y / 2) * (bigW / 2) + x / 2;
                U[i] = static_cast<unsigned char>((-38 * p[0] - 74 * p[1] + 112 * p[2] + 128) / 256 + 128);
                V[i] = static_cast<unsigned char>((112 * p[0] - 94 * p[1] - 18 * p[2] + 128) / 256 + 128);
            }
        }
    const std::string caps = "video/x-raw,format=I420,width=" + std::to_string(width) +
                             ",height=" + std::to_string(height) + ",framerate=25/1";
    std::vector<std::string> args{"gst-launch-1.0", "-q", "fdsrc", "fd=0", "!", "rawvideoparse", "format=i420",
                                  "width=" + std::to_string(width), "height=" + std::to_string(height),
                                  "framerate=25/1", "!", caps, "!", "x264enc", "speed-preset=veryfast",
                                  "bitrate=" + std::to_string(width >= 1920 ? 8000 : 4000), "key-int-max=50", "!",
                                  "video/x-h264,profile=high", "!", "avimux", "!", "filesink", "location=" + clip};
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        std::exit(1);
    const pid_t pid = spawn(args, {}, false, fds[0]).pid;
    close(fds[0]);
    auto put = [&](const unsigned char* data, std::size_t n) {
        while (n > 0) {
            const ssize_t w = write(fds[1], data, n);
            if (w <= 0)
                std::exit(1);
            data += w;
            n -= std::size_t(w);
        }
    };
    for (int f = 0; f < frames; ++f) {
        const int ox = f * 2, oy = f;  // even, so the chroma planes line up
        const int oyc = oy / 2 * 2;
        for (int y = 0; y < height; ++y)
            put(&Y[std::size_t(oyc + y) * bigW + ox], std::size_t(width));
        for (const auto* plane : {&U, &V})
            for (int y = 0; y < height / 2; ++y)
                put(&(*plane)[std::size_t(oyc / 2 + y) * (bigW / 2) + ox / 2], std::size_t(width / 2));
    }
    close(fds[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "could not make %s\n", clip.c_str());
        std::exit(1);
    }
    return clip;
}

// ---- picture ----

// Painted when points spread over the visible part of the window show the
// photo's gradients there (red grows left to right, green top to bottom).
bool photoPainted(Server& server, const QRect& window)
{
    const QRect visible = window & QRect(0, 0, 1920, 1200);
    if (visible.width() < 40 || visible.height() < 40)
        return false;
    for (double fy : {0.3, 0.5, 0.7})
        for (double fx : {0.3, 0.5, 0.7}) {
            const int x = visible.left() + int(visible.width() * fx);
            const int y = visible.top() + int(visible.height() * fy);
            const QRgb c = server.pixel(x, y);
            const double er = 255.0 * (x - window.left()) / window.width();
            const double eg = 255.0 * (y - window.top()) / window.height();
            if (std::abs(qRed(c) - er) > 40 || std::abs(qGreen(c) - eg) > 40)
                return false;
        }
    return true;
}

void picture(int runs, const std::string& only, const std::vector<std::string>& others)
{
    Server server;
    QDir().mkpath(QString::fromStdString(kFixtureDir));
    struct Case {
        int width, height;
        bool progressive;
    };
    const Case cases[] = {{3840, 2400, true}, {6000, 4000, true}, {4000, 3000, false}, {6000, 4000, false}};
    std::vector<std::string> builds{self()};
    builds.insert(builds.end(), others.begin(), others.end());
    // Wall time is what the user waits; on a busy machine the CPU time (ours
    // with the X server's share) is the steadier comparison.
    std::printf("%-27s %-6s %-5s %5s %8s %8s %6s %11s %9s %6s %8s\n", "picture", "shrink", "scale", "build",
                "ours ms", "djpeg ms", "ratio", "ours+X CPU", "djpeg CPU", "ratio", "peak MB");
    for (const Case& c : cases) {
        const std::string jpeg = photoJpeg(c.width, c.height, c.progressive);
        if (jpeg.find(only) == std::string::npos)
            continue;
        for (bool shrink : {true, false}) {
            // With shrinking on, the window is half the picture and the
            // picture is decoded at 4/8; otherwise at full size.
            const int scale = shrink ? 4 : 8;
            std::vector<std::vector<double>> ours(builds.size()), oursCpu(builds.size());
            std::vector<long> peak(builds.size());
            std::vector<double> theirs, theirsCpu;
            // Run by run in turns, so that all see the same machine.
            for (int i = 0; i < runs; ++i) {
                for (std::size_t b = 0; b < builds.size(); ++b) {
                    QTemporaryDir home;
                    Process p = spawn({builds[b], "--child", shrink ? "picture-shrink" : "picture", jpeg},
                                      childEnv(server, home.path()), true);
                    const unsigned long screen = awaitReady(p);
                    const unsigned long drawing = server.watchDrawing(screen);
                    const double cpu0 = processCpuMs(p.pid) + processCpuMs(server.pid());
                    const auto start = Clock::now();
                    server.pressKey(XK_F5);
                    QRect place;
                    bool painted = false;
                    while (!painted && server.awaitDrawing(drawing, start + std::chrono::seconds(30)))
                        painted = server.viewable(screen, place) && photoPainted(server, place);
                    ours[b].push_back(painted ? msSince(start) : NAN);
                    oursCpu[b].push_back(processCpuMs(p.pid) + processCpuMs(server.pid()) - cpu0);
                    peak[b] = std::max(peak[b], peakRssKb(p.pid));
                    server.stopWatching(drawing);
                    finish(p);
                }
                const auto start = Clock::now();
                theirsCpu.push_back(
                    runToEnd({"djpeg", "-scale", std::to_string(scale) + "/8", "-outfile", "/dev/null", jpeg}));
                theirs.push_back(msSince(start));
            }
            const double t = median(theirs), tc = median(theirsCpu);
            const QByteArray name = QFileInfo(QString::fromStdString(jpeg)).fileName().toUtf8();
            for (std::size_t b = 0; b < builds.size(); ++b) {
                const double o = median(ours[b]), oc = median(oursCpu[b]);
                std::printf("%-27s %-6s %d/8   %5zu %8.1f %8.1f %6.2f %11.1f %9.1f %6.2f %8.1f\n", name.constData(),
                            shrink ? "on" : "off", scale, b, o, t, o / t, oc, tc, oc / tc, peak[b] / 1024.0);
            }
            std::fflush(stdout);
        }
    }
}

// ---- music ----

// A sound device that writes 16-bit stereo samples into a pipe we read.
void prepareSound(const QString& home, const QString& pipePath)
{
    QFile rc(home + QStringLiteral("/.asoundrc"));
    rc.open(QIODevice::WriteOnly);
    rc.write(QStringLiteral("pcm.!default { type plug slave { pcm \"tap\" format S16_LE rate 44100 channels 2 } }\n"
                            "pcm.tap { type file slave.pcm \"null\" file \"%1\" format \"raw\" }\n")
                 .arg(pipePath)
                 .toUtf8());
}

// Milliseconds from start until a sample above -30 dB comes out of the pipe.
double firstAudible(int pipeFd, Clock::time_point start)
{
    std::vector<std::int16_t> samples(4096);
    while (msSince(start) < 20000) {
        pollfd fd{pipeFd, POLLIN, 0};
        if (poll(&fd, 1, 5) <= 0)
            continue;
        const ssize_t n = read(pipeFd, samples.data(), samples.size() * 2);
        for (ssize_t i = 0; i < n / 2; ++i)
            if (std::abs(int(samples[std::size_t(i)])) > 1036)
                return msSince(start);
    }
    return NAN;
}

void music(int runs)
{
    Server server;
    QDir().mkpath(QString::fromStdString(kFixtureDir));
    std::printf("%-16s %9s %9s %6s\n", "music", "ours ms", "mpv ms", "ratio");
    for (const auto& [vbr, xing] : {std::pair{true, false}, std::pair{true, true}, std::pair{false, false}}) {
        const std::string mp3 = musicMp3(vbr, xing);
        std::vector<double> ours, theirs;
        for (int i = 0; i < 2 * runs; ++i) {
            const bool mine = i % 2 == 0;
            QTemporaryDir home;
            const QString pipePath = home.filePath(QStringLiteral("sound"));
            mkfifo(pipePath.toLocal8Bit().constData(), 0600);
            // Opened for writing too, so the device's open never waits for us.
            const int fd = open(pipePath.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
            prepareSound(benchHome(), pipePath);
            double ms = NAN;
            if (mine) {
                Process p = spawn({self(), "--child", "music", mp3}, childEnv(server, home.path()), true);
                awaitReady(p);
                const auto start = Clock::now();
                server.pressKey(XK_F5);
                ms = firstAudible(fd, start);
                finish(p);
                ours.push_back(ms);
            } else {
                const auto start = Clock::now();
                Process p = spawn({"mpv", "--no-config", "--no-video", "--ao=alsa", "--really-quiet", mp3},
                                  childEnv(server, home.path()), false);
                ms = firstAudible(fd, start);
                finish(p);
                theirs.push_back(ms);
            }
            close(fd);
            // The other benchmarks play into no pipe.
            QFile::remove(benchHome() + QStringLiteral("/.asoundrc"));
        }
        const double o = median(ours), t = median(theirs);
        std::printf("%-16s %9.1f %9.1f %6.2f\n", QFileInfo(QString::fromStdString(mp3)).fileName().toUtf8().constData(),
                    o, t, o / t);
        std::fflush(stdout);
    }
}

// ---- idle ----

// With the settings dialog closed and open: only the open dialog reads the
// screen under the pointer.
void idle(int seconds)
{
    for (const char* scenario : {"idle", "idle-settings"}) {
        Server server;
        QTemporaryDir home;
        Process p = spawn({self(), "--child", scenario, ""}, childEnv(server, home.path()), true);
        awaitReady(p);
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const long switches = wakeUps(p.pid), mainSwitches = wakeUps(p.pid, true);
        const double cpu = processCpuMs(p.pid);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const double wakeups = double(wakeUps(p.pid) - switches) / seconds;
        const double mainWakeups = double(wakeUps(p.pid, true) - mainSwitches) / seconds;
        const double cpuPerSecond = (processCpuMs(p.pid) - cpu) / seconds;
        finish(p);
        std::printf("idle, main + screen windows%s: %.1f wake-ups/s (main thread %.1f), %.2f ms CPU/s\n",
                    std::string_view(scenario) == "idle" ? "" : " + settings", wakeups, mainWakeups, cpuPerSecond);
    }
}

// ---- video ----

struct Cpu {
    double player = 0;  // ms of CPU per second of playback
    double server = 0;  // the X server's share, for the same time
};

Cpu measureCpu(Server& server, pid_t pid, int seconds)
{
    // The first seconds hold opening and the first frames.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double p0 = processCpuMs(pid), x0 = processCpuMs(server.pid());
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    return {(processCpuMs(pid) - p0) / seconds, (processCpuMs(server.pid()) - x0) / seconds};
}

void video(int seconds)
{
    Server server;
    QDir().mkpath(QString::fromStdString(kFixtureDir));
    std::printf("%-10s %-22s %12s %12s %8s\n", "clip", "player", "CPU ms/s", "+X ms/s", "ratio");
    for (const auto& [w, h] : {std::pair{1280, 720}, std::pair{1920, 1080}}) {
        const std::string clip = videoClip(w, h, seconds + 4);
        QTemporaryDir home;
        const std::vector<std::string> env = childEnv(server, home.path());
        Process ours = spawn({self(), "--child", "video", clip}, env, true);
        awaitReady(ours);
        server.pressKey(XK_F5);
        const Cpu mine = measureCpu(server, ours.pid, seconds);
        finish(ours);
        Process gst = spawn({"gst-play-1.0", "--no-interactive", "-q", "--videosink=ximagesink", clip}, env, false);
        const Cpu gstCpu = measureCpu(server, gst.pid, seconds);
        finish(gst);
        Process mpv = spawn({"mpv", "--no-config", "--vo=x11", "--no-audio", "--really-quiet", clip}, env, false);
        const Cpu mpvCpu = measureCpu(server, mpv.pid, seconds);
        finish(mpv);
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        for (const auto& [name, cpu] : {std::pair{"ours", mine}, std::pair{"gst-play-1.0 ximagesink", gstCpu},
                                        std::pair{"mpv --vo=x11", mpvCpu}})
            std::printf("%-10s %-22s %12.1f %12.1f %8.2f\n", size.c_str(), name, cpu.player, cpu.player + cpu.server,
                        cpu.player / gstCpu.player);
        std::fflush(stdout);
    }
}

// ---- thumbs ----

// The grid's scan workers, found by the name they give their threads.
int scanThreads(pid_t pid)
{
    int n = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(task) + QStringLiteral("/comm"));
        if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed() == "thumbnail scan")
            ++n;
    }
    return n;
}

double loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(0).toDouble() : NAN;
}

// The twelve cells fully in view of the viewer's grid (4 columns of 106
// pixels, 3 rows of 130) show a photo in their middle, not white.
bool gridFilled(Server& server, QPoint grid)
{
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            const QRgb c = server.pixel(grid.x() + col * 106 + 54, grid.y() + row * 130 + 54);
            if (qRed(c) + qGreen(c) + qBlue(c) > 700)
                return false;
        }
    return true;
}

struct Spread {
    double middle, low, high;
};

// Over the runs that finished (a run that timed out is NaN and left out).
Spread spread(const std::vector<double>& all)
{
    std::vector<double> values;
    std::copy_if(all.begin(), all.end(), std::back_inserter(values), [](double v) { return !std::isnan(v); });
    if (values.empty())
        return {NAN, NAN, NAN};
    return {median(values), *std::min_element(values.begin(), values.end()),
            *std::max_element(values.begin(), values.end())};
}

struct ThumbsRun {
    double wallMs = NAN, cpuMs = 0, serverCpuMs = 0;
    long peakKb = 0;
};

// One start of the program: T on the main window, until the grid's cells in
// view show their photos and the scan's workers have ended (the last
// thumbnail is in).
ThumbsRun thumbsOnce(Server& server, const QString& folder, const QString& cacheHome)
{
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("config")));
    QFile dirs(home.filePath(QStringLiteral("config/user-dirs.dirs")));
    dirs.open(QIODevice::WriteOnly);
    dirs.write("XDG_PICTURES_DIR=\"" + folder.toUtf8() + "\"\n");
    dirs.close();
    std::vector<std::string> env = childEnv(server, home.path());
    for (std::string& e : env)
        if (e.rfind("XDG_CACHE_HOME=", 0) == 0)
            e = "XDG_CACHE_HOME=" + cacheHome.toStdString();
    // The picture libraries are loaded from the build tree.
    env.push_back("LD_LIBRARY_PATH=" KALEIDOR_IMAGELIB_BUILD_DIR);
    Process p = spawn({self(), "--child", "thumbs", ""}, env, true);
    const std::vector<unsigned long> ready = awaitReadyLine(p);
    const unsigned long window = ready[1];
    const QPoint gridAt{int(ready[2]), int(ready[3])};
    const unsigned long drawing = server.watchDrawing(window);
    ThumbsRun run;
    const double cpu0 = processCpuMs(p.pid), server0 = processCpuMs(server.pid());
    const auto start = Clock::now();
    // Generous: on a loaded machine a cold scan takes minutes, and one cut
    // short would leave the next (warm) run a half-filled cache.
    const auto deadline = start + std::chrono::seconds(600);
    server.pressKey(XK_t);
    bool filled = false;
    while (Clock::now() < deadline) {
        // Once the view is filled, only the workers are looked for, every 10 ms.
        const bool drawn =
            server.awaitDrawing(drawing, filled ? Clock::now() + std::chrono::milliseconds(10) : deadline);
        QRect place;
        if (!filled && drawn && server.viewable(window, place))
            filled = gridFilled(server, place.topLeft() + gridAt);
        if (filled && scanThreads(p.pid) == 0) {
            run.wallMs = msSince(start);
            break;
        }
    }
    run.cpuMs = processCpuMs(p.pid) - cpu0;
    run.serverCpuMs = processCpuMs(server.pid()) - server0;
    run.peakKb = peakRssKb(p.pid);
    server.stopWatching(drawing);
    finish(p);
    return run;
}

void thumbs(int rounds)
{
    Server server;
    const QString folder = QString::fromStdString(kFixtureDir + "/photos200/");
    makePhotoFolder(folder, 200);
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
    // Both sides read the photos from memory.
    readIntoPageCache(folder, files);
    QTemporaryDir out;
    const std::vector<std::vector<std::string>> halves = peerCommands(folder, files, out.path());

    std::vector<double> peerWall, peerCpu, loads;
    std::vector<ThumbsRun> cold, warm;
    for (int round = 0; round < rounds; ++round) {
        loads.push_back(loadAverage());
        const auto start = Clock::now();
        std::vector<Process> peers;
        for (const auto& half : halves)
            peers.push_back(spawn(half, {}, false));
        double cpu = 0;
        for (Process& peer : peers) {
            rusage usage{};
            int status = 0;
            wait4(peer.pid, &status, 0, &usage);
            cpu += cpuMs(usage);
        }
        peerWall.push_back(msSince(start));
        peerCpu.push_back(cpu);
        // A private shared cache, empty for the first start and filled by it for the second.
        QTemporaryDir cache;
        cold.push_back(thumbsOnce(server, folder, cache.path()));
        warm.push_back(thumbsOnce(server, folder, cache.path()));
        std::fprintf(stderr, "\rround %d/%d", round + 1, rounds);
    }
    std::fprintf(stderr, "\n");

    const auto field = [](const std::vector<ThumbsRun>& runs, auto member) {
        std::vector<double> values;
        for (const ThumbsRun& r : runs)
            values.push_back(double(r.*member));
        return values;
    };
    const auto ratios = [](const std::vector<double>& peer, const std::vector<double>& ours) {
        std::vector<double> values;
        for (std::size_t i = 0; i < ours.size(); ++i)
            values.push_back(peer[i] / ours[i]);
        return spread(values);
    };
    std::printf("%-30s %-22s %-22s %-18s %8s\n", "200 photos, T -> grid filled", "wall ms [range]",
                "CPU ms [range]", "+X server CPU ms", "peak MB");
    const auto row = [](const char* name, const Spread& wall, const Spread& cpu, double server, double peakMb) {
        std::printf("%-30s %6.0f [%6.0f-%6.0f] %6.0f [%6.0f-%6.0f] %18.0f %8.1f\n", name, wall.middle, wall.low,
                    wall.high, cpu.middle, cpu.low, cpu.high, server, peakMb);
    };
    row("vipsthumbnail, 2 processes", spread(peerWall), spread(peerCpu), NAN, NAN);
    for (const auto& [name, runs] : {std::pair{"ours, cache cold", &cold}, std::pair{"ours, cache warm", &warm}})
        row(name, spread(field(*runs, &ThumbsRun::wallMs)), spread(field(*runs, &ThumbsRun::cpuMs)),
            median(field(*runs, &ThumbsRun::serverCpuMs)), median(field(*runs, &ThumbsRun::peakKb)) / 1024.0);
    const Spread wallRatio = ratios(peerWall, field(cold, &ThumbsRun::wallMs));
    const Spread cpuRatio = ratios(peerCpu, field(cold, &ThumbsRun::cpuMs));
    const Spread loadSpread = spread(loads);
    std::printf("speed against the peer, cache cold (peer / ours, per round): wall %.2f [%.2f-%.2f], CPU %.2f "
                "[%.2f-%.2f]\n",
                wallRatio.middle, wallRatio.low, wallRatio.high, cpuRatio.middle, cpuRatio.low, cpuRatio.high);
    const auto unfinished = [](const std::vector<ThumbsRun>& runs) {
        return std::count_if(runs.begin(), runs.end(), [](const ThumbsRun& r) { return std::isnan(r.wallMs); });
    };
    std::printf("%d interleaved rounds (peer, cold start, warm start), %ld cold and %ld warm runs timed out; load "
                "average %.2f [%.2f-%.2f]\n",
                rounds, long(unfinished(cold)), long(unfinished(warm)), loadSpread.middle, loadSpread.low,
                loadSpread.high);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], QString::fromLocal8Bit(argv[3]));
    const std::string what = argc > 1 ? argv[1] : "";
    const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 0;
    if (what == "picture")
        picture(n ? n : 5, argc > 3 ? argv[3] : "", std::vector<std::string>(argv + std::min(argc, 4), argv + argc));
    else if (what == "music")
        music(n ? n : 5);
    else if (what == "idle")
        idle(n ? n : 10);
    else if (what == "video")
        video(n ? n : 8);
    else if (what == "thumbs")
        thumbs(n ? n : 5);
    else {
        std::fprintf(stderr, "usage: %s picture|music|idle|video|thumbs [runs or seconds]\n", argv[0]);
        return 2;
    }
    return 0;
}
