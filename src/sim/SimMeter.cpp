// TSimMeter: request checks, dispatch, the ordinary settings and zeroing.
// Calibration and service commands are in SimMeterService.cpp, the status and
// identity answers in SimMeterMeasure.cpp.
#include "sim/SimMeter.h"

#include "protocol/ByteOrder.h"
#include "protocol/MerBusFrames.h"

namespace k730::sim {

TSimMeter::TSimMeter(TSimEeprom eeprom, TSimDetector detector, int64_t nowMs)
    : eeprom_(std::move(eeprom)), detector_(std::move(detector)) {
    PowerCycle(nowMs);
}

void TSimMeter::PowerCycle(int64_t nowMs) {
    mode_ = smNormal;
    powerOnMs_ = nowMs;
    lastReportedConversion_ = -1;
    range_ = RangeExists(eeprom_.defaultRange) ? eeprom_.defaultRange : 0;
    resetPending_ = true;
    working_ = {eeprom_.forcing4mA, eeprom_.resultFactor, eeprom_.loopFactor, eeprom_.calTempCode};
    forcing_ = working_.forcing4mA;
    darkCounts_ = eeprom_.darkCounts;
    systemZeroCounts_ = eeprom_.systemZeroCounts;
    zeroTempCode_ = eeprom_.zeroTempCode;
    zeroing_ = {};
}

bool TSimMeter::RangeExists(unsigned index) const {
    return index < 3 && eeprom_.ranges[index] > 0;
}

TBytes TSimMeter::Answer(uint8_t command, std::span<const uint8_t> data) const {
    const uint8_t code =
        command == MERBUS_REFUSAL ? MERBUS_REFUSAL : static_cast<uint8_t>(command | MERBUS_ANSWER_BIT);
    return BuildAnswer(code, MERBUS_FIXED, answerAddress_.value_or(Address()), mode_, data);
}

TBytes TSimMeter::Refusal(uint8_t command) const {
    const uint8_t refused[] = {command};
    return Answer(MERBUS_REFUSAL, refused);
}

std::optional<TBytes> TSimMeter::Handle(std::span<const uint8_t> frame, int64_t nowMs) {
    if (frame.size() < 8 || frame.front() != MERBUS_START || frame.back() != MERBUS_END) return std::nullopt;
    if (ReadU16(frame, 1) != frame.size() || frame[4] != MERBUS_FIXED) return std::nullopt;
    const uint8_t command = frame[3];
    // Codes from 0x7F up are answers: another meter's, or our own coming back.
    if (command >= MERBUS_REFUSAL) return std::nullopt;
    const uint16_t to = ReadU16(frame, 5);
    if (to != Address() && to != MERBUS_BROADCAST) return std::nullopt;
    FinishZeroing(nowMs);
    if (refused_ && command == *refused_) return Refusal(command);
    TData body = frame.subspan(7, frame.size() - 8);
    if (IsServiceCommand(command)) {
        if (body.size() < 2 || body[0] != SERVICE_ACCESS_CODE[0] || body[1] != SERVICE_ACCESS_CODE[1])
            return Refusal(command);
        body = body.subspan(2);
    }
    return Dispatch(command, to, body, nowMs);
}

std::optional<TBytes> TSimMeter::Dispatch(uint8_t command, uint16_t requestAddress, TData data,
                                          int64_t nowMs) {
    switch (command) {
    case CMD_IDENTIFY:
        if (!data.empty()) return Refusal(command);
        return Answer(command, IdentityData());
    case CMD_STATUS:
        if (!data.empty()) return Refusal(command);
        return Answer(command, StatusData(nowMs));
    case CMD_SET_MERBUS_ADDRESS:
    case CMD_MODBUS_ADDRESS:
    case CMD_RANGE:
    case CMD_DEFAULT_RANGE:
    case CMD_CONVERSIONS:
        return Settings(command, requestAddress, data, nowMs);
    case CMD_ZERO_DETECTOR:
    case CMD_ZERO_SYSTEM:
    case CMD_SVC_ZERO_DETECTOR:
        return Zeroing(command, data, nowMs);
    case CMD_STORE_ZERO:
        if (!data.empty()) return Refusal(command);
        eeprom_.systemZeroCounts = systemZeroCounts_;
        eeprom_.zeroTempCode = zeroTempCode_;
        ChangeEeprom();
        return Answer(command, {});
    case CMD_SET_MODE:
    case CMD_SET_FORCING_VALUE:
    case CMD_SET_CAL_PARAMETER:
    case CMD_SAVE_CALIBRATION:
        return Calibration(command, data, nowMs);
    default:
        if (IsServiceCommand(command)) return Service(command, data, nowMs);
        return Refusal(command);
    }
}

std::optional<TBytes> TSimMeter::Settings(uint8_t command, uint16_t requestAddress, TData data, int64_t) {
    if (command == CMD_SET_MERBUS_ADDRESS) {
        if (data.size() != 2 || ReadU16(data, 0) == MERBUS_BROADCAST) return Refusal(command);
        eeprom_.address = ReadU16(data, 0);
        addressOverride_.reset(); // the new address is this meter's own
        ChangeEeprom();
        TBytes sentTo;
        AppendU16(sentTo, requestAddress);
        return Answer(command, sentTo); // from the new address
    }
    if (data.size() > 1) return Refusal(command);
    const bool set = data.size() == 1;
    const uint8_t v = set ? data[0] : 0;
    uint8_t* field = nullptr;
    switch (command) {
    case CMD_MODBUS_ADDRESS:
        if (set && (v < 1 || v > 247)) return Refusal(command);
        field = &eeprom_.modbusAddress;
        break;
    case CMD_RANGE:
        if (set && !RangeExists(v)) return Refusal(command);
        field = &range_;
        break;
    case CMD_DEFAULT_RANGE:
        if (set && !RangeExists(v)) return Refusal(command);
        field = &eeprom_.defaultRange;
        break;
    default: // CMD_CONVERSIONS
        if (set && v == 0) return Refusal(command);
        field = &eeprom_.conversions;
        break;
    }
    if (set) {
        *field = v;
        if (command != CMD_RANGE) ChangeEeprom();
    }
    const uint8_t answer[] = {*field};
    return Answer(command, answer);
}

// Zeroing commands start with the byte 1 and are asked without data; the
// answer's byte is 1 while the zeroing runs and 0 once it is done.
TBytes TSimMeter::Zeroing(uint8_t command, TData data, int64_t nowMs) {
    if (data.size() > 1 || (data.size() == 1 && data[0] != 1)) return Refusal(command);
    if (data.size() == 1) {
        // One converter, one zeroing at a time.
        if (zeroing_.command != 0 && zeroing_.command != command) return Refusal(command);
        if (zeroing_.command == 0) zeroing_ = {command, nowMs + zeroingMs_};
        const uint8_t running[] = {1};
        return Answer(command, running);
    }
    const uint8_t running[] = {static_cast<uint8_t>(zeroing_.command == command ? 1 : 0)};
    return Answer(command, running);
}

void TSimMeter::FinishZeroing(int64_t nowMs) {
    if (zeroing_.command == 0 || nowMs < zeroing_.endMs) return;
    const int64_t at = zeroing_.endMs;
    switch (zeroing_.command) {
    case CMD_ZERO_DETECTOR:
        darkCounts_ = detector_.DarkCounts(at);
        break;
    case CMD_SVC_ZERO_DETECTOR:
        darkCounts_ = detector_.DarkCounts(at);
        eeprom_.darkCounts = darkCounts_;
        ChangeEeprom();
        break;
    default: // CMD_ZERO_SYSTEM; stored only by command 14
        systemZeroCounts_ = detector_.SystemCounts(at);
        zeroTempCode_ = detector_.TemperatureCode(at);
        break;
    }
    zeroing_ = {};
}

} // namespace k730::sim
