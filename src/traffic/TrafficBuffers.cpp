#include "traffic/TrafficBuffers.h"

#include "protocol/MerBusFrames.h"

#include <algorithm>
#include <limits>

namespace k730 {

TFrameKind RecognizeFrame(std::span<const uint8_t> block) {
    if (IsWholeMerBus1Frame(block)) return fkMerBus1;
    if (IsWholeMerBus2Frame(block)) return fkMerBus2;
    return fkNone;
}

std::span<const uint8_t> TTrafficBuffer::Bytes(size_t index) const {
    const TTrafficRecord& r = records_[index];
    return std::span<const uint8_t>(data_).subspan(r.endOffset - r.size, r.size);
}

size_t TTrafficBuffer::IndexAtOffset(uint64_t pos) const {
    const auto it = std::upper_bound(records_.begin(), records_.end(), pos,
                                     [](uint64_t p, const TTrafficRecord& r) { return p < r.endOffset; });
    return static_cast<size_t>(it - records_.begin());
}

size_t TTrafficBuffer::IndexOfSequence(uint32_t sequence) const {
    const auto it = std::lower_bound(records_.begin(), records_.end(), sequence,
                                     [](const TTrafficRecord& r, uint32_t s) { return r.sequence < s; });
    if (it == records_.end() || it->sequence != sequence) return records_.size();
    return static_cast<size_t>(it - records_.begin());
}

bool TTrafficBuffer::Append(std::span<const uint8_t> bytes, uint32_t sequence) {
    // The descriptor holds 32-bit offsets; a buffer never grows past them.
    if (bytes.size() > std::numeric_limits<uint32_t>::max() - data_.size()) return false;
    try {
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        records_.push_back(
            {static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(data_.size()), sequence});
    } catch (...) {
        data_.resize(records_.empty() ? 0 : records_.back().endOffset);
        return false;
    }
    return true;
}

void TTrafficBuffer::Clear() {
    records_.clear();
    data_.clear();
}

bool TTrafficBuffers::RecordBlock(int buffer, std::span<const uint8_t> bytes) {
    if (buffer < 0 || buffer >= TRAFFIC_BUFFER_COUNT || bytes.empty()) return false;
    const auto b = static_cast<size_t>(buffer);
    if (!recording || !available[b] || !capture[b]) return false;
    return AddRecord(buffer, bytes);
}

bool TTrafficBuffers::AddRecord(int buffer, std::span<const uint8_t> bytes) {
    if (buffer < 0 || buffer >= TRAFFIC_BUFFER_COUNT) return false;
    const auto b = static_cast<size_t>(buffer);
    if (buffers_[b].Append(bytes, sequence_ + 1)) {
        ++sequence_;
        return true;
    }
    capture[b] = false;
    return false;
}

TTrafficHit TTrafficBuffers::RecordAt(uint32_t sequence) const {
    for (int id = 0; id < TRAFFIC_BUFFER_COUNT; ++id) {
        const size_t index = buffers_[static_cast<size_t>(id)].IndexOfSequence(sequence);
        if (index < buffers_[static_cast<size_t>(id)].Count()) return {id, index};
    }
    return {};
}

bool TTrafficBuffers::Empty() const {
    return std::all_of(buffers_.begin(), buffers_.end(), [](const TTrafficBuffer& b) { return b.Empty(); });
}

void TTrafficBuffers::Clear() {
    for (auto& b : buffers_)
        b.Clear();
    sequence_ = 0;
}

} // namespace k730
