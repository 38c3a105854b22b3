// Playlist text, playlist files shown in a list view, memory per entry, and
// the settings commit with a large stored playlist.
#include "app/Playlist.h"
#include "app/PlaylistEntries.h"
#include "app/PlaylistText.h"
#include "platform/TRegistry.h"

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

// About 60 bytes each, a few with Cyrillic names.
QStringList makeEntries(int n)
{
    QStringList list;
    list.reserve(n);
    for (int i = 0; i < n; ++i)
        list.append(i % 4 == 0 ? QStringLiteral("/home/user/Музыка/Альбом %1/трек %2.mp3").arg(i / 100).arg(i)
                               : QStringLiteral("/home/user/Pictures/holidays/2003/img_%1.jpg").arg(i, 8, 10, QLatin1Char('0')));
    return list;
}

long residentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

void BM_Encode(benchmark::State& state)
{
    const QStringList entries = makeEntries(int(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray text = PlaylistEntries(entries).encoded();
        bytes = text.size();
        benchmark::DoNotOptimize(text.constData());
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_Decode(benchmark::State& state)
{
    const QByteArray text = PlaylistEntries(makeEntries(int(state.range(0)))).encoded();
    for (auto _ : state) {
        const QStringList entries = PlaylistText::decode(text);
        benchmark::DoNotOptimize(entries.constData());
    }
}

// From the file to a painted list, as the main window shows it.
void BM_LoadFileIntoListView(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.qx"));
    {
        Playlist source;
        source.setEntries(makeEntries(int(state.range(0))));
        source.saveToFile(path);
    }
    Playlist list;
    QListView view;
    view.setUniformItemSizes(true);
    view.setModel(&list);
    view.resize(480, 267);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        list.loadFromFile(path);
        view.repaint();
        QApplication::processEvents();
        state.PauseTiming();
        list.clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_MemoryPerEntry(benchmark::State& state)
{
    const int n = int(state.range(0));
    // Built as bytes: freed entry strings would be reused and hide the cost.
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text.append(QByteArray("/home/user/Pictures/holidays/2003/img_") + QByteArray::number(i).rightJustified(8, '0')
                    + ".jpg\r\n");
    double perEntry = 0;
    for (auto _ : state) {
        const long before = residentBytes();
        Playlist list;
        list.setEntries(PlaylistText::decode(text));
        perEntry = double(residentBytes() - before) / n;
        benchmark::DoNotOptimize(list.count());
    }
    state.counters["bytes_per_entry"] = perEntry;
}

// The close-time write with a large "Playlist" over an equally large file.
void BM_RegistryCommit(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kaleidor/user.reg"));
    const QString playlist = QString::fromUtf8(PlaylistEntries(makeEntries(int(state.range(0)))).encoded());
    auto writeAll = [&] {
        TRegistry reg(file);
        reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true);
        reg.WriteInteger(QStringLiteral("Fon"), 12632256);
        reg.WriteInteger(QStringLiteral("F1_h"), 267);
        reg.WriteInteger(QStringLiteral("F1_w"), 480);
        reg.WriteString(QStringLiteral("Playlist"), playlist);
        for (const char* name : {"Lit_p", "L_P", "IC_S", "K_R"})
            reg.WriteBool(QString::fromLatin1(name), true);
        reg.WriteString(QStringLiteral("Font Name"), QStringLiteral("Courier New"));
        reg.WriteInteger(QStringLiteral("Color"), int(0x80000008u));
        reg.WriteInteger(QStringLiteral("CharSet"), 204);
        reg.WriteInteger(QStringLiteral("Size"), 10);
        reg.WriteInteger(QStringLiteral("Style"), 3);
        reg.WriteString(QStringLiteral("Z"), QStringLiteral("1"));
        reg.OpenKey(QStringLiteral("mesto"), true);
        for (const char* name : {"f1_l", "f1_t", "f2_l", "f2_t", "f3_l", "f3_t", "f4_l", "f4_t", "f8_l", "f8_t",
                                 "Thumb_l", "Thumb_t"})
            reg.WriteInteger(QString::fromLatin1(name), 100);
        reg.CloseKey();
    };
    writeAll();
    for (auto _ : state)
        writeAll();
    state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
}

// Reading the same store back at start-up.
void BM_RegistryRead(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kaleidor/user.reg"));
    {
        TRegistry reg(file);
        reg.OpenKey(QStringLiteral("\\Qx\\настройки"), true);
        reg.WriteString(QStringLiteral("Playlist"),
                        QString::fromUtf8(PlaylistEntries(makeEntries(int(state.range(0)))).encoded()));
        reg.CloseKey();
    }
    for (auto _ : state) {
        TRegistry reg(file);
        reg.OpenKey(QStringLiteral("\\Qx\\настройки"), false);
        benchmark::DoNotOptimize(reg.ReadString(QStringLiteral("Playlist")).size());
    }
}

}  // namespace

BENCHMARK(BM_Encode)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFileIntoListView)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryPerEntry)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistryCommit)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistryRead)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
