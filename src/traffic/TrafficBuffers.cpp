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

size_t TTrafficBuffer::MemoryBytes() const {
    return records_.capacity() * sizeof(TTrafficRecord) + stamps_.capacity() * sizeof(TStamp) +
           data_.capacity();
}

size_t TTrafficBuffer::IndexAtOffset(uint64_t pos) const {
    const auto it = std::upper_bound(records_.begin(), records_.end(), pos,
                                     [](uint64_t p, const TTrafficRecord& r) { return p < r.endOffset; });
    return static_cast<size_t>(it - records_.begin());
}

size_t TTrafficBuffer::IndexOfSequence(uint32_t sequence) const {
    const size_t index = FirstAfter(sequence - 1);
    if (sequence == 0 || index == records_.size() || records_[index].sequence != sequence)
        return records_.size();
    return index;
}

size_t TTrafficBuffer::FirstAfter(uint32_t sequence) const {
    const auto it = std::upper_bound(records_.begin(), records_.end(), sequence,
                                     [](uint32_t s, const TTrafficRecord& r) { return s < r.sequence; });
    return static_cast<size_t>(it - records_.begin());
}

bool TTrafficBuffer::Append(std::span<const uint8_t> bytes, uint32_t sequence, TStamp stamp) {
    // The descriptor holds 32-bit offsets; a buffer never grows past them.
    if (bytes.size() > std::numeric_limits<uint32_t>::max() - data_.size()) return false;
    const size_t count = records_.size();
    try {
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        records_.push_back(
            {static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(data_.size()), sequence});
        stamps_.push_back(stamp);
    } catch (...) {
        Truncate(count);
        return false;
    }
    if (stamp != NO_STAMP) ++stamped_;
    return true;
}

bool TTrafficBuffer::AppendAll(const TTrafficBuffer& other, uint32_t offset) {
    if (other.data_.size() > std::numeric_limits<uint32_t>::max() - data_.size()) return false;
    const size_t count = records_.size();
    const auto base = static_cast<uint32_t>(data_.size());
    try {
        data_.insert(data_.end(), other.data_.begin(), other.data_.end());
        records_.reserve(count + other.records_.size());
        for (const TTrafficRecord& r : other.records_)
            records_.push_back({r.size, base + r.endOffset, r.sequence + offset});
        stamps_.insert(stamps_.end(), other.stamps_.begin(), other.stamps_.end());
    } catch (...) {
        Truncate(count);
        return false;
    }
    stamped_ += other.stamped_;
    return true;
}

void TTrafficBuffer::Truncate(size_t count) {
    if (count >= records_.size()) {
        // A failed append may have left bytes or stamps without their descriptor.
        data_.resize(records_.empty() ? 0 : records_.back().endOffset);
        stamps_.resize(records_.size());
        return;
    }
    for (size_t i = count; i < stamps_.size() && i < records_.size(); ++i)
        if (stamps_[i] != NO_STAMP) --stamped_;
    records_.resize(count);
    stamps_.resize(count);
    data_.resize(count == 0 ? 0 : records_.back().endOffset);
}

void TTrafficBuffer::Clear() {
    records_.clear();
    stamps_.clear();
    data_.clear();
    stamped_ = 0;
}

bool TTrafficBuffers::RecordBlock(int buffer, std::span<const uint8_t> bytes, TStamp stamp) {
    if (buffer < 0 || buffer >= TRAFFIC_BUFFER_COUNT || bytes.empty()) return false;
    const auto b = static_cast<size_t>(buffer);
    if (!recording || !available[b] || !capture[b]) return false;
    return AddRecord(buffer, bytes, stamp);
}

bool TTrafficBuffers::AddRecord(int buffer, std::span<const uint8_t> bytes, TStamp stamp) {
    if (buffer < 0 || buffer >= TRAFFIC_BUFFER_COUNT) return false;
    const auto b = static_cast<size_t>(buffer);
    if (sequence_ == std::numeric_limits<uint32_t>::max() ||
        !buffers_[b].Append(bytes, sequence_ + 1, stamp)) {
        capture[b] = false;
        return false;
    }
    ++sequence_;
    if (firstStamp_ == NO_STAMP) firstStamp_ = stamp;
    return true;
}

bool TTrafficBuffers::AppendAll(TTrafficBuffers&& loaded) {
    if (loaded.sequence_ > std::numeric_limits<uint32_t>::max() - sequence_) return false;
    if (Empty() && sequence_ == 0) {
        buffers_ = std::move(loaded.buffers_);
        sequence_ = loaded.sequence_;
        firstStamp_ = loaded.firstStamp_;
        loaded.Clear();
        return true;
    }
    std::array<size_t, TRAFFIC_BUFFER_COUNT> counts{};
    for (size_t b = 0; b < buffers_.size(); ++b)
        counts[b] = buffers_[b].Count();
    for (size_t b = 0; b < buffers_.size(); ++b)
        if (!buffers_[b].AppendAll(loaded.buffers_[b], sequence_)) {
            for (size_t undo = 0; undo < b; ++undo)
                buffers_[undo].Truncate(counts[undo]);
            return false;
        }
    sequence_ += loaded.sequence_;
    if (firstStamp_ == NO_STAMP) firstStamp_ = loaded.firstStamp_;
    loaded.Clear();
    return true;
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
    firstStamp_ = NO_STAMP;
}

} // namespace k730
