// From "Запустить файл" to the picture painted in the screen window, for a
// 3840 × 2400 progressive and a 6000 × 4000 baseline JPEG, with the shrink
// option on and off, beside djpeg decoding the same file at the scale the
// window used. Each case runs in a fresh child process, whose peak resident
// memory is the memory of showing that picture.
//
// Usage: bench_launch_picture [runs]
#include "app/Application.h"
#include "app/Playlist.h"
#include "app/TForm1.h"
#include "app/TForm4.h"
#include "media/TForm3.h"
#include "pictures/JpegDecoder.h"
#include "styled/TdxfCheckBox.h"

#include <QApplication>
#include "support/BenchFixtures.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

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

// The child: the real window set, the picture run from the playlist and
// painted; prints the median milliseconds and the decoding scale.
int child(const QString& file, bool shrink, int runs)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8() + "/config");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "bench_launch_picture";
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
    Application::createWindows();
    closer.stop();
    Form4->dxfCheckBox2->setChecked(shrink);
    Form1->playlist()->setEntries({file});
    std::vector<double> times;
    int scale = kJpegFullScale;
    for (int i = 0; i < runs; ++i) {
        Form3->hide();
        Form3->Image1->clear();
        QApplication::processEvents();
        Form1->playlist()->setSelectedIndex(0);
        const auto start = Clock::now();
        Form1->N11Click();
        Form3->Image1->repaint();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        const PictureFile* picture = Form3->Image1->picture();
        if (!picture)
            return 1;
        for (int n = 1; n <= kJpegFullScale; ++n)
            if (jpegScaledSize(picture->size(), n) == picture->image().size())
                scale = n;
    }
    std::printf("%.1f %d\n", median(times), scale);
    Application::destroyWindows();
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0)
        return child(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]) != 0, std::atoi(argv[4]));

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string self = "/proc/self/exe";
    char exe[4096] = {};
    if (readlink(self.c_str(), exe, sizeof exe - 1) <= 0)
        return 1;
    QTemporaryDir dir;
    const std::string out = dir.filePath(QStringLiteral("out.txt")).toStdString();
    const struct {
        const char* name;
        int width, height;
        bool progressive;
    } pictures[] = {{"3840x2400-progressive.jpg", 3840, 2400, true}, {"6000x4000-baseline.jpg", 6000, 4000, false}};

    std::printf("%-26s %-7s %-5s %10s %10s %7s %12s\n", "picture", "shrink", "scale", "launch ms", "djpeg ms", "ratio",
                "peak RSS MB");
    for (const auto& p : pictures) {
        const std::string ppm = dir.filePath(QStringLiteral("in.ppm")).toStdString();
        {
            QFile f(QString::fromStdString(ppm));
            f.open(QIODevice::WriteOnly);
            f.write(photoPpm(p.width, p.height));
        }
        const std::string jpeg = dir.filePath(QString::fromLatin1(p.name)).toStdString();
        std::vector<std::string> cjpeg{"/usr/bin/cjpeg", "-quality", "90"};
        if (p.progressive)
            cjpeg.push_back("-progressive");
        cjpeg.insert(cjpeg.end(), {"-outfile", jpeg, ppm});
        runChild(cjpeg);
        QFile::remove(QString::fromStdString(ppm));

        for (bool shrink : {true, false}) {
            const ChildRun child = runChild({exe, "--child", jpeg, shrink ? "1" : "0", std::to_string(runs)}, out);
            const long peak = child.peakRssKb;
            double launchMs = 0;
            int scale = kJpegFullScale;
            std::sscanf(child.output.c_str(), "%lf %d", &launchMs, &scale);
            std::vector<double> djpeg;
            for (int i = 0; i < runs; ++i)
                djpeg.push_back(runChild({"/usr/bin/djpeg", "-scale", std::to_string(scale) + "/8", "-bmp",
                                          "-outfile", "/dev/null", jpeg})
                                    .wallMs);
            const double theirs = median(djpeg);
            std::printf("%-26s %-7s %d/8   %10.1f %10.1f %7.2f %12.1f\n", p.name, shrink ? "on" : "off", scale,
                        launchMs, theirs, launchMs / theirs, peak / 1024.0);
        }
    }
    return 0;
}
