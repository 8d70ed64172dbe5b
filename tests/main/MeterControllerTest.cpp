// The connection controller against a fake port and a fake clock.
#include "main/ControllerFakes.h"
#include "main/MeterController.h"
#include "main/MeterKind.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::AnswerFrame;
using test::Hex;
using test::IdentityAnswer;
using test::StatusAnswer;

class ControllerTest : public ::testing::Test {
protected:
    test::TEventLog log;
    test::TFakePort port{log};
    test::TRecordingHooks hooks{log};
    TMeterController ctl{port, hooks, TControllerConfig{langEnglish, ',', "", true, true, 1000}};
    uint32_t now = 1000;

    void SetUp() override { port.ports = {"none", "ttyS0", "ttyS1"}; }

    static TBytes Req(uint8_t command, uint16_t address, const TBytes& data = {}) {
        return BuildRequest(command, address, data, IsServiceCommand(command));
    }

    const TBytes& LastSent() const { return port.sent.back(); }

    void Receive(const TBytes& block, uint32_t after = 20) {
        now += after;
        ctl.OnReceive(block, now);
    }

    // Port chosen, identity answered from `address`, the session reads
    // answered, the first status answered: the meter is being polled.
    void Identify(uint16_t address = 0x0003) {
        ctl.Start(now);
        ctl.ChoosePort(1, now);
        Receive(IdentityAnswer(address));
        Receive(AnswerFrame(0x85, address, 0, {1}));
        Receive(AnswerFrame(0x86, address, 0, {1}));
        Receive(AnswerFrame(0x83, address, 0, {0x11}));
        Receive(AnswerFrame(0x87, address, 0, {3}));
        Receive(StatusAnswer(address, 0));
    }
};

TEST_F(ControllerTest, ChoosingAPortIdentifiesWhicheverMeterListens) {
    ctl.Start(now);
    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(hooks.portItems, (std::vector<std::string>{"none", "ttyS0", "ttyS1", "search..."}));
    EXPECT_EQ(ctl.State(), stNoPort);
    ctl.ChoosePort(1, now);
    EXPECT_EQ(ctl.State(), stIdentifying);
    ASSERT_EQ(port.sent.size(), 1u);
    EXPECT_EQ(LastSent(), Hex("68 08 00 01 06 FF FF 16"));
    EXPECT_EQ(ctl.RequestPendingSince(), now);
    EXPECT_EQ(ctl.SavedPortName(), "ttyS0");
    EXPECT_EQ(hooks.title, "...ttyS0");
}

TEST_F(ControllerTest, AnswerAddressIsUsedForTheSessionReadsAndPolling) {
    ctl.Start(now);
    ctl.ChoosePort(1, now);
    Receive(IdentityAnswer(0x0003));
    EXPECT_EQ(ctl.State(), stIdentified);
    EXPECT_EQ(ctl.MerBusAddress(), 0x0003);
    EXPECT_EQ(ctl.Info().RangeCount, 3);
    EXPECT_EQ(ctl.Info().SerialNumber, 12345);
    EXPECT_EQ(ctl.IdentityText(), "K-730/V/2M/L1/3/A1\r\n2.0.0005\r\nMERIDOX");
    EXPECT_EQ(hooks.rangeItems.size(), 3u);
    // Range, default range, MODBUS address, conversions, then the status.
    const std::vector<std::pair<uint8_t, TBytes>> reads = {
        {0x85, {1}}, {0x86, {1}}, {0x83, {0x11}}, {0x87, {3}}};
    const uint8_t expected[] = {CMD_RANGE, CMD_DEFAULT_RANGE, CMD_MODBUS_ADDRESS, CMD_CONVERSIONS,
                                CMD_STATUS};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(LastSent(), Req(expected[i], 0x0003)) << i;
        if (i < reads.size()) Receive(AnswerFrame(reads[i].first, 0x0003, 0, reads[i].second));
    }
    EXPECT_EQ(ctl.ModBusAddress(), 0x11);
    EXPECT_EQ(ctl.Info().ConvCount, 3);
}

TEST_F(ControllerTest, StatusIsScheduledOnePeriodAfterTheLastRequest) {
    Identify();
    const uint32_t sentAt = ctl.LastStatusRequestTick();
    // Three conversions: 480 ms per status answer.
    EXPECT_EQ(ctl.Scheduler().Slot(slotStatus).dueTick, sentAt + 480);
    EXPECT_EQ(ctl.Trigger().statusDueTick.load(), sentAt + 480);
    const size_t before = port.sent.size();
    ctl.OnTick(sentAt + 479);
    EXPECT_EQ(port.sent.size(), before);
    ctl.OnTick(sentAt + 480);
    ASSERT_EQ(port.sent.size(), before + 1);
    EXPECT_EQ(LastSent(), Req(CMD_STATUS, 0x0003));
    // A late answer does not pile up requests: the next is not before now.
    now = sentAt + 480 + 700;
    ctl.OnReceive(StatusAnswer(0x0003, 0), now);
    EXPECT_EQ(ctl.Scheduler().Slot(slotStatus).dueTick, now);
}

TEST_F(ControllerTest, AnswerFromAnotherAddressDropsTheMeter) {
    Identify(0x0003);
    const int cleared = hooks.clearMinMaxAv;
    Receive(StatusAnswer(0x0005, 0));
    EXPECT_EQ(ctl.MerBusAddress(), MERBUS_BROADCAST);
    EXPECT_EQ(ctl.Info().RangeCount, 0);
    EXPECT_FALSE(ctl.Info().StatusKnown); // the answer of the other meter is not stored
    EXPECT_TRUE(ctl.IdentityText().empty());
    EXPECT_EQ(hooks.clearMinMaxAv, cleared + 1);
    EXPECT_EQ(LastSent(), Req(CMD_IDENTIFY, MERBUS_BROADCAST));
    Receive(IdentityAnswer(0x0005));
    EXPECT_EQ(ctl.MerBusAddress(), 0x0005);
    EXPECT_EQ(LastSent(), Req(CMD_RANGE, 0x0005));
}

TEST_F(ControllerTest, AddressSetAnswerNamingTheOldAddressKeepsTheMeter) {
    Identify(0x0003);
    ctl.SetSettingsMode(smPanelMerBus);
    Receive(AnswerFrame(0x82, 0x0005, 0, {0x03, 0x00}));
    EXPECT_EQ(ctl.MerBusAddress(), 0x0005);
    EXPECT_EQ(ctl.Info().RangeCount, 3);
    EXPECT_EQ(ctl.SettingsMode(), 0);
    ASSERT_EQ(hooks.messages.size(), 1u);
    EXPECT_EQ(hooks.messages[0], (TDeferredMessage{"MerBUS address was set as 0x0005", miInformation}));
    // Naming some other address it is a different meter after all.
    Receive(AnswerFrame(0x82, 0x0007, 0, {0x03, 0x00}));
    EXPECT_EQ(ctl.MerBusAddress(), MERBUS_BROADCAST);
    EXPECT_EQ(ctl.Info().RangeCount, 0);
}

TEST_F(ControllerTest, SilentMeterEmptiesTheQueueAndIsIdentifiedAgain) {
    Identify(0x0003);
    EXPECT_EQ(ctl.AnswerTimeLimit(), 2388u);
    ctl.QueueRange(2, now);
    const uint32_t sentAt = ctl.RequestPendingSince();
    ASSERT_NE(sentAt, 0u);
    EXPECT_EQ(LastSent(), Req(CMD_RANGE, 0x0003, {2}));
    const size_t before = port.sent.size();
    ctl.OnTick(sentAt + 2387);
    EXPECT_EQ(port.sent.size(), before);
    ctl.OnTick(sentAt + 2388);
    ASSERT_EQ(port.sent.size(), before + 1);
    EXPECT_EQ(LastSent(), Req(CMD_IDENTIFY, MERBUS_BROADCAST));
    EXPECT_TRUE(ctl.Scheduler().QueueEmpty());
    EXPECT_EQ(ctl.MerBusAddress(), MERBUS_BROADCAST);
    EXPECT_EQ(ctl.RequestPendingSince(), sentAt + 2388);
    EXPECT_EQ(ctl.State(), stIdentifying);
    // While the identity is pending, ticks leave polling alone.
    ctl.OnTick(sentAt + 2500);
    EXPECT_EQ(port.sent.size(), before + 1);
    Receive(IdentityAnswer(0x0003));
    EXPECT_EQ(ctl.MerBusAddress(), 0x0003);
}

// Line noise after every answer, with stray start bytes whose length points
// far ahead: the program must go on taking the meter's answers.
TEST_F(ControllerTest, StrayStartBytesAfterEveryAnswerDoNotStopTheReadings) {
    Identify(0x0003);
    const TBytes noise = Hex("68 F0 7F 00 68 FF 7F");
    int answered = 0;
    for (int i = 0; i < 20; ++i) {
        const size_t sent = port.sent.size();
        ctl.OnTick(now += 500); // a status request is due every 480 ms
        ASSERT_EQ(port.sent.size(), sent + 1);
        const TBytes request = LastSent();
        TBytes answer = request[3] == CMD_STATUS
                            ? StatusAnswer(0x0003, 0)
                            : AnswerFrame(static_cast<uint8_t>(request[3] | 0x80), 0x0003, 0,
                                          request[3] == CMD_IDENTIFY ? TBytes{} : TBytes{1});
        if (request[3] == CMD_IDENTIFY) answer = IdentityAnswer(0x0003);
        answer.insert(answer.end(), noise.begin(), noise.end());
        const int shown = hooks.statusShown;
        Receive(answer);
        answered += hooks.statusShown > shown;
    }
    EXPECT_GE(answered, 18) << "status answers are taken although noise follows each";
    EXPECT_LT(ctl.ReceiveBufferSize(), 64u);
}

// After the answer time limit nothing older can be the awaited answer: a
// buffer held by a stray start byte is emptied with the re-identification.
TEST_F(ControllerTest, SilenceEmptiesAReceiveBufferHeldByAStrayStartByte) {
    Identify(0x0003);
    ctl.OnTick(now += 1000);
    Receive(Hex("68 F0 7F 01 02 03"));
    ASSERT_GT(ctl.ReceiveBufferSize(), 0u);
    const int stale = hooks.stale;
    ctl.OnTick(ctl.RequestPendingSince() + ctl.AnswerTimeLimit());
    EXPECT_EQ(ctl.ReceiveBufferSize(), 0u);
    EXPECT_EQ(hooks.stale, stale + 1) << "the last reading is no longer presented as current";
    Receive(IdentityAnswer(0x0003));
    EXPECT_EQ(ctl.State(), stIdentified);
}

TEST_F(ControllerTest, TitleShowsThePortWhileIdentifyingAndOnceIdentified) {
    ctl.Start(now);
    ctl.ChoosePort(1, now);
    EXPECT_EQ(hooks.title, "...ttyS0");
    Receive(IdentityAnswer(0x0003));
    EXPECT_EQ(hooks.title, "ttyS0");
    ctl.ChoosePort(0, now);
    EXPECT_EQ(hooks.title, "...none");
    EXPECT_GE(hooks.infoCleared, 1);
}

TEST_F(ControllerTest, ComStatusTextHasNoBlankOfItsOwnAndFaultsMakeTheReadingStale) {
    ctl.OnComStatus(0, "Connected");
    EXPECT_EQ(hooks.stale, 0);
    ctl.OnComStatus(2, "Communication lost");
    EXPECT_EQ(hooks.stale, 1);
}

// The settings dialog follows the loop bit and the conversions of the status answers.
TEST_F(ControllerTest, StatusChangesRefreshTheSettingsDialogRows) {
    Identify(0x0003); // its first status: loop off, 3 conversions
    hooks.settingsRefreshes.clear();
    Receive(StatusAnswer(0x0003, 0, 0, 1.5f, 3));
    EXPECT_TRUE(hooks.settingsRefreshes.empty()) << "nothing changed";
    Receive(StatusAnswer(0x0003, 0, sfLoopOn, 1.5f, 3));
    EXPECT_EQ(hooks.settingsRefreshes, std::vector<int>{srLoop});
    hooks.settingsRefreshes.clear();
    Receive(StatusAnswer(0x0003, 0, sfLoopOn, 1.5f, 7));
    EXPECT_EQ(hooks.settingsRefreshes, std::vector<int>{srConversions});
}

TEST_F(ControllerTest, MeterNameIsShownAsTheMeterSentIt) {
    ctl.Start(now);
    ctl.ChoosePort(1, now);
    TBytes id = IdentityAnswer(0x0003);
    id[8] = 'A'; // the descriptor's first characters
    id[9] = '&';
    Receive(id);
    EXPECT_EQ(hooks.meterName.substr(0, 2), "A&") << hooks.meterName;
}

TEST_F(ControllerTest, TwoFramesInOneBlockAreBothProcessedBeforeOneScan) {
    ctl.Start(now);
    ctl.ChoosePort(1, now);
    Receive(IdentityAnswer(0x0003));
    ASSERT_EQ(LastSent(), Req(CMD_RANGE, 0x0003));
    TBytes block = AnswerFrame(0x85, 0x0003, 0, {1});
    const TBytes second = AnswerFrame(0x86, 0x0003, 0, {2});
    block.insert(block.end(), second.begin(), second.end());
    const size_t before = port.sent.size();
    Receive(block);
    EXPECT_EQ(ctl.Info().DefaultRange, 2);
    ASSERT_EQ(port.sent.size(), before + 1);
    EXPECT_EQ(LastSent(), Req(CMD_MODBUS_ADDRESS, 0x0003));
    EXPECT_EQ(port.maxHold, 1);
    EXPECT_EQ(port.hold, 0);
}

TEST_F(ControllerTest, FrameSplitOverBlocksWithGarbageIsTakenOnce) {
    ctl.Start(now);
    ctl.ChoosePort(1, now);
    TBytes id = IdentityAnswer(0x0003);
    TBytes first = Hex("00 68 02 16 FF");
    first.insert(first.end(), id.begin(), id.begin() + 10);
    Receive(first);
    EXPECT_EQ(ctl.MerBusAddress(), MERBUS_BROADCAST);
    EXPECT_EQ(port.sent.size(), 1u); // nothing taken, no scan
    Receive(TBytes(id.begin() + 10, id.end()));
    EXPECT_EQ(ctl.MerBusAddress(), 0x0003);
    EXPECT_EQ(ctl.ReceiveBufferSize(), 0u);
}

TEST_F(ControllerTest, AnswerWithAnotherStatusByteChangesNothing) {
    Identify(0x0003);
    TBytes refused = StatusAnswer(0x0005, 0);
    refused[4] = 0x15;
    Receive(refused);
    EXPECT_EQ(ctl.MerBusAddress(), 0x0003);
    EXPECT_EQ(ctl.Info().RangeCount, 3);
}

TEST_F(ControllerTest, RefusedCalibrationSaveWarnsOnlyAfterProcessing) {
    Identify(0x0003);
    TQueueItem save{TBytes(17, 0), "after repair"};
    save.bytes[0] = CMD_SAVE_CALIBRATION;
    ctl.QueueItem(save, false, true, now);
    ctl.QueueItem(TQueueItem{{CMD_STATUS}, {}}, false, false, now);
    EXPECT_EQ(LastSent()[3], CMD_SAVE_CALIBRATION);
    log.clear();
    Receive(AnswerFrame(0x7F, 0x0003, 1, {CMD_SAVE_CALIBRATION}));
    ASSERT_EQ(hooks.messages.size(), 1u);
    EXPECT_EQ(hooks.messages[0].icon, miWarning);
    EXPECT_EQ(hooks.messages[0].text, "Saving calibration factors was unsuccessful.");
    // The refused item left the queue; the status request behind it went out
    // before the message was handed over to be shown.
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "send " + test::HexText(Req(CMD_STATUS, 0x0003)));
    EXPECT_EQ(log[1], "message Saving calibration factors was unsuccessful.");
}

TEST_F(ControllerTest, ClosingInForcingModeReturnsTheMeterToNormalFirst) {
    Identify(0x0003);
    Receive(StatusAnswer(0x0003, 3));
    EXPECT_EQ(ctl.MeterMode(), 3);
    log.clear();
    ctl.Close(now);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "send " + test::HexText(Req(CMD_SET_MODE, 0x0003, {0})));
    EXPECT_EQ(log[1], "pause 250");
}

TEST_F(ControllerTest, ClosingInNormalModeSendsNothing) {
    Identify(0x0003);
    log.clear();
    ctl.Close(now);
    EXPECT_TRUE(log.empty());
}

TEST_F(ControllerTest, StartReopensTheSavedPortOrForgetsAnAbsentOne) {
    TMeterController again{port, hooks, TControllerConfig{langPolish, ',', "TTYS1", true, true, 1000}};
    again.Start(now);
    EXPECT_EQ(port.index, 2);
    EXPECT_EQ(LastSent(), Req(CMD_IDENTIFY, MERBUS_BROADCAST));
    EXPECT_EQ(hooks.portItems.back(), "szukaj...");

    TMeterController absent{port, hooks, TControllerConfig{langPolish, ',', "ttyUSB9", true, true, 1000}};
    absent.Start(now);
    EXPECT_TRUE(absent.SavedPortName().empty());
}

TEST_F(ControllerTest, VanishedPortFallsBackToNoPort) {
    Identify(0x0003);
    port.ports = {"none", "ttyS1"};
    port.index = 0;
    ctl.OnPortListChange(now);
    EXPECT_EQ(ctl.PortListIndex(), 0);
    EXPECT_EQ(ctl.MerBusAddress(), MERBUS_BROADCAST);
    EXPECT_EQ(hooks.portItems, (std::vector<std::string>{"none", "ttyS1"}));
    const size_t before = port.sent.size();
    ctl.OnReceive(StatusAnswer(0x0003, 0), now);
    ctl.OnTick(now + 5000);
    EXPECT_EQ(port.sent.size(), before);
    // Plugged back in: the port is taken up again and the meter identified.
    port.ports = {"none", "ttyS0", "ttyS1"};
    ctl.OnPortListChange(now + 6000);
    EXPECT_EQ(ctl.PortListIndex(), 1);
    EXPECT_EQ(port.index, 1);
    EXPECT_EQ(LastSent(), Req(CMD_IDENTIFY, MERBUS_BROADCAST));
}

TEST_F(ControllerTest, PortChosenByTheUserIsNotOverriddenByAReturningOne) {
    Identify(0x0003);
    port.ports = {"none", "ttyS1"};
    port.index = 0;
    ctl.OnPortListChange(now);
    ctl.ChoosePort(0, now); // the user settles for no port
    port.ports = {"none", "ttyS0", "ttyS1"};
    ctl.OnPortListChange(now);
    EXPECT_EQ(ctl.PortListIndex(), 0);
}

TEST_F(ControllerTest, ZeroingIsAskedAgainUntilTheMeterReportsItDone) {
    Identify(0x0003);
    ctl.SetSettingsMode(smZeroStarted | smZeroRunning);
    ctl.Scheduler().Slot(slotZeroSystem).save = true;
    Receive(AnswerFrame(0x89, 0x0003, 0, {1}));
    EXPECT_EQ(hooks.displayText, "Zeroing in progress");
    EXPECT_EQ(ctl.SettingsMode(), smZeroRunning);
    EXPECT_EQ(ctl.Scheduler().Slot(slotZeroSystem).dueTick, now + 500);
    EXPECT_TRUE(ctl.Scheduler().Slot(slotZeroSystem).save);
    Receive(AnswerFrame(0x89, 0x0003, 0, {0}));
    EXPECT_EQ(ctl.SettingsMode(), 0);
    EXPECT_TRUE(ctl.Scheduler().Slot(slotStoreZero).pending);
    EXPECT_EQ(LastSent(), Req(CMD_STORE_ZERO, 0x0003));
}

TEST_F(ControllerTest, SystemZeroingWithSaveRunsToTheStoreRequest) {
    Identify(0x0003);
    ctl.StartZeroing(slotZeroSystem, true, now);
    EXPECT_EQ(LastSent(), Req(CMD_ZERO_SYSTEM, 0x0003, {1}));
    EXPECT_EQ(ctl.SettingsMode(), smZeroStarted | smZeroRunning);
    Receive(AnswerFrame(0x89, 0x0003, 0, {1}));
    const uint32_t askAt = ctl.Scheduler().Slot(slotZeroSystem).dueTick;
    EXPECT_EQ(askAt, now + 500);
    // Asked again without data when due, while the status waits its turn.
    ctl.OnTick(askAt);
    EXPECT_EQ(LastSent(), Req(CMD_ZERO_SYSTEM, 0x0003));
    Receive(AnswerFrame(0x89, 0x0003, 0, {0}));
    EXPECT_EQ(ctl.SettingsMode(), 0);
    EXPECT_EQ(LastSent(), Req(CMD_STORE_ZERO, 0x0003));
    EXPECT_EQ(ctl.Scheduler().Slot(slotStatus).dueTick, now + 160);
}

TEST_F(ControllerTest, AutoPollingOffStopsTimerScans) {
    Identify(0x0003);
    ctl.SetAutoPolling(false, now);
    EXPECT_FALSE(ctl.Trigger().running.load());
    const size_t before = port.sent.size();
    ctl.OnTick(now + 10000);
    EXPECT_EQ(port.sent.size(), before);
    ctl.SetAutoPolling(true, now + 10000);
    EXPECT_TRUE(ctl.Trigger().running.load());
    ctl.OnTick(now + 10000);
    EXPECT_EQ(LastSent(), Req(CMD_STATUS, 0x0003));
}

TEST_F(ControllerTest, MeterChangeClosesTheCalibrationWizardWithAMessage) {
    Identify(0x0003);
    ctl.SetCalibrationOpen(true);
    Receive(StatusAnswer(0x0009, 1));
    ASSERT_EQ(hooks.messages.size(), 1u);
    EXPECT_EQ(hooks.messages[0].text, "Meter was changed.\r\nCalibration procedure aborted.");
}

} // namespace
} // namespace k730
