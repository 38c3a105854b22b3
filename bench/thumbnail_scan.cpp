// The thumbnail grid on a folder of 200 photo-sized JPEGs (8 to 24
// megapixels, half of them progressive) beside vipsthumbnail making 100-pixel
// thumbnails of the same files with two processes: wall time for the whole
// folder, time from choosing the folder to the first thumbnail painted, and
// peak resident memory. Each side runs in its own child process. Then the
// grid with the desktop's shared thumbnail cache in a private, empty
// XDG_CACHE_HOME: the first scan fills the cache (it should cost no more than
// a scan without it), the second reopens the folder from it.
//
// Usage: bench_thumbnail_scan [folder [rounds]]   (default: a folder
// generated once under $XDG_CACHE_HOME or ~/.cache; 2 rounds of all four
// runs, interleaved so that other load on the machine hits them alike,
// medians reported). vipsthumbnail comes with the Debian package in
// scripts/debian-packages-bench.txt.
#include "pictures/ImageLibBinding.h"
#include "pictures/TImageLibThumbnails.h"
#include "pictures/ThumbnailCache.h"
#include "support/BenchFixtures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPaintEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {
constexpr int kFiles = 200;

QString defaultFolder()
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/kaleidor-bench/photos200/");
}

// The child: the grid as the thumbnails viewer holds it, on the folder; with
// the shared thumbnail cache of $XDG_CACHE_HOME when withCache.
int child(const QString& folder, bool withCache)
{
    // On an X display (Xvfb) the grid paints there; without one, off screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    auto library = std::make_shared<ImageLibBinding>(LibrarySearch{QStringLiteral(KALEIDOR_IMAGELIB_BUILD_DIR), {}});
    library->loadReadingLibrary();
    TImageLibThumbnails grid(library);
    grid.resize(458, 462);
    grid.setThumbnailHeight(100);
    if (withCache)
        grid.setThumbnailCache(std::make_shared<ThumbnailCache>());
    grid.show();
    // The folder is chosen in a window that is already on the screen.
    QElapsedTimer exposing;
    exposing.start();
    while (!(grid.windowHandle() && grid.windowHandle()->isExposed()) && exposing.elapsed() < 10000)
        app.processEvents(QEventLoop::AllEvents, 50);
    app.processEvents();
    QElapsedTimer clock;
    qint64 firstPainted = -1, total = -1;
    bool firstPaint = false;
    // Ends once the last thumbnail is in and the first one has been painted.
    const auto quitWhenDone = [&] {
        if (total >= 0 && (firstPainted >= 0 || grid.itemCount() == 0))
            app.quit();
    };
    struct PaintWatch : QObject {
        std::function<void()> painted;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                painted();
            return false;
        }
    } watch;
    watch.painted = [&] {
        // Timed once the painted thumbnail has been handed to the window
        // system, which happens right after the paint event.
        if (!firstPaint && grid.itemCount() > 0) {
            firstPaint = true;
            QMetaObject::invokeMethod(
                &app,
                [&] {
                    firstPainted = clock.elapsed();
                    quitWhenDone();
                },
                Qt::QueuedConnection);
        }
    };
    grid.viewport()->installEventFilter(&watch);
    QObject::connect(&grid, &TImageLibThumbnails::scanFinished, &app, [&] {
        total = clock.elapsed();
        quitWhenDone();
    });
    clock.start();
    grid.LoadFromFolder(folder);
    app.exec();
    std::printf("%lld %lld %d\n", static_cast<long long>(total), static_cast<long long>(firstPainted), grid.count());
    return 0;
}

struct Run {
    double wallMs = 0;
    double cpuMs = 0;    // of all the processes
    long peakRssKb = 0;  // the largest of the processes
    long sumRssKb = 0;
};

// Starts all commands at once and waits for every one.
Run runTogether(std::vector<std::vector<std::string>> commands, const std::string& stdoutPath = "/dev/null")
{
    QElapsedTimer clock;
    clock.start();
    std::vector<pid_t> pids;
    for (auto& command : commands) {
        std::vector<char*> argv;
        for (std::string& a : command)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            std::perror(argv[0]);
            std::exit(1);
        }
        posix_spawn_file_actions_destroy(&actions);
        pids.push_back(pid);
    }
    Run run;
    for (pid_t pid : pids) {
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "a child failed\n");
            std::exit(1);
        }
        run.cpuMs += cpuMs(usage);
        run.peakRssKb = std::max(run.peakRssKb, usage.ru_maxrss);
        run.sumRssKb += usage.ru_maxrss;
    }
    run.wallMs = double(clock.nsecsElapsed()) / 1e6;
    return run;
}
}  // namespace

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--child")
        return child(QString::fromLocal8Bit(argv[2]), argc == 4 && std::string(argv[3]) == "--cache");
    QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : defaultFolder();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (argc <= 1)
        makePhotoFolder(folder, kFiles);
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
    std::printf("%lld JPEGs in %s\n", static_cast<long long>(files.size()), qPrintable(folder));

    // Both sides read the photos from memory.
    readIntoPageCache(folder, files);
    QTemporaryDir out;
    const std::vector<std::vector<std::string>> halves = peerCommands(folder, files, out.path());

    struct GridRun {
        double wholeMs = 0, firstMs = 0, cpuMs = 0, peakRssMb = 0;
        int items = 0;
    };
    const auto grid = [&](bool withCache) {
        const std::string result = (out.path() + QStringLiteral("/ours.txt")).toStdString();
        std::vector<std::string> command = {argv[0], "--child", folder.toStdString()};
        if (withCache)
            command.push_back("--cache");
        const Run run = runTogether({command}, result);
        QFile report(QString::fromStdString(result));
        report.open(QIODevice::ReadOnly);
        const QList<QByteArray> fields = report.readAll().simplified().split(' ');
        if (fields.size() != 3) {
            std::fprintf(stderr, "the grid's child printed nothing usable\n");
            std::exit(1);
        }
        return GridRun{fields[0].toDouble(), fields[1].toDouble(), run.cpuMs, run.peakRssKb / 1024.0, fields[2].toInt()};
    };
    // The runs with the cache use a private cache folder, empty for each cold run.
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    const QByteArray savedCacheHome = qgetenv("XDG_CACHE_HOME");
    std::vector<Run> vips;
    std::vector<GridRun> plain, cold, warm;
    long cached = 0;
    for (int round = 0; round < rounds; ++round) {
        vips.push_back(runTogether(halves));
        plain.push_back(grid(false));
        QTemporaryDir cacheHome;
        qputenv("XDG_CACHE_HOME", cacheHome.path().toLocal8Bit());
        cold.push_back(grid(true));
        warm.push_back(grid(true));
        cached = long(QDir(cacheHome.path() + QStringLiteral("/thumbnails/normal")).entryList(QDir::Files).size());
        if (savedCacheHome.isNull())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", savedCacheHome);
    }

    std::printf("%-28s %10s %10s %10s %14s\n", "", "whole (ms)", "first (ms)", "CPU (ms)", "peak RSS (MB)");
    const auto vipsMiddle = [&](auto field) {
        std::vector<double> values;
        for (const Run& r : vips)
            values.push_back(double(field(r)));
        return median(values);
    };
    std::printf("%-28s %10.0f %10s %10.0f %14.1f\n", "vipsthumbnail, 2 processes",
                vipsMiddle([](const Run& r) { return r.wallMs; }), "-", vipsMiddle([](const Run& r) { return r.cpuMs; }),
                vipsMiddle([](const Run& r) { return r.sumRssKb; }) / 1024.0);
    const auto row = [](const char* name, const std::vector<GridRun>& runs) {
        const auto middle = [&](double GridRun::*field) {
            std::vector<double> values;
            for (const GridRun& r : runs)
                values.push_back(r.*field);
            return median(values);
        };
        std::printf("%-28s %10.0f %10.0f %10.0f %14.1f\n", name, middle(&GridRun::wholeMs), middle(&GridRun::firstMs),
                    middle(&GridRun::cpuMs), middle(&GridRun::peakRssMb));
    };
    row("thumbnail grid", plain);
    row("grid, shared cache cold", cold);
    row("grid, shared cache warm", warm);
    std::printf("(medians of %d rounds, each running all four in turn; vipsthumbnail: wall time of both processes, CPU "
                "and memory of both added; grid: from choosing the folder to the last thumbnail, CPU and memory of its "
                "whole process)\n",
                rounds);
    std::printf("grid items: %d, %d, %d; thumbnails in the cache: %ld; grid worker threads: %d\n", plain.back().items,
                cold.back().items, warm.back().items, cached, QThread::idealThreadCount());
    return 0;
}
