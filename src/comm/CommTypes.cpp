#include "comm/CommTypes.h"

#include <array>
#include <cmath>

namespace k730 {

namespace {

constexpr std::array<uint32_t, BAUD_RATE_COUNT> BAUD_VALUES = {
    300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

uint32_t RoundToUnsigned(double value) {
    return static_cast<uint32_t>(std::lround(value));
}

} // namespace

uint32_t BaudValue(TBaudRate baud) {
    return baud < BAUD_RATE_COUNT ? BAUD_VALUES[baud] : BAUD_VALUES[br009600];
}

uint32_t BytesPerSecondFor(TBaudRate baud, TDataBits dataBits, TParityBit parity, TStopBits stopBits) {
    const double data = static_cast<double>(dataBits) + 4.0;
    const double stop = (static_cast<double>(stopBits) + 2.0) / 2.0; // 1, 1.5, 2
    const double bitsPerChar = data + 1.0 + (parity != pbNone ? 1.0 : 0.0) + stop;
    return RoundToUnsigned(BaudValue(baud) / bitsPerChar * data / 8.0);
}

uint32_t BytesPerSecondFor(const TLineSettings& line) {
    return BytesPerSecondFor(line.baud, line.dataBits, line.parity, line.stopBits);
}

uint32_t TransferTimeMsFor(const TLineSettings& line, uint32_t n) {
    return RoundToUnsigned(static_cast<double>(n) * 1000.0 / BytesPerSecondFor(line));
}

uint32_t BytesInTimeFor(const TLineSettings& line, uint32_t ms) {
    return RoundToUnsigned(static_cast<double>(ms) * BytesPerSecondFor(line) / 1000.0);
}

} // namespace k730
