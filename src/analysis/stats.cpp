// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace zoka {

double normalCdf(double z)
{
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

double normalQuantile(double p)
{
    if (!(p > 0 && p < 1))
        return p <= 0 ? -INFINITY : INFINITY;
    // The CDF is monotonic: bisection to the last bit, then one Newton step polishes
    // the tails where the bisection interval is widest relative to the root.
    double lo = -40, hi = 40;
    for (int i = 0; i < 200 && hi - lo > 1e-15 * std::max(1.0, std::fabs(lo)); ++i) {
        const double mid = 0.5 * (lo + hi);
        (normalCdf(mid) < p ? lo : hi) = mid;
    }
    double x = 0.5 * (lo + hi);
    const double density = std::exp(-0.5 * x * x) / std::sqrt(2 * M_PI);
    if (density > 0)
        x -= (normalCdf(x) - p) / density;
    return x;
}

namespace {

double medianOfSorted(const std::vector<double> &v)
{
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Probabilities of U = 0 .. m*n for samples of m and n values without ties:
// P(m, n, u) = m/(m+n) P(m-1, n, u-n) + n/(m+n) P(m, n-1, u), every term positive.
std::vector<double> exactUDistribution(int m, int n)
{
    // row[j] = distribution for (i, j), for the current i.
    std::vector<std::vector<double>> prev(std::size_t(n + 1)), cur(std::size_t(n + 1));
    for (int j = 0; j <= n; ++j)
        prev[std::size_t(j)] = {1.0}; // i = 0: U is 0
    for (int i = 1; i <= m; ++i) {
        cur[0] = {1.0};
        for (int j = 1; j <= n; ++j) {
            std::vector<double> d(std::size_t(i * j + 1), 0.0);
            const double wi = double(i) / (i + j), wj = double(j) / (i + j);
            const std::vector<double> &a = prev[std::size_t(j)]; // (i-1, j), shifted by j
            const std::vector<double> &b = cur[std::size_t(j - 1)]; // (i, j-1)
            for (std::size_t u = 0; u < a.size(); ++u)
                d[u + std::size_t(j)] += wi * a[u];
            for (std::size_t u = 0; u < b.size(); ++u)
                d[u] += wj * b[u];
            cur[std::size_t(j)] = std::move(d);
        }
        std::swap(prev, cur);
    }
    return prev[std::size_t(n)];
}

double logChoose(int n, int k)
{
    return std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0);
}

} // namespace

MannWhitney mannWhitneyU(const std::vector<double> &a, const std::vector<double> &b)
{
    MannWhitney r;
    const std::size_t m = a.size(), n = b.size();
    if (m == 0 || n == 0)
        return r;
    r.valid = true;
    // Ranks of the pooled values, ties at their mean rank.
    std::vector<std::pair<double, int>> pooled;
    pooled.reserve(m + n);
    for (double v : a)
        pooled.push_back({v, 0});
    for (double v : b)
        pooled.push_back({v, 1});
    std::sort(pooled.begin(), pooled.end());
    const std::size_t total = pooled.size();
    double rankSumA = 0;
    double tieTerm = 0; // sum of t^3 - t over the groups of equal values
    for (std::size_t i = 0; i < total;) {
        std::size_t j = i;
        while (j < total && pooled[j].first == pooled[i].first)
            ++j;
        const double t = double(j - i);
        const double rank = 0.5 * (double(i + 1) + double(j));
        for (std::size_t k = i; k < j; ++k)
            if (pooled[k].second == 0)
                rankSumA += rank;
        tieTerm += t * t * t - t;
        i = j;
    }
    r.u = rankSumA - double(m) * double(m + 1) / 2;
    const double mn = double(m) * double(n);
    if (m < 50 && n < 50 && tieTerm == 0) {
        r.exact = true;
        const std::vector<double> dist = exactUDistribution(int(m), int(n));
        const int u = int(std::lround(r.u));
        double below = 0, above = 0;
        for (int k = 0; k < int(dist.size()); ++k) {
            if (k <= u)
                below += dist[std::size_t(k)];
            if (k >= u)
                above += dist[std::size_t(k)];
        }
        r.p = std::min(1.0, 2 * std::min(below, above));
        return r;
    }
    const double N = double(total);
    const double variance = mn / 12.0 * ((N + 1) - tieTerm / (N * (N - 1)));
    if (variance <= 0) { // every value equal: nothing tells the samples apart
        r.p = 1;
        return r;
    }
    const double centred = r.u - mn / 2;
    const double correction = centred > 0 ? 0.5 : centred < 0 ? -0.5 : 0.0;
    r.z = (centred - correction) / std::sqrt(variance);
    r.p = std::min(1.0, 2 * normalCdf(-std::fabs(r.z)));
    return r;
}

double fisherExactTwoSided(int a, int b, int c, int d)
{
    if (a < 0 || b < 0 || c < 0 || d < 0)
        return 1;
    const int row1 = a + b, row2 = c + d, col1 = a + c, n = a + b + c + d;
    if (n == 0)
        return 1;
    auto logP = [&](int x) { return logChoose(row1, x) + logChoose(row2, col1 - x) - logChoose(n, col1); };
    const double observed = logP(a);
    double p = 0;
    for (int x = std::max(0, col1 - row2); x <= std::min(row1, col1); ++x) {
        const double lp = logP(x);
        // Tables as likely as the observed one, up to rounding, count with it.
        if (lp <= observed + 1e-7)
            p += std::exp(lp);
    }
    return std::min(1.0, p);
}

namespace {
// Sample median and the Bonett-Price variance of it; false for fewer than 2 values.
bool medianAndVariance(std::vector<double> v, double *median, double *variance)
{
    const int n = int(v.size());
    if (n < 2)
        return false;
    std::sort(v.begin(), v.end());
    *median = medianOfSorted(v);
    int c = int(std::nearbyint((n + 1) / 2.0 - std::sqrt(double(n))));
    c = std::max(c, 1);
    // P(fewer than c of n values fall below the median) = binomial(n, 1/2) CDF at c - 1.
    double p = 0;
    for (int k = 0; k < c; ++k)
        p += std::exp(logChoose(n, k) - n * std::log(2.0));
    const double z = normalQuantile(1 - p);
    const double half = (v[std::size_t(n - c)] - v[std::size_t(c - 1)]) / (2 * z);
    *variance = half * half;
    return true;
}
} // namespace

MedianDifference medianDifference(const std::vector<double> &before, const std::vector<double> &after,
                                  double confidence)
{
    MedianDifference r;
    double v1 = 0, v2 = 0;
    if (!medianAndVariance(before, &r.medianBefore, &v1) || !medianAndVariance(after, &r.medianAfter, &v2))
        return r;
    r.valid = true;
    r.difference = r.medianAfter - r.medianBefore;
    r.se = std::sqrt(v1 + v2);
    const double z = normalQuantile(1 - (1 - confidence) / 2);
    r.lower = r.difference - z * r.se;
    r.upper = r.difference + z * r.se;
    return r;
}

} // namespace zoka
