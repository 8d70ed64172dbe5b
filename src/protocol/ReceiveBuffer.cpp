#include "protocol/ReceiveBuffer.h"
#include "protocol/ByteOrder.h"
#include "protocol/MerBusFrames.h"

#include <algorithm>
#include <cstring>

namespace k730 {
namespace {

// The dead front of the storage is cut off once it is this long and at least
// as long as the live data, so each byte is moved at most once on average.
constexpr size_t kCompactBytes = 4096;
constexpr size_t kCompactNodes = 1024;
constexpr size_t kRingSize = 65536;

} // namespace

void TReceiveBuffer::Append(std::span<const uint8_t> block) {
    if (head_ >= kCompactBytes && head_ >= bytes_.size() - head_) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
        base_ += head_;
        head_ = 0;
    }
    bytes_.insert(bytes_.end(), block.begin(), block.end());
}

void TReceiveBuffer::Clear() {
    base_ += bytes_.size();
    bytes_.clear();
    head_ = 0;
    ResetIndex();
}

void TReceiveBuffer::Drop(size_t count) {
    head_ += std::min(count, Size());
    if (head_ == bytes_.size()) Clear();
}

bool TReceiveBuffer::SkipTo(uint8_t startByte) {
    const void* found = Empty() ? nullptr : std::memchr(bytes_.data() + head_, startByte, Size());
    if (!found) {
        Clear();
        return false;
    }
    head_ = static_cast<size_t>(static_cast<const uint8_t*>(found) - bytes_.data());
    return true;
}

size_t TReceiveBuffer::ExtractFrame() {
    for (;;) {
        if (!SkipTo(MERBUS_START)) return 0;
        const auto data = Data();
        if (data.size() < 3) return 0; // the length is not here yet
        const size_t length = ReadU16(data, 1);
        if (length < MERBUS_MIN_FRAME) {
            Drop(1);
            continue;
        }
        if (data.size() < length) {
            // A stray 0x68 in garbage may claim a length far beyond what will
            // come; a later frame that ends exactly here must not wait for it.
            if (ResyncToFrameAtEnd()) continue;
            return 0;
        }
        if (data[length - 1] == MERBUS_END) return length;
        Drop(1);
    }
}

size_t TReceiveBuffer::ExtractMerBus2Frame() {
    for (;;) {
        if (!SkipTo(MERBUS2_START)) return 0;
        const TMerBus2Candidate candidate = CheckMerBus2Candidate(Data());
        if (candidate.check == m2Frame) return candidate.length;
        if (candidate.check == m2Incomplete) return 0;
        Drop(1);
    }
}

TBytes TReceiveBuffer::TakeFrame(size_t length) {
    const auto data = Data().first(std::min(length, Size()));
    TBytes frame(data.begin(), data.end());
    Drop(frame.size());
    return frame;
}

bool TReceiveBuffer::ResyncToFrameAtEnd() {
    if (bytes_.back() != MERBUS_END) return false; // no frame can end here
    if (ring_.empty()) ring_.resize(kRingSize);
    ForgetDroppedStarts();
    IndexStarts();
    const uint64_t end = EndPos();
    const TTargetEntry& entry = ring_[end % kRingSize];
    if (!entry.used || entry.target != end || entry.first < nodeBase_ + nodeHead_) return false;
    // The chain's first node is the earliest 0x68 after the waiting one.
    Drop(static_cast<size_t>(nodes_[entry.first - nodeBase_].position - StreamPos(head_)));
    return true;
}

void TReceiveBuffer::IndexStarts() {
    const uint64_t end = EndPos();
    if (end < 3) return;
    const uint64_t from = std::max(indexedUpTo_, StreamPos(head_) + 1);
    const uint64_t to = end - 2; // a 0x68 before this has its length buffered
    for (uint64_t pos = from; pos < to; ++pos) {
        const size_t at = static_cast<size_t>(pos - base_);
        const void* found = std::memchr(bytes_.data() + at, MERBUS_START, static_cast<size_t>(to - pos));
        if (!found) break;
        pos = base_ + static_cast<size_t>(static_cast<const uint8_t*>(found) - bytes_.data());
        const size_t length = ReadU16(bytes_, static_cast<size_t>(pos - base_) + 1);
        const uint64_t target = pos + length;
        if (length < MERBUS_MIN_FRAME || target < end) continue; // can never end a later block

        const uint64_t number = nodeBase_ + nodes_.size();
        nodes_.push_back({pos, target, kNoNode});
        TTargetEntry& entry = ring_[target % kRingSize];
        if (entry.used && entry.target == target && entry.first >= nodeBase_ + nodeHead_) {
            nodes_[static_cast<size_t>(entry.last - nodeBase_)].next = number;
            entry.last = number;
        } else {
            entry = {target, number, number, true};
        }
    }
    indexedUpTo_ = std::max(indexedUpTo_, to);
}

void TReceiveBuffer::ForgetDroppedStarts() {
    const uint64_t head = StreamPos(head_);
    while (nodeHead_ < nodes_.size() && nodes_[nodeHead_].position < head) {
        const TStartNode& node = nodes_[nodeHead_];
        TTargetEntry& entry = ring_[node.target % kRingSize];
        if (entry.used && entry.target == node.target && entry.first == nodeBase_ + nodeHead_) {
            entry.first = node.next;
            entry.used = node.next != kNoNode;
        }
        ++nodeHead_;
    }
    if (nodeHead_ >= kCompactNodes && nodeHead_ >= nodes_.size() - nodeHead_) {
        nodes_.erase(nodes_.begin(), nodes_.begin() + static_cast<std::ptrdiff_t>(nodeHead_));
        nodeBase_ += nodeHead_;
        nodeHead_ = 0;
    }
}

void TReceiveBuffer::ResetIndex() {
    nodeBase_ += nodes_.size();
    nodes_.clear();
    nodeHead_ = 0;
    indexedUpTo_ = EndPos();
}

} // namespace k730
