// The value panel: how the bytes at the cursor read in every column, in both
// byte orders, for every float size, and where the labels go.
#include "support/TestSupport.h"
#include "traffic/ValuePanel.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

// 9C FF 00 80 | 00 00 C0 3F | 11 22: small negative ints little-endian, other
// values read backwards.
const TBytes BYTES = Hex("9C FF 00 80 00 00 C0 3F 11 22");

struct TPanelCase {
    size_t n;
    bool bigEndian;
    std::array<const char*, 6> ints; // int8 … uint32
    const char* binHeader;
    const char* bin;
    const char* float8;
};

class ValuePanelBytes : public ::testing::TestWithParam<TPanelCase> {};

TEST_P(ValuePanelBytes, EveryColumnReadsWhatTheBytesHold) {
    const TPanelCase& c = GetParam();
    const TValuePanelTexts t = ValuePanelTexts(std::span(BYTES).first(c.n), c.bigEndian, 8, '.');
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(t.values[static_cast<size_t>(i)], c.ints[static_cast<size_t>(i)]) << "column " << i;
    EXPECT_EQ(t.headers[vcInt8], " int8");
    EXPECT_EQ(t.headers[vcUInt32], " | uint32");
    EXPECT_EQ(t.headers[vcBin], c.binHeader);
    EXPECT_EQ(t.values[vcBin], c.bin);
    EXPECT_EQ(t.values[vcFloat], c.float8);
}

constexpr std::array<const char*, 6> NONE = {"", " |", " |", " |", " |", " |"};
constexpr std::array<const char*, 6> LE1 = {" -100", " | 156", " |", " |", " |", " |"};
constexpr std::array<const char*, 6> LE2 = {" -100", " | 156", " | -100", " | 65436", " |", " |"};
constexpr std::array<const char*, 6> LE4 = {" -100",    " | 156",         " | -100",
                                            " | 65436", " | -2147418212", " | 2147549084"};
constexpr std::array<const char*, 6> BE2 = {" -100", " | 156", " | -25345", " | 40191", " |", " |"};
constexpr std::array<const char*, 6> BE4 = {" -100",    " | 156",         " | -25345",
                                            " | 40191", " | -1661009792", " | 2633957504"};
constexpr const char* LE_BIN32 = " | 1000 0000 0000 0000 1111 1111 1001 1100";
constexpr const char* BE_BIN32 = " | 1001 1100 1111 1111 0000 0000 1000 0000";

INSTANTIATE_TEST_SUITE_P(
    LittleEndian, ValuePanelBytes,
    ::testing::Values(TPanelCase{0, false, NONE, " | bin", " |", " |"},
                      TPanelCase{1, false, LE1, " | bin8", " | 1001 1100", " |"},
                      TPanelCase{2, false, LE2, " | bin16", " | 1111 1111 1001 1100", " |"},
                      TPanelCase{3, false, LE2, " | bin24", " | 0000 0000 1111 1111 1001 1100", " |"},
                      TPanelCase{4, false, LE4, " | bin32", LE_BIN32, " |"},
                      TPanelCase{5, false, LE4, " | bin32", LE_BIN32, " |"},
                      TPanelCase{6, false, LE4, " | bin32", LE_BIN32, " |"},
                      TPanelCase{7, false, LE4, " | bin32", LE_BIN32, " |"},
                      TPanelCase{8, false, LE4, " | bin32", LE_BIN32, " | 0.125000059606461"},
                      TPanelCase{9, false, LE4, " | bin32", LE_BIN32, " | 0.125000059606461"},
                      TPanelCase{10, false, LE4, " | bin32", LE_BIN32, " | 0.125000059606461"}));

INSTANTIATE_TEST_SUITE_P(
    BigEndian, ValuePanelBytes,
    ::testing::Values(TPanelCase{0, true, NONE, " | bin", " |", " |"},
                      TPanelCase{1, true, LE1, " | bin8", " | 1001 1100", " |"},
                      TPanelCase{2, true, BE2, " | bin16", " | 1001 1100 1111 1111", " |"},
                      TPanelCase{3, true, BE2, " | bin24", " | 1001 1100 1111 1111 0000 0000", " |"},
                      TPanelCase{4, true, BE4, " | bin32", BE_BIN32, " |"},
                      TPanelCase{7, true, BE4, " | bin32", BE_BIN32, " |"},
                      TPanelCase{8, true, BE4, " | bin32", BE_BIN32, " | -5.13418484927033e-169"},
                      TPanelCase{10, true, BE4, " | bin32", BE_BIN32, " | -5.13418484927033e-169"}));

struct TFloatCase {
    int size;
    const char* bytes; // little-endian
    const char* text;
};

class ValuePanelFloats : public ::testing::TestWithParam<TFloatCase> {};

TEST_P(ValuePanelFloats, EachSizeReadsItsFormatInBothOrders) {
    const TFloatCase& c = GetParam();
    const TBytes le = Hex(c.bytes);
    const TBytes be(le.rbegin(), le.rend());
    EXPECT_EQ(ValuePanelTexts(le, false, c.size, ',').values[vcFloat], c.text);
    EXPECT_EQ(ValuePanelTexts(be, true, c.size, ',').values[vcFloat], c.text);
}

INSTANTIATE_TEST_SUITE_P(
    KnownAnswers, ValuePanelFloats,
    ::testing::Values(TFloatCase{4, "00 00 C0 3F", " | 1,5"}, TFloatCase{4, "DB 0F 49 40", " | 3,141593"},
                      TFloatCase{4, "EC 78 AD 60", " | 1e+20"}, TFloatCase{4, "82 A8 7B 37", " | 1,5e-05"},
                      TFloatCase{4, "00 00 00 00", " | 0"}, TFloatCase{4, "00 00 80 7F", " | -------"},
                      TFloatCase{4, "01 00 C0 FF", " | -------"},
                      // 48-bit real: exponent byte first, sign in the top bit of the last
                      TFloatCase{6, "81 00 00 00 00 00", " | 1"},
                      TFloatCase{6, "82 00 00 00 00 A0", " | -2,5"},
                      TFloatCase{6, "82 21 A2 DA 0F 49", " | 3,1415926536"},
                      TFloatCase{6, "00 12 34 56 78 9A", " | 0"}, // exponent 0 is zero whatever follows
                      TFloatCase{8, "18 2D 44 54 FB 21 09 40", " | 3,14159265358979"},
                      TFloatCase{8, "00 00 00 00 00 00 F0 7F", " | -------"},
                      // 80-bit extended: explicit integer bit, 15-bit exponent
                      TFloatCase{10, "00 00 00 00 00 00 00 80 FF 3F", " | 1"},
                      TFloatCase{10, "CD CC CC CC CC CC CC CC FB BF", " | -0,1"},
                      TFloatCase{10, "00 00 00 00 00 00 00 80 FF 7F", " | -------"}, // infinity
                      TFloatCase{10, "00 00 00 00 00 00 00 40 FF 3F", " | -------"}, // unnormal
                      TFloatCase{10, "00 00 00 00 00 00 00 00 00 00", " | 0"}));

TEST(ValuePanel, FloatNeedsItsWholeSizeAndTheBinTakesAtMostFourBytes) {
    const TBytes nine = Hex("00 00 00 00 00 00 00 80 FF");
    EXPECT_EQ(ValuePanelTexts(nine, false, 10, '.').values[vcFloat], " |");
    EXPECT_EQ(ValuePanelTexts(nine, false, 6, '.').values[vcFloat], " | 0");
    EXPECT_EQ(ValuePanelTexts(Hex("01 02 03 04 05"), false, 4, '.').headers[vcBin], " | bin32");
    EXPECT_EQ(ValuePanelTexts(Hex("7F"), false, 4, '.').values[vcInt8], " 127");
    EXPECT_EQ(ValuePanelTexts(Hex("80"), false, 4, '.').values[vcInt8], " -128");
}

TEST(ValuePanel, NumberTexts) {
    EXPECT_EQ(GroupThousands(0), "0");
    EXPECT_EQ(GroupThousands(999), "999");
    EXPECT_EQ(GroupThousands(1000), "1 000");
    EXPECT_EQ(GroupThousands(123456), "123 456");
    EXPECT_EQ(GroupThousands(1234567), "1 234 567");
    EXPECT_EQ(GroupThousands(4294967295u), "4 294 967 295");
    EXPECT_EQ(BinText(0xA5, 8), "1010 0101");
    EXPECT_EQ(SecondsText(12345678, ','), "12,345");
    EXPECT_EQ(SecondsText(999, '.'), "0.000");
    EXPECT_EQ(SecondsText(-1500000, '.'), "-1.500");
    EXPECT_EQ(MillisecondsText(23456, ','), "23,4");
    EXPECT_EQ(MillisecondsText(50, '.'), "0.0");
}

TEST(ValuePanel, EachHeaderStartsAfterTheWiderOfThePreviousPair) {
    const std::array<int, VALUE_COLUMN_COUNT> headers = {30, 40, 40, 50, 40, 50, 40, 40};
    const std::array<int, VALUE_COLUMN_COUNT> values = {35, 20, 60, 50, 0, 90, 10, 200};
    EXPECT_EQ(ValuePanelPositions(headers, values, 4),
              (std::array<int, 8>{4, 39, 79, 139, 189, 229, 319, 359}));
}

} // namespace
} // namespace k730
