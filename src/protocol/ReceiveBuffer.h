// TReceiveBuffer: the growing buffer into which received blocks are appended
// and from which answer frames are cut.
//
// Work stays linear in the bytes received, also on hostile streams: dropped
// bytes only move a read offset (the storage is compacted once the dead front
// outgrows the live data), and the search for a frame that ends exactly at the
// end of the data, while an earlier 0x68 still waits for its length, uses an
// index of the 0x68 positions by the end their length points to, built once
// per byte instead of walking the buffer on every block.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace k730 {

class TReceiveBuffer {
public:
    void Append(std::span<const uint8_t> block);
    void Clear();

    size_t Size() const { return bytes_.size() - head_; }
    bool Empty() const { return Size() == 0; }
    std::span<const uint8_t> Data() const { return std::span<const uint8_t>(bytes_).subspan(head_); }

    // Length of the complete MerBus1 frame now at the front of the buffer, or
    // 0 when none is complete yet. Bytes that cannot begin a frame are
    // dropped on the way; a buffer without any 0x68 is emptied.
    size_t ExtractFrame();

    // The same for MerBus2 frames (recorded traffic only).
    size_t ExtractMerBus2Frame();

    // Copies the first `length` bytes (at most Size()) out and removes them.
    TBytes TakeFrame(size_t length);

private:
    // One 0x68 whose length field is buffered, chained to the next 0x68 whose
    // length points to the same end.
    struct TStartNode {
        uint64_t position; // in the stream since the last Clear
        uint64_t target;   // position + its length field
        uint64_t next;     // node number of the next one with this target, or kNoNode
    };
    // Live targets all lie within 64 KiB after the end of the data, so a ring
    // of 65536 entries keyed by the target's low 16 bits never mixes two.
    struct TTargetEntry {
        uint64_t target = 0;
        uint64_t first = 0; // node numbers of the chain's ends
        uint64_t last = 0;
        bool used = false;
    };
    static constexpr uint64_t kNoNode = UINT64_MAX;

    void Drop(size_t count);
    bool SkipTo(uint8_t startByte);
    bool ResyncToFrameAtEnd();
    void IndexStarts();
    void ForgetDroppedStarts();
    void ResetIndex();

    uint64_t StreamPos(size_t index) const { return base_ + index; }
    uint64_t EndPos() const { return base_ + bytes_.size(); }

    std::vector<uint8_t> bytes_;
    size_t head_ = 0;   // first live byte in bytes_
    uint64_t base_ = 0; // stream position of bytes_[0]

    std::vector<TStartNode> nodes_; // in stream order, from nodeHead_ on
    size_t nodeHead_ = 0;
    uint64_t nodeBase_ = 0;          // node number of nodes_[0]
    uint64_t indexedUpTo_ = 0;       // stream position from which 0x68s are not indexed yet
    std::vector<TTargetEntry> ring_; // allocated on first use
};

} // namespace k730
