// What the service window's boxes make of typed text and which entries may be
// programmed.
#include "service/ServiceEdits.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TEST(RangeBox, KeepsFourSignificantDigitsAsTyped) {
    EXPECT_EQ(RangeBoxText("123456", ','), "123400");
    EXPECT_EQ(RangeBoxText("1.23456", ','), "1,23400");
    EXPECT_EQ(RangeBoxText("12345e3", '.'), "12340e3") << "an exponent keeps its digits";
    EXPECT_EQ(RangeBoxText("  20 ", '.'), "20");
    EXPECT_EQ(RangeBoxText("", '.'), "0");
    EXPECT_EQ(RangeBoxText("   ", ','), "0");
    EXPECT_EQ(RangeBoxText("2,5", '.'), "2.5");
}

TEST(RangeBox, ShowsMeterValuesWithFourDigits) {
    EXPECT_EQ(RangeValueText(20000.0f, ','), "20000");
    EXPECT_EQ(RangeValueText(0.2f, ','), "0,2") << "the float's tail is not shown";
    EXPECT_EQ(RangeValueText(1.41421356, '.'), "1.414");
    EXPECT_EQ(RangeValueText(123456, '.'), "123500");
    EXPECT_EQ(RangeValueText(0.0005f, '.'), "0.0005");
    EXPECT_EQ(RangeValueText(0, '.'), "0");
    // What is shown reads back as the same value.
    for (float v : {200.0f, 2e5f, 0.002f, 19.99f, 5e-4f})
        EXPECT_TRUE(SameRangeValue(*ParseNumber(RangeValueText(v, ',')), v)) << v;
}

struct TRangeCase {
    std::array<std::string, 3> boxes;
    std::array<bool, 3> valid;
};

class RangeChecks : public ::testing::TestWithParam<TRangeCase> {};

TEST_P(RangeChecks, EachRangeNeedsTheOnesBefore) {
    EXPECT_EQ(ValidateRanges(GetParam().boxes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RangeChecks,
    ::testing::Values(TRangeCase{{"200", "2000", "20000"}, {true, true, true}},
                      TRangeCase{{"200", "200", "0"}, {true, false, false}}, // range 2 equal to range 1
                      TRangeCase{{"200", "2000", "0"}, {true, true, true}},  // range 3 absent
                      TRangeCase{{"200", "0", "300"}, {true, true, false}},  // range 3 without range 2
                      TRangeCase{{"200", "2000", "1000"}, {true, true, false}},
                      TRangeCase{{"0", "2000", "20000"}, {false, false, false}},
                      TRangeCase{{"200", "", ""}, {true, true, true}}, // empty boxes count 0
                      TRangeCase{{"200", "x", "0"}, {true, false, false}},
                      TRangeCase{{"-5", "0", "0"}, {false, false, false}}));

TEST(Checks, SerialYearAndSpectral) {
    EXPECT_TRUE(IsValidSerialText("0"));
    EXPECT_TRUE(IsValidSerialText("65535"));
    EXPECT_FALSE(IsValidSerialText("65536")) << "sent as 16 bits";
    EXPECT_FALSE(IsValidSerialText("-1"));
    EXPECT_FALSE(IsValidSerialText(""));
    EXPECT_FALSE(IsValidYearText("2009"));
    EXPECT_TRUE(IsValidYearText("2010"));
    EXPECT_TRUE(IsValidYearText("2100"));
    EXPECT_FALSE(IsValidYearText("2101"));
    EXPECT_FALSE(IsValidYearText("20x4"));
    EXPECT_TRUE(IsValidSpectralText(" V' "));
    EXPECT_FALSE(IsValidSpectralText("   "));
    EXPECT_FALSE(IsValidSpectralText("V/2")) << "a / would split the descriptor";
    EXPECT_FALSE(IsValidSpectralText("V\r\n")) << "a line break would end it";
    EXPECT_TRUE(IsValidVersionText(""));
    EXPECT_FALSE(IsValidVersionText("A\r\nB"));
}

TEST(MeasuringField, NumberAndOneUnitSign) {
    EXPECT_TRUE(IsValidMeasuringField("2,5\u00B0"));
    EXPECT_TRUE(IsValidMeasuringField("30'"));
    EXPECT_TRUE(IsValidMeasuringField("10\""));
    EXPECT_FALSE(IsValidMeasuringField("2,5"));
    EXPECT_FALSE(IsValidMeasuringField("\u00B0"));
    EXPECT_FALSE(IsValidMeasuringField("a\u00B0"));
    EXPECT_FALSE(IsValidMeasuringField("2\u00B0\u00B0"));
    const auto f = SplitMeasuringField("1,5'");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->sign, "'");
    EXPECT_DOUBLE_EQ(f->value, 1.5);
}

TEST(MeasuringField, UnitButtonsReplaceTheSign) {
    EXPECT_EQ(AngleWithSign("2,5", SIGN_DEGREE), "2,5\u00B0");
    EXPECT_EQ(AngleWithSign("2,5\u00B0", SIGN_MINUTE), "2,5'");
    EXPECT_EQ(AngleWithSign("abc'", SIGN_SECOND), "abc") << "no number: the sign only goes";
    EXPECT_EQ(AngleWithSign("", SIGN_DEGREE), "");
}

TEST(MeasuringField, FullBoxDropsATrailingNonSign) {
    EXPECT_EQ(AngleBoxText("12,55", ','), "12,5");
    EXPECT_EQ(AngleBoxText("12,5\u00B0", ','), "12,5\u00B0") << "five characters ending in a sign stay";
    EXPECT_EQ(AngleBoxText("1.5", ','), "1,5");
}

TEST(Numbers, EitherSeparatorAndNothingElse) {
    EXPECT_DOUBLE_EQ(*ParseNumber("2,5"), 2.5);
    EXPECT_DOUBLE_EQ(*ParseNumber("2.5"), 2.5);
    EXPECT_DOUBLE_EQ(*ParseNumber("2E3"), 2000);
    EXPECT_FALSE(ParseNumber("2,5,1"));
    EXPECT_FALSE(ParseNumber("inf"));
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_FALSE(ParseNumber("++1"));
    EXPECT_EQ(*ParseInteger(" 42 "), 42);
    EXPECT_FALSE(ParseInteger("4.2"));
    EXPECT_EQ(Utf8Length("2,5\u00B0"), 4u);
}

} // namespace
} // namespace k730
