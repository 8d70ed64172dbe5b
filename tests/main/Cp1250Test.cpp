#include "main/Cp1250.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TEST(Cp1250, PolishLettersAndMiddleDotConvertBothWays) {
    // "Żółć" and the unit middle dot as the meter sends them.
    const std::string meter = "\xAF\xF3\xB3\xE6 cd\xB7m^-2";
    const std::string utf8 = Cp1250ToUtf8(meter);
    EXPECT_EQ(utf8, "Żółć cd·m^-2");
    EXPECT_EQ(Utf8ToCp1250(utf8), meter);
}

TEST(Cp1250, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
}

TEST(Cp1250, UnmappableAndMalformedBecomeReplacement) {
    EXPECT_EQ(Utf8ToCp1250("a€b"), "a\x80"
                                   "b");
    EXPECT_EQ(Utf8ToCp1250("日本"), "??");
    EXPECT_EQ(Utf8ToCp1250(std::string("x\xC3")), "x?"); // cut sequence
}

} // namespace
} // namespace k730
