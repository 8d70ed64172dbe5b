// Buffer view geometry: bytes per line, every record on lines of its own, the
// line index behind the scroll bar, cursor moves and the selection auto-scroll.
#include "traffic/BufLines.h"

#include <gtest/gtest.h>

#include <random>

namespace k730 {
namespace {

TTrafficBuffer Records(std::initializer_list<size_t> sizes) {
    TTrafficBuffer b;
    uint32_t sequence = 0;
    uint8_t value = 0;
    for (size_t size : sizes) {
        TBytes block(size);
        for (auto& byte : block)
            byte = value++;
        b.Append(block, ++sequence);
    }
    return b;
}

TEST(BufLines, ColumnsAndPageFromThePixels) {
    // Hexadecimal: three cells a byte, the last byte's blank may be cut off.
    EXPECT_EQ(HexColumns(192, 8), 8);
    EXPECT_EQ(HexColumns(186, 8), 8);
    EXPECT_EQ(HexColumns(185, 8), 7);
    EXPECT_EQ(HexColumns(10, 8), 1) << "a narrow view still shows one byte a line";
    EXPECT_EQ(CharColumns(66, 8), 8);
    EXPECT_EQ(CharColumns(65, 8), 7);
    EXPECT_EQ(LinesPerPage(95, 16), 5);
    // Side by side both views get the same number of bytes a line.
    for (int width = 40; width < 900; width += 7) {
        const TViewSplit s = SplitViews(width, 80, 8);
        EXPECT_EQ(HexColumns(s.hexWidth - 80, 8), s.columns) << width;
        EXPECT_EQ(CharColumns(s.charsWidth, 8), s.columns) << width;
        if (s.columns > 1) {
            EXPECT_LE(s.hexWidth + s.charsWidth, width) << width;
        }
        EXPECT_GT(s.hexWidth + s.charsWidth + 4 * 8, width) << "no room left for another byte: " << width;
    }
    EXPECT_EQ(LinesPerPage(0, 16), 1);
}

TEST(BufLines, EveryRecordStartsOnAFreshLine) {
    const TTrafficBuffer b = Records({20, 3});
    const std::vector<TRow> rows = RowsFrom(b, 8, 0, 10);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].count, 8u);
    EXPECT_EQ(rows[1].count, 8u);
    EXPECT_EQ(rows[2].count, 4u);
    EXPECT_EQ(rows[3].start, 20u);
    EXPECT_EQ(rows[3].record, 1u);
    EXPECT_EQ(rows[3].count, 3u);
    // From the middle of a line the page starts at that line.
    EXPECT_EQ(RowsFrom(b, 8, 11, 2)[0].start, 8u);
    EXPECT_EQ(RowsFrom(b, 8, 11, 2).size(), 2u);

    TBufLines lines;
    lines.SetColumns(8);
    lines.Sync(b);
    EXPECT_EQ(lines.LineCount(), 4u);
    lines.SetColumns(5); // narrower: every record re-wraps from its own first byte
    lines.Sync(b);
    EXPECT_EQ(lines.LineCount(), 5u);
    EXPECT_EQ(lines.PosOfLine(b, 4), 20u);
    EXPECT_EQ(RowsFrom(b, 5, 0, 10)[3].count, 5u);
}

TEST(BufLines, LineIndexAgreesWithWalkingTheRecords) {
    std::mt19937 random(7);
    TTrafficBuffer b;
    TBufLines lines;
    lines.SetColumns(6);
    for (uint32_t s = 1; s <= 300; ++s) {
        b.Append(TBytes(std::uniform_int_distribution<size_t>(1, 40)(random), 0x55), s);
        if (s % 50 == 0) lines.Sync(b); // extended as records arrive
    }
    const std::vector<TRow> all = RowsFrom(b, 6, 0, 100000);
    ASSERT_EQ(lines.LineCount(), all.size());
    for (size_t line = 0; line < all.size(); ++line) {
        ASSERT_EQ(lines.PosOfLine(b, line), all[line].start) << line;
        for (uint32_t i = 0; i < all[line].count; ++i)
            ASSERT_EQ(lines.LineOf(b, all[line].start + i), line);
    }
    EXPECT_EQ(lines.LineOf(b, b.TotalBytes()), all.size() - 1) << "the end position is on the last line";
    EXPECT_EQ(lines.EndTop(b, 5), all[all.size() - 5].start);
    EXPECT_TRUE(lines.ShowsEnd(b, lines.EndTop(b, 5), 5));
    EXPECT_FALSE(lines.ShowsEnd(b, 0, 5));

    b.Clear(); // emptied and refilled: the index starts over by itself
    b.Append(TBytes(13, 1), 1);
    lines.Sync(b);
    EXPECT_EQ(lines.LineCount(), 3u);
}

TEST(BufLines, CursorKeepsItsColumnAndStopsAtTheEnds) {
    const TTrafficBuffer b = Records({20, 3, 10});
    const auto move = [&](uint64_t pos, TCursorMove m) { return MoveCursor(b, 8, pos, m, 2); };
    EXPECT_EQ(move(5, cmDown), 13u);
    EXPECT_EQ(move(13, cmDown), 19u) << "the short line ends at its last byte";
    EXPECT_EQ(move(19, cmDown), 22u);
    EXPECT_EQ(move(22, cmDown), 25u);
    EXPECT_EQ(move(31, cmDown), 33u) << "below the last line is the end position";
    EXPECT_EQ(move(25, cmUp), 22u);
    EXPECT_EQ(move(21, cmUp), 17u);
    EXPECT_EQ(move(3, cmUp), 3u);
    EXPECT_EQ(move(0, cmLeft), 0u);
    EXPECT_EQ(move(33, cmRight), 33u);
    EXPECT_EQ(move(5, cmPageDown), 19u);
    EXPECT_EQ(move(33, cmPageUp), 22u);
    EXPECT_EQ(move(10, cmLineStart), 8u);
    EXPECT_EQ(move(10, cmLineEnd), 15u);
    EXPECT_EQ(move(21, cmLineEnd), 22u);
    EXPECT_EQ(move(10, cmBufferEnd), 33u);
    EXPECT_EQ(move(10, cmBufferStart), 0u);
    EXPECT_EQ(MoveCursor(TTrafficBuffer{}, 8, 5, cmDown, 2), 0u);
}

TEST(BufLines, SelectionAutoScrollDoublesWithEveryLineOfDistance) {
    EXPECT_EQ(AutoScrollLines(0, 10), 0);
    EXPECT_EQ(AutoScrollLines(1, 10), 1) << "a started line counts";
    EXPECT_EQ(AutoScrollLines(10, 10), 1);
    EXPECT_EQ(AutoScrollLines(11, 10), 2);
    EXPECT_EQ(AutoScrollLines(25, 10), 4);
    EXPECT_EQ(AutoScrollLines(160, 10), 32768);
    EXPECT_EQ(AutoScrollLines(100000, 10), 32768);
}

} // namespace
} // namespace k730
