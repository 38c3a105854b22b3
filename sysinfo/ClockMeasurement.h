#pragma once
// The processor clock in MHz, timed with the time-stamp counter against a
// counter of known frequency, and snapped to the round values processors are
// sold with. A pass times 1000 counts after a 50-count settling wait; passes
// run until the last three estimates agree within 1 MHz of their mean, at
// least 3 and at most 20. Thread and process priority are left alone.
#include <cstdint>
#include <functional>
#include <optional>

class SystemQueries;

namespace ClockMeasurement {

constexpr int kMinPasses = 3;
constexpr int kMaxPasses = 20;

struct Pass {
    std::uint32_t micros = 0;  // duration by the counter
    std::uint32_t ticks = 0;   // time-stamp counter advance
};

struct Result {
    int mhz = 0;     // 0 when no pass could be timed
    int passes = 0;  // passes run, discarded ones included
};

// Snaps v (>= 0) to the nearest of the round values within its hundred; ties go up.
int snap(int mhz);

// True when each of three estimates lies within 1 MHz of their mean.
bool settled(int a, int b, int c);

// One pass; nothing when its duration rounds to 0 microseconds (too fast a
// counter gives no estimate).
std::optional<Pass> runPass(const SystemQueries& queries, std::int64_t frequency);

// Runs passes until they settle and combines all of them into one figure.
Result combine(const std::function<std::optional<Pass>()>& nextPass);

// The processor clock of this machine; 0 without a usable counter pair.
int measure(const SystemQueries& queries);

}  // namespace ClockMeasurement
