// What the chart is drawn from: decimation per pixel column, the records of
// a time span, and the CSV rows an analysis tool reads.
#include "files/HistCsv.h"
#include "history/HistDecimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace k730 {
namespace {

THistData History(size_t count, int32_t intervalMs = 160) {
    THistData d;
    d.IntervalMs = intervalMs;
    d.Samples.resize(count);
    for (size_t i = 0; i < count; ++i) {
        HistSample& s = d.Samples[i];
        s.TimeMs = static_cast<int32_t>(160 * (i + 1));
        s.Average = static_cast<float>(100 + i % 7);
        s.Minimum = s.Average - 1;
        s.Maximum = s.Average + 1;
        s.FullScale = 200;
    }
    return d;
}

TEST(HistDecimate, FewRecordsAreDrawnOneByOne) {
    const THistData d = History(10);
    const auto columns = DecimateHistory(d, 0, 9, 800);
    ASSERT_EQ(columns.size(), 10u);
    EXPECT_EQ(columns[3].first, 3u);
    EXPECT_DOUBLE_EQ(columns[3].firstMs, 640);
    EXPECT_TRUE(DecimateHistory(d, 5, 4, 800).empty());
    EXPECT_TRUE(DecimateHistory(THistData{}, 0, 0, 800).empty());
}

TEST(HistDecimate, DayOfRecordsKeepsEveryRecordAndEverySpikeInItsColumn) {
    THistData d = History(540'000);
    d.Samples[123'457].Average = 5000; // one spike
    d.Samples[123'457].Maximum = 5100;
    d.Samples[400'000].Flags = HIST_OVERRANGE;
    d.Samples[400'001].Minimum = -3;
    const auto columns = DecimateHistory(d, 0, d.Samples.size() - 1, 800);
    ASSERT_EQ(columns.size(), 800u);
    size_t next = 0, spikes = 0, over = 0;
    for (const auto& c : columns) {
        EXPECT_EQ(c.first, next) << "columns follow each other without a gap";
        next = c.last + 1;
        if (c.avgHigh == 5000) {
            ++spikes;
            EXPECT_EQ(c.high, 5100);
            EXPECT_LE(c.first, 123'457u);
            EXPECT_GE(c.last, 123'457u);
        }
        if (c.over) {
            ++over;
            EXPECT_EQ(c.low, -3);
        }
    }
    EXPECT_EQ(next, d.Samples.size());
    EXPECT_EQ(spikes, 1u);
    EXPECT_EQ(over, 1u);
}

TEST(HistDecimate, ColumnKnowsWhetherItsLowComesFirst) {
    THistData d = History(40);
    for (size_t i = 0; i < 40; ++i)
        d.Samples[i].Average = i < 20 ? static_cast<float>(i) : static_cast<float>(40 - i);
    const auto columns = DecimateHistory(d, 0, 39, 2);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_TRUE(columns[0].lowFirst) << "rising";
    EXPECT_FALSE(columns[1].lowFirst) << "falling";
}

TEST(HistDecimate, TimeSpanFindsItsRecords) {
    const THistData d = History(100, 1000);
    EXPECT_EQ(HistIndexRange(d, 2500, 5000), (std::pair<size_t, size_t>{2, 4}));
    EXPECT_EQ(HistIndexRange(d, 0, 1e12), (std::pair<size_t, size_t>{0, 99}));
    const auto none = HistIndexRange(d, 2100, 2900);
    EXPECT_GT(none.first, none.second);
    THistData stored = History(10, 0); // own times: 160, 320 ...
    EXPECT_EQ(HistIndexRange(stored, 300, 500), (std::pair<size_t, size_t>{1, 2}));
}

TEST(HistCsv, HeaderIsoTimesAndPlainNumbers) {
    THistData d;
    d.StartDateTime = 45000.5; // 2023-03-15 12:00
    d.IntervalMs = 160;
    d.Samples.push_back(HistSample{240, 1, HIST_OVERRANGE, 12.5f, 0.1f, 25.f, 20, 20, 200, 232});
    d.Samples.push_back(
        HistSample{400, 1, 0, std::numeric_limits<float>::quiet_NaN(), -1.5e-7f, 3, 2, 2, 2, -55});
    EXPECT_EQ(HistCsvText(d), "time,average,minimum,maximum,full_scale,overrange,temperature\r\n"
                              "2023-03-15T12:00:00.160,12.5,0.1,25,20,1,23.2\r\n"
                              "2023-03-15T12:00:00.320,,-1.5e-07,3,2,0,-5.5\r\n");
    d.IntervalMs = 0; // the stored times
    EXPECT_EQ(HistCsvLine(d, 1).substr(0, 24), "2023-03-15T12:00:00.400,");
}

} // namespace
} // namespace k730
