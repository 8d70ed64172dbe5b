#include "main/MinMaxAv.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TMinMaxAvInput Reading(float value, float fullScale = 2000, bool over = false) {
    TMinMaxAvInput in;
    in.Sample.Value = value;
    in.Sample.RangeFullScale = fullScale;
    in.Sample.OverRange = over ? 1 : 0;
    in.Sample.RawReading = static_cast<int32_t>(value * 10);
    in.Sample.LoopDac = static_cast<uint32_t>(value);
    in.Sample.TempCode = 500;
    in.BatchMin = value;
    in.BatchMax = value;
    return in;
}

TEST(MinMaxAv, AverageTurnsNormalWhenTheWindowFills) {
    TMinMaxAv stats;
    stats.Reset(5);
    for (int i = 1; i <= 4; ++i) {
        stats.AddStatus(Reading(static_cast<float>(i)), ',');
        EXPECT_EQ(AvgLabelColour(stats), slcGrey) << i;
    }
    stats.AddStatus(Reading(5), ',');
    EXPECT_EQ(AvgLabelColour(stats), slcNormal);
    EXPECT_FLOAT_EQ(stats.AvgValue, 3);
    EXPECT_EQ(AvgLabelText(stats, 0), "śr: 3,00");
    EXPECT_EQ(MinLabelText(stats), "min: 1,00");
    EXPECT_EQ(MaxLabelText(stats), "max: 5,00");
    // The oldest sample leaves the full window.
    stats.AddStatus(Reading(11), ',');
    EXPECT_EQ(stats.Samples.size(), 5u);
    EXPECT_FLOAT_EQ(stats.AvgValue, 5);
    EXPECT_EQ(stats.AvgRawReading, 50u);
    EXPECT_EQ(stats.AvgTempCode, 500);
}

TEST(MinMaxAv, OverRangeMaximumAndItsReplacement) {
    TMinMaxAv stats;
    stats.Reset(5);
    stats.AddStatus(Reading(2100, 2000, true), ',');
    EXPECT_EQ(MaxLabelText(stats), "max: >2100,00");
    EXPECT_EQ(MaxLabelColour(stats), slcOver);
    EXPECT_EQ(AvgLabelColour(stats), slcOver);
    stats.AddStatus(Reading(15000, 20000), ',');
    EXPECT_EQ(MaxLabelColour(stats), slcNormal);
    EXPECT_EQ(MaxLabelText(stats), "max: 15,0000k");
    // The average is formatted for the largest range in the window.
    EXPECT_FLOAT_EQ(stats.WindowRange, 20000);
    EXPECT_EQ(AvgLabelText(stats, 1), "avg: >8550,0");
}

TEST(MinMaxAv, ShrinkingTheWindowKeepsTheNewest) {
    TMinMaxAv stats;
    stats.Reset(10);
    for (int i = 1; i <= 10; ++i)
        stats.AddStatus(Reading(static_cast<float>(i)), '.');
    EXPECT_FLOAT_EQ(stats.AvgValue, 5.5f);
    EXPECT_TRUE(stats.SetWindowLength(3, '.'));
    EXPECT_EQ(stats.Samples.size(), 3u);
    EXPECT_FLOAT_EQ(stats.AvgValue, 9);
    EXPECT_EQ(stats.AvgText, "9.00");
    EXPECT_FALSE(stats.SetWindowLength(0, '.'));
    EXPECT_EQ(stats.WindowLength, 3);
    // Growing keeps everything and waits for the window to fill.
    EXPECT_TRUE(stats.SetWindowLength(4, '.'));
    EXPECT_EQ(AvgLabelColour(stats), slcGrey);
}

TEST(MinMaxAv, ResetAndNegativeValues) {
    TMinMaxAv stats;
    stats.Reset(5);
    EXPECT_EQ(MinLabelText(stats), "min: -----");
    EXPECT_EQ(MaxLabelText(stats), "max: -----");
    EXPECT_EQ(AvgLabelText(stats, 0), "śr: -----");
    stats.AddStatus(Reading(-3), ',');
    stats.AddStatus(Reading(-1), ',');
    EXPECT_EQ(MinLabelText(stats), "min: -3,00");
    EXPECT_EQ(MaxLabelText(stats), "max: -1,00");
    EXPECT_EQ(stats.AvgRawReading, static_cast<uint32_t>(-20));
    // A NaN batch value never becomes the extreme.
    TMinMaxAvInput nan = Reading(1);
    nan.BatchMin = nan.BatchMax = std::numeric_limits<float>::quiet_NaN();
    stats.AddStatus(nan, ',');
    EXPECT_FLOAT_EQ(stats.MinValue, -3);
    stats.Reset(7);
    EXPECT_FALSE(stats.MinValid);
    EXPECT_TRUE(stats.Samples.empty());
    EXPECT_EQ(stats.WindowLength, 7);
}

} // namespace
} // namespace k730
