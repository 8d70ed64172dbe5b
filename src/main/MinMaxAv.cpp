// Minimum, maximum and moving average of the status answers.
#include "main/MinMaxAv.h"

#include "main/K730Lang.h"
#include "main/MeterKind.h"
#include "main/ValueFormat.h"

#include <algorithm>
#include <cmath>

namespace k730 {
namespace {

std::string StatText(float fullScale, float value, char decimalSeparator) {
    return FormatWithPrefix(0, DigitsForValue(fullScale, value), fullScale, value, decimalSeparator).text;
}

std::string LabelText(std::string_view caption, bool valid, bool over, const std::string& text) {
    std::string label(caption);
    if (!valid) return label + "-----";
    if (over) label += ">";
    return label + text;
}

} // namespace

bool StatusFeedsStatistics(const TStatusAnswer& status) {
    const uint8_t flags = status.flags.value_or(0);
    return !IsMeterReset(flags) && !HasStatusFlag(flags, sfResultFactorInvalid);
}

TMinMaxAvInput MinMaxAvInputFrom(const TStatusAnswer& status) {
    TMinMaxAvInput in;
    in.Sample.Value = status.value.value_or(0);
    in.Sample.OverRange = status.flags.value_or(0) & 0x01;
    in.Sample.RangeFullScale = status.rangeFullScale.value_or(0);
    in.Sample.RawReading = status.rawCount.value_or(0);
    in.Sample.LoopDac = status.loopDacInUse.value_or(0);
    in.Sample.TempCode = status.temperatureCode.value_or(0);
    in.BatchMin = status.minimum.value_or(0);
    in.BatchMax = status.maximum.value_or(0);
    return in;
}

void TMinMaxAv::AddStatus(const TMinMaxAvInput& input, char decimalSeparator) {
    const TMinMaxAvSample& sample = input.Sample;
    const float fullScale = sample.RangeFullScale;
    const int digits = DigitsForValue(fullScale, sample.Value);
    const bool over = sample.OverRange != 0;
    // A NaN from the meter would otherwise stick as the extreme for good.
    if (!std::isnan(input.BatchMin) && (!MinValid || input.BatchMin < MinValue)) {
        MinValue = input.BatchMin;
        MinText = FormatWithPrefix(0, digits, fullScale, input.BatchMin, decimalSeparator).text;
        MinOver = over;
        MinValid = true;
    }
    if (!std::isnan(input.BatchMax) && (!MaxValid || input.BatchMax > MaxValue)) {
        MaxValue = input.BatchMax;
        MaxText = FormatWithPrefix(0, digits, fullScale, input.BatchMax, decimalSeparator).text;
        MaxOver = over;
        MaxValid = true;
    }
    while (static_cast<int>(Samples.size()) >= WindowLength && !Samples.empty())
        Samples.pop_front();
    Samples.push_back(sample);
    RecomputeAverage(decimalSeparator);
}

void TMinMaxAv::Reset(int averCount) {
    *this = TMinMaxAv{};
    WindowLength = std::max(averCount, 1);
}

bool TMinMaxAv::SetWindowLength(int length, char decimalSeparator) {
    if (length < 1) return false;
    WindowLength = length;
    if (static_cast<int>(Samples.size()) > length) {
        Samples.erase(Samples.begin(), Samples.end() - length);
        RecomputeAverage(decimalSeparator);
    }
    return true;
}

void TMinMaxAv::RecomputeAverage(char decimalSeparator) {
    if (Samples.empty()) {
        AvgValid = false;
        return;
    }
    double sum = 0, raw = 0, dac = 0, temp = 0;
    bool over = false;
    float range = Samples.front().RangeFullScale;
    for (const TMinMaxAvSample& s : Samples) {
        sum += s.Value;
        raw += s.RawReading;
        dac += s.LoopDac;
        temp += s.TempCode;
        over = over || s.OverRange != 0;
        range = std::max(range, s.RangeFullScale);
    }
    const double count = static_cast<double>(Samples.size());
    const double average = sum / count;
    AvgOver = over;
    WindowRange = range;
    if (!std::isfinite(average) || std::fabs(average) > 3.4e38) {
        AvgValid = false;
        return;
    }
    AvgValue = static_cast<float>(average);
    AvgText = StatText(WindowRange, AvgValue, decimalSeparator);
    // Raw readings are signed; the record keeps the rounded mean's bits.
    AvgRawReading = static_cast<uint32_t>(static_cast<int32_t>(std::nearbyint(raw / count)));
    AvgLoopDac = static_cast<uint32_t>(std::nearbyint(dac / count));
    AvgTempCode = static_cast<uint16_t>(std::nearbyint(temp / count));
    AvgValid = true;
}

std::string MinLabelText(const TMinMaxAv& stats) {
    return LabelText("min: ", stats.MinValid, stats.MinOver, stats.MinText);
}

std::string MaxLabelText(const TMinMaxAv& stats) {
    return LabelText("max: ", stats.MaxValid, stats.MaxOver, stats.MaxText);
}

std::string AvgLabelText(const TMinMaxAv& stats, int lang) {
    constexpr TText CAPTION = {"śr: ", "avg: "};
    return LabelText(CAPTION(lang), stats.AvgValid, stats.AvgOver, stats.AvgText);
}

TStatLabelColour MinLabelColour(const TMinMaxAv& stats) {
    return stats.MinOver ? slcOver : slcNormal;
}
TStatLabelColour MaxLabelColour(const TMinMaxAv& stats) {
    return stats.MaxOver ? slcOver : slcNormal;
}

TStatLabelColour AvgLabelColour(const TMinMaxAv& stats) {
    if (stats.AvgOver) return slcOver;
    return stats.AverageWarmingUp() ? slcGrey : slcNormal;
}

} // namespace k730
