// Answer builders for the connection controller tests.
#include "main/ControllerFakes.h"

#include <algorithm>
#include <cstdio>

namespace k730::test {

std::string HexText(const TBytes& bytes) {
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

void PutF32(TBytes& bytes, size_t offset, float value) {
    std::memcpy(&bytes[offset], &value, sizeof value);
}

TBytes AnswerFrame(uint8_t code, uint16_t address, uint8_t mode, const TBytes& data) {
    const size_t size = 9 + data.size();
    TBytes f(size, 0);
    f[0] = MERBUS_START;
    f[1] = static_cast<uint8_t>(size);
    f[2] = static_cast<uint8_t>(size >> 8);
    f[3] = code;
    f[4] = MERBUS_FIXED;
    f[5] = static_cast<uint8_t>(address);
    f[6] = static_cast<uint8_t>(address >> 8);
    f[7] = mode;
    std::copy(data.begin(), data.end(), f.begin() + 8);
    f[size - 1] = MERBUS_END;
    return f;
}

TBytes IdentityAnswer(uint16_t address, float range0, float range1, float range2) {
    const std::string texts = std::string("K-730/V/2M/L1/3/A1") + '\0' + "2.0.0005" + '\0' + "MERIDOX" + '\0';
    TBytes data(texts.begin(), texts.end());
    const size_t trailer = data.size();
    data.resize(trailer + 17);
    data[trailer] = 1; // luxmeter
    PutF32(data, trailer + 1, range0);
    PutF32(data, trailer + 5, range1);
    PutF32(data, trailer + 9, range2);
    data[trailer + 13] = 0x39; // serial 12345
    data[trailer + 14] = 0x30;
    data[trailer + 15] = 0xEA; // year 2026
    data[trailer + 16] = 0x07;
    return AnswerFrame(0x81, address, 0, data);
}

TBytes StatusAnswer(uint16_t address, uint8_t mode, uint8_t flags, float value, uint8_t conversions,
                    float fullScale) {
    TBytes data(63 - 8, 0);
    data[0] = flags;
    PutF32(data, 9 - 8, value);
    PutF32(data, 13 - 8, value);
    PutF32(data, 17 - 8, value);
    data[21 - 8] = conversions;
    data[22 - 8] = 1;
    data[39 - 8] = 0x2C; // temperature code 0x022C
    data[40 - 8] = 0x02;
    PutF32(data, 57 - 8, fullScale);
    data[61 - 8] = 0xFF; // never zeroed
    data[62 - 8] = 0xFF;
    return AnswerFrame(0x84, address, mode, data);
}

} // namespace k730::test
