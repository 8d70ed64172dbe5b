// The calibration history log: byte layout, what counts as valid, and the
// crash-safe rewrite and append.
#include "files/CalLog.h"
#include "files/FileIo.h"
#include "files/TempFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

namespace k730 {
namespace {

using test::Concat;
using test::Hex;
using test::Text;

TCalLogRecord Sample(double date, std::string comment = "a") {
    TCalLogRecord r;
    r.Comment = std::move(comment);
    r.MeterType = "K";
    r.SerialNumber = 0x1234;
    r.ProductionYear = 0x07E5;
    r.CalDateTime = date;
    r.OldForcingValue4mA = 0x0A0B0C0D;
    r.NewForcingValue4mA = 1;
    r.OldLoopFactor = 1.0f;
    r.NewLoopFactor = 2.0f;
    r.OldResultFactor = -1.0f;
    r.NewResultFactor = 0.5f;
    r.CalTempCode = 0xABCD1234;
    return r;
}

const TBytes magic = Text("K730 CAL ");

TEST(CalLogLayout, RecordIsTextsThenFortyBytesLittleEndian) {
    EXPECT_EQ(CalRecordBytes(Sample(45000.75)),
              Hex("61 00 4B 00 34 12 E5 07 00 00 00 00 18 F9 E5 40 0D 0C 0B 0A 01 00 00 00"
                  "00 00 80 3F 00 00 00 40 00 00 80 BF 00 00 00 3F 34 12 CD AB"));
}

TEST(CalLogLayout, FileIsMagicThenRecordsOldestFirst) {
    const TCalLogList newestFirst = {Sample(2, "new"), Sample(1, "old")};
    const TBytes file = SerializeCalLog(newestFirst);
    EXPECT_EQ(file, Concat({magic, CalRecordBytes(Sample(1, "old")), CalRecordBytes(Sample(2, "new"))}));
    const TCalLogRead read = ParseCalLog(file);
    EXPECT_TRUE(read.valid);
    EXPECT_EQ(read.records, newestFirst);
}

TEST(CalLogLayout, TextsAreWindows1250) {
    TCalLogRecord r = Sample(1, "żółć");
    const TBytes bytes = CalRecordBytes(r);
    EXPECT_EQ(TBytes(bytes.begin(), bytes.begin() + 5), Hex("BF F3 B3 E6 00"));
    EXPECT_EQ(ParseCalLog(Concat({magic, bytes})).records.at(0).Comment, "żółć");
}

TEST(CalLogValidity, MagicOnlyIsAValidEmptyLog) {
    const TCalLogRead read = ParseCalLog(magic);
    EXPECT_TRUE(read.valid);
    EXPECT_TRUE(read.records.empty());
    EXPECT_FALSE(ParseCalLog(Text("K730 CAL")).valid);
    EXPECT_FALSE(ParseCalLog(Text("K730 cal ")).valid);
}

TEST(CalLogValidity, ShortLastRecordKeepsTheEarlierOnes) {
    TBytes file = SerializeCalLog({Sample(3, "c"), Sample(2, "b"), Sample(1, "a")});
    file.resize(file.size() - 2);
    const TCalLogRead read = ParseCalLog(file);
    EXPECT_FALSE(read.valid);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0].Comment, "b"); // newest first
    EXPECT_EQ(read.records[1].Comment, "a");
    EXPECT_EQ(read.validSize, SerializeCalLog({Sample(2, "b"), Sample(1, "a")}).size());
}

TEST(CalLogValidity, NaNFactorEndsTheLogAtThatRecord) {
    TCalLogRecord bad = Sample(2, "nan");
    bad.NewResultFactor = std::numeric_limits<float>::quiet_NaN();
    const TBytes file =
        Concat({magic, CalRecordBytes(Sample(1)), CalRecordBytes(bad), CalRecordBytes(Sample(3))});
    const TCalLogRead read = ParseCalLog(file);
    EXPECT_FALSE(read.valid);
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].CalDateTime, 1);
    // A NaN date is not a factor and stays readable.
    TCalLogRecord oddDate = Sample(1);
    oddDate.CalDateTime = std::nan("");
    EXPECT_TRUE(ParseCalLog(Concat({magic, CalRecordBytes(oddDate)})).valid);
}

TEST(CalLogValidity, TextWithoutZeroByteIsInvalid) {
    EXPECT_FALSE(ParseCalLog(Concat({magic, Text("comment without end")})).valid);
    EXPECT_FALSE(ParseCalLog(Concat({magic, Hex("41 00 4B")})).valid);
}

class CalLogFiles : public ::testing::Test {
protected:
    test::TTempFolder dir;
    std::string log = dir / "K730/K730_CAL.dat";
};

TEST_F(CalLogFiles, AppendToMissingLogCreatesItReadOnly) {
    ASSERT_TRUE(AppendCalLog(log, Sample(1)));
    EXPECT_EQ(test::ReadBytes(log), Concat({magic, CalRecordBytes(Sample(1))}));
    EXPECT_TRUE(IsReadOnly(log));
    ASSERT_TRUE(AppendCalLog(log, Sample(2)));
    EXPECT_EQ(ReadCalLog(log).records.size(), 2u);
    EXPECT_TRUE(IsReadOnly(log));
}

TEST_F(CalLogFiles, AppendLeavesAFileWithoutMagicAlone) {
    EnsureFolderOf(log);
    test::WriteBytes(log, Text("something else"));
    EXPECT_FALSE(AppendCalLog(log, Sample(1)));
    EXPECT_EQ(test::ReadBytes(log), Text("something else"));
}

TEST_F(CalLogFiles, AppendAfterDamagedTailKeepsACopyAndCutsBack) {
    EnsureFolderOf(log);
    TBytes damaged = SerializeCalLog({Sample(2, "b"), Sample(1, "a")});
    damaged.insert(damaged.end(), {'x', 'y'});
    test::WriteBytes(log, damaged);
    ASSERT_TRUE(AppendCalLog(log, Sample(3, "c")));
    const TCalLogRead read = ReadCalLog(log);
    EXPECT_TRUE(read.valid);
    ASSERT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[0].Comment, "c");
    EXPECT_EQ(test::ReadBytes(log + ".damaged"), damaged);
    // A second damage never replaces the first copy.
    SetWritable(log);
    test::WriteBytes(log, damaged);
    ASSERT_TRUE(AppendCalLog(log, Sample(4)));
    EXPECT_EQ(test::ReadBytes(log + ".damaged.1"), damaged);
}

TEST_F(CalLogFiles, RewriteReplacesAReadOnlyLogWhole) {
    ASSERT_TRUE(AppendCalLog(log, Sample(1)));
    const TCalLogList list = {Sample(5, "x"), Sample(4, "y")};
    ASSERT_TRUE(WriteCalLog(log, list));
    EXPECT_EQ(ReadCalLog(log).records, list);
    EXPECT_TRUE(IsReadOnly(log));
    // Nothing but the log is left in its folder.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir / "K730"))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST_F(CalLogFiles, RewriteIntoAMissingFolderCreatesIt) {
    EXPECT_TRUE(WriteCalLog(dir / "a/b/K730_CAL.dat", {Sample(1)}));
    EXPECT_TRUE(ValidateCalLog(dir / "a/b/K730_CAL.dat"));
    EXPECT_FALSE(ValidateCalLog(dir / "missing.dat"));
}

} // namespace
} // namespace k730
