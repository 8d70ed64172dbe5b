// Meters as the service window tests meet them.
#pragma once

#include "main/MeterInfo.h"
#include "service/ResultsBlock.h"

#include <bit>

#include <string>

namespace k730::test {

// A three-range luxmeter (200 lx, 2 klx, 20 klx), serial 1001 of 2024, with
// the given descriptor and kind.
inline TMeterInfo ServiceMeter(std::string descriptor = "K-730/V/20k/E/0", uint8_t kind = 1,
                               uint8_t lumMode = 0) {
    TMeterInfo info;
    info.ModelDescriptor = std::move(descriptor);
    info.FirmwareVersion = "2.1.0003";
    info.MeterKind = kind;
    info.LumMode = lumMode;
    info.RangeCount = 3;
    info.RangeFullScale[0] = 200;
    info.RangeFullScale[1] = 2000;
    info.RangeFullScale[2] = 20000;
    info.SerialNumber = 1001;
    info.ProductionYear = 2024;
    return info;
}

// A status answer of meter 0x0001 as long as the meter sends it: the given
// calibration constants and loop DAC value, range 2000, 23.0 °C.
inline TBytes ResultsFrame(uint32_t dac0 = 0x4000, float ke = 1.25f, float kl = 1.5f,
                           uint32_t loopDac = 0x5000) {
    TBytes b(65, 0);
    b[0] = 0x68;
    b[1] = 65;
    b[3] = 0x84;
    b[4] = 0x06;
    b[5] = 0x01;
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(roResultAverage, std::bit_cast<uint32_t>(1234.5f));
    put32(roAdcAverage, 0x400000);
    put32(roLoopDac, loopDac);
    put32(roDac0, dac0);
    put32(roKE, std::bit_cast<uint32_t>(ke));
    put32(roKL, std::bit_cast<uint32_t>(kl));
    put32(roCalTemperature, 680);
    put32(roFullScale, std::bit_cast<uint32_t>(2000.0f));
    b[roTemperature] = 0xA8; // 680: 23.0 °C
    b[roTemperature + 1] = 0x02;
    b.back() = 0x16;
    return b;
}

} // namespace k730::test
