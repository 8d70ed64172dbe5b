// What the view settings word lays out, and how a view colours and draws the
// bytes of a record in each frame recognition mode.
#include "protocol/ByteOrder.h"
#include "protocol/Crc16.h"
#include "protocol/MerBusFun.h"
#include "support/TestSupport.h"
#include "traffic/FrameMarks.h"
#include "traffic/ViewSettings.h"

#include <gtest/gtest.h>

#include <bit>

namespace k730 {
namespace {

using test::Hex;

struct TLayoutCase {
    uint32_t word;
    std::array<bool, 3> shown;
    int fill;
    bool upper, lower;
    std::array<int, 3> heights; // for an area 300 high
};

class PanelLayout : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(PanelLayout, ShownBuffersFillFromTheTopAndTheRestSitBelow) {
    const TLayoutCase& c = GetParam();
    const TPanelLayout l = LayoutPanels(c.word, 300);
    EXPECT_EQ(l.shown, c.shown);
    EXPECT_EQ(l.fill, c.fill);
    EXPECT_EQ(l.upperSplitter, c.upper);
    EXPECT_EQ(l.lowerSplitter, c.lower);
    EXPECT_EQ(l.heights, c.heights);
}

INSTANTIATE_TEST_SUITE_P(
    Words, PanelLayout,
    ::testing::Values(TLayoutCase{0x00000000, {false, false, false}, -1, false, false, {0, 0, 0}},
                      TLayoutCase{0xFFFFFFC0, {false, false, false}, -1, false, false, {0, 0, 0}},
                      TLayoutCase{0x00000101, {true, false, false}, 0, false, false, {0, 0, 0}},
                      TLayoutCase{0x00000008, {false, true, false}, 1, false, false, {0, 0, 0}},
                      TLayoutCase{0x00000030, {false, false, true}, 2, false, false, {0, 0, 0}},
                      TLayoutCase{0x00000011, {true, false, true}, 0, false, true, {0, 0, 100}},
                      TLayoutCase{0x0000000E, {true, true, false}, 0, false, true, {0, 100, 0}},
                      TLayoutCase{0x00000034, {false, true, true}, 1, false, true, {0, 0, 100}},
                      TLayoutCase{0x0202013F, {true, true, true}, 1, true, true, {100, 0, 100}},
                      TLayoutCase{0x00000015, {true, true, true}, 1, true, true, {100, 0, 100}}));

TEST(ViewSettings, EveryWordShowsOnePanelFillingAndOneSplitterBetweenNeighbours) {
    for (uint32_t views = 0; views < 64; ++views) {
        const TPanelLayout l = LayoutPanels(views, 600);
        const int shown = (views & 3 ? 1 : 0) + (views & 12 ? 1 : 0) + (views & 48 ? 1 : 0);
        EXPECT_EQ(l.shownCount, shown) << views;
        EXPECT_EQ(l.fill >= 0, shown > 0) << views;
        if (l.fill >= 0) {
            EXPECT_TRUE(l.shown[static_cast<size_t>(l.fill)]) << views;
        }
        EXPECT_EQ(int{l.upperSplitter} + int{l.lowerSplitter}, std::max(0, shown - 1)) << views;
    }
}

TEST(ViewSettings, FieldsOfTheWord) {
    const uint32_t word = 0x03020186;
    EXPECT_EQ(ShownViews(word, tbReceived), vwChars);
    EXPECT_EQ(ShownViews(word, tbValidFrames), vwHex);
    EXPECT_EQ(ShownViews(word, tbTransmitted), vwNone);
    EXPECT_EQ(FloatSizeOf(word), 8);
    EXPECT_EQ(FrameModeOf(word, tbReceived), fmSeparate);
    EXPECT_EQ(FrameModeOf(word, tbValidFrames), fmMerBus1);
    EXPECT_EQ(FrameModeOf(word, tbTransmitted), fmMerBus2);
    EXPECT_EQ(FrameModeOf(0x00000700, tbReceived), fmNone) << "an unknown mode marks nothing";
    EXPECT_EQ(FloatSizeOf(WithFloatSize(word, 10)), 10);
    EXPECT_EQ(WithFloatSize(word, 4), 0x03020106u);
    EXPECT_EQ(FloatSizeOf(DEFAULT_VIEW_SETTINGS), 4);

    // The dialog's answer keeps the float size and replaces the rest.
    auto choices = ViewChoices(word);
    EXPECT_EQ(choices[tbReceived].views, vwChars);
    choices[tbTransmitted] = {vwBoth, fmSeparate};
    choices[tbReceived].mode = fmNone;
    EXPECT_EQ(ComposeViewSettings(word, choices), 0x010200B6u);
    EXPECT_EQ(ComposeViewSettings(word, ViewChoices(word)), word);
}

TEST(FrameMarks, NoneAndSeparationColourWholeRecords) {
    const TBytes block = Hex("01 02 03");
    const TRecordMarks none = MarkRecord(block, 0, fmNone);
    EXPECT_EQ(CellColors(none, 1), TCellColors{});
    for (size_t offset = 0; offset < 3; ++offset) {
        EXPECT_EQ(CellColors(MarkRecord(block, 4, fmSeparate), offset).back, COLOR_LIGHT_GREEN);
        EXPECT_EQ(CellColors(MarkRecord(block, 5, fmSeparate), offset).back, COLOR_LIGHT_YELLOW);
    }
}

TEST(FrameMarks, MerBus1MarksStartAndEndOfAWholeFrameOnly) {
    const TBytes request = BuildRequest(CMD_STATUS, 0x12, {}, false);
    const TRecordMarks m = MarkRecord(request, 0, fmMerBus1);
    EXPECT_EQ(CellColors(m, 0).back, COLOR_ORANGE);
    EXPECT_EQ(CellColors(m, 7).back, COLOR_ORANGE);
    for (size_t offset = 1; offset < 7; ++offset)
        EXPECT_EQ(CellColors(m, offset), TCellColors{}) << offset;
    const TRecordMarks part = MarkRecord(std::span(request).first(7), 0, fmMerBus1);
    EXPECT_EQ(CellColors(part, 0), TCellColors{}) << "a block that is not exactly one frame";
    EXPECT_EQ(CellColors(MarkRecord(request, 0, fmMerBus2), 0), TCellColors{}) << "not a MerBus2 frame";
}

// 10 | H=12 | flags | 4 bytes | P | header CRC | payload [CRC] | 11
TBytes MerBus2Frame(uint32_t flags, TBytes payload) {
    TBytes f = {0x10, 12};
    AppendU32(f, flags);
    AppendU32(f, 0x44332211);
    AppendU16(f, static_cast<uint16_t>(payload.size() + (flags & 1 ? 2 : 0)));
    AppendU16(f, Crc16(std::span(f).subspan(2, 10)));
    const uint16_t crc = Crc16(payload);
    f.insert(f.end(), payload.begin(), payload.end());
    if (flags & 1) AppendU16(f, crc);
    f.push_back(0x11);
    return f;
}

TEST(FrameMarks, MerBus2FieldsGetTheirColours) {
    const TBytes frame = MerBus2Frame(1, Hex("A1 A2 A3"));
    ASSERT_EQ(frame.size(), 20u);
    const TRecordMarks m = MarkRecord(frame, 0, fmMerBus2);
    ASSERT_EQ(m.frame, fkMerBus2);
    const TCellColors expected[20] = {{COLOR_ORANGE, COLOR_WINDOW_TEXT}, {COLOR_WINDOW, COLOR_NAVY},
                                      {COLOR_LIGHT_GREEN, COLOR_BLUE},   {COLOR_LIGHT_GREEN, COLOR_BLUE},
                                      {COLOR_LIGHT_GREEN, COLOR_BLUE},   {COLOR_LIGHT_GREEN, COLOR_BLUE},
                                      {COLOR_LIGHT_GREEN, COLOR_GREEN},  {COLOR_LIGHT_GREEN, COLOR_GREEN},
                                      {COLOR_LIGHT_GREEN, COLOR_GREEN},  {COLOR_LIGHT_GREEN, COLOR_GREEN},
                                      {COLOR_LIGHT_GREEN, COLOR_NAVY},   {COLOR_LIGHT_GREEN, COLOR_NAVY},
                                      {COLOR_LIGHT_GREEN, COLOR_RED},    {COLOR_LIGHT_GREEN, COLOR_RED},
                                      {COLOR_LIGHT_YELLOW, COLOR_BLUE},  {COLOR_LIGHT_YELLOW, COLOR_GREEN},
                                      {COLOR_LIGHT_YELLOW, COLOR_GREEN}, {COLOR_LIGHT_YELLOW, COLOR_RED},
                                      {COLOR_LIGHT_YELLOW, COLOR_RED},   {COLOR_ORANGE, COLOR_WINDOW_TEXT}};
    for (size_t i = 0; i < frame.size(); ++i)
        EXPECT_EQ(CellColors(m, i), expected[i]) << "byte " << i;

    // Without flag bit 0 the payload has no CRC to mark.
    const TBytes plain = MerBus2Frame(0, Hex("B1 B2 B3 B4"));
    const TRecordMarks p = MarkRecord(plain, 0, fmMerBus2);
    ASSERT_EQ(p.frame, fkMerBus2);
    EXPECT_EQ(CellColors(p, 17).text, COLOR_WINDOW_TEXT);
    EXPECT_EQ(CellColors(p, 18).back, COLOR_ORANGE);

    TBytes broken = frame;
    broken[15] ^= 1; // payload CRC no longer matches
    EXPECT_EQ(CellColors(MarkRecord(broken, 0, fmMerBus2), 0), TCellColors{});
}

TEST(FrameMarks, CharactersViewDrawsUnreadableBytesAsDots) {
    EXPECT_EQ(CharCellText(0x41), "A");
    for (uint8_t dot : {0x00, 0x20, 0xAA, 0xFF, 0x0D, 0x7F, 0x81})
        EXPECT_EQ(CharCellText(dot), ".") << int{dot};
    EXPECT_EQ(CharCellText(0xA5), "Ą");
    EXPECT_EQ(CharCellText(0xB9), "ą");
}

} // namespace
} // namespace k730
