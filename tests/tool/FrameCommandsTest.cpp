#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace k730 {
namespace {

struct TRun {
    int status = -1;
    std::string out;
    std::string err; // standard error
};

// Runs the built k730-tool with `args`, feeding `input` on standard input.
TRun RunTool(const std::string& args, const std::string& input = "") {
    // One file per test: CTest runs the tests of this program in parallel.
    const std::string inputFile = testing::TempDir() + "k730_frame_" +
                                  testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::ofstream(inputFile, std::ios::binary) << input;
    const std::string errFile = inputFile + ".err";
    const std::string command =
        test::BuildDir() + "/src/tool/k730-tool " + args + " <" + inputFile + " 2>" + errFile;
    const test::TCommandRun result = test::RunCommand(command);
    std::ifstream err(errFile);
    return TRun{result.status, result.out, std::string(std::istreambuf_iterator<char>(err), {})};
}

TEST(FrameBuild, PrintsTheRequestBytes) {
    EXPECT_EQ(RunTool("frame build 4 0x0012").out, "68 08 00 04 06 12 00 16\n");
    EXPECT_EQ(RunTool("frame build 0x60 18").out, "68 0A 00 60 06 12 00 4B D3 16\n");
    EXPECT_EQ(RunTool("frame build 2 0xFFFF 3412").out, "68 0A 00 02 06 FF FF 34 12 16\n");
    EXPECT_EQ(RunTool("frame build 128 1").status, 2);
    EXPECT_EQ(RunTool("frame build 4 0x10000").status, 2);
    EXPECT_EQ(RunTool("frame build 4 1 ABC").status, 2);
}

TEST(FrameBuild, DataMayComeAsSeveralArgumentsAndServiceCommandsGetTheAccessCode) {
    const std::string expected = "68 0B 00 02 06 FF FF 34 12 AB 16\n";
    EXPECT_EQ(RunTool("frame build 2 0xFFFF 34 12 AB").out, expected);
    EXPECT_EQ(RunTool("frame build 2 0xFFFF 3412 AB").out, expected);
    EXPECT_EQ(RunTool("frame build 2 0xFFFF '34 12 AB'").out, expected);
    EXPECT_EQ(RunTool("frame build 2 0xFFFF 34 1").status, 2); // a byte split between arguments
    EXPECT_EQ(RunTool("frame build 0x61 1 81").out, "68 0B 00 61 06 01 00 4B D3 81 16\n");
    EXPECT_NE(RunTool("frame build --help").out.find("access code"), std::string::npos);
}

TEST(FrameSplit, CutsFramesOutOfGarbage) {
    const auto run = RunTool("frame split", "00 11 68 FF FF 68 0A 00 85 06 12 00 00 01 16\n"
                                            "68 08 00 04 06 12 00 16 68 08");
    EXPECT_EQ(run.status, 0);
    // The stray 68 FF FF claims bytes that never come; both frames behind it
    // are found, and the unfinished one at the end is reported.
    EXPECT_EQ(run.out, "68 0A 00 85 06 12 00 00 01 16\n68 08 00 04 06 12 00 16\n");
    EXPECT_EQ(run.err, "k730-tool: standard input ends inside a frame; 2 bytes left: 68 08\n");
    EXPECT_EQ(RunTool("frame split", "680A0085061200000116 68 08 00 04 06 12 00 16 99").out,
              "68 0A 00 85 06 12 00 00 01 16\n68 08 00 04 06 12 00 16\n");
    const auto clean = RunTool("frame split", "68 08 00 04 06 12 00 16 99");
    EXPECT_EQ(clean.err, ""); // garbage after the last frame is no frame begun
    EXPECT_EQ(RunTool("frame split", "").out, "");
    EXPECT_EQ(RunTool("frame split", "68 0").status, 2);
    EXPECT_EQ(RunTool("frame split", "zz").status, 2);
}

TEST(FrameSplit, MerBus2FramesOnRequest) {
    // Header size 12, no payload: header CRC over ten zero bytes.
    const std::string frame = "10 0C 00 00 00 00 00 00 00 00 00 00 70 07 11";
    const auto run = RunTool("frame split --merbus2", "10 00 " + frame + " 68 08 00 04 06 12 00 16");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, frame + "\n");
    EXPECT_EQ(RunTool("frame split", frame).out, "");

    // The payload-CRC flag with an empty payload: a whole frame, nothing to check.
    const std::string flagged = "10 0C 01 00 00 00 00 00 00 00 00 00 21 C2 11";
    const auto flaggedRun = RunTool("frame split --merbus2", flagged);
    EXPECT_EQ(flaggedRun.status, 0);
    EXPECT_EQ(flaggedRun.out, flagged + "\n");
}

} // namespace
} // namespace k730
