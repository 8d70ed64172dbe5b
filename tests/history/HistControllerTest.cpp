// The connection controller while the history window paces the status
// requests: one status request at a time, range requests, a silent meter.
#include "main/ControllerFakes.h"
#include "main/MeterController.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::AnswerFrame;
using test::IdentityAnswer;
using test::StatusAnswer;

class HistControllerHooks : public test::TRecordingHooks {
public:
    using TRecordingHooks::TRecordingHooks;
    int histStatus = 0, histRange = 0;
    void HistStatus(const TBytes&) override { ++histStatus; }
    void HistRange(const TBytes&) override { ++histRange; }
};

class HistControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.ports = {"none", "ttyS0"};
        ctl.Start(now);
        ctl.SetHistoryOpen(true);
    }
    void Identify() {
        ctl.ChoosePort(1, now);
        Receive(IdentityAnswer(3));
        for (const auto& [code, data] :
             std::vector<std::pair<uint8_t, TBytes>>{{0x85, {1}}, {0x86, {1}}, {0x83, {0x11}}, {0x87, {1}}})
            Receive(AnswerFrame(code, 3, 0, data));
    }
    void Receive(const TBytes& frame, uint32_t after = 20) {
        now += after;
        ctl.OnReceive(frame, now);
    }
    size_t Sent(uint8_t command) const {
        size_t n = 0;
        for (const auto& f : port.sent)
            n += f[3] == command ? 1 : 0;
        return n;
    }

    test::TEventLog log;
    test::TFakePort port{log};
    HistControllerHooks hooks{log};
    TMeterController ctl{port, hooks, TControllerConfig{langEnglish, ',', "", true, true, 1000}};
    uint32_t now = 1000;
};

TEST_F(HistControllerTest, WindowSendsOneStatusRequestAtATime) {
    ctl.HistoryRequest(std::nullopt, now);
    EXPECT_TRUE(port.sent.empty()) << "no port, nothing to ask";
    EXPECT_EQ(ctl.Scheduler().QueueSize(), 0u) << "and nothing piles up";
    Identify();
    const size_t before = Sent(CMD_STATUS);
    ctl.OnTick(now += 500);
    EXPECT_EQ(Sent(CMD_STATUS), before) << "the status slot is the window's";
    ctl.HistoryRequest(std::nullopt, now += 144);
    EXPECT_EQ(Sent(CMD_STATUS), before + 1);
    ctl.HistoryRequest(std::nullopt, now += 144);
    EXPECT_EQ(Sent(CMD_STATUS), before + 1) << "the first one still waits for its answer";
    Receive(StatusAnswer(3, 0));
    EXPECT_EQ(hooks.histStatus, 1);
    EXPECT_EQ(Sent(CMD_STATUS), before + 2) << "the tick that had to wait goes out with the answer";
    Receive(StatusAnswer(3, 0));
    EXPECT_TRUE(ctl.Scheduler().QueueEmpty());
    EXPECT_EQ(Sent(CMD_STATUS), before + 2) << "owed once only";
    ctl.HistoryRequest(std::nullopt, now += 144);
    EXPECT_EQ(Sent(CMD_STATUS), before + 3);
    EXPECT_EQ(ctl.PollPeriod(), 160u);
}

TEST_F(HistControllerTest, RangeRequestGoesOutAndItsAnswerReachesTheWindow) {
    Identify();
    Receive(StatusAnswer(3, 0));
    ctl.HistoryRequest(uint8_t{2}, now += 144);
    EXPECT_EQ(port.sent.back(), BuildRequest(CMD_RANGE, 3, TBytes{2}, false));
    Receive(AnswerFrame(0x85, 3, 0, {2}));
    EXPECT_EQ(hooks.histRange, 2) << "the session's range read and this one";
}

TEST_F(HistControllerTest, SilentMeterIsIdentifiedAgainEvenWithPollingOff) {
    Identify();
    ctl.SetAutoPolling(false, now);
    ctl.HistoryRequest(std::nullopt, now += 144);
    for (int i = 0; i < 16; ++i)
        ctl.HistoryRequest(std::nullopt, now += 144);
    EXPECT_EQ(port.sent.back()[3], CMD_STATUS);
    ctl.HistoryRequest(std::nullopt, now += 144);
    EXPECT_EQ(port.sent.back(), BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false))
        << "2388 ms without an answer";
    EXPECT_EQ(ctl.State(), stIdentifying);
}

} // namespace
} // namespace k730
