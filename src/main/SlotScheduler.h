// The request slots and the one-shot queue that decide which request goes to
// the meter next. Only one request is outstanding at a time: queued one-shot
// commands go first, then the thirteen periodic or deferred readings in scan
// order. The send step is injected, so the scheduler runs without a port.
#pragma once

#include "protocol/MerBusFun.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace k730 {

// Slot indices (position in the slot array).
enum TSlotIndex : int {
    slotIdentity = 0,
    slotRange = 1,
    slotDefaultRange = 2,
    slotSvcReadings = 3,
    slotSvcConfig = 4,
    slotSvcValue = 5,
    slotModBus = 6,
    slotZeroDetector = 7,
    slotZeroSystem = 8,
    slotStoreZero = 9,
    slotSvcZero = 10,
    slotConversions = 11,
    slotStatus = 12,
    SLOT_COUNT = 13,
};

struct TRequestSlot {
    bool pending = false;
    bool quiet = false; // answer only stored, no follow-up actions
    bool save = false;  // slot 8: zeroing started with storing of the zero
    uint32_t sentCount = 0;
    uint32_t dueTick = 0;    // ms tick; 0 = not timed
    uint32_t altDueTick = 0; // slot 12 only; 0 = not set
};

// One-shot queue item: the first byte is the type (the command code of the
// request it produces, or 0 for a raw request). A save-calibration item may
// carry the operator's comment, which travels with the item, not in the frame.
struct TQueueItem {
    TBytes bytes;
    bool hasComment = false;
    std::string comment;

    uint8_t Type() const { return bytes.empty() ? 0 : bytes[0]; }
};

class TSlotScheduler {
public:
    // Receives every built request; the caller sends it and notes its tick.
    using TSendFn = std::function<void(const TBytes& frame)>;

    explicit TSlotScheduler(TSendFn send);

    std::array<TRequestSlot, SLOT_COUNT> slots{};
    std::deque<TQueueItem> queue;
    bool queueEdit = false;   // held while the queue is emptied or its head removed
    bool serviceOpen = false; // the next reset makes the service slots 3..5 pending
    bool historyOpen = false; // the history window sends the status requests itself

    void ResetSlots(bool clearRecords, bool clearQueue);
    void ResetSession() { ResetSlots(true, true); }
    void ClearQueue();
    void RemoveHead();

    void Append(TQueueItem item) { queue.push_back(std::move(item)); }
    void PushFront(TQueueItem item) { queue.push_front(std::move(item)); }
    void QueueMode(uint8_t mode, bool atFront, bool sendNow, uint16_t address, uint32_t now);
    void QueueMeasurement(bool atFront, bool sendNow, uint16_t address, uint32_t now);

    // tick = 0: answer-driven scan; otherwise a timer scan at that tick.
    // now is the present tick, used to re-arm timed slots.
    bool Scan(uint16_t address, uint32_t tick, uint32_t now);
    bool ScanNow(uint16_t address, uint32_t now) { return Scan(address, 0, now); }

private:
    bool ServeQueueHead(uint16_t address);
    bool SendSlot(int slot, uint16_t address);
    TSendFn send_;
};

// Builds the request a queue item produces; empty for an unknown type.
TBytes BuildQueuedRequest(const TQueueItem& item, uint16_t address);

} // namespace k730
