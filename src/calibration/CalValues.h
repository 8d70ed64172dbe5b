// The numbers of a calibration: the permitted ranges of the four factors the
// meter stores, the status snapshot the wizard works from, the echo of a
// parameter write, the numbers typed into the wizard's fields and the queue
// items that carry the calibration requests. All pure.
#pragma once

#include "protocol/MerBusFun.h"
#include "protocol/RequestScheduler.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace k730 {

// What the meter accepts for the four calibration parameters.
constexpr uint32_t FORCING_MIN = 0x3800;     // DAC code
constexpr uint32_t FORCING_MAX = 0x5000;     // DAC code
constexpr uint32_t FORCING_DEFAULT = 0x4000; // written when the meter's own value is out of range
constexpr float RESULT_FACTOR_MIN = 1.0f;
constexpr float RESULT_FACTOR_MAX = 2.0f;
constexpr float LOOP_FACTOR_MIN = 0.8125f;
constexpr float LOOP_FACTOR_MAX = 2.3125f;
constexpr uint32_t CAL_TEMP_CODE_MAX = 0xFFFF;

// Converter count at full scale, and the DAC code above which the loop
// driver is no longer linear enough for the two-point loop factor.
constexpr double FULL_SCALE_COUNTS = 16777215.0;
constexpr uint32_t LOOP_DAC_LINEAR_LIMIT = 0x16000;

// Index byte of command 12.
enum TCalParameter : uint8_t {
    cpForcing4mA = 1,
    cpResultFactor = 2,
    cpLoopFactor = 3,
    cpCalTempCode = 4,
};

constexpr bool ForcingInRange(uint32_t dac) {
    return dac >= FORCING_MIN && dac <= FORCING_MAX;
}

// The status answer as the wizard reads it (offsets counted from the frame's
// first byte).
struct TCalSnapshot {
    uint8_t mode = 0;             // byte 7
    uint8_t flags = 0;            // byte 8
    int32_t rawReading = 0;       // 23..26, 0xFFFFFF = full scale
    uint32_t loopDacInUse = 0;    // 35..38, the DAC code driving the loop in modes 1 and 3
    uint32_t temperatureCode = 0; // 39..40, the detector head now
    uint32_t stored4mAValue = 0;  // 41..44, the meter's 4 mA forcing value
    float rangeFullScale = 0;     // 57..60, in the meter's unit

    bool operator==(const TCalSnapshot&) const = default;
};

// Status flag bits the calibration reads.
constexpr uint8_t CAL_FLAG_LOOP_FACTOR_INVALID = 0x10;
constexpr uint8_t CAL_FLAG_FORCING_INVALID = 0x20;

// Copies a status answer (0x84) into the snapshot. The 4 mA value is kept
// while the meter flags its own as invalid; a field the frame is too short
// for keeps its value; a full scale that is not a finite number reads 0.
// False, and nothing changed, for a frame that is not a status answer.
bool UpdateSnapshot(TCalSnapshot& snapshot, std::span<const uint8_t> frame);

// The meter's echo of a parameter write (0x8C): its mode, the index and the
// four value bytes as it holds them now.
struct TCalParameterEcho {
    uint8_t mode = 0;
    uint8_t index = 0;
    uint32_t value = 0; // a float travels as its bit pattern
};
std::optional<TCalParameterEcho> DecodeParameterEcho(std::span<const uint8_t> frame);

// A number as typed into an entry field: blanks around it, a sign, digits
// with at most one `decimal` separator, an exponent. Nothing for anything else.
std::optional<double> ParseEntryNumber(std::string_view text, char decimal);
// A number whose single-precision value is finite and above 0 (what enables
// the Apply buttons).
bool IsPositiveEntry(std::string_view text, char decimal);
// Every "," and "." becomes `decimal`; the length, and so the caret, stays.
std::string WithDecimalSeparator(std::string text, char decimal);

// Rounds half to even, as the meter's tools always have.
double RoundHalfEven(double value);

// "0x" and at least `digits` upper-case hex digits.
std::string HexValueText(uint64_t value, int digits);

// The values the save request stores, in the order of the request.
struct TCalSaveValues {
    uint32_t forcing4mA = 0;
    float resultFactor = 0;
    float loopFactor = 0;
    uint32_t calTempCode = 0; // low 16 bits; the high bits travel as they are

    bool operator==(const TCalSaveValues&) const = default;
};

// Queue items of the calibration requests (types 4, 10, 11, 12, 13).
TQueueItem StatusItem();
TQueueItem SetModeItem(uint8_t mode);
TQueueItem ForcingValueItem(uint32_t dac);
TQueueItem ParameterItem(uint8_t index, uint32_t value);
TQueueItem FloatParameterItem(uint8_t index, float value);
// The comment travels with the item and comes back with the meter's answer.
TQueueItem SaveItem(const TCalSaveValues& values, std::string comment);

} // namespace k730
