// Cuts fuzzer input into received blocks: each block is preceded by one byte
// giving its size (0 = 256), the last one takes what is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace k730::fuzz {

inline std::vector<std::span<const uint8_t>> SplitBlocks(const uint8_t* data, size_t size) {
    std::vector<std::span<const uint8_t>> blocks;
    size_t at = 0;
    while (at < size) {
        const size_t want = data[at] == 0 ? 256 : data[at];
        ++at;
        const size_t n = want < size - at ? want : size - at;
        blocks.emplace_back(data + at, n);
        at += n;
    }
    return blocks;
}

} // namespace k730::fuzz
