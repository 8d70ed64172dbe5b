#include "protocol/MerBusCommands.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

using test::Hex;

struct TBuilderCase {
    const char* name;
    TBytes frame;
    const char* expected;
};

class CommandBuilder : public testing::TestWithParam<TBuilderCase> {};

TEST_P(CommandBuilder, LaysOutTheRequestBytes) {
    EXPECT_EQ(GetParam().frame, Hex(GetParam().expected));
}

constexpr uint16_t kAddr = 0x0012;

INSTANTIATE_TEST_SUITE_P(
    Ordinary, CommandBuilder,
    testing::Values(
        TBuilderCase{"Identify", BuildIdentify(0xFFFF), "68 08 00 01 06 FF FF 16"},
        TBuilderCase{"SetMerBusAddress", BuildSetMerBusAddress(kAddr, 0x0345),
                     "68 0A 00 02 06 12 00 45 03 16"},
        TBuilderCase{"ModBusRead", BuildModBusAddress(kAddr), "68 08 00 03 06 12 00 16"},
        TBuilderCase{"ModBusSet", BuildModBusAddress(kAddr, 247), "68 09 00 03 06 12 00 F7 16"},
        TBuilderCase{"Status", BuildStatus(kAddr), "68 08 00 04 06 12 00 16"},
        TBuilderCase{"RangeRead", BuildRange(kAddr), "68 08 00 05 06 12 00 16"},
        TBuilderCase{"RangeSet", BuildRange(kAddr, 2), "68 09 00 05 06 12 00 02 16"},
        TBuilderCase{"DefaultRangeSet", BuildDefaultRange(kAddr, 1), "68 09 00 06 06 12 00 01 16"},
        TBuilderCase{"ConversionsSet", BuildConversions(kAddr, 255), "68 09 00 07 06 12 00 FF 16"},
        TBuilderCase{"ZeroDetectorStart", BuildZeroDetector(kAddr, true), "68 09 00 08 06 12 00 01 16"},
        TBuilderCase{"ZeroSystemAsk", BuildZeroSystem(kAddr, false), "68 08 00 09 06 12 00 16"},
        TBuilderCase{"SetMode", BuildSetMode(kAddr, mmForcing4mA), "68 09 00 0A 06 12 00 03 16"},
        TBuilderCase{"ForcingValue", BuildSetForcingValue(kAddr, 0x01020304),
                     "68 0C 00 0B 06 12 00 04 03 02 01 16"},
        TBuilderCase{"CalParameter", BuildSetCalParameter(kAddr, 2, {0xA1, 0xA2, 0xA3, 0xA4}),
                     "68 0D 00 0C 06 12 00 02 A1 A2 A3 A4 16"},
        TBuilderCase{"SaveCalibration", BuildSaveCalibration(kAddr, {0x11223344, 1.0f, -2.0f, 0x01F4, 0}),
                     "68 18 00 0D 06 12 00 44 33 22 11 00 00 80 3F 00 00 00 C0 F4 01 00 00 16"},
        TBuilderCase{"StoreZero", BuildStoreZero(kAddr), "68 08 00 0E 06 12 00 16"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Service, CommandBuilder,
    testing::Values(
        TBuilderCase{"ConfigRead", BuildSvcConfig(kAddr), "68 0A 00 60 06 12 00 4B D3 16"},
        TBuilderCase{"ConfigWrite", BuildSvcConfig(kAddr, 0x05), "68 0B 00 60 06 12 00 4B D3 05 16"},
        TBuilderCase{"Kind", BuildSvcKind(kAddr, 0x81), "68 0B 00 61 06 12 00 4B D3 81 16"},
        TBuilderCase{"DescriptorGetsZero", BuildSvcDescriptor(kAddr, "K-7"),
                     "68 0E 00 62 06 12 00 4B D3 4B 2D 37 00 16"},
        TBuilderCase{"DescriptorKeepsItsZero", BuildSvcDescriptor(kAddr, std::string_view("K\0", 2)),
                     "68 0C 00 62 06 12 00 4B D3 4B 00 16"},
        TBuilderCase{"EmptyDescriptor", BuildSvcDescriptor(kAddr, ""), "68 0B 00 62 06 12 00 4B D3 00 16"},
        TBuilderCase{"SerialYear", BuildSvcSerialYear(kAddr, 0x1234, 2024),
                     "68 0E 00 63 06 12 00 4B D3 34 12 E8 07 16"},
        TBuilderCase{"Ranges", BuildSvcRanges(kAddr, {10.0f, 100.0f, 0.0f}),
                     "68 16 00 64 06 12 00 4B D3 00 00 20 41 00 00 C8 42 00 00 00 00 16"},
        TBuilderCase{"Svc101", BuildSvc101(kAddr), "68 0A 00 65 06 12 00 4B D3 16"},
        TBuilderCase{"ReadingsRead", BuildSvcReadings(kAddr), "68 0A 00 67 06 12 00 4B D3 16"},
        TBuilderCase{"ReadingsWrite", BuildSvcReadings(kAddr, std::array<uint32_t, 3>{1, 2, 0x80000000}),
                     "68 16 00 67 06 12 00 4B D3 01 00 00 00 02 00 00 00 00 00 00 80 16"},
        TBuilderCase{"ZeroStart", BuildSvcZeroDetector(kAddr, true), "68 0B 00 68 06 12 00 4B D3 01 16"},
        TBuilderCase{"ZeroAsk", BuildSvcZeroDetector(kAddr, false), "68 0A 00 68 06 12 00 4B D3 16"},
        TBuilderCase{"ValueWrite", BuildSvcValue(kAddr, 0x3F800000),
                     "68 0E 00 69 06 12 00 4B D3 00 00 80 3F 16"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace k730
