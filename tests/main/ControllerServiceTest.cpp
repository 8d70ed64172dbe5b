// The connection controller while the service window is open: the fresh start
// of the requests on opening, the service reads, the hand-over of their
// answers and a programming run through the queue.
#include "main/ControllerFakes.h"
#include "main/MeterController.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::AnswerFrame;
using test::IdentityAnswer;
using test::StatusAnswer;

class ServiceHooks : public test::TRecordingHooks {
public:
    using TRecordingHooks::TRecordingHooks;
    std::vector<std::string> calls;
    void ServiceNotify(TServiceNotice n) override { calls.push_back("notify " + std::to_string(n)); }
    void ServiceIdentity(const TMeterInfo& info) override {
        calls.push_back("identity " + info.ModelDescriptor);
    }
    void ServiceConfig(uint8_t c) override { calls.push_back("config " + std::to_string(c)); }
    void ServiceDefaultRange(uint8_t r) override { calls.push_back("default " + std::to_string(r)); }
    void ServiceStatus(const TBytes&) override { calls.push_back("status"); }
};

class ControllerServiceTest : public ::testing::Test {
protected:
    test::TEventLog log;
    test::TFakePort port{log};
    ServiceHooks hooks{log};
    TMeterController ctl{port, hooks, TControllerConfig{langEnglish, ',', "", true, true, 1000}};
    uint32_t now = 1000;

    void SetUp() override {
        port.ports = {"none", "ttyS0"};
        ctl.Start(now);
        ctl.ChoosePort(1, now);
        Receive(IdentityAnswer(3));
        for (const auto& [code, data] :
             std::vector<std::pair<uint8_t, TBytes>>{{0x85, {1}}, {0x86, {1}}, {0x83, {0x11}}, {0x87, {3}}})
            Receive(AnswerFrame(code, 3, 0, data));
        Receive(StatusAnswer(3, 0));
    }

    void Receive(const TBytes& block) {
        now += 20;
        ctl.OnReceive(block, now);
    }

    uint8_t LastCommand() const { return port.sent.back()[3]; }
};

TEST_F(ControllerServiceTest, OpeningStartsTheRequestsAfreshWithTheServiceReads) {
    ctl.QueueItem({{CMD_RANGE, 2}, {}}, false, false, now);
    const size_t before = port.sent.size();
    ctl.ServiceOpened(now);
    EXPECT_TRUE(ctl.Scheduler().QueueEmpty()) << "the queue is emptied";
    ASSERT_EQ(port.sent.size(), before + 1) << "identification goes out at once";
    EXPECT_EQ(port.sent.back(), BuildRequest(CMD_IDENTIFY, 3, {}, false));
    // Identity, range, default range, then the three service reads.
    std::vector<uint8_t> order;
    Receive(IdentityAnswer(3));
    order.push_back(LastCommand());
    Receive(AnswerFrame(0x85, 3, 0, {1}));
    order.push_back(LastCommand());
    Receive(AnswerFrame(0x86, 3, 0, {2}));
    order.push_back(LastCommand());
    Receive(AnswerFrame(0xE7, 3, 0, TBytes(12, 0)));
    order.push_back(LastCommand());
    Receive(AnswerFrame(0xE0, 3, 0, {5}));
    order.push_back(LastCommand());
    EXPECT_EQ(order, (std::vector<uint8_t>{CMD_RANGE, CMD_DEFAULT_RANGE, CMD_SVC_READINGS, CMD_SVC_CONFIG,
                                           CMD_SVC_VALUE}));
    EXPECT_EQ(hooks.calls,
              (std::vector<std::string>{"identity K-730/V/2M/L1/3/A1", "default 2", "config 5"}));
    // Service reads carry the access code.
    EXPECT_EQ(port.sent.back(), BuildRequest(CMD_SVC_VALUE, 3, {}, true));
}

TEST_F(ControllerServiceTest, ClosedWindowGetsNothingAndTheReadsStop) {
    ctl.ServiceOpened(now);
    ctl.ServiceClosed(now);
    hooks.calls.clear();
    Receive(AnswerFrame(0x86, 3, 0, {2}));
    Receive(AnswerFrame(0xE0, 3, 0, {5}));
    EXPECT_TRUE(hooks.calls.empty());
    ctl.Scheduler().ResetSession();
    EXPECT_FALSE(ctl.Scheduler().Slot(slotSvcConfig).pending);
}

TEST_F(ControllerServiceTest, WritesToTheIdentityMakeTheMeterIdentifyAgain) {
    ctl.ServiceOpened(now);
    Receive(IdentityAnswer(3));
    ctl.QueueItem({{CMD_SVC_SERIAL_YEAR, 0x39, 0x30, 0xEB, 0x07}, {}}, false, false, now);
    ctl.Scheduler().ResetSlots(true, false);
    ctl.Scheduler().Slot(slotIdentify).pending = false;
    ctl.QueueItem({{CMD_STATUS}, {}}, false, true, now);
    EXPECT_EQ(LastCommand(), CMD_SVC_SERIAL_YEAR);
    Receive(AnswerFrame(0xE3, 3, 0));
    EXPECT_TRUE(ctl.Scheduler().Slot(slotIdentify).pending) << "the identity is read again";
    EXPECT_EQ(LastCommand(), CMD_STATUS) << "the queue comes first";
    Receive(StatusAnswer(3, 0));
    EXPECT_EQ(LastCommand(), CMD_IDENTIFY);
}

TEST_F(ControllerServiceTest, RefusedWriteLeavesTheQueueMoving) {
    ctl.ServiceOpened(now);
    Receive(IdentityAnswer(3));
    ctl.QueueItem({{CMD_SVC_KIND, 2}, {}}, false, false, now);
    ctl.QueueItem({{CMD_SVC_CONFIG, 1}, {}}, false, true, now);
    EXPECT_EQ(LastCommand(), CMD_SVC_KIND);
    Receive(AnswerFrame(0x7F, 3, 0, {CMD_SVC_KIND}));
    EXPECT_EQ(LastCommand(), CMD_SVC_CONFIG) << "the refused item is taken off";
    EXPECT_TRUE(hooks.messages.empty()) << "the service window tells it by its field status";
}

TEST_F(ControllerServiceTest, TicksSendNothingBesideARequestOnTheLine) {
    const uint32_t due = ctl.Scheduler().Slot(slotStatus).dueTick;
    ASSERT_NE(due, 0u);
    ctl.SendDirect(BuildRequest(CMD_MODBUS_ADDRESS, 3, {}, false), now);
    const size_t sent = port.sent.size();
    ctl.OnTick(due + 10);
    EXPECT_EQ(port.sent.size(), sent) << "the status waits for the answer on the line";
    Receive(AnswerFrame(0x83, 3, 0, {0x11}));
    ctl.OnTick(std::max(due, now) + 10);
    ASSERT_EQ(port.sent.size(), sent + 1);
    EXPECT_EQ(LastCommand(), CMD_STATUS);
}

TEST_F(ControllerServiceTest, MeterChangeAndSilenceAreTold) {
    ctl.ServiceOpened(now);
    Receive(StatusAnswer(5, 0));
    ASSERT_FALSE(hooks.calls.empty());
    EXPECT_EQ(hooks.calls.front(), "notify " + std::to_string(snMeterChanged));
    hooks.calls.clear();
    ctl.OnTick(now + ctl.AnswerTimeLimit());
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"notify " + std::to_string(snAnswerOverdue)});
}

} // namespace
} // namespace k730
