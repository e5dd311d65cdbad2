#pragma once
#include <array>
#include <cstddef>

namespace zoka {

// Median, standard deviation (sample) and mean of a set of reaction times.
struct Stats {
    double median = 0;
    double sd = 0;
    double mean = 0;
};

// Statistics of values[first..last] (0-based, inclusive), taking only the values of
// 1 or more (0 marks an item left out). No value: all three figures 0. One value:
// SD 0. The SD is never NaN (equal values give exactly 0).
Stats ComputeStats(const int *values, int first, int last);

template <std::size_t Size>
Stats ComputeStats(const std::array<int, Size> &values, int first, int last)
{
    if (first < 0)
        first = 0;
    if (last > int(Size) - 1)
        last = int(Size) - 1;
    return ComputeStats(values.data(), first, last);
}

} // namespace zoka
