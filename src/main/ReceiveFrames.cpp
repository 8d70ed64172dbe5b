// The receive buffer. Consumed bytes are skipped with a start offset and
// compacted away only when they make up half the buffer, so dropping one byte
// at the front does not copy the rest.
#include "main/ReceiveFrames.h"

#include <algorithm>

namespace k730 {

void TReceiveFrames::Append(const TBytes& block) {
    if (start_ > 0 && start_ * 2 >= data_.size()) {
        data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    data_.insert(data_.end(), block.begin(), block.end());
}

void TReceiveFrames::Clear() {
    data_.clear();
    start_ = 0;
}

void TReceiveFrames::Drop(size_t count) {
    start_ = std::min(data_.size(), start_ + count);
}

size_t TReceiveFrames::LengthAt(size_t pos) const {
    return static_cast<size_t>(data_[pos + 1] | (data_[pos + 2] << 8));
}

// A later start byte whose frame ends exactly at the end of the data, with the
// end byte in place, wins over a candidate whose length points past the end.
bool TReceiveFrames::ResyncAtLaterStart() {
    const size_t end = data_.size();
    for (size_t j = start_ + 1; j + 3 <= end; ++j) {
        if (data_[j] != MERBUS_START) continue;
        const size_t length = LengthAt(j);
        if (length >= 6 && j + length == end && data_[end - 1] == MERBUS_END) {
            start_ = j;
            return true;
        }
    }
    return false;
}

size_t TReceiveFrames::ExtractFrame() {
    for (;;) {
        const auto first =
            std::find(data_.begin() + static_cast<std::ptrdiff_t>(start_), data_.end(), MERBUS_START);
        if (first == data_.end()) {
            Clear();
            return 0;
        }
        start_ = static_cast<size_t>(first - data_.begin());
        const size_t available = data_.size() - start_;
        if (available < 3) return 0;
        const size_t length = LengthAt(start_);
        if (length < 6) {
            Drop(1);
            continue;
        }
        if (available < length) {
            if (ResyncAtLaterStart()) continue;
            return 0;
        }
        if (data_[start_ + length - 1] == MERBUS_END) return length;
        Drop(1);
    }
}

std::optional<TBytes> TReceiveFrames::TakeNextFrame() {
    const size_t length = ExtractFrame();
    if (length == 0) return std::nullopt;
    const auto from = data_.begin() + static_cast<std::ptrdiff_t>(start_);
    TBytes frame(from, from + static_cast<std::ptrdiff_t>(length));
    Drop(length);
    if (Empty()) Clear();
    return frame;
}

} // namespace k730
