// Meters as the service window tests meet them.
#pragma once

#include "main/MeterInfo.h"

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

} // namespace k730::test
