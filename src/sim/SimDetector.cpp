#include "sim/SimDetector.h"

#include <algorithm>
#include <cmath>

namespace k730::sim {

uint16_t CelsiusToTempCode(double celsius) {
    const double code = std::round((celsius * 10 + 500) * 1024 / 1100);
    return static_cast<uint16_t>(std::clamp(code, 0.0, 65535.0));
}

double TempCodeToCelsius(double code) {
    return (code * 1.07421875 - 500) / 10;
}

TSimDetector::TSimDetector(TSimHardware hardware, TSimLight light)
    : hardware_(hardware), light_(std::move(light)) {}

void TSimDetector::SetLoop(double gain, double offsetMa) {
    hardware_.loopGain = gain;
    hardware_.loopOffsetMa = offsetMa;
}

void TSimDetector::SetTemperature(double celsius, int64_t nowMs) {
    hardware_.temperatureC = celsius;
    temperatureSinceMs_ = nowMs;
}

void TSimDetector::SetDrift(double cPerMinute, int64_t nowMs) {
    hardware_.temperatureC = Temperature(nowMs);
    temperatureSinceMs_ = nowMs;
    hardware_.driftCPerMinute = cPerMinute;
}

double TSimDetector::Temperature(int64_t nowMs) const {
    return hardware_.temperatureC +
           hardware_.driftCPerMinute * static_cast<double>(nowMs - temperatureSinceMs_) / 60000.0;
}

int32_t TSimDetector::DarkCounts(int64_t nowMs) const {
    return static_cast<int32_t>(std::lround(120 + hardware_.darkPerC * (Temperature(nowMs) - 23.0)));
}

int32_t TSimDetector::SystemCounts(int64_t nowMs) const {
    return static_cast<int32_t>(std::lround(300 + hardware_.systemPerC * (Temperature(nowMs) - 23.0)));
}

double TSimDetector::Counts(int64_t nowMs, double fullScale) {
    const double light = light_.Sample(nowMs);
    const double signal = fullScale > 0 ? light / (fullScale * hardware_.sensitivity) * fullScaleCounts : 0;
    return signal + DarkCounts(nowMs) + SystemCounts(nowMs);
}

double TSimDetector::LoopCurrentMa(uint32_t dac, bool loopOn) const {
    if (!loopOn) return 0;
    const double current = dac * hardware_.loopGain / 4096.0 + hardware_.loopOffsetMa;
    return std::clamp(current, 0.0, 24.0);
}

} // namespace k730::sim
