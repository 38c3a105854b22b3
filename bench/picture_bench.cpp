// Picture loading speed and memory: a 3840 × 2400 progressive and a 6000 ×
// 4000 baseline JPEG, loaded at full size and at the halved size the shrink
// option shows them at, side by side with djpeg decoding at the same scale.
// Peak memory is measured in a fresh child process per case.
//
// Usage: bench_picture_bench [runs]
#include "pictures/JpegDecoder.h"
#include "pictures/PictureFile.h"
#include "windowing/Rounding.h"

#include "support/BenchFixtures.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double ownCpuMs()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuMs(r);
}

long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Child mode: load one picture at the given display size (0 0: full size)
// and print the process's peak resident memory.
int childMain(const char* path, int w, int h)
{
    const QSize hint = w > 0 ? QSize(w, h) : QSize();
    if (std::strcmp(path, "-") != 0) {
        const PictureFile picture = PictureFile::load(QString::fromLocal8Bit(path), hint);
        std::printf("%ld %dx%d\n", peakRssKb(), picture.image().width(), picture.image().height());
    } else {
        std::printf("%ld -\n", peakRssKb());
    }
    return 0;
}

struct Case {
    const char* label;
    QString path;
    QSize full;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0)
        return childMain(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const std::string cjpeg = "/usr/bin/cjpeg", djpeg = "/usr/bin/djpeg";
    auto make = [&](const char* name, int w, int h, bool progressive) {
        const QString ppm = dir.filePath(QStringLiteral("source.ppm")), jpg = dir.filePath(QString::fromLatin1(name));
        QFile f(ppm);
        f.open(QIODevice::WriteOnly);
        f.write(photoPpm(w, h));
        f.close();
        std::vector<std::string> args = {cjpeg, "-quality", "90"};
        if (progressive)
            args.push_back("-progressive");
        args.insert(args.end(), {"-outfile", jpg.toStdString(), ppm.toStdString()});
        runChild(args);
        QFile::remove(ppm);
        return Case{name, jpg, QSize(w, h)};
    };
    const Case cases[] = {make("progressive-3840x2400.jpg", 3840, 2400, true),
                          make("baseline-6000x4000.jpg", 6000, 4000, false)};

    std::printf("median of %d runs; wall clock and processor time (user + system) in ms\n", runs);
    std::printf("%-26s %-6s %-6s %-10s %9s %9s %10s %10s\n", "picture", "shown", "scale", "decoded", "load", "load cpu",
                "djpeg", "djpeg cpu");
    for (const Case& c : cases) {
        const std::string path = c.path.toStdString();
        // Full size, then the halved window of the shrink option.
        const QSize displays[] = {QSize(), QSize(roundInt(c.full.width() / 2.0), roundInt(c.full.height() / 2.0))};
        for (const QSize& display : displays) {
            const int scale = jpegScaleFor(c.full, display);
            std::vector<double> ours, oursCpu, theirs, theirsCpu;
            QSize decoded;
            for (int i = 0; i < runs; ++i) {
                const double cpuBefore = ownCpuMs();
                const auto start = Clock::now();
                {
                    const PictureFile picture = PictureFile::load(c.path, display);
                    decoded = picture.image().size();
                }
                ours.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                oursCpu.push_back(ownCpuMs() - cpuBefore);
                const ChildRun run =
                    runChild({djpeg, "-scale", std::to_string(scale) + "/8", "-bmp", "-outfile", "/dev/null", path});
                theirs.push_back(run.wallMs);
                theirsCpu.push_back(run.cpuMs);
            }
            std::printf("%-26s %-6s %d/8    %-10s %9.1f %9.1f %10.1f %10.1f\n", c.label,
                        display.isValid() ? "half" : "full", scale,
                        (std::to_string(decoded.width()) + "x" + std::to_string(decoded.height())).c_str(),
                        median(ours), median(oursCpu), median(theirs), median(theirsCpu));
        }
    }

    std::printf("\npeak resident memory of a fresh process loading one picture (VmHWM)\n");
    const std::string self = "/proc/self/exe";
    const std::string out = dir.filePath(QStringLiteral("child.txt")).toStdString();
    std::printf("%-26s %-8s %s kB\n", "(nothing loaded)", "", runChild({self, "--child", "-", "0", "0"}, out).output.c_str());
    const Case& big = cases[1];
    for (const QSize& display : {QSize(), QSize(big.full.width() / 2, big.full.height() / 2)}) {
        const ChildRun child = runChild({self, "--child", big.path.toStdString(), std::to_string(display.width()),
                                         std::to_string(display.height())},
                                        out);
        std::printf("%-26s %-8s %s (kB, decoded size)\n", big.label, display.isValid() ? "half" : "full",
                    child.output.c_str());
    }
    return 0;
}
