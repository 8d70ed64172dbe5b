// Day counts since 1899-12-30: broken-down forms and the system clock.
#include "files/DayCount.h"

#include <gtest/gtest.h>

#include <cmath>

namespace k730 {
namespace {

TEST(DayCount, DecodesDatesOnBothSidesOfTheEpoch) {
    const auto p = DecodeDays(45000.75);
    ASSERT_TRUE(p);
    EXPECT_EQ(FormatDate(45000.75, '.') + " " + FormatTimeHNS(45000.75, ':'), "15.03.2023 18:00:00");
    EXPECT_EQ(FormatDate(0, '-'), "30-12-1899");
    // Before the epoch the time still counts forward from midnight.
    EXPECT_EQ(FormatDate(-1.25, '.') + " " + FormatTimeHN(-1.25, ':'), "29.12.1899 06:00");
    EXPECT_EQ(FormatTimeHNS(1.0 - 0.4 / 86'400'000, ':'), "00:00:00"); // rounds into the next day
    EXPECT_EQ(FormatDate(1.0 - 0.4 / 86'400'000, '.'), "31.12.1899");
    EXPECT_FALSE(DecodeDays(std::nan("")));
    EXPECT_FALSE(DecodeDays(1e300));
}

TEST(DayCount, EncodeIsTheInverseOfDecode) {
    for (double days : {0.0, 1.5, 45000.123456, 2958465.999}) {
        const auto p = DecodeDays(days);
        ASSERT_TRUE(p);
        EXPECT_NEAR(EncodeDays(*p), days, 1.0 / 86'400'000) << days;
    }
}

TEST(DayCount, SystemClockRoundTripsThroughLocalDays) {
    const time_t when = 1'700'000'000;
    const double days = TimeToDays(when, 250'000'000);
    const auto back = DaysToTime(days);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->tv_sec, when);
    EXPECT_EQ(back->tv_nsec, 250'000'000);
}

} // namespace
} // namespace k730
