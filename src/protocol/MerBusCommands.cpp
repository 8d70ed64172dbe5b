#include "protocol/MerBusCommands.h"
#include "protocol/ByteOrder.h"

namespace k730 {
namespace {

TBytes NoData(uint8_t command, uint16_t address) {
    return BuildCommand(command, address, {});
}

TBytes OptionalByte(uint8_t command, uint16_t address, std::optional<uint8_t> value) {
    if (!value) return NoData(command, address);
    const uint8_t data[] = {*value};
    return BuildCommand(command, address, data);
}

TBytes Zeroing(uint8_t command, uint16_t address, bool start) {
    return OptionalByte(command, address, start ? std::optional<uint8_t>(1) : std::nullopt);
}

} // namespace

TBytes BuildCommand(uint8_t command, uint16_t address, std::span<const uint8_t> data) {
    return BuildRequest(command, address, data, IsServiceCommand(command));
}

TBytes BuildIdentify(uint16_t address) {
    return NoData(CMD_IDENTIFY, address);
}

TBytes BuildSetMerBusAddress(uint16_t address, uint16_t newAddress) {
    TBytes data;
    AppendU16(data, newAddress);
    return BuildCommand(CMD_SET_MERBUS_ADDRESS, address, data);
}

TBytes BuildModBusAddress(uint16_t address, std::optional<uint8_t> newAddress) {
    return OptionalByte(CMD_MODBUS_ADDRESS, address, newAddress);
}

TBytes BuildStatus(uint16_t address) {
    return NoData(CMD_STATUS, address);
}

TBytes BuildRange(uint16_t address, std::optional<uint8_t> range) {
    return OptionalByte(CMD_RANGE, address, range);
}

TBytes BuildDefaultRange(uint16_t address, std::optional<uint8_t> range) {
    return OptionalByte(CMD_DEFAULT_RANGE, address, range);
}

TBytes BuildConversions(uint16_t address, std::optional<uint8_t> count) {
    return OptionalByte(CMD_CONVERSIONS, address, count);
}

TBytes BuildZeroDetector(uint16_t address, bool start) {
    return Zeroing(CMD_ZERO_DETECTOR, address, start);
}

TBytes BuildZeroSystem(uint16_t address, bool start) {
    return Zeroing(CMD_ZERO_SYSTEM, address, start);
}

TBytes BuildSetMode(uint16_t address, uint8_t mode) {
    return OptionalByte(CMD_SET_MODE, address, mode);
}

TBytes BuildSetForcingValue(uint16_t address, uint32_t dacValue) {
    TBytes data;
    AppendU32(data, dacValue);
    return BuildCommand(CMD_SET_FORCING_VALUE, address, data);
}

TBytes BuildSetCalParameter(uint16_t address, uint8_t index, std::array<uint8_t, 4> value) {
    const uint8_t data[] = {index, value[0], value[1], value[2], value[3]};
    return BuildCommand(CMD_SET_CAL_PARAMETER, address, data);
}

TBytes BuildSaveCalibration(uint16_t address, const TCalibrationValues& values) {
    TBytes data;
    AppendU32(data, values.forcingValue4mA);
    AppendF32(data, values.resultFactor);
    AppendF32(data, values.loopFactor);
    AppendU16(data, values.calTempCode);
    AppendU16(data, values.calTempExtra);
    return BuildCommand(CMD_SAVE_CALIBRATION, address, data);
}

TBytes BuildStoreZero(uint16_t address) {
    return NoData(CMD_STORE_ZERO, address);
}

TBytes BuildSvcConfig(uint16_t address, std::optional<uint8_t> config) {
    return OptionalByte(CMD_SVC_CONFIG, address, config);
}

TBytes BuildSvcKind(uint16_t address, uint8_t kindByte) {
    return OptionalByte(CMD_SVC_KIND, address, kindByte);
}

TBytes BuildSvcDescriptor(uint16_t address, std::string_view descriptor) {
    TBytes data(descriptor.begin(), descriptor.end());
    if (data.empty() || data.back() != 0) data.push_back(0);
    return BuildCommand(CMD_SVC_DESCRIPTOR, address, data);
}

TBytes BuildSvcSerialYear(uint16_t address, uint16_t serialNumber, uint16_t productionYear) {
    TBytes data;
    AppendU16(data, serialNumber);
    AppendU16(data, productionYear);
    return BuildCommand(CMD_SVC_SERIAL_YEAR, address, data);
}

TBytes BuildSvcRanges(uint16_t address, const std::array<float, 3>& fullScale) {
    TBytes data;
    for (const float value : fullScale)
        AppendF32(data, value);
    return BuildCommand(CMD_SVC_RANGES, address, data);
}

TBytes BuildSvc101(uint16_t address) {
    return NoData(CMD_SVC_101, address);
}

TBytes BuildSvcReadings(uint16_t address, const std::optional<std::array<uint32_t, 3>>& values) {
    if (!values) return NoData(CMD_SVC_READINGS, address);
    TBytes data;
    for (const uint32_t value : *values)
        AppendU32(data, value);
    return BuildCommand(CMD_SVC_READINGS, address, data);
}

TBytes BuildSvcZeroDetector(uint16_t address, bool start) {
    return Zeroing(CMD_SVC_ZERO_DETECTOR, address, start);
}

TBytes BuildSvcValue(uint16_t address, std::optional<uint32_t> value) {
    if (!value) return NoData(CMD_SVC_VALUE, address);
    TBytes data;
    AppendU32(data, *value);
    return BuildCommand(CMD_SVC_VALUE, address, data);
}

} // namespace k730
