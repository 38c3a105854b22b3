// The system report's cost (the processor clock measurement dominates; a
// user must not notice it) and one step of the help window's credits with
// its frame (must stay far below the 15 ms step interval).
#include "sysinfo/SystemReport.h"
#include "sysinfo/TAboutBox.h"
#include "sysinfo/TabfCredits.h"
#include "sysinfo/TacSystemInfo.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

void BM_ClockMeasurement(benchmark::State& state)
{
    TacSystemInfo info;
    int mhz = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(mhz = info.CPUFrequency());
    state.counters["MHz"] = mhz;
}

void BM_SystemReport(benchmark::State& state)
{
    TacSystemInfo info;
    for (auto _ : state) {
        const QStringList lines = systemReport(info, 0);
        benchmark::DoNotOptimize(lines.constData());
    }
}

void BM_CreditsStepAndFrame(benchmark::State& state)
{
    TAboutBox box;
    TabfCredits& credits = *box.me1;
    for (auto _ : state) {
        credits.step();
        const QImage frame = credits.frame();
        benchmark::DoNotOptimize(frame.constBits());
    }
}

}  // namespace

BENCHMARK(BM_ClockMeasurement)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SystemReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditsStepAndFrame)->Unit(benchmark::kMicrosecond);

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
