// TMinMaxAv: the smallest and largest reading since the last reset and the
// moving average over the last WindowLength status answers.
#pragma once

#include "protocol/MerBusAnswers.h"

#include <cstdint>
#include <deque>
#include <string>

namespace k730 {

// One status answer as the statistics take it (19 bytes in the meter's terms).
struct TMinMaxAvSample {
    float Value = 0;       // measured value, in the meter's unit
    uint8_t OverRange = 0; // StatusFlags bit 0
    float RangeFullScale = 0;
    int32_t RawReading = 0; // converter count
    uint32_t LoopDac = 0;   // DAC code driving the current loop (LoopDacInUse)
    uint16_t TempCode = 0;  // TemperatureCode
};

// What AddStatus reads from a status answer beyond the sample.
struct TMinMaxAvInput {
    TMinMaxAvSample Sample;
    float BatchMin = 0; // minimum of the conversion batch
    float BatchMax = 0; // maximum of the conversion batch
};

// The fields of a status answer; a field the answer does not carry reads as 0.
TMinMaxAvInput MinMaxAvInputFrom(const TStatusAnswer& status);

// Whether a status answer carries a reading the statistics may take: not
// when the result factor is invalid (the value is hidden) and not the first
// answer after a meter reset, whose flag byte is all ones.
bool StatusFeedsStatistics(const TStatusAnswer& status);

constexpr int DEFAULT_AVER_COUNT = 5;

struct TMinMaxAv {
    bool MinValid = false, MaxValid = false, AvgValid = false;
    bool MinOver = false, MaxOver = false, AvgOver = false;
    float MinValue = 0, MaxValue = 0, AvgValue = 0; // in the meter's unit
    uint32_t AvgRawReading = 0;
    uint32_t AvgLoopDac = 0;
    uint16_t AvgTempCode = 0;
    std::string MinText, MaxText, AvgText; // with SI prefix, without unit
    float WindowRange = 0;                 // largest full scale in the window
    int WindowLength = DEFAULT_AVER_COUNT; // = AverCount
    std::deque<TMinMaxAvSample> Samples;   // oldest first

    // Takes one status answer; texts use the given decimal separator.
    void AddStatus(const TMinMaxAvInput& input, char decimalSeparator);
    // Empties everything and starts a window of averCount samples.
    void Reset(int averCount);
    // Keeps only the newest `length` samples and recomputes the average when
    // any were dropped. A length below 1 is refused and changes nothing.
    bool SetWindowLength(int length, char decimalSeparator);
    // True while the window is not yet full (the average label is grey).
    bool AverageWarmingUp() const { return static_cast<int>(Samples.size()) < WindowLength; }

private:
    void RecomputeAverage(char decimalSeparator);
};

// Label texts: caption ("min: ", "max: ", "śr: " / "avg: "), ">" for an
// over-range value, then the text, or "-----" without a value.
std::string MinLabelText(const TMinMaxAv& stats);
std::string MaxLabelText(const TMinMaxAv& stats);
std::string AvgLabelText(const TMinMaxAv& stats, int lang);

// How a label is coloured.
enum TStatLabelColour { slcNormal, slcOver, slcGrey };
TStatLabelColour MinLabelColour(const TMinMaxAv& stats);
TStatLabelColour MaxLabelColour(const TMinMaxAv& stats);
TStatLabelColour AvgLabelColour(const TMinMaxAv& stats);

} // namespace k730
