// MerBus1 frames: command codes, request building and the receive buffer from
// which answer frames are cut.
//
// Request:  68 | L lo | L hi | cmd | 06 | addr lo | addr hi | [4B D3] | data | 16
// Answer:   68 | L lo | L hi | code | status | addr lo | addr hi | mode | data | 16
// L counts the whole frame. Service commands (96..105) carry the access code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace k730 {

using TBytes = std::vector<uint8_t>;

constexpr uint8_t MERBUS_START = 0x68;
constexpr uint8_t MERBUS_END = 0x16;
constexpr uint8_t MERBUS_FIXED = 0x06;   // request offset 4; also "executed" in answers
constexpr uint8_t MERBUS_REFUSAL = 0x7F; // answer code of a refused command
constexpr uint8_t MERBUS_ANSWER_BIT = 0x80;
constexpr uint16_t MERBUS_BROADCAST = 0xFFFF; // whichever meter listens
constexpr uint8_t SERVICE_ACCESS_CODE[2] = {0x4B, 0xD3};

enum TMerBusCommand : uint8_t {
    CMD_IDENTIFY = 1,
    CMD_SET_MERBUS_ADDRESS = 2,
    CMD_MODBUS_ADDRESS = 3,
    CMD_STATUS = 4,
    CMD_RANGE = 5,
    CMD_DEFAULT_RANGE = 6,
    CMD_CONVERSIONS = 7,
    CMD_ZERO_DETECTOR = 8,
    CMD_ZERO_SYSTEM = 9,
    CMD_SET_MODE = 10,
    CMD_SET_FORCING_VALUE = 11,
    CMD_SET_CAL_PARAMETER = 12,
    CMD_SAVE_CALIBRATION = 13,
    CMD_STORE_ZERO = 14,
    CMD_SVC_CONFIG = 96,
    CMD_SVC_KIND = 97,
    CMD_SVC_DESCRIPTOR = 98,
    CMD_SVC_SERIAL_YEAR = 99,
    CMD_SVC_RANGES = 100,
    CMD_SVC_101 = 101,
    CMD_SVC_READINGS = 103,
    CMD_SVC_ZERO_DETECTOR = 104,
    CMD_SVC_VALUE = 105,
};

// True for the service commands 96..105, which carry SERVICE_ACCESS_CODE.
constexpr bool IsServiceCommand(uint8_t command) {
    return command >= 96 && command <= 105;
}

// Builds a request frame; the access code is inserted when withAccessCode is set.
TBytes BuildRequest(uint8_t command, uint16_t address, std::span<const uint8_t> data, bool withAccessCode);

} // namespace k730
