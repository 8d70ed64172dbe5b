// CRC-16 of MerBus2 frames: the checksum MODBUS uses (reflected polynomial
// 0xA001, registers start at 0xFF/0xFF, no final XOR), computed byte by byte
// through the two 256-entry tables of the MODBUS standard.
#pragma once

#include <cstdint>
#include <span>

namespace k730 {

// Returns high register * 256 + low register, i.e. the value that a frame
// stores low byte first: "123456789" gives 0x4B37, stored as 37 4B.
uint16_t Crc16(std::span<const uint8_t> bytes);

// The same over the first `count` bytes at `bytes`.
uint16_t Crc16(const uint8_t* bytes, size_t count);

} // namespace k730
