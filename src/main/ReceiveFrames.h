// The receive buffer from which answer frames are cut. Bytes are appended as
// blocks arrive; complete MerBus1 frames are taken from the front, garbage
// before and between frames is dropped.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstddef>
#include <optional>

namespace k730 {

class TReceiveFrames {
public:
    void Append(const TBytes& block);
    void Clear();
    bool Empty() const { return start_ == data_.size(); }
    size_t Size() const { return data_.size() - start_; }

    // Length of the complete frame now at the front (dropping what cannot
    // start one), or 0 while more data is needed.
    size_t ExtractFrame();
    // The next complete frame, removed from the buffer.
    std::optional<TBytes> TakeNextFrame();

private:
    size_t LengthAt(size_t pos) const;
    bool ResyncAtLaterStart();
    void Drop(size_t count);

    TBytes data_;
    size_t start_ = 0; // bytes before start_ are already consumed
};

} // namespace k730
