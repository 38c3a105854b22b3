#pragma once
// Every conversion of a computed real number to an integer in the program goes
// through here: nearest integer, halves to the even neighbour.
#include <cmath>
#include <cstdint>

inline std::int64_t roundHalfEven(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    double result = down;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(down, 2.0) != 0.0))
        result = down + 1.0;
    return static_cast<std::int64_t>(result);
}

inline int roundInt(double value) { return static_cast<int>(roundHalfEven(value)); }
