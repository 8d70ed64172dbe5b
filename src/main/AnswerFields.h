// Bounds-checked reading of answer fields: a field that does not lie wholly
// inside the frame is not read. Multi-byte values are little-endian.
#pragma once

#include "protocol/MerBusFun.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k730 {

std::optional<uint8_t> FrameU8(const TBytes& f, size_t offset);
std::optional<uint16_t> FrameU16(const TBytes& f, size_t offset);
std::optional<uint32_t> FrameU32(const TBytes& f, size_t offset);
std::optional<float> FrameF32(const TBytes& f, size_t offset);

// Status answer (0x84) fields; the display uses an answer of at least 56 bytes.
struct TStatusReading {
    uint8_t mode = 0;
    uint8_t flags = 0;  // StatusFlags; 255 = the meter has just been reset
    float value = 0;    // in the meter's unit
    float batchMin = 0; // minimum of the conversion batch
    float batchMax = 0; // maximum of the conversion batch
    uint8_t conversions = 0;
    uint8_t kindByte = 0; // kind of this measurement; the unit follows it
    int32_t rawCount = 0; // converter count
    uint32_t loopDac = 0; // DAC code driving the current loop
    uint16_t temperatureCode = 0;
    uint32_t forcingValue4mA = 0; // the calibration values are valid in mode 0 only
    float resultFactor = 0;
    float loopFactor = 0;
    uint16_t calTempCode = 0;
    uint16_t calTempExtra = 0; // carried, not interpreted
    float fullScale = 0;       // full scale of the range in use
    bool hasFullScale = false;
    uint16_t zeroTempCode = 0; // 0xFFFF = never zeroed
    bool hasZeroTempCode = false;
};

constexpr size_t STATUS_DISPLAY_MIN_SIZE = 56;

// Fields of a status answer; nothing when it is too short to be shown.
std::optional<TStatusReading> ReadStatusAnswer(const TBytes& frame);

// Acknowledged save of the calibration factors (0x8D).
struct TCalibrationSaved {
    uint32_t forcingValue4mA = 0;
    float resultFactor = 0;
    float loopFactor = 0;
    int16_t temperatureCode = 0;
};

std::optional<TCalibrationSaved> ReadCalibrationSaved(const TBytes& frame);

// Three f32 values at 8, 12 and 16 (service readings, 0xE7).
struct TServiceReadings {
    float values[3] = {0, 0, 0};
};

std::optional<TServiceReadings> ReadServiceReadings(const TBytes& frame);

// Identity answer (0x81): texts, then an 18-byte trailer ending with the end byte.
struct TIdentityAnswer {
    std::vector<std::string> texts; // UTF-8; the model descriptor first
    uint8_t kindByte = 0;           // bits 0..6 kind, bit 7 luminance mode
    std::array<float, 3> ranges{};  // full-scale values in the meter's unit
    uint16_t serialNumber = 0xFFFF;
    uint16_t productionYear = 0xFFFF;
};

constexpr size_t IDENTITY_TRAILER_SIZE = 18;

// Nothing when the frame is too short for the trailer.
std::optional<TIdentityAnswer> ReadIdentityAnswer(const TBytes& frame);

} // namespace k730
