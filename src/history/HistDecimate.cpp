#include "history/HistDecimate.h"

#include "files/HistFile.h"

#include <algorithm>

namespace k730 {

namespace {

THistChartColumn Start(const THistData& d, size_t i) {
    const HistSample& s = d.Samples[i];
    THistChartColumn c;
    c.first = c.last = i;
    c.firstMs = c.lastMs = static_cast<double>(HistRecordTimeMs(d, i));
    c.avgLow = c.avgHigh = s.Average;
    c.low = s.Minimum;
    c.high = s.Maximum;
    c.fullScale = s.FullScale;
    c.over = (s.Flags & HIST_OVERRANGE) != 0;
    return c;
}

void Add(THistChartColumn& c, const THistData& d, size_t i) {
    const HistSample& s = d.Samples[i];
    c.last = i;
    if (s.Average < c.avgLow) {
        c.avgLow = s.Average;
        c.lowFirst = false; // the new low comes after the high so far
    }
    if (s.Average > c.avgHigh) {
        c.avgHigh = s.Average;
        c.lowFirst = true;
    }
    c.low = std::min(c.low, s.Minimum);
    c.high = std::max(c.high, s.Maximum);
    c.fullScale = std::max(c.fullScale, s.FullScale);
    c.over = c.over || (s.Flags & HIST_OVERRANGE) != 0;
}

} // namespace

std::vector<THistChartColumn> DecimateHistory(const THistData& d, size_t first, size_t last, int columns) {
    std::vector<THistChartColumn> out;
    if (d.Samples.empty() || first > last || first >= d.Samples.size()) return out;
    last = std::min(last, d.Samples.size() - 1);
    const size_t count = last - first + 1;
    const size_t width = static_cast<size_t>(std::max(columns, 1));
    if (count <= 2 * width) {
        out.reserve(count);
        for (size_t i = first; i <= last; ++i)
            out.push_back(Start(d, i));
        return out;
    }
    out.reserve(width);
    size_t column = 0;
    out.push_back(Start(d, first));
    for (size_t i = first + 1; i <= last; ++i) {
        const size_t at = (i - first) * width / count;
        if (at != column) {
            out.back().lastMs = static_cast<double>(HistRecordTimeMs(d, out.back().last));
            out.push_back(Start(d, i));
            column = at;
        } else {
            Add(out.back(), d, i);
        }
    }
    out.back().lastMs = static_cast<double>(HistRecordTimeMs(d, out.back().last));
    return out;
}

std::pair<size_t, size_t> HistIndexRange(const THistData& d, double fromMs, double toMs) {
    const size_t n = d.Samples.size();
    auto timeOf = [&](size_t i) { return static_cast<double>(HistRecordTimeMs(d, i)); };
    // Binary searches over the indices by their times.
    size_t lo = 0, hi = n;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (timeOf(mid) < fromMs)
            lo = mid + 1;
        else
            hi = mid;
    }
    const size_t first = lo;
    hi = n;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (timeOf(mid) <= toMs)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == first) return {1, 0};
    return {first, lo - 1};
}

} // namespace k730
