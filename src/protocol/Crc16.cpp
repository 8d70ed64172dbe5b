#include "protocol/Crc16.h"

#include <array>

namespace k730 {
namespace {

using TCrcTable = std::array<uint8_t, 256>;

// Remainder of one byte divided by the reflected polynomial; its low byte is
// the standard's first table (XORed into the low register together with the
// old high register), its high byte the second (the new high register).
constexpr uint16_t ByteRemainder(unsigned index) {
    uint16_t crc = static_cast<uint16_t>(index);
    for (int bit = 0; bit < 8; ++bit)
        crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
    return crc;
}

constexpr TCrcTable MakeTable(bool highByte) {
    TCrcTable table{};
    for (unsigned i = 0; i < 256; ++i) {
        const uint16_t r = ByteRemainder(i);
        table[i] = static_cast<uint8_t>(highByte ? r >> 8 : r & 0xFF);
    }
    return table;
}

constexpr TCrcTable kCrcHi = MakeTable(false); // the standard's auchCRCHi: 00 C1 81 40 ...
constexpr TCrcTable kCrcLo = MakeTable(true);  // the standard's auchCRCLo: 00 C0 C1 01 ...
static_assert(kCrcHi[1] == 0xC1 && kCrcHi[2] == 0x81 && kCrcHi[3] == 0x40);
static_assert(kCrcLo[1] == 0xC0 && kCrcLo[2] == 0xC1 && kCrcLo[3] == 0x01);

} // namespace

uint16_t Crc16(std::span<const uint8_t> bytes) {
    uint8_t high = 0xFF;
    uint8_t low = 0xFF;
    for (const uint8_t b : bytes) {
        const uint8_t index = static_cast<uint8_t>(low ^ b);
        low = static_cast<uint8_t>(high ^ kCrcHi[index]);
        high = kCrcLo[index];
    }
    return static_cast<uint16_t>(high << 8 | low);
}

uint16_t Crc16(const uint8_t* bytes, size_t count) {
    return Crc16(std::span<const uint8_t>(bytes, count));
}

} // namespace k730
