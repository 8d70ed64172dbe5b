// The firmware of a simulated K-730 meter: takes one request frame and gives
// the answer frame, or nothing when the meter stays silent. No I/O and no
// clock of its own: every call gets the time, so tests drive it by hand.
#pragma once

#include "protocol/MerBusFun.h"
#include "sim/SimDetector.h"
#include "sim/SimEeprom.h"

#include <optional>
#include <span>
#include <utility>

namespace k730::sim {

// Operating modes carried in byte 7 of every answer.
enum TSimMode : uint8_t {
    smNormal = 0,
    smCalibration = 1, // step II of the calibration: loop follows the reading with the working factors
    smForcing4mA = 3,  // loop driven by the forcing value, kept inside the 4 mA window
    smDacDriving = 4,  // service: loop driven by any forcing value (entered by command 101)
};

// Status flag bits of the status answer.
enum TSimStatusBit : uint8_t {
    sfOverrange = 0x01,
    sfDetectorZeroing = 0x02,
    sfSystemZeroing = 0x04,
    sfResultFactorInvalid = 0x08,
    sfLoopFactorInvalid = 0x10,
    sfForcingInvalid = 0x20,
    sfLoopOn = 0x40,
    // Firmware from 2.0.0005 on: the answer carries a conversion finished since
    // the previous status answer, so a program polling faster than the
    // converter tells a fresh result from a repeated one.
    sfNewResult = 0x80,
    sfReset = 0xFF, // the whole byte, on the first status answer after power-on
};

// Calibration constants the firmware works with; the EEPROM holds the saved set.
struct TSimCalibration {
    uint32_t forcing4mA = 0x4000;
    float resultFactor = 1.0f;
    float loopFactor = 1.0f;
    uint32_t calTempCode = 0;
};

// One status answer's measurement, also shown on the control channel.
struct TSimReading {
    uint8_t flags = 0;
    float value = 0, minimum = 0, maximum = 0; // meter's unit
    int32_t rawCounts = 0;                     // batch average after the zeros, 0xFFFFFF = full scale
    uint32_t loopDac = 0;                      // DAC code driving the loop
    uint16_t temperatureCode = 0;
    float fullScale = 0;
};

class TSimMeter {
public:
    TSimMeter(TSimEeprom eeprom, TSimDetector detector, int64_t nowMs);

    // One whole request frame in, the answer frame out (or nothing: not for this
    // meter, not a request).
    std::optional<TBytes> Handle(std::span<const uint8_t> frame, int64_t nowMs);

    // Switching the meter off and on: RAM state back to its power-on values.
    void PowerCycle(int64_t nowMs);

    const TSimEeprom& Eeprom() const { return eeprom_; }
    TSimEeprom& EditEeprom() {
        eepromDirty_ = true;
        return eeprom_;
    } // identity changes from outside
    bool TakeEepromDirty() { return std::exchange(eepromDirty_, false); }

    TSimDetector& Detector() { return detector_; }
    uint8_t Mode() const { return mode_; }
    uint8_t Range() const { return range_; }
    uint16_t Address() const { return addressOverride_.value_or(eeprom_.address); }
    // Another meter on the line: answers come from `address` (nothing = this meter again).
    void SetAddressOverride(std::optional<uint16_t> address) { addressOverride_ = address; }
    // A command the meter refuses whatever it carries (nothing = none).
    void SetRefused(std::optional<uint8_t> command) { refused_ = command; }
    // Answers carry this address whatever the meter's own (nothing = its own).
    void SetAnswerAddress(std::optional<uint16_t> address) { answerAddress_ = address; }

    // How long a zeroing runs before the meter reports it finished.
    void SetZeroingMs(int64_t ms) { zeroingMs_ = ms; }

    TSimReading Measure(int64_t nowMs);
    double LoopCurrentMa(int64_t nowMs);

private:
    struct TZeroing {
        uint8_t command = 0; // 8, 9 or 104 while one runs
        int64_t endMs = 0;
    };
    using TData = std::span<const uint8_t>;

    std::optional<TBytes> Dispatch(uint8_t command, uint16_t requestAddress, TData data, int64_t nowMs);
    std::optional<TBytes> Settings(uint8_t command, uint16_t requestAddress, TData data, int64_t nowMs);
    std::optional<TBytes> Calibration(uint8_t command, TData data, int64_t nowMs);
    std::optional<TBytes> Service(uint8_t command, TData data, int64_t nowMs);

    TBytes Answer(uint8_t command, std::span<const uint8_t> data) const;
    TBytes Refusal(uint8_t command) const;
    TBytes IdentityData() const;
    TBytes StatusData(int64_t nowMs);
    TBytes Zeroing(uint8_t command, TData data, int64_t nowMs);
    TBytes SetMode(uint8_t mode);
    void FinishZeroing(int64_t nowMs);
    uint32_t LoopDac(int32_t rawCounts) const;
    bool RangeExists(unsigned index) const;
    void ChangeEeprom() { eepromDirty_ = true; }

    TSimEeprom eeprom_;
    TSimDetector detector_;
    bool eepromDirty_ = false;

    // RAM state, lost at power-off.
    uint8_t mode_ = smNormal;
    uint8_t range_ = 0;
    bool resetPending_ = true; // next status answer reports 255
    int64_t powerOnMs_ = 0;    // conversions finish every 160 ms from here
    int64_t lastReportedConversion_ = -1;
    TSimCalibration working_;   // written by command 12, saved by command 13
    uint32_t forcing_ = 0x4000; // DAC code in force in modes 3 and 4
    int32_t darkCounts_ = 0;
    int32_t systemZeroCounts_ = 0;
    uint16_t zeroTempCode_ = 0xFFFF;
    TZeroing zeroing_;
    int64_t zeroingMs_ = 3000;
    std::optional<uint16_t> addressOverride_;
    std::optional<uint8_t> refused_;
    std::optional<uint16_t> answerAddress_;
};

} // namespace k730::sim
