// TRequestScheduler: decides which request goes out next. Only one request is
// outstanding at a time; the scheduler serves the one-shot queue first and
// otherwise the thirteen request slots in their scan order.
//
// Toolkit-free and clock-free: scans receive the tick (ms) from the caller and
// hand each built frame to the injected send function. Main thread only.
#pragma once

#include "protocol/MerBusFun.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace k730 {

// Positions of the slots in the slot array.
enum TSlotIndex : size_t {
    slotIdentify = 0,
    slotRange = 1,
    slotDefaultRange = 2,
    slotSvcReadings = 3,
    slotSvcConfig = 4,
    slotSvcValue = 5,
    slotModBusAddress = 6,
    slotZeroDetector = 7,
    slotZeroSystem = 8,
    slotStoreZero = 9,
    slotSvcZeroDetector = 10,
    slotConversions = 11,
    slotStatus = 12,
};
constexpr size_t SLOT_COUNT = 13;

// Re-sending a timed slot's request while its answer is missing.
constexpr uint32_t SLOT_RESEND_MS = 500;
// A slot stops being pending once it has been sent more often than this.
constexpr uint32_t SLOT_MAX_SENDS = 5;

struct TRequestSlot {
    bool pending = false; // goes out at the next answer-driven scan
    bool quiet = false;   // the answer is only stored, without follow-up actions
    bool save = false;    // slot 8: the zeroing stores the zero (its answer arms slot 9)
    uint32_t sentCount = 0;
    uint32_t dueTick = 0;          // ms; 0 = not timed
    uint32_t alternateDueTick = 0; // slot 12 only; 0 = not set
};

// A one-shot item: bytes[0] is its type, the command code of the request it
// produces (type 0: a raw request, see Queue). `message` is the text the
// caller wants back when a type-13 item is answered.
struct TQueueItem {
    TBytes bytes;
    std::string message;
};

class TRequestScheduler {
public:
    using TSend = std::function<void(const TBytes& frame)>;

    explicit TRequestScheduler(TSend send);

    // Empties the queue and/or zeroes the slot records, then makes the default
    // slots pending (0, 1, 2, 6, 11, 12; 1 and 11 quiet; 3-5 only while the
    // service window is open).
    void ResetSlots(bool clearRecords, bool clearQueue);
    void ResetSession() { ResetSlots(true, true); }

    // Queues an item; false when its type is unknown or its bytes do not fit
    // the type, in which case nothing is queued. Type 0 items are
    //   [0, c, address lo, address hi, data...]  sent as BuildRequest(c, address, data)
    //   [0, 0, frame...]                         sent as the frame itself
    // and go out once; all others stay at the head until TakeAnsweredHead.
    bool Queue(TQueueItem item, bool atFront = false);
    // Set-mode item [10, mode]; with sendNow a scan to `address` follows.
    bool QueueMode(uint8_t mode, bool atFront, bool sendNow, uint16_t address);
    // Status item [4]; the usual form appends it and sends now.
    bool QueueMeasurement(bool atFront, bool sendNow, uint16_t address);

    // tick 0: answer-driven scan (pending slots); otherwise a timer scan at
    // that tick (timed slots). `now` re-arms timed slots in answer-driven scans.
    // True when something was sent or a timed slot is waiting.
    bool Scan(uint16_t address, uint32_t tick, uint32_t now = 0);
    bool ScanNow(uint16_t address, uint32_t now = 0) { return Scan(address, 0, now); }

    // Removes the head when an answer to its command arrived (the answered
    // command is code - 0x80, or byte 8 of a refusal) and returns it.
    std::optional<TQueueItem> TakeAnsweredHead(uint8_t answeredCommand);
    void ClearQueue();

    bool QueueEmpty() const { return queue_.empty(); }
    // Whether an item of this type waits in the queue.
    bool Holds(uint8_t type) const;
    size_t QueueSize() const { return queue_.size(); }
    const TQueueItem* Head() const { return queue_.empty() ? nullptr : &queue_.front().item; }

    TRequestSlot& Slot(size_t index) { return slots_[index]; }
    const TRequestSlot& Slot(size_t index) const { return slots_[index]; }
    // An answer to a slot's command clears its whole record.
    void ClearSlot(size_t index) { slots_[index] = TRequestSlot{}; }

    void SetServiceWindowOpen(bool open) { serviceWindowOpen_ = open; }
    // While the measurement history window is open it sends the status requests itself.
    void SetHistoryWindowOpen(bool open) { historyWindowOpen_ = open; }

    // The request a queue item produces, or nothing for an unknown or
    // malformed item.
    static std::optional<TBytes> RequestForItem(const TBytes& item, uint16_t address);

private:
    struct TEntry {
        uint64_t id; // finds the item again after a send that queued others
        TQueueItem item;
    };

    bool ServeQueue(uint16_t address);
    bool ServeSlots(uint16_t address, uint32_t tick, uint32_t now);
    void SendSlot(size_t index, bool becausePending, uint16_t address);
    void RemoveEntry(uint64_t id);

    TSend send_;
    std::array<TRequestSlot, SLOT_COUNT> slots_{};
    std::deque<TEntry> queue_;
    uint64_t nextId_ = 0;
    bool queueEdit_ = false; // set while the queue is emptied or its head removed
    bool serviceWindowOpen_ = false;
    bool historyWindowOpen_ = false;
};

} // namespace k730
