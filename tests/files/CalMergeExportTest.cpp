// The Synchronize merge of calibration logs and the two exports.
#include "files/CalExport.h"
#include "files/CalLogBackup.h"
#include "files/CalMerge.h"
#include "files/FileIo.h"
#include "files/TempFolder.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TCalLogRecord At(double date, std::string comment = "", std::string type = "K-730") {
    TCalLogRecord r;
    r.CalDateTime = date;
    r.Comment = std::move(comment);
    r.MeterType = std::move(type);
    return r;
}

std::vector<std::string> Comments(const TCalLogList& list) {
    std::vector<std::string> out;
    for (const auto& r : list)
        out.push_back(r.Comment);
    return out;
}

TAskDuplicate Always(TAskAnswer answer, int* asked = nullptr) {
    return [answer, asked](const TFileMessage&, const TCalLogRecord&) {
        if (asked) ++*asked;
        return answer;
    };
}

TEST(CalMerge, IdenticalImportWithNoToAllChangesNothing) {
    TCalLogList log = {At(3, "c"), At(2, "b"), At(1, "a")};
    const TCalLogList before = log;
    int asked = 0;
    const TCalMergeResult r = MergeCalLogs(log, before, Always(aaNoToAll, &asked));
    EXPECT_EQ(r.overwritten, 0);
    EXPECT_EQ(r.appended, 0);
    EXPECT_EQ(asked, 1); // "to all" answers the rest
    EXPECT_EQ(log, before);
}

TEST(CalMerge, NewRecordsGoWhereTheirKeyPutsThem) {
    TCalLogList log = {At(3, "d3"), At(1, "d1")};
    const TCalMergeResult r = MergeCalLogs(log, {At(4, "d4"), At(2, "d2"), At(0.5, "d0")}, Always(aaYes));
    EXPECT_EQ(r.appended, 3);
    EXPECT_EQ(Comments(log), (std::vector<std::string>{"d4", "d3", "d2", "d1", "d0"}));
}

TEST(CalMerge, EqualKeyWithAnotherCommentFollowsTheExistingRecord) {
    TCalLogList log = {At(2, "later"), At(1, "first"), At(0.5, "earlier")};
    MergeCalLogs(log, {At(1, "second")}, Always(aaYes));
    EXPECT_EQ(Comments(log), (std::vector<std::string>{"later", "second", "first", "earlier"}));
    // The meter type is part of the key.
    TCalLogList types = {At(1, "", "K-730/B")};
    MergeCalLogs(types, {At(1, "", "K-730/A")}, Always(aaYes));
    EXPECT_EQ(types.back().MeterType, "K-730/A");
}

TEST(CalMerge, UnorderedLogInsertsBeforeTheFirstGreaterKey) {
    TCalLogList log = {At(1, "d1"), At(5, "d5")}; // file order d5, d1
    MergeCalLogs(log, {At(3, "d3"), At(6, "d6")}, Always(aaYes));
    EXPECT_EQ(Comments(log), (std::vector<std::string>{"d6", "d1", "d5", "d3"})); // file: d3 d5 d1 d6
}

TEST(CalMerge, AnswersCountOverwritesAndCancelLeavesTheLogAlone) {
    TCalLogList log = {At(2, "b"), At(1, "a")};
    EXPECT_EQ(MergeCalLogs(log, {At(2, "b"), At(1, "a")}, Always(aaYes)).overwritten, 2);
    const TCalLogList before = log;
    const TCalMergeResult r = MergeCalLogs(log, {At(9, "new"), At(2, "b")}, Always(aaCancel));
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(log, before);
}

TEST(CalMerge, DuplicateQuestionNamesTheRecord) {
    TCalLogList log = {At(45000.75, "", "K-730/V")};
    TFileMessage question;
    MergeCalLogs(log, log, [&](const TFileMessage& q, const TCalLogRecord&) {
        question = q;
        return aaNo;
    });
    EXPECT_EQ(question.en,
              "Calibration record:\r\n  15.03.2023 18:00:00\r\n  K-730/V\r\nalready exists.\r\nOverwrite?");
}

TEST(CalMerge, PolishRecordWords) {
    EXPECT_EQ(RecordsWord(1, langPolish), "rekord danych");
    for (int n : {2, 3, 4, 22, 104})
        EXPECT_EQ(RecordsWord(n, langPolish), "rekordy danych") << n;
    for (int n : {0, 5, 11, 12, 14, 20, 25, 111, 112})
        EXPECT_EQ(RecordsWord(n, langPolish), "rekordów danych") << n;
    EXPECT_EQ(RecordsWord(1, langEnglish), "data record");
    EXPECT_EQ(RecordsWord(0, langEnglish), "data records");
}

TEST(CalImport, SynchronizeRewritesBacksUpAndReports) {
    test::TTempFolder dir;
    const std::string from = dir / "from.dat", log = dir / "K730_CAL.dat", bak = dir / "K730_CAL.bak";
    ASSERT_TRUE(WriteCalLog(from, {At(3, "x"), At(1, "a")}));
    ASSERT_TRUE(WriteCalLog(log, {At(1, "a")}));
    const TCalImport r = SynchronizeCalLog(from, log, bak, "from.dat", Always(aaNo));
    ASSERT_TRUE(r.success);
    EXPECT_EQ(r.message.en, "Calibration history log file: \r\nfrom.dat\r\nwas successfully imported.\r\n\r\n"
                            "0 data records was overwritten.\r\n1 data record was appended.");
    EXPECT_EQ(r.message.pl, "Poprawnie zaimportowano plik historii kalibracji:\r\nfrom.dat\r\n\r\n"
                            "Nadpisano 0 rekordów danych.\r\nDopisano 1 rekord danych.");
    EXPECT_EQ(ReadCalLog(log).records.size(), 2u);
    EXPECT_EQ(OpenCalBackup(test::ReadBytes(bak))->log, test::ReadBytes(log));
    // A damaged log is never merged into.
    test::WriteBytes(dir / "bad.dat", test::Text("K730 CAL zz"));
    EXPECT_FALSE(SynchronizeCalLog(from, dir / "bad.dat", bak, "x", Always(aaNo)).success);
    EXPECT_EQ(test::ReadBytes(dir / "bad.dat"), test::Text("K730 CAL zz"));
}

TCalLogRecord Exported() {
    TCalLogRecord r = At(45000.75, "line1\r\nline2", "K-730");
    r.SerialNumber = 12;
    r.ProductionYear = 2021;
    r.OldForcingValue4mA = 0x1A2B;
    r.NewForcingValue4mA = 0x1A2C;
    r.OldLoopFactor = 1.0f;
    r.NewLoopFactor = 1.25f;
    r.OldResultFactor = 0.99999f;
    r.NewResultFactor = 1.0f;
    r.CalTempCode = 0xFFFF0200; // high half carried, not read
    return r;
}

TEST(CalExport, RecordTextForms) {
    TCalLogRecord r = Exported();
    const TCalTextFormat pl{langPolish, ',', '-', ':'};
    EXPECT_EQ(CalDateTimeText(r, pl), "15-03-2023 18:00");
    EXPECT_EQ(CalLoopText(r, pl), "1,0000000 --> 1,2500000");
    EXPECT_EQ(CalResultText(r, pl), "0,9999900 --> 1,0000000");
    EXPECT_EQ(CalTempText(r, pl), "5,0");
    r.SerialNumber = r.ProductionYear = 0xFFFF;
    r.OldForcingValue4mA = 0x12345;
    EXPECT_EQ(CalSerialText(r), "---/----");
    EXPECT_EQ(Cal4mAText(r), "0x12345 --> 0x1A2C");
}

TEST(CalExport, TextFile) {
    const TCalTextFormat en{langEnglish, '.', '.', ':'};
    const std::string row = "15.03.2023 18:00\tK-730 12/2021\r\nCalibration factors:\r\n"
                            "- value forcing 4mA current:\t0x1A2B --> 0x1A2C\r\n"
                            "- current loop:\t1.0000000 --> 1.2500000\r\n"
                            "- result:\t0.9999900 --> 1.0000000\r\n"
                            "Calibration temperature:\t5.0°C\r\n";
    TCalLogRecord noComment = Exported();
    noComment.Comment.clear();
    EXPECT_EQ(
        CalExportText({Exported(), noComment}, {cfAllMeters, "", 7}, en),
        "CALIBRATION HISTORY LOG\r\n2/7 records\r\nAll meters\r\nTime boundaries: no limits\r\n\r\n1. " +
            row + "line1\r\nline2\r\n\r\n2. " + row);
    const std::string pl = CalExportText({}, {cfOneMeter, "last", 0}, {langPolish, ',', '.', ':'});
    EXPECT_EQ(pl, "HISTORIA KALIBRACJI\r\n0/0 wpisów\r\nTylko jeden miernik\r\n"
                  "Ograniczenie przedziału czasowego: last\r\n\r\n");
}

TEST(CalExport, SpreadsheetCommentContinuesInTheNinthColumn) {
    TCalLogRecord r = Exported();
    r.Comment = "line1\r\nline2\r\n";
    EXPECT_EQ(CalExportSpreadsheet({r}, {langEnglish, '.', '.', ':'}),
              "\t\t\t\tCalibration factors:\r\nNo.\tCalibration Date/Time\tMeter type\tSerial number\t"
              "value forcing 4mA current\tcurrent loop\tresult\tTemperature [°C]\tComment\r\n"
              "1.\t15.03.2023 18:00\tK-730\t12/2021\t0x1A2B --> 0x1A2C\t1.0000000 --> 1.2500000\t"
              "0.9999900 --> 1.0000000\t5.0\tline1\r\n\t\t\t\t\t\t\t\tline2\r\n");
}

} // namespace
} // namespace k730
