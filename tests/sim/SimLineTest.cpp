// The line between program and simulated meter: settings mismatch, pacing,
// turnaround and every fault mode, checked with the receive buffer the
// program itself uses.
#include "sim/SimChannel.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace k730::sim {

// Test names show "9600 8E1" rather than the bytes of the struct.
void PrintTo(const TLineSettings& line, std::ostream* os) {
    *os << LineText(line);
}

namespace {

TLineSettings Line(int baud, TParity parity = TParity::paNone, int data = 8, int stopHalves = 2) {
    return TLineSettings{baud, parity, data, stopHalves};
}

class SimLineTest : public ::testing::Test {
protected:
    SimLineTest()
        : meter(DefaultEeprom(1), TSimDetector(), 0), channel("SIM1", meter, Line(9600), 3, nullptr, 7) {}

    static TBytes Request(uint8_t command, uint16_t address = 1) {
        return BuildRequest(command, address, {}, false);
    }

    // Everything the channel sends from now on, with the time of each byte.
    std::vector<std::pair<int64_t, uint8_t>> Drain() {
        std::vector<std::pair<int64_t, uint8_t>> out;
        while (auto due = channel.NextDueUs())
            for (uint8_t b : channel.Due(*due))
                out.emplace_back(*due, b);
        return out;
    }
    static TBytes Bytes(const std::vector<std::pair<int64_t, uint8_t>>& timed) {
        TBytes b;
        for (const auto& [t, byte] : timed)
            b.push_back(byte);
        return b;
    }
    // Frames the program would cut from the bytes, as it cuts them.
    static std::vector<TBytes> Frames(const TBytes& bytes) {
        TReceiveBuffer buffer;
        buffer.Append(bytes);
        std::vector<TBytes> frames;
        while (size_t length = buffer.ExtractFrame())
            frames.push_back(buffer.TakeFrame(length));
        return frames;
    }

    TSimMeter meter;
    TSimChannel channel;
};

TEST_F(SimLineTest, AnswerStartsAfterTheTurnaroundAndIsPacedAtTheLineRate) {
    channel.Receive(Request(CMD_IDENTIFY), Line(9600), 50000);
    const auto out = Drain();
    ASSERT_EQ(Frames(Bytes(out)).size(), 1u);
    EXPECT_EQ(out.front().first, 53000);
    const int64_t charUs = 10 * 1000000 / 9600; // start, 8 data bits, stop
    EXPECT_EQ(out.back().first - out.front().first, static_cast<int64_t>(out.size() - 1) * charUs);
}

TEST_F(SimLineTest, SameSettingsCarryEveryByteUnchanged) {
    TBytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    for (const TLineSettings& l : {Line(9600), Line(2400, TParity::paEven),
                                   Line(115200, TParity::paOdd, 8, 4), Line(1200, TParity::paMark, 7, 2)}) {
        TBytes masked = all;
        if (l.dataBits == 7)
            for (uint8_t& b : masked)
                b &= 0x7F;
        EXPECT_EQ(ResampleCharacters(all, l, l), masked) << LineText(l);
    }
}

class SimLineMismatchTest : public SimLineTest, public ::testing::WithParamInterface<TLineSettings> {};

TEST_P(SimLineMismatchTest, ProgramGetsNoValidAnswer) {
    const TLineSettings program = GetParam();
    for (uint8_t command : {CMD_IDENTIFY, CMD_STATUS, CMD_RANGE}) {
        channel.Receive(Request(command), program, 0);
        for (const TBytes& f : Frames(Bytes(Drain())))
            EXPECT_FALSE(f.size() > 4 && f[3] == (command | 0x80) && f[4] == 0x06) << LineText(program);
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, SimLineMismatchTest,
                         ::testing::Values(Line(19200), Line(4800), Line(115200), Line(2400),
                                           Line(9600, TParity::paEven), Line(9600, TParity::paOdd),
                                           Line(9600, TParity::paMark), Line(9600, TParity::paSpace),
                                           Line(9600, TParity::paNone, 7), Line(9600, TParity::paNone, 8, 4)),
                         [](const auto& info) { return "line" + std::to_string(info.index); });

TEST_F(SimLineTest, MismatchSendsGarbageRatherThanSilence) {
    channel.Receive(Request(CMD_STATUS), Line(19200), 0);
    EXPECT_FALSE(Drain().empty());
}

TEST_F(SimLineTest, StopFaultFallsSilentAfterNAnswers) {
    channel.Faults().stopAfter = 2;
    for (int i = 0; i < 4; ++i)
        channel.Receive(Request(CMD_STATUS), Line(9600), i * 100000);
    EXPECT_EQ(Frames(Bytes(Drain())).size(), 2u);
}

TEST_F(SimLineTest, GarbageBetweenAnswersLeavesTheAnswersReadable) {
    channel.Faults().garbageBytes = 9;
    channel.Receive(Request(CMD_IDENTIFY), Line(9600), 0);
    channel.Receive(Request(CMD_STATUS), Line(9600), 200000);
    const TBytes bytes = Bytes(Drain());
    const TBytes identity = *meter.Handle(Request(CMD_IDENTIFY), 0);
    EXPECT_EQ(bytes.size(), identity.size() + 9 + 64 + 9);
    EXPECT_EQ(TBytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(identity.size())), identity);
    const auto frames = Frames(bytes);
    ASSERT_GE(frames.size(), 1u);
    EXPECT_EQ(frames.back()[3], 0x84);
}

TEST_F(SimLineTest, SplitAnswerComesInTwoChunksWithAPause) {
    channel.Faults().splitPauseMs = 40;
    channel.Receive(Request(CMD_STATUS), Line(9600), 0);
    const auto out = Drain();
    ASSERT_EQ(out.size(), 64u);
    EXPECT_GE(out[32].first - out[31].first, 40000);
    EXPECT_LT(out[31].first - out[30].first, 2000);
    EXPECT_EQ(Frames(Bytes(out)).size(), 1u);
}

TEST_F(SimLineTest, SlowMeterAnswersLater) {
    channel.Faults().slowMs = 700;
    channel.Receive(Request(CMD_STATUS), Line(9600), 1000);
    EXPECT_EQ(*channel.NextDueUs(), 1000 + 703000);
}

TEST_F(SimLineTest, LoopbackPlugEchoesAndNoMeterAnswers) {
    channel.Faults().echo = true;
    const TBytes request = Request(CMD_IDENTIFY, MERBUS_BROADCAST);
    channel.Receive(request, Line(9600), 0);
    EXPECT_EQ(Bytes(Drain()), request);
}

TEST_F(SimLineTest, OtherMeterAnswersFromItsOwnAddress) {
    channel.Faults().otherAddress = 0x0042;
    channel.Receive(Request(CMD_STATUS, 1), Line(9600), 0);
    EXPECT_TRUE(Drain().empty());
    channel.Receive(Request(CMD_STATUS, MERBUS_BROADCAST), Line(9600), 0);
    const auto frames = Frames(Bytes(Drain()));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][5], 0x42);
    channel.Faults().otherAddress.reset();
    channel.Receive(Request(CMD_STATUS, 1), Line(9600), 0);
    EXPECT_EQ(Frames(Bytes(Drain())).size(), 1u);
}

TEST_F(SimLineTest, BreakHoldsTheLine) {
    channel.Break(250, 0);
    channel.Receive(Request(CMD_STATUS), Line(9600), 1000);
    const auto out = Drain();
    ASSERT_EQ(out.size(), 65u);
    EXPECT_EQ(out[0].second, 0x00);
    EXPECT_GE(out[1].first, 250000);
}

TEST_F(SimLineTest, RequestSplitOverSeveralReadsIsAnsweredOnce) {
    const TBytes request = Request(CMD_STATUS);
    channel.Receive(test::Hex("00 FF 68"), Line(9600), 0); // noise, then a start byte that leads nowhere
    channel.Receive(TBytes(request.begin(), request.begin() + 3), Line(9600), 0);
    EXPECT_FALSE(channel.NextDueUs());
    channel.Receive(TBytes(request.begin() + 3, request.end()), Line(9600), 0);
    EXPECT_EQ(Frames(Bytes(Drain())).size(), 1u);
}

TEST(SimLogTest, EntryNamesDirectionCommandAddressAndBytes) {
    const auto j = nlohmann::json::parse(
        TSimLog::Entry(1234, "SIM2", "rx", test::Hex("68 08 00 04 06 12 00 16"), nullptr));
    EXPECT_EQ(j["t"], 1234);
    EXPECT_EQ(j["port"], "SIM2");
    EXPECT_EQ(j["dir"], "rx");
    EXPECT_EQ(j["cmd"], 4);
    EXPECT_EQ(j["address"], 0x12);
    EXPECT_EQ(j["hex"], "68 08 00 04 06 12 00 16");
    const auto g = nlohmann::json::parse(TSimLog::Entry(1, "SIM1", "tx", test::Hex("68 A0"), "garbage"));
    EXPECT_TRUE(g["cmd"].is_null());
    EXPECT_EQ(g["note"], "garbage");
}

} // namespace
} // namespace k730::sim
