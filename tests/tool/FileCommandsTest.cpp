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
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace k730 {
namespace {

struct TRun {
    int exit = -1;
    std::string out;
    std::string err; // standard error
    nlohmann::json Json() const { return nlohmann::json::parse(out); }
};

// Runs k730-tool; `timeout` ends a command that hangs, so the test fails instead.
TRun Tool(const std::string& args) {
    const std::string errFile = testing::TempDir() + "k730_tool_err_" +
                                testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    const test::TCommandRun result =
        test::RunCommand("timeout 20 " + test::BuildDir() + "/src/tool/k730-tool " + args + " 2>" + errFile);
    const TBytes err = test::ReadBytes(errFile);
    return TRun{result.status, result.out, std::string(err.begin(), err.end())};
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
    EXPECT_EQ(j["skipped"], nlohmann::json::array());
}

// The dump numbers records the way loading them into the viewer does: a record
// of an unknown buffer gets no number and is listed apart.
TEST_F(FileCommands, BufferDumpAgreesWithLoading) {
    test::WriteBytes(dir / "mixed.buf",
                     test::Concat({test::Text("VudIDO 1.3 "),
                                   test::Hex("01 01 00 00 00 AA 07 02 00 00 00 BB CC 00 00 00 00 "
                                             "00 02 01 00 00 00 DD")}));
    const nlohmann::json j = Tool("buffer dump " + dir / "mixed.buf" + " --json").Json();
    EXPECT_EQ(j["valid"], true);
    EXPECT_EQ(j["records"], nlohmann::json::parse(R"([{"seq":1,"buffer":1,"hex":"AA"},
        {"seq":2,"buffer":0,"hex":""},{"seq":3,"buffer":2,"hex":"DD"}])"));
    EXPECT_EQ(j["skipped"], nlohmann::json::parse(R"([{"record":2,"offset":17,"buffer":7,"hex":"BB CC"}])"));

    TTrafficBuffers loaded;
    ASSERT_TRUE(LoadBufferFile(dir / "mixed.buf", "mixed.buf", loaded).success);
    EXPECT_EQ(loaded.LastSequence(), 3u);
    EXPECT_EQ(loaded.RecordAt(3).buffer, tbTransmitted);
}

TEST_F(FileCommands, HistExportReplacesOnlyAFile) {
    THistData d;
    d.IntervalMs = 1000;
    d.Samples = {HistSample{1000, 1, 0, 1.5f, 1, 2, 200, 200, 200, 215}};
    ASSERT_TRUE(WriteHistFile(dir / "h.dat", d, hwHistoryFile, "", {}));
    std::filesystem::create_directories(dir / "full/inner");
    std::filesystem::create_directory(dir / "empty");
    for (const char* folder : {"empty", "full"}) {
        const TRun run = Tool("hist export " + dir / "h.dat" + " " + dir / folder);
        EXPECT_EQ(run.exit, 1) << folder;
        EXPECT_EQ(run.err, "k730-tool: " + dir / folder + ": cannot be written: a folder\n");
        EXPECT_TRUE(std::filesystem::is_directory(dir / folder)) << folder;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "full/inner"));
    test::WriteBytes(dir / "old.txt", test::Text("previous export, longer than the new one will be ...."));
    EXPECT_EQ(Tool("hist export " + dir / "h.dat" + " " + dir / "old.txt").exit, 0);
    const TBytes text = test::ReadBytes(dir / "old.txt");
    EXPECT_EQ(std::string(text.begin(), text.begin() + 6), "Meter:");
}

TEST_F(FileCommands, DumpsRefuseWhatIsNotARegularFileAtOnce) {
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::string& dump : {std::string("hist dump /dev/zero"), "templates dump " + dir / "fifo"}) {
        const TRun run = Tool(dump + " --json");
        EXPECT_EQ(run.exit, 1) << dump;
        EXPECT_FALSE(run.Json()["valid"].get<bool>()) << dump;
        EXPECT_EQ(run.Json()["error"], "not a regular file") << dump;
        EXPECT_NE(run.err.find(": not a regular file\n"), std::string::npos) << run.err;
    }
}

// Every failure: the documented exit status and one line on standard error that
// names the file and the reason. "@" stands for the test's folder.
struct TFailure {
    std::string args;
    int exit;
    std::string err;
};

TEST_F(FileCommands, FailuresNameTheFileAndTheReason) {
    ASSERT_TRUE(WriteCalLog(dir / "log.dat", {Rec(1, "a")}));
    test::WriteBytes(dir / "bad.dat", test::Text("K730 CAL x"));
    const std::vector<TFailure> failures = {
        {"callog backup @/none.dat @/b.bak", 2, "@/none.dat: no such file"},
        {"callog restore @/none.bak @/log.dat", 2, "@/none.bak: no such file"},
        {"hist export @/none.dat @/out.txt", 2, "@/none.dat: no such file"},
        {"callog merge @/none.dat @/log.dat", 2, "@/none.dat: no such file"},
        {"callog merge @/log.dat @/none.dat", 2, "@/none.dat: no such file"},
        {"callog merge @/bad.dat @/log.dat", 1,
         "@/bad.dat: not a valid calibration history log: text without a zero byte before the end of the "
         "file"},
        {"callog export @/bad.dat @/out.txt", 1,
         "@/bad.dat: not a valid calibration history log: text without a zero byte before the end of the "
         "file"},
        {"callog backup @/log.dat @", 1, "@: cannot be written: a folder"},
        {"callog frob @/log.dat", 2, "callog: unknown command \"frob\" (see k730-tool callog --help)"},
        {"frob", 2, "unknown command \"frob\" (see k730-tool --help)"},
    };
    const std::string folder = dir / "";
    auto fill = [&](std::string text) {
        for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size() - 1))
            text.replace(at, 1, folder.substr(0, folder.size() - 1));
        return text;
    };
    for (const TFailure& f : failures) {
        const TRun run = Tool(fill(f.args));
        EXPECT_EQ(run.exit, f.exit) << f.args;
        EXPECT_EQ(run.err, "k730-tool: " + fill(f.err) + "\n") << f.args;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.txt")); // an invalid log exports nothing
}

// Permission denied is reported as what it is (the tool runs as another user
// when the tests run as root, who may read anything).
TEST_F(FileCommands, UnreadableFilesAreReportedAsSuch) {
    ASSERT_TRUE(WriteCalLog(dir / "log.dat", {Rec(1, "a")}));
    ::chmod((dir / "log.dat").c_str(), 0);
    const std::string as = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    for (const std::string& command : {std::string("callog backup"), std::string("callog export")}) {
        const std::string args = command + " " + dir / "log.dat" + " " + dir / "out";
        const std::string errFile = dir / "err.txt";
        const test::TCommandRun run =
            test::RunCommand(as + test::BuildDir() + "/src/tool/k730-tool " + args + " 2>" + errFile);
        const TBytes err = test::ReadBytes(errFile);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(std::string(err.begin(), err.end()),
                  "k730-tool: " + dir / "log.dat" + ": permission denied\n");
    }
}

} // namespace
} // namespace k730
