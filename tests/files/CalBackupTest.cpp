// The compressed backup of the calibration log and the start-up restore.
#include "files/CalLog.h"
#include "files/CalLogBackup.h"
#include "files/FileIo.h"
#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace k730 {
namespace {

using test::Text;

TCalLogRecord Rec(double date, const std::string& comment) {
    TCalLogRecord r;
    r.CalDateTime = date;
    r.Comment = comment;
    r.MeterType = "K-730/V/2M";
    return r;
}

ino_t Inode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

class CalBackup : public ::testing::Test {
protected:
    test::TTempFolder dir;
    std::string log = dir / "K730_CAL.dat";
    std::string bak = dir / "K730_CAL.bak";
};

TEST_F(CalBackup, HoldsTheLogTimeAndTheWholeLogCompressed) {
    ASSERT_TRUE(WriteCalLog(log, {Rec(45000.5, "x")}));
    BackupCalLog(log, bak);
    const TBytes backup = test::ReadBytes(bak);
    ASSERT_GT(backup.size(), CAL_BACKUP_HEAD + 2);
    EXPECT_EQ(TBytes(backup.begin(), backup.begin() + 16), Text("K730 CAL BACKUP "));
    EXPECT_EQ(backup[24], 0x78); // zlib header
    const auto image = OpenCalBackup(backup);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->log, test::ReadBytes(log));
    EXPECT_NEAR(image->date, *FileTimeDays(log), 1e-9);
    EXPECT_TRUE(IsReadOnly(bak));
}

TEST_F(CalBackup, NotRewrittenWhileTheLogIsUnchanged) {
    ASSERT_TRUE(WriteCalLog(log, {Rec(1, "x")}));
    BackupCalLog(log, bak);
    const ino_t first = Inode(bak);
    BackupCalLog(log, bak);
    EXPECT_EQ(Inode(bak), first);
    // Rewriting the log moves its time on; the next backup follows.
    SetFileTimeDays(log, *FileTimeDays(log) + 1.0 / 86400);
    BackupCalLog(log, bak);
    EXPECT_NE(Inode(bak), first);
}

TEST_F(CalBackup, InvalidLogIsNotBackedUp) {
    test::WriteBytes(log, Text("K730 CAL x"));
    BackupCalLog(log, bak);
    EXPECT_FALSE(FileExists(bak));
}

TEST_F(CalBackup, BackupEndingInsideItsDateIsOutOfDate) {
    ASSERT_TRUE(WriteCalLog(log, {Rec(1, "x")}));
    test::WriteBytes(bak, Text("K730 CAL BACKUP \x01\x02"));
    BackupCalLog(log, bak);
    EXPECT_TRUE(OpenCalBackup(test::ReadBytes(bak)));
}

TEST(CalBackupInflate, RefusesStreamsBeyondTheLimitCutShortOrBroken) {
    const TBytes big(1 << 20, 0);
    const TBytes stream = DeflateZlib(big);
    EXPECT_EQ(InflateZlib(stream), big);
    EXPECT_FALSE(InflateZlib(stream, 1000));
    EXPECT_FALSE(InflateZlib(std::span(stream).first(stream.size() - 5)));
    TBytes badSum = stream;
    badSum.back() ^= 0x01;
    EXPECT_FALSE(InflateZlib(badSum));
    TBytes badHeader = stream;
    badHeader[0] = 0x79;
    EXPECT_FALSE(InflateZlib(badHeader));
    // Whatever follows a complete stream is ignored.
    TBytes trailing = DeflateZlib(Text("K730 CAL "));
    trailing.push_back(0);
    EXPECT_EQ(InflateZlib(trailing), Text("K730 CAL "));
}

TEST_F(CalBackup, DeletedLogIsRestoredWithTheBackupsTime) {
    ASSERT_TRUE(WriteCalLog(log, {Rec(2, "b"), Rec(1, "a")}));
    const TBytes original = test::ReadBytes(log);
    BackupCalLog(log, bak);
    const double backupTime = OpenCalBackup(test::ReadBytes(bak))->date;
    std::filesystem::remove(log);
    const TCalRestore r = RestoreCalLog(log, bak);
    EXPECT_TRUE(r.attempted);
    EXPECT_TRUE(r.success);
    EXPECT_EQ(r.message.en, "WARNING\r\nBroken history log file.\r\nRecovery attempt was successful.");
    EXPECT_EQ(r.message.pl,
              "UWAGA\r\nUszkodzony plik historii kalibracji.\r\nPróba odzyskania zakończyła się sukcesem.");
    EXPECT_EQ(test::ReadBytes(log), original);
    EXPECT_NEAR(*FileTimeDays(log), backupTime, 1.0 / 86'400'000);
    EXPECT_TRUE(IsReadOnly(log));
    EXPECT_FALSE(RestoreCalLog(log, bak).attempted); // a valid log is left alone
}

TEST_F(CalBackup, DamagedLogIsKeptAndItsNewerRecordsCarriedOver) {
    ASSERT_TRUE(WriteCalLog(log, {Rec(1, "old")}));
    BackupCalLog(log, bak);
    const double backupTime = OpenCalBackup(test::ReadBytes(bak))->date;
    TBytes damaged =
        SerializeCalLog({Rec(backupTime + 1, "newer"), Rec(1, "old"), Rec(0.5, "older, not in backup")});
    damaged.push_back('!');
    SetWritable(log);
    test::WriteBytes(log, damaged);

    const TCalRestore r = RestoreCalLog(log, bak);
    ASSERT_TRUE(r.success);
    EXPECT_EQ(r.recoveredRecords, 1);
    EXPECT_EQ(test::ReadBytes(r.damagedCopy), damaged);
    const TCalLogRead restored = ReadCalLog(log);
    EXPECT_TRUE(restored.valid);
    ASSERT_EQ(restored.records.size(), 2u);
    EXPECT_EQ(restored.records[0].Comment, "newer");
    EXPECT_EQ(restored.records[1].Comment, "old");
    // The log keeps a time of its own, so the next backup takes the carried records in.
    BackupCalLog(log, bak);
    EXPECT_EQ(OpenCalBackup(test::ReadBytes(bak))->log, test::ReadBytes(log));
}

TEST_F(CalBackup, BrokenBackupReportsFailureAndTouchesNothing) {
    test::WriteBytes(log, Text("K730 CAL x"));
    test::WriteBytes(bak, Text("K730 CAL BACKUP 12345678not a stream"));
    const TCalRestore r = RestoreCalLog(log, bak);
    EXPECT_TRUE(r.attempted);
    EXPECT_FALSE(r.success);
    EXPECT_EQ(r.message.en, "WARNING\r\nBroken history log file.\r\nRecovery attempt was unsuccessful.");
    EXPECT_EQ(r.message.style, msWarning);
    EXPECT_EQ(test::ReadBytes(log), Text("K730 CAL x"));
    // A stream that does not hold a log is refused as well.
    test::WriteBytes(bak, MakeCalBackup(Text("K730 HISTORY "), 1));
    EXPECT_FALSE(RestoreCalLog(log, bak).success);
    EXPECT_FALSE(RestoreCalLog(dir / "none.dat", dir / "none.bak").attempted);
}

} // namespace
} // namespace k730
