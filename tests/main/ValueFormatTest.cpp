#include "main/ValueFormat.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

struct TRangeCase {
    double value;
    const char* text;
};

class RangeText : public ::testing::TestWithParam<TRangeCase> {};

TEST_P(RangeText, SixDigitsWithPrefix) {
    EXPECT_EQ(FormatRangeText(GetParam().value, true, ','), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, RangeText,
                         ::testing::Values(TRangeCase{2000, "2 k"}, TRangeCase{0.2f, "200 m"},
                                           TRangeCase{1, "1 "}, TRangeCase{19999, "19,999 k"},
                                           TRangeCase{-5000, "5 k"}, TRangeCase{999.9995, "1 k"},
                                           TRangeCase{123456789, "123,457 M"}, TRangeCase{2e-6f, "2 µ"},
                                           TRangeCase{0.5e-24, "0"}, TRangeCase{1e-24, "1 y"},
                                           TRangeCase{2e27, "2 E27"}, TRangeCase{1200, "1,2 k"}));

TEST(RangeText, SeparatorAndSpaceAreTheCallersAndUnitsFollowValidKinds) {
    EXPECT_EQ(FormatRangeText(1500, false, '.'), "1.5k");
    EXPECT_EQ(RangeTextWithUnit(2000, 0x01, ','), "2 klx");
    EXPECT_EQ(RangeTextWithUnit(2000, 0x81, ','), "2 kcd·m^-2");
    EXPECT_EQ(RangeTextWithUnit(2000, 0x84, ','), "2 k"); // amperemeter in luminance mode: no unit
    EXPECT_EQ(FormatRangeText(std::numeric_limits<double>::quiet_NaN(), true, ','), "-----");
}

TEST(Digits, ResolutionOfTheConverterDecidesTheDigitCount) {
    EXPECT_EQ(DigitsForRange(0, 2000), 6);
    EXPECT_EQ(DigitsForRange(18, 5000), 5);
    EXPECT_EQ(DigitsForRange(18, 0.2), 6);
    EXPECT_EQ(DigitsForRange(18, 0), 6);
    EXPECT_EQ(DigitsForRange(10, 0), 4);
    EXPECT_EQ(DigitsForRange(18, std::numeric_limits<double>::infinity()), 6);
    // A value past the range's decade earns one digit more; negative values never do.
    EXPECT_EQ(DigitsForValue(2000, 1999), 6);
    EXPECT_EQ(DigitsForValue(2000, 12000), 7);
    EXPECT_EQ(DigitsForValue(2000, 2500), 6);
    EXPECT_EQ(DigitsForValue(-2000, -12000), 6);
}

struct TValueCase {
    double range;
    double value;
    const char* text;
    int exponent;
    const char* prefixed;
};

class MeasuredValue : public ::testing::TestWithParam<TValueCase> {};

TEST_P(MeasuredValue, TextExponentAndPrefix) {
    const TValueCase& c = GetParam();
    const int digits = DigitsForValue(c.range, c.value);
    const TValueText plain = FormatMeasuredValue(0, digits, c.range, c.value, ',');
    EXPECT_EQ(plain.text, c.text);
    EXPECT_EQ(plain.exponent, c.exponent);
    EXPECT_EQ(FormatWithPrefix(0, digits, c.range, c.value, ',').text, c.prefixed);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MeasuredValue,
    ::testing::Values(
        TValueCase{2000, 1234.5678, "1234,57", 0, "1234,57"}, TValueCase{2000, 0, "0,00", 0, "0,00"},
        TValueCase{2000, -0.004, "0,00", 0, "0,00"}, // rounds to zero: no sign
        TValueCase{2000, -0.006, "-0,01", 0, "-0,01"}, TValueCase{0.2, 0.012345, "12,345E-3", -3, "12,345m"},
        TValueCase{0.2, 0.2, "200,000E-3", -3, "200,000m"}, TValueCase{2, 0.00001, "0,00001", 0, "0,00001"},
        TValueCase{2e-3, 1.5e-6, "1,50E-6", -6, "1,50µ"},
        TValueCase{200000, 123456, "123,456E3", 3, "123,456k"},
        TValueCase{2000, 25000, "25,00000E3", 3, "25,00000k"}, // over range, one digit more
        TValueCase{2e30, 1e30, "1,00000E30", 30, "1,00000E30"}, TValueCase{0, 5.5, "6", 0, "6"}));

TEST(MeasuredValue, DigitLimitAndFailures) {
    EXPECT_EQ(FormatMeasuredValue(0, 3, 2000, 1234.5678, '.').text, "1.23E3");
    EXPECT_EQ(FormatMeasuredValue(0, 0, 2000, 1234.5678, '.').text, "1234.57");
    EXPECT_EQ(FormatMeasuredValue(0, 1, 2, 0.00001, '.').text, "0.01E-3"); // few digits never lose the value
    const TValueText nan = FormatMeasuredValue(0, 6, 2000, std::numeric_limits<double>::quiet_NaN(), ',');
    EXPECT_EQ(nan.text, "NAN");
    EXPECT_EQ(nan.exponent, 0);
    EXPECT_EQ(FormatWithPrefix(0, 6, 2000, -std::numeric_limits<double>::infinity(), ',').text, "-INF");
}

TEST(SiPrefix, DecadeBoundaries) {
    EXPECT_EQ(SiPrefix(-24), "y");
    EXPECT_EQ(SiPrefix(-6), "µ");
    EXPECT_EQ(SiPrefix(0), "");
    EXPECT_EQ(SiPrefix(24), "Y");
    EXPECT_EQ(SiPrefix(27), "");
    EXPECT_EQ(SiPrefix(4), "");
    EXPECT_FALSE(HasSiPrefix(0));
    EXPECT_TRUE(HasSiPrefix(-3));
}

} // namespace
} // namespace k730
