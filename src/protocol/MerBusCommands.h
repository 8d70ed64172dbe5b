// One builder per meter command. Each takes the address the request goes to
// (0xFFFF while the meter's address is unknown) and the command's data, and
// returns the whole request frame; service commands carry the access code.
// Commands that read without data and set with it take an optional value:
// no value reads.
#pragma once

#include "protocol/MerBusFun.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace k730 {

// Operating modes set by command 10.
enum TMeterMode : uint8_t { mmNormal = 0, mmCalibration = 1, mmForcing4mA = 3 };

// Data of command 13: what the calibration stores in the meter.
struct TCalibrationValues {
    uint32_t forcingValue4mA = 0; // DAC code that forces 4 mA on the loop
    float resultFactor = 0;
    float loopFactor = 0;
    uint16_t calTempCode = 0;  // temperature code at calibration
    uint16_t calTempExtra = 0; // the 16 bits after it, carried as they are
};

TBytes BuildIdentify(uint16_t address);
TBytes BuildSetMerBusAddress(uint16_t address, uint16_t newAddress);
TBytes BuildModBusAddress(uint16_t address, std::optional<uint8_t> newAddress = std::nullopt);
TBytes BuildStatus(uint16_t address);
TBytes BuildRange(uint16_t address, std::optional<uint8_t> range = std::nullopt);
TBytes BuildDefaultRange(uint16_t address, std::optional<uint8_t> range = std::nullopt);
TBytes BuildConversions(uint16_t address, std::optional<uint8_t> count = std::nullopt);
// start: sends the byte 1 that starts the zeroing; otherwise asks whether it still runs.
TBytes BuildZeroDetector(uint16_t address, bool start);
TBytes BuildZeroSystem(uint16_t address, bool start);
TBytes BuildSetMode(uint16_t address, uint8_t mode);
TBytes BuildSetForcingValue(uint16_t address, uint32_t dacValue);
TBytes BuildSetCalParameter(uint16_t address, uint8_t index, std::array<uint8_t, 4> value);
TBytes BuildSaveCalibration(uint16_t address, const TCalibrationValues& values);
TBytes BuildStoreZero(uint16_t address);

TBytes BuildSvcConfig(uint16_t address, std::optional<uint8_t> config = std::nullopt);
TBytes BuildSvcKind(uint16_t address, uint8_t kindByte);
// The descriptor's Windows-1250 bytes; a terminating zero is added unless present.
TBytes BuildSvcDescriptor(uint16_t address, std::string_view descriptor);
TBytes BuildSvcSerialYear(uint16_t address, uint16_t serialNumber, uint16_t productionYear);
TBytes BuildSvcRanges(uint16_t address, const std::array<float, 3>& fullScale);
TBytes BuildSvc101(uint16_t address);
// The three values are written as the raw 32-bit words the caller holds.
TBytes BuildSvcReadings(uint16_t address,
                        const std::optional<std::array<uint32_t, 3>>& values = std::nullopt);
TBytes BuildSvcZeroDetector(uint16_t address, bool start);
TBytes BuildSvcValue(uint16_t address, std::optional<uint32_t> value = std::nullopt);

// A request for `command` with `data`, the access code added for service commands.
TBytes BuildCommand(uint8_t command, uint16_t address, std::span<const uint8_t> data);

} // namespace k730
