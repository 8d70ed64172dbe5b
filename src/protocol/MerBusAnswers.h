// Decoders of the meter's answers into plain structs. Every decoder takes one
// whole frame as cut by TReceiveBuffer, accepts it only when it is a whole
// MerBus1 frame with the expected answer code and the status "executed"
// (0x06), and never reads past the frame's data: a field that the frame is
// too short to carry is either a reason to refuse the frame (fields the answer
// is about) or left unset (the status answer's optional fields).
// Texts stay in the meter's Windows-1250 bytes; the *Utf8 helpers convert.
#pragma once

#include "protocol/MerBusFun.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace k730 {

constexpr uint8_t MERBUS_EXECUTED = MERBUS_FIXED; // answer status of an executed command

// Answer codes that the decoders check.
enum TAnswerCode : uint8_t {
    ANS_IDENTIFY = 0x81,
    ANS_SET_MERBUS_ADDRESS = 0x82,
    ANS_MODBUS_ADDRESS = 0x83,
    ANS_STATUS = 0x84,
    ANS_RANGE = 0x85,
    ANS_DEFAULT_RANGE = 0x86,
    ANS_CONVERSIONS = 0x87,
    ANS_ZERO_DETECTOR = 0x88,
    ANS_ZERO_SYSTEM = 0x89,
    ANS_SET_MODE = 0x8A,
    ANS_SET_FORCING_VALUE = 0x8B,
    ANS_SET_CAL_PARAMETER = 0x8C,
    ANS_SAVE_CALIBRATION = 0x8D,
    ANS_STORE_ZERO = 0x8E,
    ANS_SVC_CONFIG = 0xE0,
    ANS_SVC_KIND = 0xE1,
    ANS_SVC_DESCRIPTOR = 0xE2,
    ANS_SVC_SERIAL_YEAR = 0xE3,
    ANS_SVC_RANGES = 0xE4,
    ANS_SVC_101 = 0xE5,
    ANS_SVC_READINGS = 0xE7,
    ANS_SVC_ZERO_DETECTOR = 0xE8,
    ANS_SVC_VALUE = 0xE9,
};

// What every answer says about itself.
struct TAnswerHeader {
    uint8_t code = 0;                // command + 0x80, or MERBUS_REFUSAL
    uint8_t status = 0;              // MERBUS_EXECUTED when the command was carried out
    std::optional<uint16_t> address; // frames longer than 6 bytes
    std::optional<uint8_t> mode;     // frames longer than 7 bytes
    std::optional<uint8_t> command;  // the command answered, or refused (byte 8 of a refusal)
    size_t length = 0;

    bool IsRefusal() const { return code == MERBUS_REFUSAL; }
    bool IsExecuted() const { return status == MERBUS_EXECUTED; }
};

// The header of any whole MerBus1 frame, whatever its status.
std::optional<TAnswerHeader> DecodeAnswerHeader(std::span<const uint8_t> frame);
// The header of an answer to act on: a whole frame with status 0x06. Frames
// with any other status are to be dropped without effect.
std::optional<TAnswerHeader> AcceptAnswer(std::span<const uint8_t> frame);
// Bytes 8 .. L-2 of a whole frame (empty for frames shorter than 10 bytes).
std::span<const uint8_t> AnswerData(std::span<const uint8_t> frame);

// Identity answer (0x81): texts, then an 18-byte trailer.
struct TIdentityAnswer {
    uint16_t address = 0;
    uint8_t mode = 0;
    std::vector<std::string> texts; // every text in order, Windows-1250
    std::string descriptor;         // the first text
    std::string firmwareVersion;    // the last later text of digits and points only
    std::vector<std::string> producerLines;
    uint8_t kindByte = 0;                  // bits 0-6 meter kind, bit 7 luminance mode
    std::array<float, 3> rangeFullScale{}; // in the meter's unit
    uint8_t rangeCount = 0;                // leading full-scale values above 0
    uint16_t serialNumber = 0xFFFF;        // 0xFFFF = not programmed
    uint16_t productionYear = 0xFFFF;      // 0xFFFF = not programmed

    uint8_t MeterKind() const { return kindByte & 0x7F; }
    bool LumMode() const { return (kindByte & 0x80) != 0; }
    std::string DescriptorUtf8() const;
    std::string FirmwareVersionUtf8() const;
    std::string ProducerTextUtf8() const; // lines joined with CR LF
    std::string IdentityTextUtf8() const; // all texts joined with CR LF
};
constexpr size_t IDENTITY_TRAILER = 18;
std::optional<TIdentityAnswer> DecodeIdentity(std::span<const uint8_t> frame);

// Status answer (0x84). Each field is set only when the frame carries it; the
// calibration fields only when the meter is in normal mode (mode byte 0).
struct TStatusAnswer {
    TAnswerHeader header;
    std::optional<uint8_t> flags; // 255 = the meter has just been reset
    std::optional<float> value;
    std::optional<float> minimum; // of the conversion batch
    std::optional<float> maximum;
    std::optional<uint8_t> conversions;
    std::optional<uint8_t> kindByte;
    std::optional<int32_t> rawCount;
    std::optional<uint32_t> loopDacInUse;
    std::optional<uint16_t> temperatureCode;
    std::optional<uint32_t> forcingValue4mA;
    std::optional<float> resultFactor;
    std::optional<float> loopFactor;
    std::optional<int16_t> calTempCode;
    std::optional<float> rangeFullScale;  // of the range in use
    std::optional<uint16_t> zeroTempCode; // 0xFFFF = never zeroed

    // The display uses only answers of at least this length.
    static constexpr size_t DISPLAY_LENGTH = 56;
    bool IsDisplayable() const { return header.length >= DISPLAY_LENGTH; }
    bool IsDeviceReset() const { return flags == 255; }
};
std::optional<TStatusAnswer> DecodeStatus(std::span<const uint8_t> frame);

// Address-set answer (0x82): the meter's (new) address, and the address the
// request was sent to when the meter echoes it.
struct TAddressSetAnswer {
    uint16_t address = 0;
    std::optional<uint16_t> requestedAddress;
};
std::optional<TAddressSetAnswer> DecodeAddressSet(std::span<const uint8_t> frame);

// Answers whose data is the byte at offset 8.
std::optional<uint8_t> DecodeByteAnswer(std::span<const uint8_t> frame, uint8_t code);
std::optional<uint8_t> DecodeModBusAddress(std::span<const uint8_t> frame); // 0x83
std::optional<uint8_t> DecodeRange(std::span<const uint8_t> frame);         // 0x85
std::optional<uint8_t> DecodeDefaultRange(std::span<const uint8_t> frame);  // 0x86
std::optional<uint8_t> DecodeConversions(std::span<const uint8_t> frame);   // 0x87
std::optional<uint8_t> DecodeSvcConfig(std::span<const uint8_t> frame);     // 0xE0
std::optional<uint8_t> DecodeRefusal(std::span<const uint8_t> frame);       // 0x7F: the refused command

// Zeroing answers 0x88, 0x89 and 0xE8: true while the zeroing still runs.
std::optional<bool> DecodeZeroingRunning(std::span<const uint8_t> frame);

// 0x8B: the DAC value now in force.
std::optional<uint32_t> DecodeForcingValue(std::span<const uint8_t> frame);

// 0x8D: what the meter stored.
struct TCalibrationSavedAnswer {
    uint32_t forcingValue4mA = 0;
    float resultFactor = 0;
    float loopFactor = 0;
    int16_t calTempCode = 0;
};
std::optional<TCalibrationSavedAnswer> DecodeCalibrationSaved(std::span<const uint8_t> frame);

std::optional<std::array<float, 3>> DecodeSvcReadings(std::span<const uint8_t> frame); // 0xE7
std::optional<float> DecodeSvcValue(std::span<const uint8_t> frame);                   // 0xE9

// Answers without data (0x8A, 0x8C, 0x8E, 0xE1-0xE5): true when `frame` is an
// executed answer with this code.
bool IsAcknowledgement(std::span<const uint8_t> frame, uint8_t code);

} // namespace k730
