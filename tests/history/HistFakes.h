// Status and range answers of a luxmeter with ranges 2, 20 and 200 lx, and
// the meter record the history reads, for the history tests.
#pragma once

#include "main/MeterInfo.h"
#include "protocol/MerBusFun.h"

#include <cstdint>

namespace k730::test {

struct THistStatus {
    float value = 10;
    float fullScale = 20;
    uint8_t flags = 0x40;
    int32_t raw = 0x400000;
    uint16_t tempCode = 680; // 23.0 °C
    uint8_t kindByte = 1;
};

// A 63-byte status answer (0x84) from address 1 carrying `s`.
TBytes HistStatusFrame(const THistStatus& s);
inline TBytes HistStatusFrame(float value, float fullScale = 20, uint8_t flags = 0x40) {
    return HistStatusFrame(THistStatus{value, fullScale, flags});
}
// The answer to a set-range request (0x85).
TBytes HistRangeFrame(uint8_t range);

// A luxmeter K-730/V/200/E/0, serial 1001, year 2024, ranges 2, 20, 200,
// one conversion per result.
TMeterInfo HistMeter(bool newFirmware = false);

} // namespace k730::test
