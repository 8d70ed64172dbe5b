// Every request builder of the core sent to the simulated meter, and every
// answer read back with the core's decoders: the program and the simulator
// must agree on each layout.
#include "protocol/MerBusAnswers.h"
#include "protocol/MerBusCommands.h"
#include "sim/SimMeter.h"

#include <gtest/gtest.h>

#include <bit>

namespace k730::sim {
namespace {

constexpr uint16_t kAddress = 0x0007;

class SimProtocolTest : public ::testing::Test {
protected:
    SimProtocolTest() : meter(Eeprom(), TSimDetector(Hardware()), 0) { meter.SetZeroingMs(500); }
    static TSimEeprom Eeprom() {
        TSimEeprom e = DefaultEeprom(1);
        e.address = kAddress;
        return e;
    }
    static TSimHardware Hardware() {
        TSimHardware hw;
        hw.driftCPerMinute = 0;
        return hw;
    }
    TBytes Send(const TBytes& request) { return meter.Handle(request, now).value_or(TBytes{}); }
    static std::array<uint8_t, 4> Word(uint32_t v) {
        return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                static_cast<uint8_t>(v >> 24)};
    }

    TSimMeter meter;
    int64_t now = 2000;
};

TEST_F(SimProtocolTest, Identity) {
    const auto id = DecodeIdentity(Send(BuildIdentify(MERBUS_BROADCAST)));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->address, kAddress);
    EXPECT_EQ(id->DescriptorUtf8(), "K-730/V/20k/E/0");
    EXPECT_EQ(id->FirmwareVersionUtf8(), "2.1.0003");
    EXPECT_EQ(id->ProducerTextUtf8(), "MERIDOX\r\nSymulator miernika K-730");
    EXPECT_EQ(id->MeterKind(), 1);
    EXPECT_FALSE(id->LumMode());
    EXPECT_EQ(id->rangeCount, 3);
    EXPECT_EQ(id->rangeFullScale, (std::array<float, 3>{200, 2000, 20000}));
    EXPECT_EQ(id->serialNumber, 1001);
    EXPECT_EQ(id->productionYear, 2024);
}

TEST_F(SimProtocolTest, Status) {
    const auto first = DecodeStatus(Send(BuildStatus(kAddress)));
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->IsDeviceReset());
    const auto s = DecodeStatus(Send(BuildStatus(kAddress)));
    ASSERT_TRUE(s);
    EXPECT_TRUE(s->IsDisplayable());
    EXPECT_EQ(s->header.mode, 0);
    EXPECT_EQ(s->flags, sfLoopOn);
    EXPECT_NEAR(*s->value, 500.0f, 0.01f);
    EXPECT_LE(*s->minimum, *s->value);
    EXPECT_GE(*s->maximum, *s->value);
    EXPECT_EQ(s->conversions, 6);
    EXPECT_EQ(s->kindByte, 1);
    // A quarter of full scale in counts, divided by the detector's sensitivity.
    EXPECT_NEAR(*s->rawCount, 0.25 * 16777215 / 1.4142135, 2);
    EXPECT_EQ(s->temperatureCode, 680);
    EXPECT_EQ(s->forcingValue4mA, 0x4000u);
    EXPECT_EQ(s->resultFactor, 1.4142135f);
    EXPECT_EQ(s->loopFactor, 1.4142135f);
    EXPECT_EQ(s->calTempCode, 680);
    EXPECT_EQ(s->rangeFullScale, 2000.0f);
    EXPECT_EQ(s->zeroTempCode, 680);
    // 500 lx of 2 klx: a quarter of the 16 mA span above 4 mA.
    EXPECT_NEAR(*s->loopDacInUse, 0x4000 + 0.25 * 65536, 2);
}

TEST_F(SimProtocolTest, Addresses) {
    const auto set = DecodeAddressSet(Send(BuildSetMerBusAddress(kAddress, 0x0102)));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->address, 0x0102);
    EXPECT_EQ(set->requestedAddress, kAddress);
    EXPECT_EQ(DecodeModBusAddress(Send(BuildModBusAddress(0x0102))), 1);
    EXPECT_EQ(DecodeModBusAddress(Send(BuildModBusAddress(0x0102, 200))), 200);
    EXPECT_EQ(DecodeModBusAddress(Send(BuildModBusAddress(MERBUS_BROADCAST))), 200);
}

TEST_F(SimProtocolTest, RangesAndConversions) {
    EXPECT_EQ(DecodeRange(Send(BuildRange(kAddress))), 1);
    EXPECT_EQ(DecodeRange(Send(BuildRange(kAddress, 0))), 0);
    EXPECT_EQ(DecodeDefaultRange(Send(BuildDefaultRange(kAddress, 2))), 2);
    EXPECT_EQ(DecodeDefaultRange(Send(BuildDefaultRange(kAddress))), 2);
    EXPECT_EQ(DecodeConversions(Send(BuildConversions(kAddress, 1))), 1);
    EXPECT_EQ(DecodeConversions(Send(BuildConversions(kAddress))), 1);
    EXPECT_EQ(DecodeRefusal(Send(BuildRange(kAddress, 3))), CMD_RANGE);
}

TEST_F(SimProtocolTest, ZeroingCommands) {
    EXPECT_EQ(DecodeZeroingRunning(Send(BuildZeroDetector(kAddress, true))), true);
    EXPECT_EQ(DecodeZeroingRunning(Send(BuildZeroDetector(kAddress, false))), true);
    now += 500;
    EXPECT_EQ(DecodeZeroingRunning(Send(BuildZeroDetector(kAddress, false))), false);
    EXPECT_EQ(DecodeZeroingRunning(Send(BuildZeroSystem(kAddress, true))), true);
    const auto running = DecodeStatus(Send(BuildStatus(kAddress)));
    EXPECT_EQ(*running->flags & sfSystemZeroing, sfSystemZeroing);
    now += 500;
    EXPECT_EQ(DecodeZeroingRunning(Send(BuildZeroSystem(kAddress, false))), false);
    EXPECT_TRUE(IsAcknowledgement(Send(BuildStoreZero(kAddress)), ANS_STORE_ZERO));
    EXPECT_EQ(DecodeZeroingRunning(Send(BuildSvcZeroDetector(kAddress, true))), true);
    now += 500;
    EXPECT_EQ(DecodeZeroingRunning(Send(BuildSvcZeroDetector(kAddress, false))), false);
}

TEST_F(SimProtocolTest, CalibrationCommands) {
    const TBytes mode = Send(BuildSetMode(kAddress, mmForcing4mA));
    EXPECT_TRUE(IsAcknowledgement(mode, ANS_SET_MODE));
    EXPECT_EQ(DecodeAnswerHeader(mode)->mode, mmForcing4mA);
    EXPECT_EQ(DecodeForcingValue(Send(BuildSetForcingValue(kAddress, 0x4100))), 0x4100u);
    EXPECT_EQ(DecodeForcingValue(Send(BuildSetForcingValue(kAddress, 0x3000))), 0x3800u);
    const TBytes param = Send(BuildSetCalParameter(kAddress, 1, Word(0x4100)));
    EXPECT_TRUE(IsAcknowledgement(param, ANS_SET_CAL_PARAMETER));
    EXPECT_EQ(TBytes(AnswerData(param).begin(), AnswerData(param).end()), (TBytes{1, 0x00, 0x41, 0, 0}));
    EXPECT_TRUE(IsAcknowledgement(Send(BuildSetMode(kAddress, mmCalibration)), ANS_SET_MODE));
    const TCalibrationValues values{0x4100, 1.25f, 1.5f, 700, 0};
    const auto saved = DecodeCalibrationSaved(Send(BuildSaveCalibration(kAddress, values)));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->forcingValue4mA, 0x4100u);
    EXPECT_EQ(saved->resultFactor, 1.25f);
    EXPECT_EQ(saved->loopFactor, 1.5f);
    EXPECT_EQ(saved->calTempCode, 700);
    EXPECT_TRUE(IsAcknowledgement(Send(BuildSetMode(kAddress, mmNormal)), ANS_SET_MODE));
    const auto s = DecodeStatus(Send(BuildStatus(kAddress)));
    EXPECT_EQ(s->resultFactor, 1.25f);
    EXPECT_EQ(s->calTempCode, 700);
}

TEST_F(SimProtocolTest, ServiceCommands) {
    EXPECT_EQ(DecodeSvcConfig(Send(BuildSvcConfig(kAddress, 0x3C))), 0x3C);
    EXPECT_EQ(DecodeSvcConfig(Send(BuildSvcConfig(kAddress))), 0x3C);
    EXPECT_TRUE(IsAcknowledgement(Send(BuildSvcKind(kAddress, 0x81)), ANS_SVC_KIND));
    EXPECT_TRUE(
        IsAcknowledgement(Send(BuildSvcDescriptor(kAddress, "K-730/V/2M/L1\xB0/3/A1")), ANS_SVC_DESCRIPTOR));
    EXPECT_TRUE(IsAcknowledgement(Send(BuildSvcSerialYear(kAddress, 321, 2019)), ANS_SVC_SERIAL_YEAR));
    EXPECT_TRUE(IsAcknowledgement(Send(BuildSvcRanges(kAddress, {2e6f, 0, 0})), ANS_SVC_RANGES));
    const auto id = DecodeIdentity(Send(BuildIdentify(kAddress)));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->DescriptorUtf8(), "K-730/V/2M/L1°/3/A1");
    EXPECT_EQ(id->kindByte, 0x81);
    EXPECT_EQ(id->rangeCount, 1);
    EXPECT_EQ(id->serialNumber, 321);
    EXPECT_EQ(id->productionYear, 2019);
    // Range 1 was the one in use; with one range left the meter falls back to it.
    EXPECT_EQ(DecodeRefusal(Send(BuildRange(kAddress, 1))), CMD_RANGE);
    EXPECT_EQ(DecodeStatus(Send(BuildStatus(kAddress)))->rangeFullScale, 2e6f);

    const std::array<uint32_t, 3> factors{std::bit_cast<uint32_t>(1.05f), std::bit_cast<uint32_t>(0.95f),
                                          std::bit_cast<uint32_t>(1.0f)};
    EXPECT_EQ(DecodeSvcReadings(Send(BuildSvcReadings(kAddress, factors))),
              (std::array<float, 3>{1.05f, 0.95f, 1.0f}));
    EXPECT_EQ(DecodeSvcReadings(Send(BuildSvcReadings(kAddress))),
              (std::array<float, 3>{1.05f, 0.95f, 1.0f}));
    EXPECT_EQ(DecodeSvcValue(Send(BuildSvcValue(kAddress, std::bit_cast<uint32_t>(-0.002f)))), -0.002f);
    EXPECT_EQ(DecodeSvcValue(Send(BuildSvcValue(kAddress))), -0.002f);
    const TBytes dac = Send(BuildSvc101(kAddress));
    EXPECT_TRUE(IsAcknowledgement(dac, ANS_SVC_101));
    EXPECT_EQ(DecodeAnswerHeader(dac)->mode, smDacDriving);
}

TEST_F(SimProtocolTest, RefusalsDecodeToTheRefusedCommand) {
    EXPECT_EQ(DecodeRefusal(Send(BuildCommand(0x20, kAddress, {}))), 0x20);
    EXPECT_EQ(DecodeRefusal(Send(BuildSaveCalibration(kAddress, {0x4000, 1.5f, 1.5f, 680, 0}))),
              CMD_SAVE_CALIBRATION);
    EXPECT_EQ(DecodeRefusal(Send(BuildSetCalParameter(kAddress, 3, Word(std::bit_cast<uint32_t>(2.5f))))),
              CMD_SET_CAL_PARAMETER);
    EXPECT_EQ(DecodeRefusal(Send(BuildSvcKind(kAddress, 0x84 + 1))), CMD_SVC_KIND);
    const auto header = AcceptAnswer(Send(BuildCommand(0x20, kAddress, {})));
    ASSERT_TRUE(header);
    EXPECT_TRUE(header->IsRefusal());
    EXPECT_EQ(header->address, kAddress);
}

} // namespace
} // namespace k730::sim
