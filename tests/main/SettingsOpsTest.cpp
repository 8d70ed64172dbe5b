// Settings operations: guard order, what the panels accept and send, the
// texts they show and the zeroing states.
#include "main/SettingsOps.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using M = TSettingsMessage;
using Op = TSettingsOperation;

TGuardState Ready() {
    return {true, 0x0012, 0, 3};
}

TEST(Guards, StopWithTheFirstFailingCheckInSequenceOrder) {
    TGuardState s = Ready();
    s.PortOpen = false;
    s.MerBusAddress = 0xFFFF;
    EXPECT_EQ(RunGuards(Op::soMerBusAddress, s).Message, M::smsgNoPort);
    s.PortOpen = true;
    EXPECT_EQ(RunGuards(Op::soDefaultRange, s).Message, M::smsgAddressUnknown);

    // Address panels check the ranges before zeroing; default range the other way round.
    s = Ready();
    s.RangeCount = 0;
    s.Mode = smZeroStarted | smZeroRunning;
    EXPECT_EQ(RunGuards(Op::soConvCount, s).Message, M::smsgRangesUnknown);
    EXPECT_EQ(RunGuards(Op::soDefaultRange, s).Message, M::smsgZeroing);

    // The program-side panels need neither port nor meter.
    TGuardState none;
    EXPECT_TRUE(RunGuards(Op::soAverCount, none).Pass);
    none.Mode = smZeroRunning;
    EXPECT_EQ(RunGuards(Op::soRefreshRate, none).Message, M::smsgZeroing);
}

TEST(Guards, ZeroingDuringZeroingStopsSilently) {
    TGuardState s = Ready();
    s.Mode = smZeroRunning;
    const auto outcome = RunGuards(Op::soZeroing, s);
    EXPECT_FALSE(outcome.Pass);
    EXPECT_FALSE(outcome.Message);
    EXPECT_EQ(RunGuards(Op::soManualRange, s).Message, M::smsgZeroing);
}

TEST(Guards, OpenPanelOfAnotherKindIsClosedEvenWhenALaterCheckStops) {
    TGuardState s = Ready();
    s.Mode = smPanelConversions;
    s.RangeCount = 0;
    const auto outcome = RunGuards(Op::soZeroing, s);
    EXPECT_TRUE(outcome.ClosePanel);
    EXPECT_EQ(outcome.Message, M::smsgRangesUnknown);

    s = Ready();
    s.Mode = smPanelRefresh;
    EXPECT_TRUE(RunGuards(Op::soMerBusAddress, s).ClosePanel);
    EXPECT_TRUE(RunGuards(Op::soMerBusAddress, s).Pass);
}

TEST(Guards, ManualRangeLeavesAnOpenAveragingPanelOpen) {
    TGuardState s = Ready();
    s.Mode = smPanelAverage;
    auto outcome = RunGuards(Op::soManualRange, s);
    EXPECT_TRUE(outcome.Pass);
    EXPECT_FALSE(outcome.ClosePanel);
    s.Mode = smPanelDefaultRange;
    EXPECT_TRUE(RunGuards(Op::soManualRange, s).ClosePanel);
}

TEST(ValuePanel, AddressesAreHexWithOptionalPrefix) {
    for (const char* text : {"0x00FF", "ff", " 0XfF "}) {
        const auto r = ApplyValuePanel(TPanelKind::pkMerBus, text);
        ASSERT_TRUE(r.Request) << text;
        EXPECT_EQ(r.Request->Command, CMD_SET_MERBUS_ADDRESS);
        EXPECT_EQ(r.Request->Data, (TBytes{0xFF, 0x00}));
        EXPECT_FALSE(r.ClosePanel); // waits for the meter
    }
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkMerBus, "FFFE").Request->Data, (TBytes{0xFE, 0xFF}));
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkMerBus, "0").Value, 0);
    for (const char* bad : {"FFFF", "", "0x", "12G", "-1", "100000000000"})
        EXPECT_EQ(ApplyValuePanel(TPanelKind::pkMerBus, bad).Error, M::smsgBadAddress) << bad;

    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkModBus, "F7").Request->Data, TBytes{0xF7});
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkModBus, "1").Request->Command, CMD_MODBUS_ADDRESS);
    for (const char* bad : {"0", "F8", "FF", "x"})
        EXPECT_EQ(ApplyValuePanel(TPanelKind::pkModBus, bad).Error, M::smsgBadAddress) << bad;
}

TEST(ValuePanel, CountsAndRefreshTime) {
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkConvCount, "255").Request->Data, TBytes{255});
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkConvCount, " 1").Request->Command, CMD_CONVERSIONS);
    for (const char* bad : {"0", "256", "1.5", "0x10"})
        EXPECT_EQ(ApplyValuePanel(TPanelKind::pkConvCount, bad).Error, M::smsgBadNumber) << bad;

    const auto aver = ApplyValuePanel(TPanelKind::pkAverCount, "4");
    EXPECT_EQ(aver.Value, 4);
    EXPECT_TRUE(aver.ClosePanel);
    EXPECT_FALSE(aver.Request);
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkAverCount, "0").Error, M::smsgBadNumber);
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkAverCount, "99999999999").Error, M::smsgBadNumber);

    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkRefresh, "159").Error, M::smsgRefreshTooShort);
    EXPECT_EQ(ApplyValuePanel(TPanelKind::pkRefresh, "0").Error, M::smsgBadNumber);
    const auto ok = ApplyValuePanel(TPanelKind::pkRefresh, "160");
    EXPECT_EQ(ok.Value, 160);
    EXPECT_TRUE(ok.ClosePanel);
    // With automatic refresh the time is not looked at.
    const auto automatic = ApplyValuePanel(TPanelKind::pkRefresh, "junk", true);
    EXPECT_FALSE(automatic.Error);
    EXPECT_TRUE(automatic.RepeatAuto);

    EXPECT_EQ(RefreshTooShortText(langEnglish), "Minimal value is 160ms");
    EXPECT_EQ(RefreshTooShortText(langPolish), "Minimalna wartość wynosi 160ms");
}

TEST(ValuePanel, TitlesLabelsAndStartTexts) {
    EXPECT_EQ(PanelTitle(TPanelKind::pkMerBus, langPolish), "Protokół: MerBUS");
    EXPECT_EQ(PanelTitle(TPanelKind::pkModBus, langEnglish), "Protocol: MODBUS");
    EXPECT_EQ(PanelTitle(TPanelKind::pkConvCount, langEnglish), "Number of subsequent conversions: ");
    EXPECT_EQ(PanelTitle(TPanelKind::pkDefaultRange, langPolish), "Zakres domyślny:");
    EXPECT_EQ(PanelEditLabel(TPanelKind::pkRefresh, langEnglish), "Time  [ms]");
    EXPECT_EQ(PanelEditLabel(TPanelKind::pkModBus, langEnglish), "Device address  (hex):");

    TPanelInputs in;
    EXPECT_EQ(PanelStartText(TPanelKind::pkMerBus, in), "");
    EXPECT_EQ(PanelStartText(TPanelKind::pkModBus, in), "");
    in.MerBusAddress = 0x00AB;
    in.ModBusAddress = 0x0A;
    EXPECT_EQ(PanelStartText(TPanelKind::pkMerBus, in), "00AB");
    EXPECT_EQ(PanelStartText(TPanelKind::pkModBus, in), "0A");
    EXPECT_EQ(RepeatAutoCaption(langEnglish, in), "Automatically");
    in.ConvCount = 3;
    in.PollPeriodMs = PollPeriodMs(3, false);
    EXPECT_EQ(RepeatAutoCaption(langPolish, in), "Automatycznie (480ms)");
}

TEST(ValuePanel, TimeLabelFollowsTheTypedCount) {
    EXPECT_EQ(AverTimeText("10", 160, langEnglish), "(1.60 sec)");
    EXPECT_EQ(AverTimeText("62", 160, langPolish, ','), "(9,92 s)");
    EXPECT_EQ(AverTimeText("63", 160, langEnglish), "(10.1 sec)");
    EXPECT_EQ(AverTimeText("625", 160, langEnglish), "(100 sec)");
    EXPECT_EQ(AverTimeText("0", 160, langEnglish), "?");
    EXPECT_EQ(AverTimeText("abc", 160, langEnglish), "?");
    EXPECT_EQ(PollPeriodMs(0, false), 960);
    EXPECT_EQ(PollPeriodMs(10, true), 160);
    EXPECT_EQ(StatusPeriodMs(960, false, false, 1000), 1000);
    EXPECT_EQ(StatusPeriodMs(960, false, true, 1000), 960);
}

TEST(Confirmations, MessagesWithTheirValues) {
    EXPECT_EQ(AddressConfirmedText(langEnglish, "MerBUS", HexDigits(0xFF, 4)),
              "MerBUS address was set as 0x00FF");
    EXPECT_EQ(AddressConfirmedText(langPolish, "MODBUS", HexDigits(0xF7, 2)),
              "Adres protokołu MODBUS ustawiono na 0xF7");
    EXPECT_EQ(DefaultRangeConfirmedText(langEnglish, "20 klx"), "Default measuring range was set as 20 klx.");
    EXPECT_EQ(DefaultRangeConfirmedText(langPolish, "%s"), "Domyślny zakres pomiarowy ustawiono na %s");
    EXPECT_EQ(SettingsMessage(M::smsgZeroing).Icon, miInformation);
    EXPECT_EQ(SettingsMessage(M::smsgAddressUnknown).Text(langEnglish), "Meter address not readed.");
}

TEST(Zeroing, DetectorZeroingRunsUntilTheMeterSaysDone) {
    TZeroingState z;
    auto start = StartDetectorZeroing(z, true);
    EXPECT_EQ(start.Request.Command, CMD_SVC_ZERO_DETECTOR);
    EXPECT_EQ(start.Request.Data, TBytes{1});
    EXPECT_EQ(z.Mode, smZeroStarted | smZeroRunning);
    EXPECT_EQ(StartDetectorZeroing(z, false).Request.Command, CMD_ZERO_DETECTOR);

    // The status bits alone do not end it before the meter confirmed the start.
    EXPECT_FALSE(ZeroingEndedByStatus(z.Mode, 0));
    auto running = OnZeroingAnswer(z, 0xE8, 1);
    EXPECT_TRUE(running.Running);
    EXPECT_EQ(running.Repeat, CMD_SVC_ZERO_DETECTOR);
    EXPECT_EQ(z.Mode, smZeroRunning);
    EXPECT_FALSE(ZeroingEndedByStatus(z.Mode, 0x02));
    EXPECT_TRUE(ZeroingEndedByStatus(z.Mode, 0x40));

    auto done = OnZeroingAnswer(z, 0xE8, 0);
    EXPECT_TRUE(done.ClosePanel);
    EXPECT_FALSE(done.StoreFactor);
    EXPECT_EQ(z.Mode, 0);
}

TEST(Zeroing, SystemZeroingStoresTheFactorOnceWhenAsked) {
    TZeroingState z;
    EXPECT_EQ(StartSystemZeroing(z, true).Request.Command, CMD_ZERO_SYSTEM);
    EXPECT_EQ(OnZeroingAnswer(z, 0x89, 3).Repeat, CMD_ZERO_SYSTEM);
    EXPECT_TRUE(OnZeroingAnswer(z, 0x89, 0).StoreFactor);
    EXPECT_FALSE(z.StoreAfterwards);
    StartSystemZeroing(z, false);
    EXPECT_FALSE(OnZeroingAnswer(z, 0x89, 0).StoreFactor);
}

TEST(Closing, QuestionJoinsTheReasonAndTheWarning) {
    EXPECT_EQ(ClosingQuestionText(langEnglish, true),
              "WARNING\r\nHistory registration in progress.\r\nClosing application causes data lost.\r\n"
              "Are you sure to continue?");
    EXPECT_EQ(ClosingQuestionText(langPolish, false),
              "UWAGA\r\nHistoria uległa zmianie.\r\nZakończenie programu "
              "spowoduje utratę danych.\r\nCzy na pewno zamknąć program?");
}

} // namespace
} // namespace k730
