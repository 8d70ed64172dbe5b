// The simulated meter's firmware against request frames, without a tty.
#include "protocol/ByteOrder.h"
#include "sim/SimFaults.h"
#include "sim/SimMeter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace k730::sim {
namespace {

class SimMeterTest : public ::testing::Test {
protected:
    static TSimEeprom Eeprom() {
        TSimEeprom e = DefaultEeprom(1);
        e.address = 0x0012;
        return e;
    }
    static TSimMeter MakeMeter(const TSimEeprom& e = Eeprom(), double light = 500) {
        TLightModel model;
        model.level = light;
        TSimHardware hw;
        hw.sensitivity = e.resultFactor;
        hw.driftCPerMinute = 0;
        return TSimMeter(e, TSimDetector(hw, TSimLight(model)), 0);
    }

    TBytes Ask(uint8_t command, TBytes data = {}, uint16_t address = 0x0012) {
        const TBytes request = BuildRequest(command, address, data, IsServiceCommand(command));
        return meter.Handle(request, now).value_or(TBytes{});
    }
    // Status answer with the power-on report already taken.
    TBytes Status() {
        if (!statusSeen) Ask(CMD_STATUS);
        statusSeen = true;
        return Ask(CMD_STATUS);
    }

    TSimMeter meter = MakeMeter();
    int64_t now = 1000;
    bool statusSeen = false;
};

TEST_F(SimMeterTest, FramesForOtherAddressesAndAnswersAreIgnored) {
    EXPECT_TRUE(Ask(CMD_STATUS, {}, 0x0013).empty());
    TBytes answerLike = BuildRequest(0x84, 0x0012, {}, false);
    EXPECT_FALSE(meter.Handle(answerLike, now));
    TBytes wrongFixed = BuildRequest(CMD_STATUS, 0x0012, {}, false);
    wrongFixed[4] = 0x07;
    EXPECT_FALSE(meter.Handle(wrongFixed, now));
}

TEST_F(SimMeterTest, RefusedCommandLeavesTheMemoryAsItWas) {
    TSimFaults faults;
    TSimLineEvent event;
    std::string error;
    ASSERT_TRUE(ApplyFaultCommand("refuse 0x63", faults, event, error)) << error;
    EXPECT_FALSE(ApplyFaultCommand("refuse 0x7F", faults, event, error)) << "an answer code";
    EXPECT_FALSE(ApplyFaultCommand("refuse x", faults, event, error));
    meter.SetRefused(faults.refused);
    const TBytes refused = Ask(CMD_SVC_SERIAL_YEAR, {0x10, 0x27, 0xE8, 0x07});
    EXPECT_EQ(refused[3], MERBUS_REFUSAL);
    EXPECT_EQ(refused[8], CMD_SVC_SERIAL_YEAR);
    EXPECT_EQ(meter.Eeprom().serial, 1001);
    EXPECT_FALSE(meter.TakeEepromDirty());
    EXPECT_EQ(Ask(CMD_SVC_CONFIG, {5})[3], 0xE0) << "other commands are answered";
    ASSERT_TRUE(ApplyFaultCommand("refuse off", faults, event, error));
    meter.SetRefused(faults.refused);
    EXPECT_EQ(Ask(CMD_SVC_SERIAL_YEAR, {0x10, 0x27, 0xE8, 0x07})[3], 0xE3);
    EXPECT_EQ(meter.Eeprom().serial, 10000);
}

TEST_F(SimMeterTest, FirstStatusAfterPowerOnReportsReset) {
    EXPECT_EQ(Ask(CMD_STATUS)[8], 0xFF);
    const TBytes second = Ask(CMD_STATUS);
    EXPECT_EQ(second[8], sfLoopOn);
    meter.PowerCycle(now);
    EXPECT_EQ(Ask(CMD_STATUS)[8], 0xFF);
}

// A program that polls faster than the converter uses only answers marked
// with bit 7; firmware before 2.0.0005 never marks them.
TEST_F(SimMeterTest, NewFirmwareMarksAnswersWithAFreshConversion) {
    Status();
    now += 100;
    EXPECT_EQ(Ask(CMD_STATUS)[8] & sfNewResult, 0) << "no conversion finished since the last answer";
    now += 60;
    EXPECT_EQ(Ask(CMD_STATUS)[8] & sfNewResult, sfNewResult);
    EXPECT_EQ(Ask(CMD_STATUS)[8] & sfNewResult, 0) << "the same conversion is fresh only once";

    TSimEeprom old = Eeprom();
    old.firmware = "2.0.0004";
    meter = MakeMeter(old);
    statusSeen = false;
    Status();
    for (int i = 0; i < 3; ++i) {
        now += 160;
        EXPECT_EQ(Ask(CMD_STATUS)[8] & sfNewResult, 0);
    }
}

TEST_F(SimMeterTest, OverrangeAndRangeChange) {
    meter = MakeMeter(Eeprom(), 2500);
    TBytes a = Status();
    EXPECT_TRUE(a[8] & sfOverrange);
    // Full scale of the count is full scale × KE in the meter's unit, so 2.5 klx still converts.
    EXPECT_NEAR(static_cast<double>(static_cast<int32_t>(ReadU32(a, 23))), 1.25 * 16777215 / 1.4142135, 2);
    const TBytes set = Ask(CMD_RANGE, {2});
    EXPECT_EQ(set, Ask(CMD_RANGE)); // set and read answer alike
    EXPECT_EQ(set[8], 2);
    a = Status();
    EXPECT_FALSE(a[8] & sfOverrange);
    EXPECT_EQ(ReadF32(a, 57), 20000.0f);
    EXPECT_NEAR(ReadF32(a, 9), 2500.0f, 0.1f);
}

TEST_F(SimMeterTest, LightFarAboveFullScaleClipsAtTheConverterLimit) {
    meter = MakeMeter(Eeprom(), 1e6);
    const TBytes a = Status();
    EXPECT_EQ(static_cast<int32_t>(ReadU32(a, 23)), 18874368);
}

TEST_F(SimMeterTest, DetectorTemperatureDrifts) {
    TSimHardware hw;
    hw.driftCPerMinute = 1.0;
    meter = TSimMeter(Eeprom(), TSimDetector(hw), 0);
    now = 0;
    const uint16_t before = ReadU16(Status(), 39);
    now = 5 * 60000;
    const uint16_t after = ReadU16(Status(), 39);
    EXPECT_NEAR(TempCodeToCelsius(after) - TempCodeToCelsius(before), 5.0, 0.11);
}

struct TRefusalCase {
    const char* what;
    uint8_t command;
    TBytes data;
};

class SimMeterRefusalTest : public SimMeterTest, public ::testing::WithParamInterface<TRefusalCase> {};

TEST_P(SimMeterRefusalTest, RefusedWithTheCommandCode) {
    const TRefusalCase& c = GetParam();
    const TBytes a = Ask(c.command, c.data);
    ASSERT_EQ(a.size(), 10u) << c.what;
    EXPECT_EQ(a[3], MERBUS_REFUSAL);
    EXPECT_EQ(a[4], 0x06);
    EXPECT_EQ(a[8], c.command);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimMeterRefusalTest,
    ::testing::Values(
        TRefusalCase{"unknown command", 0x32, {}}, TRefusalCase{"unused service code", 102, {}},
        TRefusalCase{"identity with data", CMD_IDENTIFY, {1}},
        TRefusalCase{"status with data", CMD_STATUS, {0}},
        TRefusalCase{"broadcast as new address", CMD_SET_MERBUS_ADDRESS, {0xFF, 0xFF}},
        TRefusalCase{"address of one byte", CMD_SET_MERBUS_ADDRESS, {0x05}},
        TRefusalCase{"MODBUS 0", CMD_MODBUS_ADDRESS, {0}},
        TRefusalCase{"MODBUS 248", CMD_MODBUS_ADDRESS, {248}}, TRefusalCase{"range 3", CMD_RANGE, {3}},
        TRefusalCase{"two range bytes", CMD_RANGE, {0, 1}},
        TRefusalCase{"conversions 0", CMD_CONVERSIONS, {0}},
        TRefusalCase{"zeroing byte 2", CMD_ZERO_DETECTOR, {2}}, TRefusalCase{"mode 2", CMD_SET_MODE, {2}},
        TRefusalCase{"forcing of 3 bytes", CMD_SET_FORCING_VALUE, {0, 0x40, 0}},
        TRefusalCase{"parameter 5", CMD_SET_CAL_PARAMETER, {5, 0, 0, 0, 0}},
        TRefusalCase{"4 mA value below window", CMD_SET_CAL_PARAMETER, {1, 0xFF, 0x37, 0, 0}},
        TRefusalCase{"result factor 2.5", CMD_SET_CAL_PARAMETER, {2, 0x00, 0x00, 0x20, 0x40}},
        TRefusalCase{"loop factor NaN", CMD_SET_CAL_PARAMETER, {3, 0x00, 0x00, 0xC0, 0x7F}},
        TRefusalCase{"temperature code above 16 bits", CMD_SET_CAL_PARAMETER, {4, 0, 0, 1, 0}},
        TRefusalCase{"save outside calibration mode", CMD_SAVE_CALIBRATION, TBytes(16, 0)},
        TRefusalCase{"kind 5", CMD_SVC_KIND, {5}},
        TRefusalCase{"descriptor without zero", CMD_SVC_DESCRIPTOR, {'K', '-'}},
        TRefusalCase{"descriptor with inner zero", CMD_SVC_DESCRIPTOR, {'K', 0, 'L', 0}},
        TRefusalCase{"descriptor too long", CMD_SVC_DESCRIPTOR, TBytes(65, 'x')},
        TRefusalCase{"negative range", CMD_SVC_RANGES, {0, 0, 0x80, 0xBF, 0, 0, 0, 0, 0, 0, 0, 0}},
        TRefusalCase{"101 with data", CMD_SVC_101, {0}},
        TRefusalCase{"range factor 1.2",
                     CMD_SVC_READINGS,
                     {0x9A, 0x99, 0x99, 0x3F, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F}},
        TRefusalCase{"temperature coefficient 0.2", CMD_SVC_VALUE, {0xCD, 0xCC, 0x4C, 0x3E}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(SimMeterTest, ServiceCommandNeedsTheAccessCode) {
    const TBytes noCode = BuildRequest(CMD_SVC_CONFIG, 0x0012, {}, false);
    EXPECT_EQ(meter.Handle(noCode, now)->at(3), MERBUS_REFUSAL);
    TBytes wrongCode = BuildRequest(CMD_SVC_CONFIG, 0x0012, {}, true);
    wrongCode[8] = 0xD4;
    EXPECT_EQ(meter.Handle(wrongCode, now)->at(8), CMD_SVC_CONFIG);
    EXPECT_EQ(Ask(CMD_SVC_CONFIG), test::Hex("68 0A 00 E0 06 12 00 00 00 16"));
}

TEST_F(SimMeterTest, RefusalLeavesTheStateAsItWas) {
    Ask(CMD_CONVERSIONS, {0});
    Ask(CMD_RANGE, {7});
    EXPECT_EQ(Ask(CMD_CONVERSIONS)[8], 6);
    EXPECT_EQ(Ask(CMD_RANGE)[8], 1);
    EXPECT_FALSE(meter.TakeEepromDirty());
}

TEST_F(SimMeterTest, AddressChangeAnswersFromTheNewAddress) {
    const TBytes a = Ask(CMD_SET_MERBUS_ADDRESS, {0x34, 0x12});
    EXPECT_EQ(a, test::Hex("68 0B 00 82 06 34 12 00 12 00 16"));
    EXPECT_TRUE(Ask(CMD_STATUS).empty()); // the old address is no longer ours
    EXPECT_FALSE(Ask(CMD_STATUS, {}, 0x1234).empty());
    EXPECT_TRUE(meter.TakeEepromDirty());
    EXPECT_EQ(meter.Eeprom().address, 0x1234);
}

TEST_F(SimMeterTest, ZeroingReportsProgressUntilItEnds) {
    meter.SetZeroingMs(2000);
    EXPECT_EQ(Ask(CMD_ZERO_DETECTOR, {1}), test::Hex("68 0A 00 88 06 12 00 00 01 16"));
    EXPECT_TRUE(Status()[8] & sfDetectorZeroing);
    EXPECT_EQ(Ask(CMD_ZERO_SYSTEM, {1})[3], MERBUS_REFUSAL); // one zeroing at a time
    now += 1999;
    EXPECT_EQ(Ask(CMD_ZERO_DETECTOR)[8], 1);
    now += 1;
    EXPECT_EQ(Ask(CMD_ZERO_DETECTOR)[8], 0);
    EXPECT_FALSE(Status()[8] & sfDetectorZeroing);
}

TEST_F(SimMeterTest, SystemZeroingRecordsTheTemperatureAndCommand14StoresIt) {
    meter.SetZeroingMs(100);
    meter.Detector().SetTemperature(28.0, now);
    Ask(CMD_ZERO_SYSTEM, {1});
    EXPECT_TRUE(Status()[8] & sfSystemZeroing);
    now += 100;
    EXPECT_EQ(Ask(CMD_ZERO_SYSTEM)[8], 0);
    const uint16_t code = CelsiusToTempCode(28.0);
    EXPECT_EQ(ReadU16(Status(), 61), code);
    EXPECT_EQ(meter.Eeprom().zeroTempCode, 680); // not stored yet
    EXPECT_EQ(Ask(CMD_STORE_ZERO), test::Hex("68 09 00 8E 06 12 00 00 16"));
    EXPECT_EQ(meter.Eeprom().zeroTempCode, code);
}

TEST_F(SimMeterTest, ZeroingRemovesTheTemperatureOffsets) {
    meter = MakeMeter(Eeprom(), 0);
    meter.SetZeroingMs(0);
    meter.Detector().SetTemperature(40.0, now);
    EXPECT_GT(static_cast<int32_t>(ReadU32(Status(), 23)), 1000); // dark current and system offset at 40 °C
    Ask(CMD_ZERO_DETECTOR, {1});
    Ask(CMD_ZERO_SYSTEM, {1});
    EXPECT_EQ(static_cast<int32_t>(ReadU32(Status(), 23)), 0);
}

TEST_F(SimMeterTest, ServiceDetectorZeroingIsStored) {
    meter.SetZeroingMs(10);
    meter.Detector().SetTemperature(30.0, now);
    EXPECT_EQ(Ask(CMD_SVC_ZERO_DETECTOR, {1})[3], 0xE8);
    now += 10;
    EXPECT_EQ(Ask(CMD_SVC_ZERO_DETECTOR)[8], 0);
    EXPECT_EQ(meter.Eeprom().darkCounts, meter.Detector().DarkCounts(now));
}

} // namespace
} // namespace k730::sim
