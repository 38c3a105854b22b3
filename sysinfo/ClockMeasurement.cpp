#include "ClockMeasurement.h"

#include "platform/SystemQueries.h"
#include "windowing/Rounding.h"

#include <array>
#include <cstdlib>
#include <vector>

namespace ClockMeasurement {

namespace {
constexpr std::array<int, 9> kRoundValues = {0, 20, 33, 50, 60, 66, 80, 90, 100};
constexpr std::uint32_t kSettleCounts = 50;
constexpr std::uint32_t kPassCounts = 1000;

// Differences of both counters are taken on their low 32 bits, so a wrap
// between two readings does no harm.
std::uint32_t low32Diff(std::uint64_t later, std::uint64_t earlier)
{
    return static_cast<std::uint32_t>(later) - static_cast<std::uint32_t>(earlier);
}
}  // namespace

int snap(int mhz)
{
    const int r = mhz % 100;
    std::size_t i = 1;
    while (i < kRoundValues.size() - 1 && r >= kRoundValues[i])
        ++i;
    const int lower = kRoundValues[i - 1];
    const int upper = kRoundValues[i];
    return r - lower < upper - r ? mhz - r + lower : mhz - r + upper;
}

bool settled(int a, int b, int c)
{
    const long long s = static_cast<long long>(a) + b + c;
    for (long long e : {a, b, c})
        if (std::llabs(3 * e - s) > 3)
            return false;
    return true;
}

std::optional<Pass> runPass(const SystemQueries& queries, std::int64_t frequency)
{
    const std::uint64_t c0 = queries.performanceCounter();
    std::uint64_t start = 0, t0 = 0;
    do {
        start = queries.performanceCounter();
        t0 = queries.timeStampCounter();
    } while (low32Diff(start, c0) < kSettleCounts);
    std::uint64_t end = 0, t1 = 0;
    do {
        end = queries.performanceCounter();
        t1 = queries.timeStampCounter();
    } while (low32Diff(end, start) < kPassCounts);
    const auto micros =
        roundHalfEven(static_cast<double>(low32Diff(end, start)) * 100000.0 / (static_cast<double>(frequency) / 10.0));
    if (micros <= 0)
        return std::nullopt;
    return Pass{static_cast<std::uint32_t>(micros), low32Diff(t1, t0)};
}

Result combine(const std::function<std::optional<Pass>()>& nextPass)
{
    std::vector<int> estimates;
    std::uint64_t microSum = 0, tickSum = 0;
    Result result;
    for (;;) {
        if (result.passes >= kMinPasses) {
            if (result.passes >= kMaxPasses)
                break;
            const std::size_t n = estimates.size();
            if (n >= 3 && settled(estimates[n - 3], estimates[n - 2], estimates[n - 1]))
                break;
        }
        const std::optional<Pass> pass = nextPass();
        ++result.passes;
        if (!pass || pass->micros == 0)
            continue;
        microSum += pass->micros;
        tickSum += pass->ticks;
        estimates.push_back(roundInt(static_cast<double>(pass->ticks) / pass->micros));
    }
    if (microSum > 0)
        result.mhz = snap(roundInt(static_cast<double>(tickSum) / static_cast<double>(microSum)));
    return result;
}

int measure(const SystemQueries& queries)
{
    const std::int64_t frequency = queries.performanceFrequency();
    if (frequency <= 0 || !queries.hasTimeStampCounter())
        return 0;
    return combine([&] { return runPass(queries, frequency); }).mhz;
}

}  // namespace ClockMeasurement
