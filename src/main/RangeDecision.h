// Decisions taken after every status answer: whether the program switches the
// measuring range by itself, and whether the detector temperature has drifted
// far enough from the last zeroing to zero the measuring system again.
#pragma once

#include <cstdint>
#include <optional>

namespace k730 {

struct TMeterInfo;

// Raw converter count from which a range counts as full: 1.06875 × 0xFFFFFF.
constexpr double RAW_READING_FULL = 17930648.53125;
// A lower range is taken while the batch maximum stays below 90 % of it.
constexpr double RANGE_DOWN_MARGIN = 0.9;

// What the decision reads from one status answer.
struct TRangeReading {
    float FullScale = 0;    // full scale of the range in use
    bool OverRange = false; // StatusFlags bit 0
    float BatchMin = 0;
    float BatchMax = 0;
    int32_t RawReading = 0;
};

// The range index to switch to, or nothing when the range in use is right.
// Ranges are the meter's first rangeCount full-scale values. When the
// reading is both too high and too low at once, going up wins: an over-range
// value is never left standing.
std::optional<int> AutoRangeTarget(const float (&ranges)[3], int rangeCount, const TRangeReading& reading);
std::optional<int> AutoRangeTarget(const TMeterInfo& info, const TRangeReading& reading);

// The drift test of automatic zeroing: on, no over-range and no system
// zeroing running, both temperature codes known, and at least 5.0 °C apart.
bool TemperatureDriftNeedsZeroing(bool autoZeroOn, uint8_t statusFlags, uint16_t temperatureCode,
                                  uint16_t zeroTempCode);

} // namespace k730
