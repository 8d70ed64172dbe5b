// The three traffic recordings of the buffer viewer (received blocks, accepted
// frames, transmitted blocks) with one sequence counter across them, so that the
// records of all three can be put back in time order.
#pragma once

#include "protocol/MerBusFun.h"

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace k730 {

enum TTrafficBufferId : uint8_t { tbReceived = 0, tbValidFrames = 1, tbTransmitted = 2 };
constexpr int TRAFFIC_BUFFER_COUNT = 3;

// When a block passed: steady-clock microseconds. Kept in memory only; the
// buffer file has no room for it, so loaded records carry NO_STAMP.
using TStamp = int64_t;
constexpr TStamp NO_STAMP = std::numeric_limits<int64_t>::min();

// The 12-byte descriptor of a record.
struct TTrafficRecord {
    uint32_t size = 0;      // bytes of the block
    uint32_t endOffset = 0; // sum of the sizes of this buffer's records up to and including this one
    uint32_t sequence = 0;  // shared counter; the first record is 1
};

// How a recorded block is marked when shown.
enum TFrameKind { fkNone, fkMerBus1, fkMerBus2 };
TFrameKind RecognizeFrame(std::span<const uint8_t> block);

class TTrafficBuffer {
public:
    size_t Count() const { return records_.size(); }
    bool Empty() const { return records_.empty(); }
    const TTrafficRecord& Record(size_t index) const { return records_[index]; }
    std::span<const uint8_t> Bytes(size_t index) const;
    // All recorded bytes, record after record.
    std::span<const uint8_t> Data() const { return data_; }
    uint64_t TotalBytes() const { return data_.size(); }
    // First byte position of record `index`.
    uint64_t StartOf(size_t index) const { return records_[index].endOffset - records_[index].size; }
    TStamp Stamp(size_t index) const { return stamps_[index]; }
    bool AnyStamped() const { return stamped_ != 0; }
    // Memory held for the records: descriptors, stamps and bytes.
    size_t MemoryBytes() const;
    // Index of the record holding byte position `pos` of the buffer; Count() past the end.
    size_t IndexAtOffset(uint64_t pos) const;
    // Index of the record with this sequence number, or Count().
    size_t IndexOfSequence(uint32_t sequence) const;
    // Index of the first record numbered above `sequence`, or Count().
    size_t FirstAfter(uint32_t sequence) const;

    bool Append(std::span<const uint8_t> bytes, uint32_t sequence, TStamp stamp = NO_STAMP);
    // Appends every record of `other`, its numbers raised by `offset`; all or nothing.
    bool AppendAll(const TTrafficBuffer& other, uint32_t offset);
    // Drops the records from `count` on.
    void Truncate(size_t count);
    void Clear();

private:
    std::vector<TTrafficRecord> records_; // arrival order
    std::vector<TStamp> stamps_;          // one per record
    TBytes data_;                         // the blocks one after the other
    size_t stamped_ = 0;                  // records with a time stamp
};

struct TTrafficHit {
    int buffer = -1; // -1 when no record has the number
    size_t index = 0;
};

class TTrafficBuffers {
public:
    // Capture switches: a block is recorded only with all three on.
    bool recording = true;
    std::array<bool, TRAFFIC_BUFFER_COUNT> available{true, true, true};
    std::array<bool, TRAFFIC_BUFFER_COUNT> capture{true, true, true};

    // A fed block: recorded when the switches allow it and it is not empty.
    bool RecordBlock(int buffer, std::span<const uint8_t> bytes, TStamp stamp = NO_STAMP);
    // Appends with the next sequence number; a record that cannot be kept turns
    // the buffer's capture off.
    bool AddRecord(int buffer, std::span<const uint8_t> bytes, TStamp stamp = NO_STAMP);
    // Appends the records of `loaded` (numbered 1, 2, 3 ... as loading numbers
    // them) after the present ones, keeping their order; all or nothing.
    bool AppendAll(TTrafficBuffers&& loaded);
    // The record with sequence number `sequence`, searched in the three buffers.
    TTrafficHit RecordAt(uint32_t sequence) const;

    const TTrafficBuffer& Buffer(int id) const { return buffers_[static_cast<size_t>(id)]; }
    bool Empty() const;
    uint32_t LastSequence() const { return sequence_; }
    // Stamp of the first stamped record since the last Clear, or NO_STAMP.
    TStamp FirstStamp() const { return firstStamp_; }
    void Clear();

private:
    std::array<TTrafficBuffer, TRAFFIC_BUFFER_COUNT> buffers_;
    uint32_t sequence_ = 0;
    TStamp firstStamp_ = NO_STAMP;
};

} // namespace k730
