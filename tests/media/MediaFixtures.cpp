#include "MediaFixtures.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <map>

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

const char* const kAudio = "audiotestsrc num-buffers=100 samplesperbuffer=882 ! audio/x-raw,rate=44100,channels=2";
// The default pattern: colour bars, so a picture can be recognised by its
// colours; they move sideways, so every frame differs from the one before.
const char* const kVideo =
    "videotestsrc num-buffers=50 horizontal-speed=4 ! video/x-raw,width=320,height=240,framerate=25/1";

bool runPipeline(const QString& description)
{
    QProcess process;
    process.start(QStringLiteral("gst-launch-1.0"),
                  QStringList{QStringLiteral("-q")} + QProcess::splitCommand(description));
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Two notes of one second each at 120 beats a minute.
QByteArray midiBytes()
{
    const QByteArray events = QByteArray::fromHex(
        "00ff510307a120"  // tempo: 500000 us per quarter note
        "00c000"          // piano
        "00903c64"        // note on
        "8740803c00"      // 960 ticks later: note off
        "00904064"
        "8740804000"        // note off
        "00ff2f00");      // end of track
    QByteArray track("MTrk");
    const quint32 size = quint32(events.size());
    track.append(char(size >> 24)).append(char(size >> 16)).append(char(size >> 8)).append(char(size));
    return QByteArray::fromHex("4d546864000000060000000101e0") + track + events;
}

QByteArray rmiBytes()
{
    const QByteArray midi = midiBytes();
    auto le32 = [](quint32 v) {
        return QByteArray(1, char(v)) + char(v >> 8) + char(v >> 16) + char(v >> 24);
    };
    const QByteArray data = "data" + le32(quint32(midi.size())) + midi;
    return "RIFF" + le32(quint32(4 + data.size())) + "RMID" + data;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool make(Fixture kind, const QString& path)
{
    const QString audio = QLatin1String(kAudio);
    const QString video = QLatin1String(kVideo);
    const QString sink = QStringLiteral(" ! filesink location=") + path;
    switch (kind) {
    case Fixture::Wav: return runPipeline(audio + " ! wavenc" + sink);
    case Fixture::Ogg: return runPipeline(audio + " ! audioconvert ! vorbisenc ! oggmux" + sink);
    // No header frame: the parser only estimates the length at first.
    case Fixture::Mp3: return runPipeline(audio + " ! audioconvert ! lamemp3enc" + sink);
    // A silent second, then a loud one, with no header frame: the bitrate of
    // the first frames says nothing about the length.
    case Fixture::VbrMp3:
        return runPipeline(QStringLiteral("concat name=c ! audioconvert ! lamemp3enc target=quality quality=0") + sink +
                           " audiotestsrc wave=silence num-buffers=50 samplesperbuffer=882 ! "
                           "audio/x-raw,rate=44100,channels=2 ! c. "
                           "audiotestsrc wave=white-noise num-buffers=50 samplesperbuffer=882 ! "
                           "audio/x-raw,rate=44100,channels=2 ! c.");
    case Fixture::Ac3: return runPipeline(audio + " ! audioconvert ! avenc_ac3" + sink);
    case Fixture::Midi: return writeBytes(path, midiBytes());
    case Fixture::Rmi: return writeBytes(path, rmiBytes());
    case Fixture::MjpegAvi:
        return runPipeline(video + " ! jpegenc ! avimux name=m" + sink + " " + audio + " ! m.");
    case Fixture::Mpeg4Avi:
        return runPipeline(video + " ! videoconvert ! avenc_mpeg4 ! avimux name=m" + sink + " " + audio +
                           " ! audioconvert ! lamemp3enc ! m.");
    case Fixture::Mpeg1:
        return runPipeline(QStringLiteral("videotestsrc num-buffers=50 ! "
                                          "video/x-raw,width=352,height=288,framerate=25/1 ! "
                                          "mpeg2enc format=0 ! mplex format=0") + sink);
    case Fixture::Wmv: return runPipeline(video + " ! videoconvert ! avenc_wmv2 ! asfmux" + sink);
    case Fixture::VideoOnlyAvi: return runPipeline(video + " ! jpegenc ! avimux" + sink);
    }
    return false;
}

const char* suffix(Fixture kind)
{
    switch (kind) {
    case Fixture::Wav: return "wav";
    case Fixture::Ogg: return "ogg";
    case Fixture::Mp3: return "mp3";
    case Fixture::VbrMp3: return "vbr.mp3";
    case Fixture::Ac3: return "ac3";
    case Fixture::Midi: return "mid";
    case Fixture::Rmi: return "rmi";
    case Fixture::MjpegAvi: return "avi";
    case Fixture::Mpeg4Avi: return "divx.avi";
    case Fixture::Mpeg1: return "mpg";
    case Fixture::Wmv: return "wmv";
    case Fixture::VideoOnlyAvi: return "silent.avi";
    }
    return "bin";
}

}  // namespace

QString fixture(Fixture kind)
{
    static std::map<Fixture, QString> made;
    if (const auto it = made.find(kind); it != made.end())
        return it->second;
    const QString path = folder().filePath(QStringLiteral("fixture.") + QLatin1String(suffix(kind)));
    const QString result = make(kind, path) ? path : QString();
    made[kind] = result;
    return result;
}

QString scratchPath(const QString& name)
{
    return folder().filePath(name);
}
