// The measurement history file: both magics, the version rule, incremental
// saves and exports, and the export's text.
#include "files/FileIo.h"
#include "files/HistFile.h"
#include "files/TempFolder.h"
#include "main/Cp1250.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Concat;
using test::Text;

HistSample Sample(int32_t t, float avg, uint8_t flags = 0) {
    return HistSample{t, 3, flags, avg, avg - 1, avg + 1, 200, 20, 200, 235};
}

THistData History(int32_t interval, size_t count) {
    THistData d;
    d.SerialNumber = 12;
    d.ProductionYear = 2021;
    d.MeterKind = 1;
    d.LumMode = 0;
    d.ModelDescriptor = "K-730/V";
    d.FirmwareVersion = "2.0";
    d.StartDateTime = 45000.75;
    d.IntervalMs = interval;
    d.Extremes[0] = {1, 2, 3, 4};
    for (size_t i = 0; i < count; ++i)
        d.Samples.push_back(Sample(interval * static_cast<int32_t>(i + 1), 10.5f));
    return d;
}

const THistTextFormat english{langEnglish, '.', '.', ':', DisplayHistValue};

class HistFiles : public ::testing::Test {
protected:
    test::TTempFolder dir;
    std::string path = dir / "h.dat";
    std::string comment = "note";
};

TEST_F(HistFiles, HeadAndRecordLayout) {
    THistData d = History(160, 1);
    const TBytes head = HistFileHead(d, "c", langEnglish);
    EXPECT_EQ(TBytes(head.begin(), head.begin() + 23), Text("K730 HISTORY ver. 1.16 "));
    EXPECT_EQ(HistFileHead(d, "c", langPolish)[11], 'I'); // "K730 HISTORIA "
    EXPECT_EQ(head.size(), 23 + 2 + 8 + 4 + 4 + 2 + 8 + 4 + 48u);
    EXPECT_EQ(HistSampleBytes(HistSample{-2, 1, 0x80, 1.0f, 0, 0, 0, 0, 2.0f, -5}),
              test::Hex("FE FF FF FF 01 80 00 00 80 3F 00 00 00 00 00 00 00 00 00 00 00 00"
                        "00 00 00 00 00 00 00 40 FB FF"));
}

TEST_F(HistFiles, BothMagicsReadBack) {
    for (TLanguage lang : {langPolish, langEnglish}) {
        THistData d = History(1000, 3);
        THistTextFormat f = english;
        f.lang = lang;
        ASSERT_TRUE(WriteHistFile(path, d, hwHistoryFile, comment, f));
        THistData back;
        std::string readComment;
        ASSERT_TRUE(ReadHistFile(path, back, readComment));
        EXPECT_EQ(readComment, comment);
        EXPECT_EQ(back.Samples, d.Samples);
        EXPECT_EQ(back.Extremes, d.Extremes);
        EXPECT_EQ(back.ModelDescriptor, "K-730/V");
        EXPECT_EQ(back.FileName, path);
        std::filesystem::remove(path);
    }
}

TEST_F(HistFiles, VersionNewerThanOursIsRefused) {
    const THistData d = History(160, 1);
    const TBytes head = HistFileHead(d, "", langEnglish);
    const TBytes rest(head.begin() + 23, head.end());
    THistData out;
    for (const char* version : {"1.16 ", "1.0 ", "1.15.9 "})
        EXPECT_TRUE(ParseHistFile(Concat({Text("K730 HISTORY ver. "), Text(version), rest}), out).valid)
            << version;
    for (const char* version : {"1.17 ", "2.0 ", "1.16.1 "})
        EXPECT_FALSE(ParseHistFile(Concat({Text("K730 HISTORY ver. "), Text(version), rest}), out).valid)
            << version;
    EXPECT_FALSE(ParseHistFile(Concat({Text("K730 HISTORY ver.1.16 "), rest}), out).valid);
}

TEST_F(HistFiles, CutRecordOrHeadFailsAndResets) {
    THistData d = History(160, 2);
    TBytes file = Concat({HistFileHead(d, "x", langEnglish), HistSampleBytes(d.Samples[0])});
    file.pop_back();
    THistData out = History(5, 5);
    EXPECT_FALSE(ParseHistFile(file, out).valid);
    EXPECT_TRUE(out.Samples.empty());
    EXPECT_EQ(out.MeterKind, 0);
    EXPECT_FALSE(ParseHistFile(std::span(file).first(40), out).valid);
}

TEST_F(HistFiles, SecondSaveAppendsOnlyNewRecords) {
    THistData d = History(160, 2);
    ASSERT_TRUE(WriteHistFile(path, d, hwHistoryFile, comment, english));
    EXPECT_EQ(d.SavedCount, 2);
    // Tamper with the first stored record: an append must not rewrite it.
    TBytes file = test::ReadBytes(path);
    const size_t firstRecord = file.size() - 2 * HIST_SAMPLE_SIZE;
    file[firstRecord + 4] = 0x77;
    test::WriteBytes(path, file);
    d.Samples.push_back(Sample(480, 1));
    ASSERT_TRUE(WriteHistFile(path, d, hwHistoryFile, comment, english));
    EXPECT_EQ(d.SavedCount, 3);
    const TBytes after = test::ReadBytes(path);
    EXPECT_EQ(after.size(), file.size() + HIST_SAMPLE_SIZE);
    EXPECT_EQ(after[firstRecord + 4], 0x77);
}

TEST_F(HistFiles, CommentChangeRewritesFromTheHead) {
    THistData d = History(160, 2);
    ASSERT_TRUE(WriteHistFile(path, d, hwHistoryFile, "old", english));
    d.SavedCount = 0; // what a comment change does
    ASSERT_TRUE(WriteHistFile(path, d, hwHistoryFile, "new comment", english));
    THistData back;
    std::string c;
    ASSERT_TRUE(ReadHistFile(path, back, c));
    EXPECT_EQ(c, "new comment");
    EXPECT_EQ(back.Samples.size(), 2u);
}

TEST_F(HistFiles, AppendToAFileThatIsNoHistoryRewritesIt) {
    THistData d = History(160, 2);
    d.SavedCount = 1;
    test::WriteBytes(path, Text("not a history"));
    ASSERT_TRUE(WriteHistFile(path, d, hwHistoryFile, comment, english));
    THistData back;
    std::string c;
    EXPECT_TRUE(ReadHistFile(path, back, c));
    EXPECT_EQ(back.Samples.size(), 2u);
}

TEST_F(HistFiles, EmptyHistoryWritesNothing) {
    THistData d = History(160, 0);
    EXPECT_FALSE(WriteHistFile(path, d, hwTextExport, comment, english));
    EXPECT_FALSE(FileExists(path));
}

TEST_F(HistFiles, ExportWithHundredthsBelowOneSecond) {
    THistData d = History(160, 2);
    d.Samples[1].Flags = HIST_OVERRANGE;
    const std::string head = HistExportHead(d, "two\r\nlines", english);
    EXPECT_EQ(
        head,
        "two\r\nlines\r\nMeter:\tK-730/V 12/2021\r\nRegistration start date/time:\t15.03.2023 18:00:00\r\n"
        "Registration interval [ms]:\t160\r\n"
        "t [h:m:s]\tOVER\tE [lx]\tEmin [lx]\tEmax [lx]\tT [°C]\r\n");
    EXPECT_EQ(HistExportLine(d, 0, english), "0:00:00.16\tNO\t10.500\t9.5000\t11.500\t23.5\r\n");
    EXPECT_EQ(HistExportLine(d, 1, english).substr(0, 14), "0:00:00.32\tYES");
}

TEST_F(HistFiles, ExportOfLongIntervalsAndUnknownKinds) {
    THistData d = History(2000, 1);
    d.MeterKind = 0;
    THistTextFormat pl = english;
    pl.lang = langPolish;
    pl.decimal = ',';
    const std::string head = HistExportHead(d, "", pl);
    EXPECT_NE(head.find("Okres rejestracji [s]:\t2\r\n"), std::string::npos);
    EXPECT_NE(head.find("\tOVER\tE\tEmin\tEmax\tT [°C]\r\n"), std::string::npos);
    EXPECT_EQ(head.rfind("Miernik:\t", 0), 0u); // no comment line
    EXPECT_EQ(HistExportLine(d, 0, pl).substr(0, 12), "0:00:02\tNIE\t");
    d.IntervalMs = 0;
    d.Samples[0].TimeMs = 3'723'456;
    EXPECT_EQ(HistExportLine(d, 0, pl).substr(0, 11), "1:02:03,45\t");
    EXPECT_EQ(HistExportHead(d, "", pl).find("Okres"), std::string::npos);
}

TEST_F(HistFiles, ExportAppendsOnlyNewLines) {
    THistData d = History(160, 1);
    ASSERT_TRUE(WriteHistFile(path, d, hwTextExport, "", english));
    d.Samples.push_back(Sample(320, 1));
    ASSERT_TRUE(WriteHistFile(path, d, hwTextExport, "", english));
    EXPECT_EQ(d.ExportedCount, 2);
    EXPECT_EQ(d.ExportName, path);
    const TBytes text = test::ReadBytes(path);
    const std::string expected =
        HistExportHead(d, "", english) + HistExportLine(d, 0, english) + HistExportLine(d, 1, english);
    EXPECT_EQ(std::string(text.begin(), text.end()), Utf8ToCp1250(expected));
}

} // namespace
} // namespace k730
