// Little-endian reading and writing of the meter's multi-byte fields. Readers
// take the offset of the field and expect the caller to have checked that the
// field lies inside the bytes.
#pragma once

#include "protocol/MerBusFun.h"

#include <bit>
#include <cstdint>
#include <span>

namespace k730 {

inline uint16_t ReadU16(std::span<const uint8_t> bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline uint32_t ReadU32(std::span<const uint8_t> bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

inline float ReadF32(std::span<const uint8_t> bytes, size_t offset) {
    return std::bit_cast<float>(ReadU32(bytes, offset));
}

inline void AppendU16(TBytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void AppendU32(TBytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void AppendF32(TBytes& out, float value) {
    AppendU32(out, std::bit_cast<uint32_t>(value));
}

} // namespace k730
