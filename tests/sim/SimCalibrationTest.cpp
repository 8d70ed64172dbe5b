// Calibration modes, the modelled current loop and the service commands:
// the arithmetic of the calibration wizard run against the simulated meter
// must end with 4 mA and the expected current on the amperemeter.
#include "protocol/ByteOrder.h"
#include "sim/SimMeter.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace k730::sim {
namespace {

class SimCalibrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        TLightModel light;
        light.level = 1000; // the reference source: 1000 lx at the detector
        TSimHardware hw;
        hw.sensitivity = 1.5; // the detector really needs KE = 1.5
        hw.loopGain = 0.99;   // and the loop driver is 1 % low
        hw.driftCPerMinute = 0;
        meter = std::make_unique<TSimMeter>(DefaultEeprom(1), TSimDetector(hw, TSimLight(light)), 0);
        Ask(CMD_STATUS); // the power-on report
    }
    TBytes Ask(uint8_t command, TBytes data = {}) {
        return meter->Handle(BuildRequest(command, 1, data, IsServiceCommand(command)), now)
            .value_or(TBytes{});
    }
    static TBytes U32(uint32_t v) {
        TBytes b;
        AppendU32(b, v);
        return b;
    }
    static TBytes Parameter(uint8_t index, TBytes value) {
        value.insert(value.begin(), index);
        return value;
    }
    static TBytes F32(float v) {
        TBytes b;
        AppendF32(b, v);
        return b;
    }

    std::unique_ptr<TSimMeter> meter;
    int64_t now = 1000;
};

TEST_F(SimCalibrationTest, FourMilliampereStepConvergesAndIsClampedToItsWindow) {
    EXPECT_EQ(Ask(CMD_SET_MODE, {3}), test::Hex("68 09 00 8A 06 01 00 03 16"));
    EXPECT_EQ(ReadU32(Ask(CMD_SET_FORCING_VALUE, U32(0x4000)), 8), 0x4000u);
    TBytes status = Ask(CMD_STATUS);
    EXPECT_EQ(status[7], 3);
    const uint32_t inUse = ReadU32(status, 35);
    const double measured = meter->LoopCurrentMa(now);
    EXPECT_NEAR(measured, 3.96, 1e-9);
    // The wizard's correction: round(DAC in use × 4 / measured mA).
    const auto corrected = static_cast<uint32_t>(std::nearbyint(inUse * 4 / measured));
    EXPECT_EQ(ReadU32(Ask(CMD_SET_FORCING_VALUE, U32(corrected)), 8), corrected);
    EXPECT_NEAR(meter->LoopCurrentMa(now), 4.0, 0.001);
    // An entry of 2 mA would ask for 0x8000: the meter keeps 0x5000 and says so in the echo.
    EXPECT_EQ(ReadU32(Ask(CMD_SET_FORCING_VALUE, U32(0x8000)), 8), 0x5000u);
    EXPECT_EQ(ReadU32(Ask(CMD_STATUS), 35), 0x5000u);
}

TEST_F(SimCalibrationTest, WholeCalibrationMakesReadingAndLoopTrue) {
    // Step I: find and write the 4 mA code.
    Ask(CMD_SET_MODE, {3});
    Ask(CMD_SET_FORCING_VALUE, U32(0x4000));
    const auto dac0 = static_cast<uint32_t>(std::nearbyint(0x4000 * 4 / meter->LoopCurrentMa(now)));
    Ask(CMD_SET_FORCING_VALUE, U32(dac0));
    EXPECT_EQ(Ask(CMD_SET_CAL_PARAMETER, Parameter(1, U32(dac0))), [&] {
        TBytes echo = test::Hex("68 0E 00 8C 06 01 00 03");
        const TBytes p = Parameter(1, U32(dac0));
        echo.insert(echo.end(), p.begin(), p.end());
        echo.push_back(MERBUS_END);
        return echo;
    }());
    // Step II: calibration mode; reference 1000 lx on the 2 klx range.
    Ask(CMD_SET_MODE, {1});
    const TBytes s = Ask(CMD_STATUS);
    EXPECT_EQ(ReadU32(s, 41), dac0);
    const double raw = static_cast<int32_t>(ReadU32(s, 23));
    const double fs = ReadF32(s, 57);
    const double inUse = ReadU32(s, 35);
    const double e = 1000, x = 4 + 16 * e / fs, i = meter->LoopCurrentMa(now);
    const auto loopFactor = static_cast<float>((inUse - dac0) / raw * 16777215 / 65536 * (x - 4) / (i - 4));
    const auto resultFactor = static_cast<float>(e / raw / fs * 16777215);
    EXPECT_NEAR(resultFactor, 1.5f, 1e-4f);
    const uint16_t temp = ReadU16(s, 39);
    EXPECT_EQ(Ask(CMD_SET_CAL_PARAMETER, Parameter(3, F32(loopFactor)))[3], 0x8C);
    EXPECT_EQ(Ask(CMD_SET_CAL_PARAMETER, Parameter(2, F32(resultFactor)))[3], 0x8C);
    EXPECT_EQ(Ask(CMD_SET_CAL_PARAMETER, Parameter(4, U32(temp)))[3], 0x8C);
    TBytes save = U32(dac0);
    for (const TBytes& part : {F32(resultFactor), F32(loopFactor), U32(temp)})
        save.insert(save.end(), part.begin(), part.end());
    const TBytes saved = Ask(CMD_SAVE_CALIBRATION, save);
    ASSERT_EQ(saved.size(), 25u);
    EXPECT_EQ(saved[3], 0x8D);
    EXPECT_EQ(TBytes(saved.begin() + 8, saved.end() - 1), save);
    Ask(CMD_SET_MODE, {0});
    // Back in normal mode: the reading and the loop tell the truth.
    const TBytes after = Ask(CMD_STATUS);
    EXPECT_NEAR(ReadF32(after, 9), 1000.0f, 0.1f);
    EXPECT_NEAR(meter->LoopCurrentMa(now), x, 0.002);
    EXPECT_EQ(meter->Eeprom().forcing4mA, dac0);
    EXPECT_EQ(meter->Eeprom().resultFactor, resultFactor);
    EXPECT_EQ(meter->Eeprom().loopFactor, loopFactor);
    EXPECT_EQ(meter->Eeprom().calTempCode, temp);
}

TEST_F(SimCalibrationTest, LeavingCalibrationWithoutSavingDropsWrittenParameters) {
    Ask(CMD_SET_MODE, {1});
    Ask(CMD_SET_CAL_PARAMETER, Parameter(2, F32(1.9f)));
    EXPECT_EQ(ReadF32(Ask(CMD_STATUS), 45), 1.9f);
    Ask(CMD_SET_MODE, {0});
    EXPECT_EQ(ReadF32(Ask(CMD_STATUS), 45), 1.4142135f);
    EXPECT_FALSE(meter->TakeEepromDirty());
}

TEST_F(SimCalibrationTest, RefusedCommandIsRefusedInEveryModeUntilCleared) {
    Ask(CMD_SET_MODE, {1});
    meter->SetRefused(CMD_SAVE_CALIBRATION);
    TBytes save = U32(0x4000);
    for (const TBytes& part : {F32(1.5f), F32(1.0f), U32(0x2A8)})
        save.insert(save.end(), part.begin(), part.end());
    EXPECT_EQ(Ask(CMD_SAVE_CALIBRATION, save), test::Hex("68 0A 00 7F 06 01 00 01 0D 16"));
    EXPECT_EQ(Ask(CMD_STATUS)[3], 0x84) << "other commands are answered";
    meter->SetRefused(std::nullopt);
    EXPECT_EQ(Ask(CMD_SAVE_CALIBRATION, save)[3], 0x8D);
}

TEST_F(SimCalibrationTest, SecondMeterAnswersWhatThisOneIsAsked) {
    meter->SetAnswerAddress(7);
    EXPECT_EQ(ReadU16(Ask(CMD_STATUS), 5), 7);
    meter->SetAnswerAddress(std::nullopt);
    EXPECT_EQ(ReadU16(Ask(CMD_STATUS), 5), 1);
}

TEST_F(SimCalibrationTest, InvalidFactorsAndLoopStateShowInTheFlags) {
    TSimEeprom e = DefaultEeprom(1);
    e.resultFactor = 0.5f;
    e.loopFactor = 3.0f;
    e.forcing4mA = 0x3000;
    e.currentLoop = false;
    meter = std::make_unique<TSimMeter>(e, TSimDetector(), 0);
    Ask(CMD_STATUS);
    EXPECT_EQ(Ask(CMD_STATUS)[8], sfResultFactorInvalid | sfLoopFactorInvalid | sfForcingInvalid);
    EXPECT_EQ(meter->LoopCurrentMa(now), 0.0);
}

TEST_F(SimCalibrationTest, DacDrivingModeTakesAnyTwentyBitValue) {
    const TBytes entered = Ask(CMD_SVC_101);
    EXPECT_EQ(entered[3], 0xE5);
    EXPECT_EQ(entered[7], smDacDriving);
    EXPECT_EQ(ReadU32(Ask(CMD_SET_FORCING_VALUE, U32(0x14000)), 8), 0x14000u);
    EXPECT_NEAR(meter->LoopCurrentMa(now), 20 * 0.99, 1e-9);
    EXPECT_EQ(ReadU32(Ask(CMD_SET_FORCING_VALUE, U32(0x123456)), 8), 0xFFFFFu);
    EXPECT_EQ(Ask(CMD_SET_MODE, {0})[7], smNormal);
}

TEST_F(SimCalibrationTest, RangeFactorsAndTemperatureCoefficientCorrectTheResult) {
    TBytes factors;
    for (float f : {1.0f, 1.1f, 0.9f}) {
        const TBytes b = F32(f);
        factors.insert(factors.end(), b.begin(), b.end());
    }
    Ask(CMD_SVC_READINGS, factors);
    const TBytes read = Ask(CMD_SVC_READINGS);
    EXPECT_EQ(TBytes(read.begin() + 8, read.end() - 1), factors);
    const float before = ReadF32(Ask(CMD_STATUS), 9);
    EXPECT_EQ(ReadF32(Ask(CMD_SVC_VALUE, F32(0.01f)), 8), 0.01f);
    meter->Detector().SetTemperature(33.0, now); // 10 K above calibration: +10 %
    const float after = ReadF32(Ask(CMD_STATUS), 9);
    EXPECT_NEAR(after / before, 1.1, 0.002);
}

} // namespace
} // namespace k730::sim
