// Time from OpenMedia to audible playing: the moment the playing position
// first moves after StartPlay. Median of several runs per file kind.
//   bench_media_open [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "media/TMediaPlayer.h"

namespace {

bool make(const QString& pipeline)
{
    QProcess gst;
    gst.start(QStringLiteral("gst-launch-1.0"), QStringList{QStringLiteral("-q")} + QProcess::splitCommand(pipeline));
    return gst.waitForFinished(120000) && gst.exitCode() == 0;
}

double openToPlayingMs(TMediaPlayer& player, const QString& file)
{
    player.SetFileName(file);
    QElapsedTimer clock;
    clock.start();
    player.OpenMedia();
    player.StartPlay();
    while (player.QueryPosition() <= 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    player.StopPlay();
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    QTemporaryDir dir;
    const QString audio = QStringLiteral("audiotestsrc num-buffers=500 samplesperbuffer=882 ! "
                                         "audio/x-raw,rate=44100,channels=2");
    struct Kind {
        const char* name;
        QString file;
        QString pipeline;
    };
    const std::vector<Kind> kinds = {
        {"WAV", dir.filePath("a.wav"), audio + " ! wavenc ! filesink location=" + dir.filePath("a.wav")},
        {"MP3", dir.filePath("a.mp3"),
         audio + " ! audioconvert ! lamemp3enc ! filesink location=" + dir.filePath("a.mp3")},
        {"720p MPEG-4 AVI with MP3", dir.filePath("v.avi"),
         "videotestsrc num-buffers=250 pattern=ball ! video/x-raw,width=1280,height=720,framerate=25/1 ! "
         "videoconvert ! avenc_mpeg4 bitrate=4000000 ! avimux name=m ! filesink location=" +
             dir.filePath("v.avi") + " " + audio + " ! audioconvert ! lamemp3enc ! m."},
    };
    QWidget display;
    display.resize(640, 360);
    display.show();
    for (const Kind& kind : kinds) {
        if (!make(kind.pipeline)) {
            std::printf("%s: could not make the file\n", kind.name);
            continue;
        }
        std::vector<double> times;
        TMediaPlayer player;
        player.SetDisplay(&display);
        for (int i = 0; i < runs; ++i)
            times.push_back(openToPlayingMs(player, kind.file));
        std::sort(times.begin(), times.end());
        std::printf("%-26s open to playing: median %.1f ms (min %.1f, max %.1f, %d runs)\n", kind.name,
                    times[times.size() / 2], times.front(), times.back(), runs);
    }
    return 0;
}
