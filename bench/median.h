#pragma once
// The median of a run of timings: the figure the benchmarks report, steady
// against the odd slow run on a shared machine. -1 for no timings.

#include <algorithm>
#include <vector>

namespace korvel::bench
{

inline double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

} // namespace korvel::bench
