// The analogue side of a simulated meter: the detector head with its light,
// its slowly drifting temperature and its offsets, the converter, and the
// current-loop output as an amperemeter would read it. The firmware side
// (TSimMeter) asks it for converter counts and tells it the DAC code.
#pragma once

#include "sim/SimLight.h"

#include <cstdint>

namespace k730::sim {

constexpr double fullScaleCounts = 16777215.0;      // converter count at full scale, 0xFFFFFF
constexpr double converterLimitCounts = 18874368.0; // the converter reads up to 12.5 % over full scale

struct TSimHardware {
    double temperatureC = 23.0;     // detector head at the start
    double driftCPerMinute = 0.01;  // slow drift of the head temperature
    double sensitivity = 1.4142135; // result factor that makes the reading true; a calibration finds it
    double loopGain = 0.99;         // the loop driver's real gain: 4096 DAC codes give loopGain mA
    double loopOffsetMa = 0.0;      // and its offset
    double darkPerC = 60.0;         // dark-current counts per degree away from 23 °C
    double systemPerC = 40.0;       // measuring-system offset counts per degree away from 23 °C
};

// Temperature code of the meter: degrees = (code × 1100 / 1024 − 500) / 10.
uint16_t CelsiusToTempCode(double celsius);
double TempCodeToCelsius(double code);

class TSimDetector {
public:
    explicit TSimDetector(TSimHardware hardware = {}, TSimLight light = TSimLight{});

    TSimLight& Light() { return light_; }
    const TSimHardware& Hardware() const { return hardware_; }
    void SetSensitivity(double s) { hardware_.sensitivity = s; }
    void SetLoop(double gain, double offsetMa);

    void SetTemperature(double celsius, int64_t nowMs);
    void SetDrift(double cPerMinute, int64_t nowMs);
    double Temperature(int64_t nowMs) const;
    uint16_t TemperatureCode(int64_t nowMs) const { return CelsiusToTempCode(Temperature(nowMs)); }

    // Offsets the converter adds to every reading at the present temperature.
    int32_t DarkCounts(int64_t nowMs) const;
    int32_t SystemCounts(int64_t nowMs) const;

    // Light in counts on a range of full scale `fullScale` (meter's unit), offsets
    // included, before the converter's limit.
    double Counts(int64_t nowMs, double fullScale);

    // What an amperemeter in the loop reads for DAC code `dac`.
    double LoopCurrentMa(uint32_t dac, bool loopOn) const;

private:
    TSimHardware hardware_;
    TSimLight light_;
    int64_t temperatureSinceMs_ = 0; // drift runs from here
};

} // namespace k730::sim
