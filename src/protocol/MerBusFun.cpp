#include "protocol/MerBusFun.h"

namespace k730 {

TBytes BuildRequest(uint8_t command, uint16_t address, std::span<const uint8_t> data, bool withAccessCode) {
    TBytes frame;
    frame.reserve(10 + data.size());
    frame.push_back(MERBUS_START);
    frame.push_back(0); // length, written below
    frame.push_back(0);
    frame.push_back(command);
    frame.push_back(MERBUS_FIXED);
    frame.push_back(static_cast<uint8_t>(address & 0xFF));
    frame.push_back(static_cast<uint8_t>(address >> 8));
    if (withAccessCode) {
        frame.push_back(SERVICE_ACCESS_CODE[0]);
        frame.push_back(SERVICE_ACCESS_CODE[1]);
    }
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(MERBUS_END);
    frame[1] = static_cast<uint8_t>(frame.size() & 0xFF);
    frame[2] = static_cast<uint8_t>(frame.size() >> 8);
    return frame;
}

} // namespace k730
