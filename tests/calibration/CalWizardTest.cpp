// The calibration wizard's rules, driven through the connection controller
// with a fake port: what goes to the meter, and what the operator is told.
#include "CalWizardFixture.h"

#include "calibration/CalTexts.h"

#include <bit>

namespace k730::test {
namespace {

TBytes U32(uint32_t v) {
    TBytes b;
    AppendU32(b, v);
    return b;
}

TBytes Param(uint8_t index, uint32_t v) {
    TBytes b{index};
    AppendU32(b, v);
    return b;
}

using CalWizardTest = CalWizardFixture;

TEST_F(CalWizardTest, OpeningAsksForStatusThenForcingModeThenWritesTheStoredValue) {
    OpenWizard();
    EXPECT_FALSE(wizard->ControlsEnabled()) << "nothing can be typed before the meter answered";
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_STATUS, {}}}));
    Serve();
    EXPECT_TRUE(wizard->ControlsEnabled());
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{
                              {CMD_SET_MODE, {3}}, {CMD_SET_FORCING_VALUE, U32(0x4000)}, {CMD_STATUS, {}}}));
    EXPECT_EQ(wizard->Step(), csStep1);
    EXPECT_EQ(events.focus.back(), cfDac0);
    EXPECT_TRUE(events.messages.empty()) << "the automatic write's echo is not reported";
    EXPECT_FALSE(wizard->Buttons().next);
}

struct TInitialCase {
    uint32_t stored;
    uint8_t flags;
    uint32_t written;
};

class CalInitialWrite : public CalWizardFixture, public ::testing::WithParamInterface<TInitialCase> {};

TEST_P(CalInitialWrite, StoredValueOutsideItsWindowIsReplacedBy0x4000) {
    meter.stored4mA = GetParam().stored;
    meter.flags = GetParam().flags;
    OpenWizard();
    Serve();
    const auto sent = TakeSent();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[2], (TSent{CMD_SET_FORCING_VALUE, U32(GetParam().written)}));
    EXPECT_EQ(sent[1], (TSent{CMD_SET_MODE, {3}}));
}

INSTANTIATE_TEST_SUITE_P(
    Values, CalInitialWrite,
    ::testing::Values(TInitialCase{0x3000, 0x40, 0x4000}, TInitialCase{0x37FF, 0x40, 0x4000},
                      TInitialCase{0x3800, 0x40, 0x3800}, TInitialCase{0x4321, 0x40, 0x4321},
                      TInitialCase{0x5000, 0x40, 0x5000}, TInitialCase{0x5001, 0x40, 0x4000},
                      // The meter flags its own value invalid: it is not read.
                      TInitialCase{0x4321, 0x60, 0x4000}));

struct TApplyCase {
    uint32_t dacInUse;
    const char* entry;
    uint32_t written;
    const char* calculated; // empty: no limit notice
};

class CalStep1Apply : public CalWizardFixture, public ::testing::WithParamInterface<TApplyCase> {};

TEST_P(CalStep1Apply, DacCodeForFourMilliampereIsRoundedHalfToEvenAndKeptInItsWindow) {
    const TApplyCase& c = GetParam();
    OpenWizard();
    Serve();
    meter.loopDac = c.dacInUse;
    AnswerStatus();
    TakeSent();
    Type(cfDac0, c.entry);
    ASSERT_TRUE(wizard->Buttons().applyDac0);
    wizard->ApplyDac0();
    Serve();
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_SET_FORCING_VALUE, U32(c.written)}, {CMD_STATUS, {}}}));
    EXPECT_EQ(wizard->RequestedForcingValue(), c.written);
    if (*c.calculated == 0) {
        EXPECT_TRUE(events.messages.empty());
    } else {
        ASSERT_EQ(events.messages.size(), 1u);
        EXPECT_EQ(events.messages[0].text,
                  "Value forcing 4mA current\r\nwas limited to acceptable range:\r\n- value "
                  "calculated: \t" +
                      std::string(c.calculated) + "\r\n- value set: \t" + HexValueText(c.written, 4));
        EXPECT_EQ(events.messages[0].icon, miInformation);
        EXPECT_FALSE(events.messages[0].modal);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, CalStep1Apply,
                         ::testing::Values(TApplyCase{0x4000, "3,96", 16549, ""},
                                           TApplyCase{0x4000, "2", 0x5000, "0x8000"},
                                           TApplyCase{0x4000, "8", 0x3800, "0x2000"},
                                           TApplyCase{0x4000, "0,0001", 0x5000, "0x27100000"},
                                           // 16384.5 and 16385.5: half to even.
                                           TApplyCase{32769, "8", 0x4000, ""},
                                           TApplyCase{32771, "8", 0x4002, ""}));

TEST_F(CalWizardTest, EntryThatIsNotAPositiveNumberSendsNothing) {
    OpenWizard();
    Serve();
    TakeSent();
    for (const char* entry : {"", "0", "-3,9", "abc", "3.96", "1e39", "4,0,0"}) {
        Type(cfDac0, entry);
        EXPECT_FALSE(wizard->Buttons().applyDac0) << entry;
        wizard->ApplyDac0();
        EXPECT_TRUE(TakeSent().empty()) << entry;
    }
}

TEST_F(CalWizardTest, ApplyWaitsForTheMeterInThePagesMode) {
    OpenWizard();
    AnswerStatus(); // still in normal mode: its DAC code follows the reading
    Type(cfDac0, "3,96");
    EXPECT_FALSE(wizard->Buttons().applyDac0);
    TakeSent();
    wizard->ApplyDac0();
    EXPECT_TRUE(TakeSent().empty());
    AnswerMode(3);
    AnswerStatus();
    EXPECT_TRUE(wizard->Buttons().applyDac0);
}

TEST_F(CalWizardTest, ApplyBeforeTheAutomaticWriteIsEchoedStillSendsTheEntry) {
    meter.mode = 3; // left in forcing mode a moment ago
    OpenWizard();
    Serve(1); // the first status: the automatic write is queued
    Type(cfDac0, "3,96");
    wizard->ApplyDac0();
    Serve();
    const auto sent = TakeSent();
    EXPECT_NE(std::find(sent.begin(), sent.end(), TSent{CMD_SET_FORCING_VALUE, U32(16549)}), sent.end());
    EXPECT_EQ(wizard->ConfirmedForcingValue(), 16549u);
    EXPECT_TRUE(wizard->Buttons().next);
    EXPECT_TRUE(events.messages.empty());
}

TEST_F(CalWizardTest, EchoConfirmsTheValueAndEnablesNextOrTellsWhatTheMeterKept) {
    OpenWizard();
    Serve();
    Type(cfDac0, "3,96");
    wizard->ApplyDac0();
    AnswerForcing(16549);
    EXPECT_TRUE(events.messages.empty());
    EXPECT_EQ(wizard->ConfirmedForcingValue(), 16549u);
    EXPECT_TRUE(wizard->Buttons().next);

    wizard->ApplyDac0();
    AnswerForcing(0x4000); // the meter kept another value
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_EQ(events.messages[0].text, "Value forcing 4mA current\r\nwas limited to acceptable range:\r\n"
                                       "- value entered: \t0x000040A5\r\n- value set: \t0x00004000");
    EXPECT_EQ(events.messages[0].icon, miWarning);
    EXPECT_EQ(wizard->ConfirmedForcingValue(), 0x4000u);
}

struct TFactorCase {
    const char* name;
    uint8_t flags;
    uint32_t stored4mA;
    uint32_t loopDac;
    int32_t raw;
    uint32_t loopBits;
    uint32_t resultBits;
};

class CalStep2Apply : public CalWizardFixture, public ::testing::WithParamInterface<TFactorCase> {};

// Reference 1000 lx on a 2000 lx range (12 mA expected), 12.1 mA measured.
TEST_P(CalStep2Apply, FactorsAreWrittenLoopFirstThenResultThenTemperature) {
    const TFactorCase& c = GetParam();
    OpenWizard();
    FinishStep1();
    wizard->Next();
    Serve();
    meter.flags = c.flags;
    meter.stored4mA = c.stored4mA;
    meter.loopDac = c.loopDac;
    meter.raw = c.raw;
    AnswerStatus();
    TakeSent();
    Type(cfE0, "1000");
    Type(cfIL, "12,1");
    wizard->ApplyCal();
    Serve();
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_SET_CAL_PARAMETER, Param(3, c.loopBits)},
                                              {CMD_SET_CAL_PARAMETER, Param(2, c.resultBits)},
                                              {CMD_SET_CAL_PARAMETER, Param(4, 0x022C)},
                                              {CMD_STATUS, {}}}));
    EXPECT_EQ(wizard->ExpectedCurrent(), "12,0000");
    EXPECT_TRUE(events.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, CalStep2Apply,
    ::testing::Values(
        TFactorCase{"TwoPoint", 0x40, 0x4000, 0xB400, 0x600000, 0x3F98C1D7, 0x3FAAAAAA},
        TFactorCase{"DacNotAboveStored", 0x40, 0x4000, 0x4000, 0x600000, 0x3FAAAAAA, 0x3FAAAAAA},
        TFactorCase{"DacAtLinearLimit", 0x40, 0x4000, 0x16000, 0x600000, 0x3FAAAAAA, 0x3FAAAAAA},
        TFactorCase{"LoopFactorFlaggedInvalid", 0x50, 0x4000, 0xB400, 0x600000, 0x3FAAAAAA, 0x3FAAAAAA}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CalWizardTest, FactorsOutsideTheirRangesAreWrittenClampedAndReportedTogether) {
    meter.raw = 3355443; // both factors come out near 2.5
    OpenWizard();
    FinishStep1();
    wizard->Next();
    Serve();
    TakeSent();
    Type(cfE0, "1000");
    Type(cfIL, "12");
    wizard->ApplyCal();
    Serve();
    const auto sent = TakeSent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], (TSent{CMD_SET_CAL_PARAMETER, Param(3, std::bit_cast<uint32_t>(2.3125f))}));
    EXPECT_EQ(sent[1], (TSent{CMD_SET_CAL_PARAMETER, Param(2, std::bit_cast<uint32_t>(2.0f))}));
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_EQ(events.messages[0].text,
              "Current loop calibration factor\r\nwas limited to acceptable range:\r\n- value calculated: "
              "\t2,5000000\r\n- value set: \t2,3125000\r\n\r\nResult calibration factor\r\nwas limited to "
              "acceptable "
              "range:\r\n- value calculated: \t2,5000000\r\n- value set: \t2,0000000");
    EXPECT_EQ(events.messages[0].icon, miInformation);
}

TEST_F(CalWizardTest, CalculationErrorWritesNothing) {
    OpenWizard();
    FinishStep1();
    wizard->Next();
    Serve();
    TakeSent();
    Type(cfE0, "lamp");
    Type(cfIL, "12");
    wizard->ApplyCal();
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(wizard->ExpectedCurrent(), "?");
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_EQ(events.messages[0].text, "An error occurred during\r\ncalibration factors calculation");
    EXPECT_EQ(events.messages[0].icon, miWarning);

    // No reading at all (0 counts) and a zero reference: no factor can be had.
    meter.raw = 0;
    AnswerStatus();
    TakeSent();
    Type(cfE0, "0");
    wizard->ApplyCal();
    EXPECT_TRUE(TakeSent().empty());
    EXPECT_EQ(events.messages.size(), 2u);
}

TEST_F(CalWizardTest, EditingTheReferenceAfterApplyDisablesSaveUntilApplyAgain) {
    OpenWizard();
    FinishStep1();
    FinishStep2();
    EXPECT_TRUE(wizard->Buttons().save);
    Type(cfE0, "1001");
    EXPECT_FALSE(wizard->Buttons().save);
    wizard->ApplyCal();
    Serve();
    EXPECT_TRUE(wizard->Buttons().save);
    Type(cfIL, "12,2");
    EXPECT_FALSE(wizard->Buttons().save);
}

TEST_F(CalWizardTest, SaveStoresTheEchoedValuesWithTheComment) {
    OpenWizard();
    FinishStep1();
    FinishStep2();
    const TCalSaveValues values = *wizard->SaveValues();
    EXPECT_EQ(values.forcing4mA, 16549u);
    EXPECT_EQ(std::bit_cast<uint32_t>(values.loopFactor), 0x3F97E88Fu);
    EXPECT_EQ(wizard->SaveQuestion(),
              "Save calibration factors to meter?\r\n— value forcing 4mA current: \t0x40A5\r\n— current loop "
              "calibration factor:\t1,1867846\r\n— result calibration factor:  \t1,3333333");
    TakeSent();
    wizard->Save({true, true, "Lamp 7\r\nbench 2"});
    TBytes data = U32(16549);
    AppendU32(data, 0x3FAAAAAA);
    AppendU32(data, 0x3F97E88F);
    AppendU32(data, 0x022C);
    Serve();
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_SAVE_CALIBRATION, data}, {CMD_STATUS, {}}}));
    EXPECT_EQ(hooks.savedComments, (std::vector<std::string>{"Lamp 7\r\nbench 2"}));
    EXPECT_EQ(memory.LastCommentText, "Lamp 7\r\nbench 2");
    EXPECT_TRUE(wizard->AddToHistory());
}

struct TCommentCase {
    TCalSaveChoice choice;
    const char* sent;
    const char* lastAfter;
};

class CalSaveComment : public CalWizardFixture, public ::testing::WithParamInterface<TCommentCase> {};

TEST_P(CalSaveComment, CommentTravelsOnlyWhenBothBoxesAreCheckedAndTheMemoHoldsText) {
    memory.LastCommentText = "old";
    OpenWizard();
    FinishStep1();
    FinishStep2();
    wizard->Save(GetParam().choice);
    Serve();
    EXPECT_EQ(hooks.savedComments, (std::vector<std::string>{GetParam().sent}));
    EXPECT_EQ(memory.LastCommentText, GetParam().lastAfter);
    EXPECT_EQ(memory.AddToHistoryDefault, GetParam().choice.addToHistory);
    EXPECT_EQ(wizard->AddToHistory(), GetParam().choice.addToHistory);
}

INSTANTIATE_TEST_SUITE_P(Choices, CalSaveComment,
                         ::testing::Values(TCommentCase{{true, true, "new"}, "new", "new"},
                                           TCommentCase{{true, true, ""}, "", "old"},
                                           TCommentCase{{true, false, "new"}, "", "old"},
                                           TCommentCase{{false, true, "new"}, "", "old"}));

TEST_F(CalWizardTest, RefusedSaveLeavesTheWizardOpenWithTheWarning) {
    OpenWizard();
    FinishStep1();
    FinishStep2();
    wizard->Save({true, false, ""});
    Receive(AnswerFrame(0x7F, address, 1, {CMD_SAVE_CALIBRATION}));
    EXPECT_EQ(hooks.closed, 0);
    EXPECT_TRUE(hooks.savedComments.empty());
    ASSERT_FALSE(hooks.messages.empty());
    EXPECT_EQ(hooks.messages.back(),
              (TDeferredMessage{"Saving calibration factors was unsuccessful.", miWarning}));
}

TEST_F(CalWizardTest, MeterFallingToNormalModeStartsAgainAndSaysSoOnceAValueWasApplied) {
    OpenWizard();
    Serve();
    meter.mode = 0; // before any entry: a quiet restart
    AnswerStatus();
    EXPECT_TRUE(events.messages.empty());
    EXPECT_EQ(events.closeMessages, 2);
    Serve();
    FinishStep1();
    wizard->Next();
    Serve();
    TakeSent();
    meter.mode = 0;
    AnswerStatus();
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_EQ(events.messages[0].text,
              "There was an unexpected calibration mode off.\r\nThe calibration procedure "
              "should be started from the beginning.");
    EXPECT_TRUE(events.messages[0].modal);
    EXPECT_EQ(wizard->Step(), csStep1);
    EXPECT_FALSE(wizard->ControlsEnabled());
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_STATUS, {}}}));
}

TEST_F(CalWizardTest, ModeChangeLostWithTheQueueNoLongerHoldsTheSupervisionBack) {
    OpenWizard();
    FinishStep1();
    wizard->Next(); // set-mode 1 asked for
    EXPECT_TRUE(wizard->ModeChangeRequested());
    ctl.Scheduler().ClearQueue(); // as a port change or an unanswered request does
    meter.mode = 0;
    AnswerStatus();
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_TRUE(events.messages[0].modal) << "the fall to normal mode is noticed";
    EXPECT_EQ(wizard->Step(), csStep1);
}

TEST_F(CalWizardTest, MeterInAnotherModeIsPutBackAtTheHeadOfTheQueue) {
    OpenWizard();
    Serve();
    TakeSent();
    meter.mode = 1; // on step I the meter belongs in forcing mode
    AnswerStatus();
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_SET_MODE, {3}}}));
    EXPECT_EQ(ctl.Scheduler().Head()->bytes, (TBytes{CMD_SET_MODE, 3}));
}

TEST_F(CalWizardTest, BackReturnsToForcingModeAndRewritesTheStoredValueWithoutANotice) {
    OpenWizard();
    FinishStep1();
    FinishStep2();
    TakeSent();
    wizard->Back();
    EXPECT_EQ(wizard->Step(), csStep1);
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_SET_MODE, {3}}}));
    EXPECT_FALSE(wizard->Buttons().next);
    EXPECT_FALSE(wizard->Buttons().save);
    EXPECT_FALSE(wizard->Buttons().applyDac0) << "a new reading has to be typed";
    AnswerMode(3);
    EXPECT_EQ(TakeSent(), (std::vector<TSent>{{CMD_SET_FORCING_VALUE, U32(16549)}}))
        << "the value the meter now holds";
    AnswerForcing(0x4000); // even a different echo is the automatic write's
    EXPECT_TRUE(events.messages.empty());
}

TEST_F(CalWizardTest, StepTwoFillsTheLastReferenceAndEnterShowsTheExpectedCurrent) {
    memory.LastReferenceText = "500";
    OpenWizard();
    FinishStep1();
    wizard->Next();
    EXPECT_EQ(wizard->Text(cfE0), "500");
    EXPECT_EQ(events.focus.back(), cfE0);
    Serve();
    wizard->EnterE0();
    EXPECT_EQ(wizard->ExpectedCurrent(), "8,0000");
    EXPECT_EQ(events.focus.back(), cfIL);
    Type(cfE0, "750,5");
    wizard->LeaveE0();
    EXPECT_EQ(memory.LastReferenceText, "750,5");
    Type(cfE0, "?");
    wizard->EnterE0();
    EXPECT_EQ(wizard->ExpectedCurrent(), "?");
}

TEST_F(CalWizardTest, DifferentMeterAnsweringClosesTheWizard) {
    OpenWizard();
    Serve();
    Receive(CalStatusFrame(0x0009, meter));
    EXPECT_EQ(hooks.closed, 1);
    ASSERT_FALSE(hooks.messages.empty());
    EXPECT_EQ(hooks.messages.back(),
              (TDeferredMessage{"Meter was changed.\r\nCalibration procedure aborted.", miInformation}));
}

// The notices in both languages, word for word.
struct TLanguageCase {
    TLanguage lang;
    const char* clamp;
    const char* echo;
    const char* modeLost;
};

class CalWizardTexts : public CalWizardFixture, public ::testing::WithParamInterface<TLanguageCase> {};

TEST_P(CalWizardTexts, NoticesReadAsWritten) {
    const TLanguageCase& c = GetParam();
    OpenWizard(c.lang, '.');
    Serve();
    Type(cfDac0, "2");
    wizard->ApplyDac0();
    AnswerForcing(0x4FFF);
    Serve();
    meter.mode = 0;
    AnswerStatus();
    ASSERT_EQ(events.messages.size(), 3u);
    EXPECT_EQ(events.messages[0].text, c.clamp);
    EXPECT_EQ(events.messages[1].text, c.echo);
    EXPECT_EQ(events.messages[2].text, c.modeLost);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, CalWizardTexts,
    ::testing::Values(
        TLanguageCase{langEnglish,
                      "Value forcing 4mA current\r\nwas limited to acceptable range:\r\n- value calculated: "
                      "\t0x8000\r\n- value set: \t0x5000",
                      "Value forcing 4mA current\r\nwas limited to acceptable range:\r\n- value entered: "
                      "\t0x00005000\r\n- value set: \t0x00004FFF",
                      "There was an unexpected calibration mode off.\r\nThe calibration procedure should be "
                      "started from the beginning."},
        TLanguageCase{
            langPolish,
            "Wartość wymuszająca prąd pętli 4mA\r\nzostała ograniczona do dopuszczalnego zakresu:\r\n- "
            "wartość obliczona: \t0x8000\r\n- wartość ustawiona: \t0x5000",
            "Wartość wymuszająca prąd pętli 4mA\r\nzostała ograniczona do dopuszczalnego zakresu:\r\n- "
            "wartość wprowadzona: \t0x00005000\r\n- wartość ustawiona: \t0x00004FFF",
            "Nastąpiło nieoczekiwane wyłączenie\r\ntrybu kalibracji urządzenia.\r\nProcedurę kalibracji "
            "należy rozpocząć od początku."}));

} // namespace
} // namespace k730::test
