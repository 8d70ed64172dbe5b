// Traffic buffers: what is recorded, sequence numbers across the buffers, look-ups
// and the buffer file.
#include "files/FileIo.h"
#include "files/TempFolder.h"
#include "protocol/MerBusFun.h"
#include "support/TestSupport.h"
#include "traffic/BufferFile.h"
#include "traffic/TrafficBuffers.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Concat;
using test::Hex;
using test::Text;

TEST(TrafficBuffers, SwitchesAndEmptyBlocksDecideWhatIsRecorded) {
    TTrafficBuffers b;
    const TBytes block = Hex("01 02");
    EXPECT_FALSE(b.RecordBlock(tbReceived, {}));
    b.recording = false;
    for (int id = 0; id < TRAFFIC_BUFFER_COUNT; ++id)
        EXPECT_FALSE(b.RecordBlock(id, block));
    b.recording = true;
    b.capture[tbValidFrames] = false;
    b.available[tbTransmitted] = false;
    EXPECT_FALSE(b.RecordBlock(tbValidFrames, block));
    EXPECT_FALSE(b.RecordBlock(tbTransmitted, block));
    EXPECT_TRUE(b.RecordBlock(tbReceived, block));
    EXPECT_EQ(b.LastSequence(), 1u);
}

TEST(TrafficBuffers, SequenceNumbersRunAcrossTheBuffers) {
    TTrafficBuffers b;
    b.AddRecord(tbTransmitted, Hex("AA"));
    b.AddRecord(tbReceived, Hex("BB BB"));
    b.AddRecord(tbValidFrames, Hex("CC"));
    b.AddRecord(tbReceived, Hex("DD DD DD"));
    const TTrafficHit hit = b.RecordAt(4);
    ASSERT_EQ(hit.buffer, tbReceived);
    EXPECT_EQ(hit.index, 1u);
    const TTrafficRecord& r = b.Buffer(tbReceived).Record(1);
    EXPECT_EQ(r.size, 3u);
    EXPECT_EQ(r.endOffset, 5u);
    EXPECT_EQ(r.sequence, 4u);
    EXPECT_EQ(TBytes(b.Buffer(tbReceived).Bytes(1).begin(), b.Buffer(tbReceived).Bytes(1).end()),
              Hex("DD DD DD"));
    EXPECT_EQ(b.RecordAt(1).buffer, tbTransmitted);
    EXPECT_EQ(b.RecordAt(0).buffer, -1);
    EXPECT_EQ(b.RecordAt(5).buffer, -1);
}

TEST(TrafficBuffers, ByteOffsetFindsItsRecord) {
    TTrafficBuffers b;
    for (const char* block : {"01", "02 03", "04 05 06"})
        b.AddRecord(tbReceived, Hex(block));
    const TTrafficBuffer& r = b.Buffer(tbReceived);
    const size_t expected[] = {0, 1, 1, 2, 2, 2, 3};
    for (uint64_t pos = 0; pos < 7; ++pos)
        EXPECT_EQ(r.IndexAtOffset(pos), expected[pos]) << pos;
}

TEST(TrafficBuffers, RecognisesWholeMerBusFrames) {
    const TBytes request = BuildRequest(CMD_STATUS, 1, {}, false);
    EXPECT_EQ(RecognizeFrame(request), fkMerBus1);
    EXPECT_EQ(RecognizeFrame(std::span(request).first(request.size() - 1)), fkNone);
    EXPECT_EQ(RecognizeFrame(Hex("10 02 03")), fkNone);
}

TEST(BufferFile, RequestAnswerAndFrameSaveInSequenceOrder) {
    test::TTempFolder dir;
    TTrafficBuffers b;
    b.AddRecord(tbTransmitted, Hex("68 08"));
    b.AddRecord(tbReceived, Hex("68 09 00"));
    b.AddRecord(tbValidFrames, Hex("68"));
    const std::string path = dir / "a.buf";
    ASSERT_TRUE(SaveBufferFile(path, "a.buf", b).success);
    EXPECT_EQ(
        test::ReadBytes(path),
        Concat({Text("VudIDO 1.3 "), Hex("02 02 00 00 00 68 08 00 03 00 00 00 68 09 00 01 01 00 00 00 68")}));
    // Loaded records follow the ones already there, with new numbers.
    TTrafficBuffers loaded;
    loaded.AddRecord(tbReceived, Hex("FF"));
    ASSERT_TRUE(LoadBufferFile(path, "a.buf", loaded).success);
    EXPECT_EQ(loaded.LastSequence(), 4u);
    EXPECT_EQ(loaded.RecordAt(2).buffer, tbTransmitted);
    EXPECT_EQ(loaded.Buffer(tbReceived).Count(), 2u);
}

TEST(BufferFile, VersionsAndForeignFiles) {
    test::TTempFolder dir;
    const TBytes record = Hex("00 01 00 00 00 AA 07 00 00 00 00");
    test::WriteBytes(dir / "old.buf", Concat({Text("VudIDO 1.2 "), record}));
    test::WriteBytes(dir / "new.buf", Concat({Text("VudIDO 1.4 "), record}));
    test::WriteBytes(dir / "cut.buf", Concat({Text("VudIDO 1.3 "), Hex("00 05 00 00 00 AA")}));
    test::WriteBytes(dir / "other.buf", Text("Other file"));
    TTrafficBuffers b;
    const TBufferFileOutcome old = LoadBufferFile(dir / "old.buf", "old.buf", b);
    EXPECT_TRUE(old.success);
    EXPECT_EQ(old.records, 1u); // the record of buffer 7 is skipped
    EXPECT_EQ(LoadBufferFile(dir / "new.buf", "new.buf", b).message.pl,
              "Niewłaściwa wersja pliku danych:\r\nnew.buf\r\nWersja pliku danych: 1.4\r\nWersja programu:   "
              "  1.3");
    EXPECT_EQ(LoadBufferFile(dir / "other.buf", "other.buf", b).message.pl,
              "other.buf\r\nnie jest plikiem danych.");
    EXPECT_EQ(LoadBufferFile(dir / "cut.buf", "cut.buf", b).message.pl,
              "Wystąpił błąd podczas odczytu pliku:\r\ncut.buf");
    EXPECT_EQ(LoadBufferFile(dir / "none.buf", "none.buf", b).message.pl,
              "Nie znaleziono pliku:\r\nnone.buf");
    EXPECT_EQ(b.LastSequence(), 1u); // failed loads added nothing

    EXPECT_EQ(CheckBufferFileForSave(dir / "other.buf", "o").kind, boNotDataFile);
    const TBufferSaveCheck older = CheckBufferFileForSave(dir / "old.buf", "old.buf");
    EXPECT_EQ(older.kind, boOlderFormat);
    EXPECT_EQ(older.version, "1.2");
    EXPECT_EQ(CheckBufferFileForSave(dir / "none.buf", "n").kind, boNew);
    ASSERT_TRUE(SaveBufferFile(dir / "old.buf", "old.buf", b, older.version).success);
    EXPECT_EQ(test::ReadBytes(dir / "old.buf"), Concat({Text("VudIDO 1.2 "), Hex("00 01 00 00 00 AA")}));
}

TEST(BufferFile, FileCutInsideItsVersionIsDamaged) {
    for (const char* cut : {"VudIDO ", "VudIDO 1.", "VudIDO 1.3"}) {
        const TBufferFileRead read = ParseBufferFile(Text(cut));
        EXPECT_FALSE(read.valid) << cut;
        EXPECT_FALSE(read.error.empty()) << cut;
    }
    const TBufferFileRead empty = ParseBufferFile(Text("VudIDO 1.3 "));
    EXPECT_TRUE(empty.valid);
    EXPECT_TRUE(empty.records.empty());
}

TEST(BufferFile, EmptyBuffersWriteNothing) {
    test::TTempFolder dir;
    TTrafficBuffers b;
    EXPECT_TRUE(SaveBufferFile(dir / "x.buf", "x.buf", b).success);
    EXPECT_FALSE(FileExists(dir / "x.buf"));
}

} // namespace
} // namespace k730
