#include "analysis/stats.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zoka {

Stats ComputeStats(const int *values, int first, int last)
{
    Stats r;
    std::vector<int> kept;
    if (last >= first)
        kept.reserve(std::size_t(last - first + 1));
    double sum = 0;
    double squares = 0;
    for (int i = first; i <= last; ++i) {
        const int v = values[i];
        if (v < 1)
            continue;
        kept.push_back(v);
        sum += v;
        squares += double(v) * double(v);
    }
    const std::size_t n = kept.size();
    if (n == 0)
        return r;
    r.mean = sum / double(n);
    std::stable_sort(kept.begin(), kept.end());
    if (n > 1 && kept.front() != kept.back()) {
        // Rounding can leave a hair below zero under the root: that is 0, never NaN.
        // (Equal values are spread 0 exactly, whatever the rounding.)
        const double variance = squares / double(n) - r.mean * r.mean;
        r.sd = variance > 0 ? std::sqrt(variance) * std::sqrt(double(n) / double(n - 1)) : 0.0;
    }
    if (n % 2 == 1)
        r.median = kept[n / 2];
    else
        r.median = (double(kept[n / 2 - 1]) + double(kept[n / 2])) * 0.5;
    return r;
}

} // namespace zoka
