// TSimMeter: the measurement (conversion batch, flags, loop DAC) and the
// identity and status answers that report it.
#include "sim/SimMeter.h"

#include "main/Cp1250.h"
#include "main/K730Fun.h"
#include "protocol/ByteOrder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace k730::sim {

namespace {

constexpr int64_t conversionMs = 160;

void PutText(TBytes& out, const std::string& utf8) {
    const std::string bytes = Utf8ToCp1250(utf8);
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.push_back(0);
}

} // namespace

TBytes TSimMeter::IdentityData() const {
    TBytes out;
    PutText(out, eeprom_.descriptor);
    if (!eeprom_.firmware.empty()) PutText(out, eeprom_.firmware);
    for (const std::string& line : eeprom_.producer)
        PutText(out, line);
    out.push_back(eeprom_.kind);
    for (float r : eeprom_.ranges)
        AppendF32(out, r);
    AppendU16(out, eeprom_.serial);
    AppendU16(out, eeprom_.year);
    return out;
}

// The loop follows the reading: 4 mA at zero, 16 mA more at full scale,
// scaled by the loop factor; 4096 DAC codes are one nominal milliampere.
uint32_t TSimMeter::LoopDac(int32_t rawCounts) const {
    const double dac = working_.forcing4mA +
                       rawCounts * static_cast<double>(working_.loopFactor) * 65536.0 / fullScaleCounts;
    return static_cast<uint32_t>(std::clamp(std::round(dac), 0.0, static_cast<double>(0xFFFFF)));
}

TSimReading TSimMeter::Measure(int64_t nowMs) {
    FinishZeroing(nowMs);
    TSimReading r;
    r.fullScale = range_ < 3 ? eeprom_.ranges[range_] : 0.0f;
    r.temperatureCode = detector_.TemperatureCode(nowMs);
    const double correction =
        range_ < 3 ? eeprom_.rangeFactors[range_] *
                         (1.0 + eeprom_.tempCoefficient * (TempCodeToCelsius(r.temperatureCode) -
                                                           TempCodeToCelsius(working_.calTempCode & 0xFFFF)))
                   : 1.0;
    const int count = std::max<int>(1, eeprom_.conversions);
    double sumCounts = 0, sumValue = 0;
    double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    // Oldest conversion first, so a random walk only moves forward in time.
    for (int k = count - 1; k >= 0; --k) {
        double counts =
            detector_.Counts(nowMs - k * conversionMs, r.fullScale) - darkCounts_ - systemZeroCounts_;
        counts = std::clamp(counts, -converterLimitCounts, converterLimitCounts);
        const double value = counts * working_.resultFactor * r.fullScale / fullScaleCounts * correction;
        sumCounts += counts;
        sumValue += value;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    r.rawCounts = static_cast<int32_t>(std::lround(sumCounts / count));
    r.value = static_cast<float>(sumValue / count);
    r.minimum = static_cast<float>(low);
    r.maximum = static_cast<float>(high);
    r.loopDac = (mode_ == smForcing4mA || mode_ == smDacDriving) ? forcing_ : LoopDac(r.rawCounts);

    if (r.value > r.fullScale) r.flags |= sfOverrange; // the value exceeds the range
    if (zeroing_.command == CMD_ZERO_DETECTOR || zeroing_.command == CMD_SVC_ZERO_DETECTOR)
        r.flags |= sfDetectorZeroing;
    if (zeroing_.command == CMD_ZERO_SYSTEM) r.flags |= sfSystemZeroing;
    if (!(working_.resultFactor >= 1.0f && working_.resultFactor <= 2.0f)) r.flags |= sfResultFactorInvalid;
    if (!(working_.loopFactor >= 0.8125f && working_.loopFactor <= 2.3125f)) r.flags |= sfLoopFactorInvalid;
    if (working_.forcing4mA < 0x3800 || working_.forcing4mA > 0x5000) r.flags |= sfForcingInvalid;
    if (eeprom_.currentLoop) r.flags |= sfLoopOn;
    return r;
}

double TSimMeter::LoopCurrentMa(int64_t nowMs) {
    return detector_.LoopCurrentMa(Measure(nowMs).loopDac, eeprom_.currentLoop);
}

TBytes TSimMeter::StatusData(int64_t nowMs) {
    TSimReading r = Measure(nowMs);
    const int64_t conversion = (nowMs - powerOnMs_) / conversionMs;
    if (conversion != lastReportedConversion_ && IsNewFirmware(eeprom_.firmware)) r.flags |= sfNewResult;
    lastReportedConversion_ = conversion;
    TBytes out;
    out.push_back(resetPending_ ? static_cast<uint8_t>(sfReset) : r.flags); // offset 8
    resetPending_ = false;
    AppendF32(out, r.value);                                  // 9
    AppendF32(out, r.minimum);                                // 13
    AppendF32(out, r.maximum);                                // 17
    out.push_back(eeprom_.conversions);                       // 21
    out.push_back(eeprom_.kind);                              // 22
    AppendU32(out, static_cast<uint32_t>(r.rawCounts));       // 23
    AppendU32(out, static_cast<uint32_t>(systemZeroCounts_)); // 27
    AppendU32(out, static_cast<uint32_t>(darkCounts_));       // 31
    AppendU32(out, r.loopDac);                                // 35
    AppendU16(out, r.temperatureCode);                        // 39
    AppendU32(out, working_.forcing4mA);                      // 41
    AppendF32(out, working_.resultFactor);                    // 45
    AppendF32(out, working_.loopFactor);                      // 49
    AppendU32(out, working_.calTempCode);                     // 53
    AppendF32(out, r.fullScale);                              // 57
    AppendU16(out, zeroTempCode_);                            // 61
    return out;
}

} // namespace k730::sim
