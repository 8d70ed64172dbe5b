// Automatic range change and the automatic-zeroing drift test.
#include "main/RangeDecision.h"

#include "main/MeterInfo.h"
#include "main/MeterKind.h"

#include <cstdlib>

namespace k730 {
namespace {

struct TNeighbours {
    int lower = -1;  // last existing range below the one in use
    int higher = -1; // first existing range above it
};

TNeighbours Neighbours(const float (&ranges)[3], int count, float fullScale) {
    TNeighbours n;
    for (int i = 0; i < count; ++i) {
        if (ranges[i] < fullScale) n.lower = i;
        if (ranges[i] > fullScale && n.higher < 0) n.higher = i;
    }
    return n;
}

int IndexOf(const float (&ranges)[3], int count, float fullScale) {
    for (int i = 0; i < count; ++i)
        if (ranges[i] == fullScale) return i;
    return -1;
}

} // namespace

std::optional<int> AutoRangeTarget(const float (&ranges)[3], int rangeCount, const TRangeReading& reading) {
    const int count = rangeCount < 0 ? 0 : (rangeCount > 3 ? 3 : rangeCount);
    const float fullScale = reading.FullScale;
    const TNeighbours n = Neighbours(ranges, count, fullScale);
    const bool up = n.higher >= 0 && (reading.OverRange || reading.BatchMin > fullScale ||
                                      reading.RawReading >= RAW_READING_FULL);
    const bool down = n.lower >= 0 && ranges[n.lower] * RANGE_DOWN_MARGIN >= reading.BatchMax;
    if (!up && !down) return std::nullopt;
    const int i = IndexOf(ranges, count, fullScale);
    if (i < 0) return std::nullopt;
    if (up) {
        if (i < 2 && i + 1 < count && ranges[i + 1] != 0) return i + 1;
        return std::nullopt;
    }
    if (i == 0) return std::nullopt;
    int target = i - 1;
    while (target > 0 && ranges[target - 1] * RANGE_DOWN_MARGIN >= reading.BatchMax)
        --target;
    return target;
}

std::optional<int> AutoRangeTarget(const TMeterInfo& info, const TRangeReading& reading) {
    return AutoRangeTarget(info.RangeFullScale, info.RangeCount, reading);
}

bool TemperatureDriftNeedsZeroing(bool autoZeroOn, uint8_t statusFlags, uint16_t temperatureCode,
                                  uint16_t zeroTempCode) {
    if (!autoZeroOn) return false;
    if (HasStatusFlag(statusFlags, sfOverRange) || HasStatusFlag(statusFlags, sfSystemZeroing)) return false;
    if (temperatureCode == 0 || zeroTempCode == 0 || zeroTempCode == ZERO_TEMP_NEVER) return false;
    // |difference| ≥ 512/11 codes (5.0 °C), kept in integers so the boundary is exact.
    const int difference = std::abs(static_cast<int>(zeroTempCode) - static_cast<int>(temperatureCode));
    return difference * 11 >= 512;
}

} // namespace k730
