// TSimMeter: operating modes, the calibration commands and the service
// commands that program the EEPROM.
#include "sim/SimMeter.h"

#include "main/Cp1250.h"
#include "sim/SimBytes.h"

#include <algorithm>
#include <cmath>

namespace k730::sim {

namespace {

// Permitted calibration values; NaN fails every comparison and is refused.
bool ForcingOk(uint32_t v) {
    return v >= 0x3800 && v <= 0x5000;
}
bool ResultFactorOk(float v) {
    return v >= 1.0f && v <= 2.0f;
}
bool LoopFactorOk(float v) {
    return v >= 0.8125f && v <= 2.3125f;
}
bool RangeFactorOk(float v) {
    return v >= 0.9f && v <= 1.1f;
}
bool TempCoefficientOk(float v) {
    return v >= -0.1f && v <= 0.1f;
} // ±10 %/K

constexpr size_t descriptorMax = 64; // EEPROM bytes for the descriptor, terminating zero included

} // namespace

TBytes TSimMeter::SetMode(uint8_t mode) {
    if (mode == smNormal && mode_ != smNormal) {
        // Leaving calibration without saving drops what command 12 wrote.
        working_ = {eeprom_.forcing4mA, eeprom_.resultFactor, eeprom_.loopFactor, eeprom_.calTempCode};
    }
    if ((mode == smForcing4mA || mode == smDacDriving) && mode != mode_) forcing_ = working_.forcing4mA;
    mode_ = mode;
    return Answer(mode == smDacDriving ? CMD_SVC_101 : CMD_SET_MODE, {});
}

std::optional<TBytes> TSimMeter::Calibration(uint8_t command, TData data, int64_t) {
    switch (command) {
    case CMD_SET_MODE:
        if (data.size() != 1 || (data[0] != smNormal && data[0] != smCalibration && data[0] != smForcing4mA))
            return Refusal(command);
        return SetMode(data[0]);
    case CMD_SET_FORCING_VALUE: {
        if (data.size() != 4) return Refusal(command);
        // In 4 mA forcing the DAC is kept inside the 4 mA window; the echo tells the value in force.
        const uint32_t v = GetU32(data, 0);
        forcing_ =
            mode_ == smForcing4mA ? std::clamp<uint32_t>(v, 0x3800, 0x5000) : std::min<uint32_t>(v, 0xFFFFF);
        TBytes echo;
        PutU32(echo, forcing_);
        return Answer(command, echo);
    }
    case CMD_SET_CAL_PARAMETER: {
        if (data.size() != 5) return Refusal(command);
        const uint32_t bits = GetU32(data, 1);
        const float f = GetF32(data, 1);
        switch (data[0]) {
        case 1:
            if (!ForcingOk(bits)) return Refusal(command);
            working_.forcing4mA = bits;
            break;
        case 2:
            if (!ResultFactorOk(f)) return Refusal(command);
            working_.resultFactor = f;
            break;
        case 3:
            if (!LoopFactorOk(f)) return Refusal(command);
            working_.loopFactor = f;
            break;
        case 4:
            if (bits > 0xFFFF) return Refusal(command);
            working_.calTempCode = bits;
            break;
        default:
            return Refusal(command);
        }
        return Answer(command, data);
    }
    default: { // CMD_SAVE_CALIBRATION: only in calibration mode, as both calibration procedures ensure
        if (data.size() != 16 || mode_ != smCalibration) return Refusal(command);
        const TSimCalibration c{GetU32(data, 0), GetF32(data, 4), GetF32(data, 8), GetU32(data, 12)};
        if (!ForcingOk(c.forcing4mA) || !ResultFactorOk(c.resultFactor) || !LoopFactorOk(c.loopFactor))
            return Refusal(command);
        working_ = c;
        eeprom_.forcing4mA = c.forcing4mA;
        eeprom_.resultFactor = c.resultFactor;
        eeprom_.loopFactor = c.loopFactor;
        eeprom_.calTempCode = c.calTempCode;
        ChangeEeprom();
        return Answer(command, data);
    }
    }
}

std::optional<TBytes> TSimMeter::Service(uint8_t command, TData data, int64_t nowMs) {
    switch (command) {
    case CMD_SVC_CONFIG: {
        if (data.size() > 1) return Refusal(command);
        if (data.size() == 1) {
            eeprom_.config = data[0];
            ChangeEeprom();
        }
        const uint8_t config[] = {eeprom_.config};
        return Answer(command, config);
    }
    case CMD_SVC_KIND: {
        if (data.size() != 1) return Refusal(command);
        const unsigned kind = data[0] & 0x7F;
        if (kind < 1 || kind > 4) return Refusal(command);
        eeprom_.kind = data[0];
        ChangeEeprom();
        return Answer(command, {});
    }
    case CMD_SVC_DESCRIPTOR: {
        // One zero-terminated text that fits the EEPROM field.
        if (data.empty() || data.size() > descriptorMax || data.back() != 0 ||
            std::find(data.begin(), data.end() - 1, 0) != data.end() - 1)
            return Refusal(command);
        eeprom_.descriptor = Cp1250ToUtf8(std::string(data.begin(), data.end() - 1));
        ChangeEeprom();
        return Answer(command, {});
    }
    case CMD_SVC_SERIAL_YEAR:
        if (data.size() != 4) return Refusal(command);
        eeprom_.serial = GetU16(data, 0);
        eeprom_.year = GetU16(data, 2);
        ChangeEeprom();
        return Answer(command, {});
    case CMD_SVC_RANGES: {
        if (data.size() != 12) return Refusal(command);
        std::array<float, 3> ranges{GetF32(data, 0), GetF32(data, 4), GetF32(data, 8)};
        for (float r : ranges)
            if (!std::isfinite(r) || r < 0) return Refusal(command);
        eeprom_.ranges = ranges;
        if (!RangeExists(range_)) range_ = RangeExists(eeprom_.defaultRange) ? eeprom_.defaultRange : 0;
        ChangeEeprom();
        return Answer(command, {});
    }
    case CMD_SVC_101:
        if (!data.empty()) return Refusal(command);
        return SetMode(smDacDriving);
    case CMD_SVC_READINGS: {
        if (!data.empty() && data.size() != 12) return Refusal(command);
        if (data.size() == 12) {
            std::array<float, 3> factors{GetF32(data, 0), GetF32(data, 4), GetF32(data, 8)};
            for (float f : factors)
                if (!RangeFactorOk(f)) return Refusal(command);
            eeprom_.rangeFactors = factors;
            ChangeEeprom();
        }
        TBytes out;
        for (float f : eeprom_.rangeFactors)
            PutF32(out, f);
        return Answer(command, out);
    }
    case CMD_SVC_ZERO_DETECTOR:
        return Zeroing(command, data, nowMs);
    case CMD_SVC_VALUE: {
        if (!data.empty() && data.size() != 4) return Refusal(command);
        if (data.size() == 4) {
            if (!TempCoefficientOk(GetF32(data, 0))) return Refusal(command);
            eeprom_.tempCoefficient = GetF32(data, 0);
            ChangeEeprom();
        }
        TBytes out;
        PutF32(out, eeprom_.tempCoefficient);
        return Answer(command, out);
    }
    default:
        return Refusal(command); // 102 and the unused service codes
    }
}

} // namespace k730::sim
