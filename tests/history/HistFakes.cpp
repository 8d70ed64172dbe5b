#include "history/HistFakes.h"

#include "main/ControllerFakes.h"

namespace k730::test {

TBytes HistStatusFrame(const THistStatus& s) {
    TBytes data(63 - 8, 0);
    data[0] = s.flags;
    PutF32(data, 9 - 8, s.value);
    PutF32(data, 13 - 8, s.value);
    PutF32(data, 17 - 8, s.value);
    data[21 - 8] = 1;
    data[22 - 8] = s.kindByte;
    for (int i = 0; i < 4; ++i)
        data[23 - 8 + i] = static_cast<uint8_t>(static_cast<uint32_t>(s.raw) >> (8 * i));
    data[39 - 8] = static_cast<uint8_t>(s.tempCode);
    data[40 - 8] = static_cast<uint8_t>(s.tempCode >> 8);
    PutF32(data, 57 - 8, s.fullScale);
    data[61 - 8] = 0xFF;
    data[62 - 8] = 0xFF;
    return AnswerFrame(0x84, 1, 0, data);
}

TBytes HistRangeFrame(uint8_t range) {
    return AnswerFrame(0x85, 1, 0, TBytes{range});
}

TMeterInfo HistMeter(bool newFirmware) {
    TMeterInfo m;
    m.SerialNumber = 1001;
    m.ProductionYear = 2024;
    m.MeterKind = 1;
    m.RangeCount = 3;
    m.RangeFullScale[0] = 2;
    m.RangeFullScale[1] = 20;
    m.RangeFullScale[2] = 200;
    m.ConvCount = 1;
    m.NewFirmware = newFirmware;
    m.ModelDescriptor = "K-730/V/200/E/0";
    m.FirmwareVersion = newFirmware ? "2.1.0003" : "2.0.0004";
    return m;
}

} // namespace k730::test
