// Little-endian fields of the meter's frames, for the simulator's answers.
#pragma once

#include "protocol/MerBusFun.h"

#include <bit>
#include <cstring>
#include <span>

namespace k730::sim {

inline void PutU16(TBytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(TBytes& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void PutF32(TBytes& out, float v) {
    PutU32(out, std::bit_cast<uint32_t>(v));
}

inline uint16_t GetU16(std::span<const uint8_t> in, size_t at) {
    return static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
}

inline uint32_t GetU32(std::span<const uint8_t> in, size_t at) {
    return static_cast<uint32_t>(in[at]) | static_cast<uint32_t>(in[at + 1]) << 8 |
           static_cast<uint32_t>(in[at + 2]) << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}

inline float GetF32(std::span<const uint8_t> in, size_t at) {
    return std::bit_cast<float>(GetU32(in, at));
}

} // namespace k730::sim
