// A recorded measurement history: the meter's identity at the first sample,
// the registration start and interval, three extreme blocks and the records.
// The same layout is the history file's (HistFile.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace k730 {

// One record: 32 bytes in the file.
struct HistSample {
    int32_t TimeMs = 0;     // from the registration start to the end of the interval
    uint8_t Resolution = 0; // display resolution byte of the interval's first status answer
    uint8_t Flags = 0;      // bit 7: the meter reported overrange within the interval
    float Average = 0;      // in the meter's unit
    float Minimum = 0;
    float Maximum = 0;
    float FullScale = 0;      // largest range full scale in force during the interval
    float FullScaleAtMin = 0; // range full scale at the minimum
    float FullScaleAtMax = 0; // range full scale at the maximum
    int16_t TempTenths = 0;   // detector temperature in tenths of a degree Celsius

    bool operator==(const HistSample&) const = default;
};

constexpr size_t HIST_SAMPLE_SIZE = 32;
constexpr uint8_t HIST_OVERRANGE = 0x80;

struct THistExtremes {
    float Minimum = 0;
    float Maximum = 0;
    float FullScaleAtMin = 0;
    float FullScaleAtMax = 0;

    bool operator==(const THistExtremes&) const = default;
};

struct THistData {
    uint16_t SerialNumber = 0xFFFF;
    uint16_t ProductionYear = 0xFFFF;
    uint8_t MeterKind = 0;       // 1..4; 0 = no sample yet
    uint8_t LumMode = 0;         // 0xFF for the luminance-type quantity, else 0
    std::string ModelDescriptor; // UTF-8
    std::string FirmwareVersion; // UTF-8
    double StartDateTime = 0;    // local day count since 1899-12-30
    int32_t IntervalMs = 0;      // 160, or 1000 × seconds
    std::array<THistExtremes, 3> Extremes{};
    std::vector<HistSample> Samples; // oldest first
    int32_t SavedCount = 0;          // records already in the history file
    int32_t ExportedCount = 0;       // records already in the text export
    std::string FileName;
    std::string ExportName;
    std::vector<float> RangeList; // full scales of the meter's ranges, filled at the first sample

    void Reset() { *this = THistData{}; }
};

} // namespace k730
