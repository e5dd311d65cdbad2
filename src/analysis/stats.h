// SPDX-License-Identifier: GPL-3.0-or-later
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

#include <vector>

namespace zoka {

// ---- Comparing two administrations ------------------------------------------------

// Standard normal distribution: P(Z <= z), and the z of a probability 0 < p < 1.
double normalCdf(double z);
double normalQuantile(double p);

// Mann-Whitney U test of two samples, two-sided. U counts the pairs (a, b) with
// a > b, ties counting one half. Exact (the distribution of U over every ordering of
// the pooled values) when both samples hold fewer than 50 values and no value occurs
// twice; otherwise the normal approximation with the tie correction of the variance
// and a continuity correction of 1/2. An empty sample gives p = 1 and `valid` false.
struct MannWhitney {
    bool valid = false;
    bool exact = false;
    double u = 0;
    double z = 0; // normal approximation only
    double p = 1;
};
MannWhitney mannWhitneyU(const std::vector<double> &a, const std::vector<double> &b);

// Fisher's exact test of the 2 x 2 table {{a, b}, {c, d}}, two-sided: the sum of the
// probabilities (hypergeometric, margins fixed) of every table no more likely than
// the one observed.
double fisherExactTwoSided(int a, int b, int c, int d);

// Difference of two medians, median(after) - median(before), with the distribution-
// free confidence interval of Bonett and Price (2002): the variance of each sample
// median from the order statistics c and n - c + 1, c = (n + 1)/2 - sqrt(n) rounded to
// the nearest (half to even, at least 1), scaled by the normal quantile of the
// binomial probability of fewer than c values below the median. Needs two values in
// each sample (`valid` false otherwise).
struct MedianDifference {
    bool valid = false;
    double medianBefore = 0, medianAfter = 0;
    double difference = 0; // after - before
    double se = 0;
    double lower = 0, upper = 0;
};
MedianDifference medianDifference(const std::vector<double> &before, const std::vector<double> &after,
                                  double confidence = 0.95);

} // namespace zoka
