// Plays one file into a 640 × 360 display to its end, then prints the CPU
// time the process used (user + system, seconds) and the wall time.
//   bench_media_play FILE
#include <QApplication>
#include <QElapsedTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <sys/resource.h>

#include <cstdio>

#include "media/TMediaPlayer.h"

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* player = new TMediaPlayer(&window);
    auto* display = new QWidget(&window);
    display->setFixedSize(640, 360);
    layout->addWidget(player);
    layout->addWidget(display);
    window.show();

    player->SetFileName(QString::fromLocal8Bit(argv[1]));
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    try {
        player->OpenMedia();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    player->SetDisplay(display);
    player->SetVideoRect(TRect{0, 0, 640, 360});
    player->OnNotify = [&](TMediaPlayer* p) {
        if (p->NotifyValue() == nvSuccessful)
            app.quit();
    };
    player->StartPlay();
    app.exec();
    std::printf("cpu %.3f s wall %.3f s\n", cpuSeconds() - cpuBefore, double(clock.elapsed()) / 1000.0);
    return 0;
}
