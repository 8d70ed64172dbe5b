// The EEPROM file: what the service window programs survives a restart, and
// a damaged file is refused instead of being overwritten with defaults.
#include "protocol/ByteOrder.h"
#include "sim/SimMeter.h"
#include "sim/SimOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace k730::sim {
namespace {

namespace fs = std::filesystem;

class SimPersistenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("k730-sim-state-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        file = dir / "meter.json";
    }
    void TearDown() override { fs::remove_all(dir); }

    static TBytes Ask(TSimMeter& m, uint8_t command, TBytes data = {}) {
        return m.Handle(BuildRequest(command, MERBUS_BROADCAST, data, IsServiceCommand(command)), 0)
            .value_or(TBytes{});
    }
    static std::string Text(const fs::path& p) {
        std::ifstream in(p);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir, file;
};

TEST_F(SimPersistenceTest, ProgrammedMeterIsTheSameAfterRestart) {
    std::string error;
    TSimMeter first(DefaultEeprom(1), TSimDetector(), 0);
    Ask(first, CMD_SVC_KIND, {0x83});
    const std::string d = "K-730/PAR/500M/L2.5°/7";
    TBytes text(d.begin(), d.end());
    text.push_back(0);
    Ask(first, CMD_SVC_DESCRIPTOR, text);
    Ask(first, CMD_SVC_SERIAL_YEAR, {0x10, 0x27, 0xE8, 0x07});
    TBytes ranges;
    for (float r : {5e-6f, 5e-5f, 5e-4f})
        AppendF32(ranges, r);
    Ask(first, CMD_SVC_RANGES, ranges);
    Ask(first, CMD_SVC_CONFIG, {0x81});
    Ask(first, CMD_DEFAULT_RANGE, {2});
    Ask(first, CMD_CONVERSIONS, {12});
    Ask(first, CMD_MODBUS_ADDRESS, {99});
    Ask(first, CMD_SET_MERBUS_ADDRESS, {0x21, 0x43});
    ASSERT_TRUE(first.TakeEepromDirty());
    ASSERT_TRUE(SaveEeprom(file, first.Eeprom(), error)) << error;

    // The defaults of another meter number must not leak into a loaded meter.
    const auto loaded = LoadEeprom(file, DefaultEeprom(5), error);
    ASSERT_TRUE(loaded) << error;
    TSimMeter second(*loaded, TSimDetector(), 0);
    EXPECT_EQ(Ask(second, CMD_IDENTIFY), Ask(first, CMD_IDENTIFY));
    EXPECT_EQ(Ask(second, CMD_SVC_CONFIG)[8], 0x81);
    EXPECT_EQ(Ask(second, CMD_RANGE)[8], 2); // started in the stored default range
    EXPECT_EQ(Ask(second, CMD_CONVERSIONS)[8], 12);
    EXPECT_EQ(Ask(second, CMD_MODBUS_ADDRESS)[8], 99);
    EXPECT_EQ(second.Address(), 0x4321);
}

TEST_F(SimPersistenceTest, SavedCalibrationSurvivesAndUnsavedDoesNot) {
    std::string error;
    TSimMeter first(DefaultEeprom(1), TSimDetector(), 0);
    Ask(first, CMD_SET_MODE, {1});
    TBytes save;
    AppendU32(save, 0x4123);
    AppendF32(save, 1.25f);
    AppendF32(save, 1.5f);
    AppendU32(save, 700);
    Ask(first, CMD_SAVE_CALIBRATION, save);
    TBytes unsaved{2};
    AppendF32(unsaved, 1.75f);
    Ask(first, CMD_SET_CAL_PARAMETER, unsaved);
    ASSERT_TRUE(SaveEeprom(file, first.Eeprom(), error));
    TSimMeter second(*LoadEeprom(file, DefaultEeprom(1), error), TSimDetector(), 0);
    const TBytes s = Ask(second, CMD_STATUS);
    EXPECT_EQ(ReadU32(s, 41), 0x4123u);
    EXPECT_EQ(ReadF32(s, 45), 1.25f);
    EXPECT_EQ(ReadF32(s, 49), 1.5f);
    EXPECT_EQ(ReadU32(s, 53), 700u);
}

TEST_F(SimPersistenceTest, MissingKeysKeepTheDefaults) {
    std::ofstream(file) << R"({"serial": 4242, "ranges": [1, 10, 0]})";
    std::string error;
    const auto e = LoadEeprom(file, DefaultEeprom(3), error);
    ASSERT_TRUE(e) << error;
    EXPECT_EQ(e->serial, 4242);
    EXPECT_EQ(e->ranges[2], 0.0f);
    EXPECT_EQ(e->address, 3);
    EXPECT_EQ(e->descriptor, DefaultEeprom(3).descriptor);
}

TEST_F(SimPersistenceTest, DamagedOrImpossibleFilesAreRefusedAndLeftAlone) {
    for (const char* content :
         {R"({"serial": 70000})", R"({"address": 65535})", R"({"kind": "one"})", R"({"ranges": [1, -2, 0]})",
          R"({"conversions": 0})", "{ not json", "[1, 2]"}) {
        std::ofstream(file) << content;
        std::string error;
        EXPECT_FALSE(LoadEeprom(file, DefaultEeprom(1), error)) << content;
        EXPECT_NE(error.find(file.string()), std::string::npos);
        EXPECT_EQ(Text(file), content);
    }
}

TEST_F(SimPersistenceTest, OptionsOverrideTheFileAndCountUpPerMeter) {
    TSimOptions o;
    o.count = 3;
    o.stateFile = (dir / "lab.json").string();
    o.serial = 500;
    o.address = "10";
    std::string error;
    TSimEeprom second = DefaultEeprom(2);
    second.year = 2011;
    ASSERT_TRUE(SaveEeprom(MeterStateFile(o, 1), second, error));
    EXPECT_EQ(MeterStateFile(o, 1), (dir / "lab-SIM2.json").string());
    const auto e = EepromFromOptions(o, 1, error);
    ASSERT_TRUE(e) << error;
    EXPECT_EQ(MeterName(o, 1), "SIM2");
    EXPECT_EQ(e->year, 2011);  // from its own file
    EXPECT_EQ(e->serial, 501); // options count up
    EXPECT_EQ(e->address, 0x11);
    o.address = "FFFE";
    EXPECT_FALSE(EepromFromOptions(o, 1, error)); // FFFE + 1 would be the broadcast address
}

} // namespace
} // namespace k730::sim
