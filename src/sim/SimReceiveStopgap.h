// Stand-in for the core receive buffer until it lands in this branch; the
// same interface, so the switch is one include. Simple and slow on purpose.
#pragma once

#include "protocol/MerBusFun.h"

#include <algorithm>
#include <span>

namespace k730::sim {

class TReceiveBuffer {
public:
    void Append(std::span<const uint8_t> block) { bytes_.insert(bytes_.end(), block.begin(), block.end()); }
    void Clear() { bytes_.clear(); }
    size_t ExtractFrame() {
        for (;;) {
            auto start = std::find(bytes_.begin(), bytes_.end(), MERBUS_START);
            bytes_.erase(bytes_.begin(), start);
            if (bytes_.size() < 3) return 0;
            const size_t length = bytes_[1] | bytes_[2] << 8;
            if (length < 6) {
                bytes_.erase(bytes_.begin());
                continue;
            }
            if (bytes_.size() < length) return 0;
            if (bytes_[length - 1] == MERBUS_END) return length;
            bytes_.erase(bytes_.begin());
        }
    }
    TBytes TakeFrame(size_t length) {
        TBytes frame(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(length));
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(length));
        return frame;
    }

private:
    TBytes bytes_;
};

} // namespace k730::sim
