// k730-tool's file commands as scripts use them: JSON dumps, exit codes,
// export and merge.
#include "files/CalLog.h"
#include "files/FileIo.h"
#include "files/HistCsv.h"
#include "files/HistFile.h"
#include "files/TempFolder.h"
#include "files/TemplateLib.h"
#include "support/TestSupport.h"
#include "traffic/BufferFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace k730 {
namespace {

struct TRun {
    int exit = -1;
    std::string out;
    nlohmann::json Json() const { return nlohmann::json::parse(out); }
};

TRun Tool(const std::string& args) {
    const test::TCommandRun result =
        test::RunCommand(test::BuildDir() + "/src/tool/k730-tool " + args + " 2>/dev/null");
    return TRun{result.status, result.out};
}

TCalLogRecord Rec(double date, const std::string& comment) {
    TCalLogRecord r;
    r.CalDateTime = date;
    r.Comment = comment;
    r.MeterType = "K-730/V";
    r.NewLoopFactor = 1.1f;
    r.CalTempCode = 0x10200;
    return r;
}

class FileCommands : public ::testing::Test {
protected:
    test::TTempFolder dir;
};

TEST_F(FileCommands, CalLogDumpValidDamagedAndMissing) {
    ASSERT_TRUE(WriteCalLog(dir / "log.dat", {Rec(2, "żółw"), Rec(1, "a")}));
    TRun run = Tool("callog dump " + dir / "log.dat" + " --json");
    ASSERT_EQ(run.exit, 0);
    nlohmann::json j = run.Json();
    EXPECT_TRUE(j["valid"].get<bool>());
    ASSERT_EQ(j["records"].size(), 2u);
    EXPECT_EQ(j["records"][0]["comment"], "żółw"); // newest first, UTF-8
    EXPECT_EQ(j["records"][0]["date"], 2.0);
    EXPECT_EQ(j["records"][0]["new_loop"], 1.1);
    EXPECT_EQ(j["records"][0]["temp_code"], 0x10200);
    EXPECT_EQ(j["records"][0]["serial"], 0xFFFF);

    TBytes cut = test::ReadBytes(dir / "log.dat");
    cut.pop_back();
    test::WriteBytes(dir / "cut.dat", cut);
    run = Tool("callog dump " + dir / "cut.dat" + " --json");
    EXPECT_EQ(run.exit, 1);
    j = run.Json();
    EXPECT_FALSE(j["valid"].get<bool>());
    EXPECT_FALSE(j["error"].get<std::string>().empty());
    EXPECT_EQ(j["records"].size(), 1u);
    EXPECT_EQ(Tool("callog dump " + dir / "none.dat" + " --json").exit, 2);
    EXPECT_EQ(Tool("callog export " + dir / "log.dat" + " x --format pdf").exit, 2);
}

TEST_F(FileCommands, CalLogMergeExportBackupRestore) {
    ASSERT_TRUE(WriteCalLog(dir / "from.dat", {Rec(3, "new"), Rec(1, "a")}));
    ASSERT_TRUE(WriteCalLog(dir / "K730_CAL.dat", {Rec(1, "a")}));
    TRun run =
        Tool("callog merge " + dir / "from.dat" + " " + dir / "K730_CAL.dat" + " --duplicates overwrite");
    ASSERT_EQ(run.exit, 0);
    EXPECT_EQ(run.Json(), nlohmann::json::parse(R"({"overwritten":1,"appended":1})"));
    EXPECT_TRUE(FileExists(dir / "K730_CAL.bak"));

    ASSERT_EQ(
        Tool("callog export " + dir / "K730_CAL.dat" + " " + dir / "out.txt --format spreadsheet --lang pl")
            .exit,
        0);
    const TBytes text = test::ReadBytes(dir / "out.txt");
    EXPECT_EQ(std::string(text.begin(), text.begin() + 4), "\t\t\t\t");
    EXPECT_NE(std::string(text.begin(), text.end()).find("1,1000000"), std::string::npos);

    std::filesystem::remove(dir / "K730_CAL.dat");
    run = Tool("callog restore " + dir / "K730_CAL.bak" + " " + dir / "K730_CAL.dat");
    EXPECT_EQ(run.exit, 0);
    EXPECT_TRUE(run.Json()["success"].get<bool>());
    EXPECT_EQ(ReadCalLog(dir / "K730_CAL.dat").records.size(), 2u);
}

TEST_F(FileCommands, HistTemplatesAndBufferDumps) {
    THistData d;
    d.MeterKind = 1;
    d.IntervalMs = 160;
    d.Samples = {HistSample{160, 1, 0x80, 1.5f, 1, 2, 200, 200, 200, 215}};
    ASSERT_TRUE(WriteHistFile(dir / "h.dat", d, hwHistoryFile, "c", {}));
    nlohmann::json j = Tool("hist dump " + dir / "h.dat" + " --json").Json();
    EXPECT_EQ(j["magic"], "K730 HISTORY ");
    EXPECT_EQ(j["version"], "1.16");
    EXPECT_EQ(j["comment"], "c");
    EXPECT_EQ(j["extremes"].size(), 3u);
    EXPECT_EQ(j["records"][0]["flags"], 0x80);
    EXPECT_EQ(j["records"][0]["avg"], 1.5);
    EXPECT_EQ(j["records"][0]["temp_tenths"], 215);
    EXPECT_EQ(Tool("hist export " + dir / "h.dat" + " " + dir / "h.txt").exit, 0);
    EXPECT_TRUE(FileExists(dir / "h.txt"));
    EXPECT_EQ(Tool("hist export " + dir / "h.dat" + " " + dir / "h.csv" + " --format csv").exit, 0);
    const TBytes csv = test::ReadBytes(dir / "h.csv");
    EXPECT_EQ(std::string(csv.begin(), csv.end()), HistCsvText(d));
    EXPECT_EQ(Tool("hist export " + dir / "h.dat" + " " + dir / "h.x --format xls").exit, 2);

    TTemplateArray arr(1);
    arr[0].MeterName = "K1";
    arr[0].MeterKind = 1;
    ASSERT_TRUE(WriteTemplateLibrary(dir / "t.dat", DefaultSpectralLists(), arr));
    j = Tool("templates dump " + dir / "t.dat" + " --json").Json();
    EXPECT_EQ(j["lists"][1][3], "UVA");
    EXPECT_EQ(j["templates"][0]["meter_name"], "K1");
    EXPECT_EQ(j["templates"][0]["ranges"].size(), 3u);

    TTrafficBuffers b;
    b.AddRecord(tbTransmitted, test::Hex("68 08"));
    b.AddRecord(tbReceived, test::Hex("16"));
    ASSERT_TRUE(SaveBufferFile(dir / "b.buf", "b", b).success);
    j = Tool("buffer dump " + dir / "b.buf" + " --json").Json();
    EXPECT_EQ(j["version"], "1.3");
    EXPECT_EQ(j["records"], nlohmann::json::parse(
                                R"([{"seq":1,"buffer":2,"hex":"68 08"},{"seq":2,"buffer":0,"hex":"16"}])"));
}

} // namespace
} // namespace k730
