// The viewer's rules without the window: what is recorded and flashed, the
// cursor's record line and value bytes, jumps between records in time,
// the clipboard texts and the test patterns.
#include "protocol/MerBusFun.h"
#include "support/TestSupport.h"
#include "traffic/TrafficViewer.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

// A status request, the block it was received in and the accepted frame, at
// 1 s, 1.0125 s and 1.013 s.
class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.Feed(tbTransmitted, Hex("68 08 00 04 06 01 00 16"), 1'000'000, 0);
        viewer.Feed(tbReceived, Hex("68 0C 00 84 06 01 00 00 11 22"), 1'012'500, 0);
        viewer.Feed(tbReceived, Hex("33 16"), 1'012'900, 0);
        viewer.Feed(tbValidFrames, Hex("68 0C 00 84 06 01 00 00 11 22 33 16"), 1'013'000, 0);
    }

    TTrafficViewer viewer{DEFAULT_VIEW_SETTINGS, 1};
};

TEST_F(ViewerTest, OnlyShownBuffersRecordAndAKeptRecordFlashesItsHeader) {
    TTrafficViewer v(0x00000030, 1); // only the transmitted buffer shown
    EXPECT_FALSE(v.Feed(tbReceived, Hex("01"), NO_STAMP, 1000));
    EXPECT_FALSE(v.Flashing(tbReceived, 1000));
    EXPECT_FALSE(v.Feed(tbTransmitted, {}, NO_STAMP, 1000)) << "empty blocks are never recorded";
    EXPECT_TRUE(v.Feed(tbTransmitted, Hex("02"), NO_STAMP, 1000));
    EXPECT_TRUE(v.Flashing(tbTransmitted, 1099));
    EXPECT_FALSE(v.Flashing(tbTransmitted, 1100));
    EXPECT_FALSE(v.AnyFlashing(1100));
    v.Buffers().recording = false;
    EXPECT_FALSE(v.Feed(tbTransmitted, Hex("03"), NO_STAMP, 2000));
    EXPECT_EQ(v.Focus(), tbTransmitted) << "the one shown buffer has the focus";
    v.ApplySettings(0x00000003);
    EXPECT_EQ(v.Focus(), tbReceived) << "a hidden buffer loses the focus";
}

TEST_F(ViewerTest, RecordLineAndTimesAtTheCursor) {
    viewer.SetFocus(tbReceived);
    viewer.SetCursor(tbReceived, 11, false);
    TRecordLine line = viewer.RecordLine(',');
    EXPECT_EQ(line.record, "Rekord: 3");
    EXPECT_EQ(line.offset, "Pozycja: 11");
    EXPECT_EQ(line.inRecord, "W rekordzie: 1");
    EXPECT_EQ(line.time, "Czas: 0,012 s") << "time since the first record";
    EXPECT_EQ(line.answer, "Odpowiedź po: 12,9 ms") << "from the request before it";

    viewer.SetFocus(tbTransmitted);
    viewer.SetCursor(tbTransmitted, 0, false);
    line = viewer.RecordLine('.');
    EXPECT_EQ(line.time, "Czas: 0.000 s");
    EXPECT_EQ(line.answer, "Odpowiedź po: 13.0 ms") << "to the frame that answered it";

    viewer.SetCursor(tbTransmitted, 8, false); // past the last byte: no record
    EXPECT_EQ(viewer.RecordLine('.').record, "");
    EXPECT_EQ(viewer.PanelTexts('.').values[vcUInt8], " |");
    viewer.Feed(tbTransmitted, Hex("68 08 00 04 06 01 00 16"), 1'500'000, 0);
    EXPECT_EQ(viewer.Cursor(tbTransmitted).pos, 16u) << "a cursor past the end stays past the end";

    // A request that went unanswered before the next one has no answer time.
    viewer.Feed(tbTransmitted, Hex("68 08 00 04 06 01 00 16"), 3'000'000, 0);
    viewer.Feed(tbValidFrames, Hex("68 06 00 84 06 16"), 3'020'000, 0);
    viewer.SetCursor(tbTransmitted, 8, false);
    EXPECT_EQ(viewer.RecordLine('.').answer, "");
    viewer.SetCursor(tbTransmitted, 16, false);
    EXPECT_EQ(viewer.RecordLine('.').answer, "Odpowiedź po: 20.0 ms");

    // Loaded records carry no time.
    TTrafficViewer loaded(DEFAULT_VIEW_SETTINGS, 1);
    loaded.Buffers().AddRecord(tbTransmitted, Hex("68 08"));
    loaded.SetFocus(tbTransmitted);
    EXPECT_EQ(loaded.RecordLine('.').time, "");
    EXPECT_EQ(loaded.RecordLine('.').answer, "");
}

TEST_F(ViewerTest, ValueBytesRunOnOnlyInTheReceivedStream) {
    viewer.SetFloatSize(8);
    viewer.SetFocus(tbValidFrames);
    viewer.SetCursor(tbValidFrames, 11, false); // the last byte of the frame
    EXPECT_EQ(viewer.CursorInfo().bytes, Hex("16"));
    EXPECT_EQ(viewer.PanelTexts('.').values[vcUInt8], " | 22");
    EXPECT_EQ(viewer.PanelTexts('.').values[vcUInt16], " |");

    viewer.SetFocus(tbReceived);
    viewer.SetCursor(tbReceived, 8, false); // two bytes before the block ends
    EXPECT_EQ(viewer.CursorInfo().bytes, Hex("11 22 33 16")) << "continues into the next block";
    viewer.SetFloatSize(10);
    viewer.SetCursor(tbReceived, 0, false);
    EXPECT_EQ(viewer.CursorInfo().bytes.size(), 10u);
    viewer.SetBigEndian(true);
    EXPECT_EQ(viewer.PanelTexts('.').values[vcUInt16], " | 26636"); // 68 0C read backwards
}

TEST_F(ViewerTest, JumpsFollowTheOrderInTimeOverTheShownBuffers) {
    ASSERT_TRUE(viewer.Go(goFirst));
    EXPECT_EQ(viewer.Focus(), tbTransmitted);
    ASSERT_TRUE(viewer.Go(goNext));
    EXPECT_EQ(viewer.Focus(), tbReceived);
    EXPECT_EQ(viewer.Cursor(tbReceived).pos, 0u);
    ASSERT_TRUE(viewer.Go(goNext));
    EXPECT_EQ(viewer.Cursor(tbReceived).pos, 10u);
    ASSERT_TRUE(viewer.Go(goNext));
    EXPECT_EQ(viewer.Focus(), tbValidFrames);
    EXPECT_FALSE(viewer.Go(goNext)) << "nothing after the last record";
    ASSERT_TRUE(viewer.Go(goPrevious));
    EXPECT_EQ(viewer.CursorInfo().sequence, 3u);
    ASSERT_TRUE(viewer.Go(goLast));
    EXPECT_EQ(viewer.CursorInfo().sequence, 4u);

    viewer.ApplySettings(0x00000030 | 0x0000000C); // received hidden
    viewer.Go(goFirst);
    ASSERT_TRUE(viewer.Go(goNext));
    EXPECT_EQ(viewer.CursorInfo().sequence, 4u) << "records of a hidden buffer are passed over";
    EXPECT_TRUE(viewer.HasShownRecords());

    viewer.ClearAll();
    EXPECT_FALSE(viewer.HasShownRecords());
    EXPECT_FALSE(viewer.Go(goFirst));
    EXPECT_EQ(viewer.Buffers().LastSequence(), 0u);
    viewer.Feed(tbTransmitted, Hex("01"), NO_STAMP, 0);
    EXPECT_EQ(viewer.Buffers().LastSequence(), 1u) << "numbering starts again after clearing";
}

TEST_F(ViewerTest, ClipboardTextsAreHexWithoutLineBreaks) {
    EXPECT_EQ(viewer.BufferHex(tbReceived), "68 0C 00 84 06 01 00 00 11 22 33 16");
    viewer.SetFocus(tbReceived);
    viewer.SetCursor(tbReceived, 9, false);
    viewer.SetCursor(tbReceived, 11, true);
    EXPECT_EQ(viewer.SelectionHex(), "22 33") << "a selection over a record boundary";
    viewer.SetCursor(tbReceived, 3, true);
    EXPECT_EQ(viewer.Selection(tbReceived), (std::pair<uint64_t, uint64_t>{3, 9}));
    viewer.SetCursor(tbReceived, 3, false);
    EXPECT_EQ(viewer.SelectionHex(), "");
    viewer.ApplySettings(0x0000003C);
    EXPECT_EQ(viewer.BufferHex(tbReceived), "") << "a hidden buffer is not copied";
    EXPECT_EQ(HexText(Hex("0A FF")), "0A FF");
}

TEST(TrafficViewer, TestPatternsContinueOneCounterInBlocksOfFiveTo255Bytes) {
    TTrafficViewer v(DEFAULT_VIEW_SETTINGS, 42);
    EXPECT_EQ(v.AddTestPattern(tbValidFrames, NO_STAMP, 0), 1);
    uint8_t expected = 0;
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(v.AddTestPattern(-1, NO_STAMP, 0), 3);
    EXPECT_EQ(v.Buffers().LastSequence(), 301u);
    for (uint32_t s = 1; s <= 301; ++s) {
        const TTrafficHit hit = v.Buffers().RecordAt(s);
        const auto bytes = v.Buffers().Buffer(hit.buffer).Bytes(hit.index);
        ASSERT_GE(bytes.size(), 5u);
        ASSERT_LE(bytes.size(), 255u);
        for (uint8_t b : bytes)
            ASSERT_EQ(b, expected++) << "record " << s;
    }
}

TEST(TrafficViewer, TitleAndLabels) {
    EXPECT_EQ(ViewerTitle("", false), "Bufor portu komunikacji");
    EXPECT_EQ(ViewerTitle("żaden", false), "Bufor portu komunikacji");
    EXPECT_EQ(ViewerTitle("SIM1", true), "Bufor portu komunikacji - SIM1");
    EXPECT_EQ(BufferLabel(tbValidFrames, true), "Bufor poprawnych ramek:");
    EXPECT_EQ(BufferLabel(tbValidFrames, false), "Frames OK:");
    EXPECT_EQ(BufferLabel(tbTransmitted, false), "Send buffer:");
}

} // namespace
} // namespace k730
