// Decimation of a long history for the chart: the records falling into one
// pixel column are drawn as that column's extremes, so a day of 160 ms
// records redraws as fast as a few hundred and no spike is lost.
#pragma once

#include "files/HistData.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace k730 {

// The records of one pixel column (or one record when there are few).
struct THistChartColumn {
    size_t first = 0, last = 0;    // records, inclusive
    double firstMs = 0;            // time of the first record from the registration start
    double lastMs = 0;             // time of the last record
    float avgLow = 0, avgHigh = 0; // smallest and largest average
    bool lowFirst = true;          // the smallest average comes before the largest
    float low = 0, high = 0;       // smallest minimum, largest maximum
    float fullScale = 0;           // largest full scale
    bool over = false;             // a record of the column was over range
};

// Records first..last (inclusive) in `columns` columns; one column per
// record when there are no more records than twice the columns.
std::vector<THistChartColumn> DecimateHistory(const THistData& data, size_t first, size_t last, int columns);

// The records whose times fall within fromMs..toMs: first and last index
// (inclusive); first > last when none does. Times never decrease along the history.
std::pair<size_t, size_t> HistIndexRange(const THistData& data, double fromMs, double toMs);

} // namespace k730
