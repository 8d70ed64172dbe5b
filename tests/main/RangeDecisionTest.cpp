#include "main/RangeDecision.h"

#include "main/MeterKind.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

constexpr float RANGES[3] = {2, 20, 200};

TRangeReading On(float fullScale, float batchMax, bool over = false) {
    TRangeReading r;
    r.FullScale = fullScale;
    r.BatchMin = batchMax;
    r.BatchMax = batchMax;
    r.OverRange = over;
    return r;
}

TEST(AutoRange, DownUpAndSeveralStepsDown) {
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(20, 1.7f)), 0); // 2 × 0.9 = 1.8 ≥ 1.7
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(20, 1.85f)), std::nullopt);
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(20, 5, true)), 2); // over range
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(200, 1.0f)), 0);   // two steps at once
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(200, 10)), 1);
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(2, 21)), 1); // batch minimum above full scale
    TRangeReading raw = On(2, 1);
    raw.RawReading = 17930649;
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, raw), 1);
    raw.RawReading = 17930648;
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, raw), std::nullopt);
}

TEST(AutoRange, NothingBeyondTheEndsOrTheKnownRanges) {
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(200, 500, true)), std::nullopt); // top range
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(2, 0)), std::nullopt);           // bottom range
    EXPECT_EQ(AutoRangeTarget(RANGES, 2, On(20, 50, true)), std::nullopt);   // range 2 not the meter's
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(50, 1)), std::nullopt);          // full scale not a range
    EXPECT_EQ(AutoRangeTarget(RANGES, 0, On(20, 1)), std::nullopt);
    // Over range and far below the lower range at once: up wins.
    EXPECT_EQ(AutoRangeTarget(RANGES, 3, On(20, 0, true)), 2);
}

TEST(AutoZero, DriftOfFiveDegrees) {
    // 47 codes ≈ 5.05 °C; 46 codes ≈ 4.94 °C.
    EXPECT_TRUE(TemperatureDriftNeedsZeroing(true, 0, 600, 647));
    EXPECT_TRUE(TemperatureDriftNeedsZeroing(true, 0, 647, 600));
    EXPECT_FALSE(TemperatureDriftNeedsZeroing(true, 0, 600, 646));
    EXPECT_FALSE(TemperatureDriftNeedsZeroing(false, 0, 600, 700));
    EXPECT_FALSE(TemperatureDriftNeedsZeroing(true, sfOverRange, 600, 700));
    EXPECT_FALSE(TemperatureDriftNeedsZeroing(true, sfSystemZeroing, 600, 700));
    EXPECT_TRUE(TemperatureDriftNeedsZeroing(true, sfDetectorZeroing | sfLoopOn, 600, 700));
    EXPECT_FALSE(TemperatureDriftNeedsZeroing(true, 0, 0, 700));      // temperature unknown
    EXPECT_FALSE(TemperatureDriftNeedsZeroing(true, 0, 600, 0));      // zeroing code unknown
    EXPECT_FALSE(TemperatureDriftNeedsZeroing(true, 0, 600, 0xFFFF)); // never zeroed
}

} // namespace
} // namespace k730
