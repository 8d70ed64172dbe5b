// Control commands as a technician or an end-to-end test types them.
#include "protocol/ByteOrder.h"
#include "sim/SimControl.h"

#include <gtest/gtest.h>

namespace k730::sim {
namespace {

class SimControlTest : public ::testing::Test {
protected:
    SimControlTest()
        : one(DefaultEeprom(1), TSimDetector(), 0), two(DefaultEeprom(2), TSimDetector(), 0),
          lineOne("SIM1", one, TLineSettings{}, 3, nullptr, 1),
          lineTwo("SIM2", two, TLineSettings{}, 3, nullptr, 2), control({&lineOne, &lineTwo}) {}

    std::string Run(const std::string& line) { return control.Execute(line, nowUs, requests); }
    static float Value(TSimMeter& m, int64_t nowMs) {
        m.Handle(BuildRequest(CMD_STATUS, MERBUS_BROADCAST, {}, false), nowMs);
        return ReadF32(*m.Handle(BuildRequest(CMD_STATUS, MERBUS_BROADCAST, {}, false), nowMs), 9);
    }

    TSimMeter one, two;
    TSimChannel lineOne, lineTwo;
    TSimControl control;
    std::vector<TSimPortRequest> requests;
    int64_t nowUs = 5000000;
};

TEST_F(SimControlTest, LightChangesTheReadingOfTheNamedMeterOnly) {
    EXPECT_EQ(Run("SIM2 light constant 1500"), "ok");
    EXPECT_NEAR(Value(two, nowUs / 1000), 1500.0f, 0.01f);
    EXPECT_NEAR(Value(one, nowUs / 1000), 500.0f, 0.01f);
    EXPECT_EQ(Run("light steps 1 10 20"), "ok"); // every meter
    EXPECT_NEAR(Value(one, nowUs / 1000 + 1900), 20.0f, 0.01f);
    EXPECT_NEAR(Value(two, nowUs / 1000 + 2900), 10.0f, 0.01f);
}

TEST_F(SimControlTest, BlankLinesOfAnyWhiteSpaceDoNothing) {
    for (const char* blank : {"", "  \t\r", "\f", "\v\r"})
        EXPECT_EQ(Run(blank), "ok");
    EXPECT_EQ(Run("SIM1 \f"), "error: command missing after SIM1");
}

TEST_F(SimControlTest, BadCommandsChangeNothing) {
    const auto before = one.Eeprom().serial;
    for (const char* bad :
         {"light sine 1 2", "light strobe 5", "noise -1", "temp hot", "set serial 70000", "set kind 9",
          "fault stop", "fault echo maybe", "fault address FFFF", "fly", "SIM1", "set ranges 1 2",
          "loop sideways", "fault stop 3 4", "fault refuse 200", "fault refuse save"}) {
        EXPECT_EQ(Run(bad).rfind("error: ", 0), 0u) << bad;
    }
    EXPECT_EQ(one.Eeprom().serial, before);
    EXPECT_FALSE(lineOne.Faults().stopAfter);
    EXPECT_FALSE(lineOne.Faults().echo);
    EXPECT_FALSE(one.TakeEepromDirty());
}

TEST_F(SimControlTest, FaultsAreSetAndCleared) {
    EXPECT_EQ(Run("SIM1 fault stop 3"), "ok");
    EXPECT_EQ(Run("SIM1 fault garbage 4"), "ok");
    EXPECT_EQ(Run("SIM1 fault address 2a"), "ok");
    EXPECT_EQ(Run("SIM1 fault refuse 13"), "ok");
    EXPECT_EQ(lineOne.Faults().refused, 13);
    EXPECT_EQ(Run("SIM1 fault answer-as 7"), "ok");
    EXPECT_EQ(lineOne.Faults().answerAs, 7);
    EXPECT_EQ(lineOne.Faults().stopAfter, 3);
    EXPECT_EQ(lineOne.Faults().garbageBytes, 4);
    EXPECT_EQ(lineOne.Faults().otherAddress, 0x2A);
    EXPECT_FALSE(lineTwo.Faults().stopAfter);
    EXPECT_EQ(Run("fault none"), "ok");
    EXPECT_FALSE(lineOne.Faults().stopAfter);
    EXPECT_EQ(lineOne.Faults().garbageBytes, 0);
}

TEST_F(SimControlTest, UnplugAndBreakAreHandedToThePortLayer) {
    EXPECT_EQ(Run("SIM2 fault unplug 1500"), "ok");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].channel, 1u);
    EXPECT_EQ(requests[0].event.durationMs, 1500);
    EXPECT_EQ(Run("SIM1 fault break"), "ok");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].channel, 0u);
    EXPECT_EQ(requests[1].event.kind, TSimLineEvent::TKind::leBreak);
    EXPECT_EQ(requests[1].event.durationMs, 250);
}

TEST_F(SimControlTest, IdentityIsProgrammedAsIfByTheServiceWindow) {
    EXPECT_EQ(Run("SIM1 set descriptor K-730/UVA/2/E/5"), "ok");
    EXPECT_EQ(Run("SIM1 set producer MERIDOX|Dział serwisu"), "ok");
    EXPECT_EQ(Run("SIM1 set serial 777"), "ok");
    EXPECT_EQ(Run("SIM1 set ranges 2 20 200"), "ok");
    EXPECT_TRUE(one.TakeEepromDirty());
    EXPECT_EQ(one.Eeprom().descriptor, "K-730/UVA/2/E/5");
    EXPECT_EQ(one.Eeprom().producer, (std::vector<std::string>{"MERIDOX", "Dział serwisu"}));
    EXPECT_EQ(one.Eeprom().serial, 777);
    EXPECT_EQ(one.Eeprom().ranges[2], 200.0f);
    EXPECT_EQ(two.Eeprom().serial, 1002);
}

TEST_F(SimControlTest, QueriesAnswerPerMeter) {
    const std::string state = Run("get");
    EXPECT_EQ(state.rfind("SIM1 address=0x0001 mode=0 range=1", 0), 0u) << state;
    EXPECT_NE(state.find("\nSIM2 address=0x0002"), std::string::npos);
    Run("loop off");
    EXPECT_EQ(Run("SIM1 current"), "SIM1 current 0.0000 mA");
    EXPECT_FALSE(control.QuitRequested());
    EXPECT_EQ(Run("quit"), "ok");
    EXPECT_TRUE(control.QuitRequested());
}

TEST_F(SimControlTest, TemperatureCommandMovesTheReportedCode) {
    EXPECT_EQ(Run("temp 33.5"), "ok");
    EXPECT_EQ(one.Measure(nowUs / 1000).temperatureCode, CelsiusToTempCode(33.5));
    EXPECT_EQ(Run("drift 2"), "ok");
    EXPECT_EQ(one.Measure(nowUs / 1000 + 60000).temperatureCode, CelsiusToTempCode(35.5));
}

} // namespace
} // namespace k730::sim
