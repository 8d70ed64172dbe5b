// The request slots and the one-shot queue.
#include "main/SlotScheduler.h"

#include <utility>

namespace k730 {

namespace {

// Scan order: slot 10 (service zeroing) is examined before slot 9 (store zero).
constexpr std::array<int, SLOT_COUNT> SCAN_ORDER = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 9, 11, 12};

constexpr std::array<uint8_t, SLOT_COUNT> SLOT_COMMAND = {
    CMD_IDENTIFY,          CMD_RANGE,          CMD_DEFAULT_RANGE, CMD_SVC_READINGS, CMD_SVC_CONFIG,
    CMD_SVC_VALUE,         CMD_MODBUS_ADDRESS, CMD_ZERO_DETECTOR, CMD_ZERO_SYSTEM,  CMD_STORE_ZERO,
    CMD_SVC_ZERO_DETECTOR, CMD_CONVERSIONS,    CMD_STATUS};

bool IsZeroingSlot(int slot) {
    return slot == slotZeroDetector || slot == slotZeroSystem || slot == slotSvcZero;
}

// Number of data bytes after the type byte for the fixed-size item types;
// -1 for types of another shape, -2 for unknown types.
int FixedDataSize(uint8_t type) {
    switch (type) {
    case CMD_STATUS:
    case CMD_SVC_101:
        return 0;
    case CMD_RANGE:
    case CMD_DEFAULT_RANGE:
    case CMD_CONVERSIONS:
    case CMD_SET_MODE:
    case CMD_SVC_CONFIG:
    case CMD_SVC_KIND:
        return 1;
    case CMD_SET_FORCING_VALUE:
    case CMD_SVC_SERIAL_YEAR:
    case CMD_SVC_VALUE:
        return 4;
    case CMD_SET_CAL_PARAMETER:
        return 5;
    case CMD_SAVE_CALIBRATION:
        return 16;
    case CMD_SVC_RANGES:
    case CMD_SVC_READINGS:
        return 12;
    case 0:
    case CMD_SVC_DESCRIPTOR:
        return -1;
    default:
        return -2;
    }
}

TBytes BuildRawItem(const TBytes& b) {
    if (b.size() < 2) return {};
    const uint8_t command = b[1];
    if (command == 0) return TBytes(b.begin() + 2, b.end());
    if (b.size() < 4) return {};
    const uint16_t address = static_cast<uint16_t>(b[2] | (b[3] << 8));
    return BuildRequest(command, address, std::span(b).subspan(4), false);
}

} // namespace

TBytes BuildQueuedRequest(const TQueueItem& item, uint16_t address) {
    const TBytes& b = item.bytes;
    if (b.empty()) return {};
    const uint8_t type = b[0];
    const int size = FixedDataSize(type);
    if (type == 0) return BuildRawItem(b);
    if (type == CMD_SVC_DESCRIPTOR) {
        TBytes text(b.begin() + 1, b.end());
        if (text.empty() || text.back() != 0) text.push_back(0);
        return BuildRequest(type, address, text, true);
    }
    if (size < 0 || b.size() < static_cast<size_t>(size) + 1) return {};
    return BuildRequest(type, address, std::span(b).subspan(1, size), IsServiceCommand(type));
}

TSlotScheduler::TSlotScheduler(TSendFn send) : send_(std::move(send)) {}

void TSlotScheduler::ClearQueue() {
    queueEdit = true;
    queue.clear();
    queueEdit = false;
}

void TSlotScheduler::RemoveHead() {
    queueEdit = true;
    if (!queue.empty()) queue.pop_front();
    queueEdit = false;
}

void TSlotScheduler::ResetSlots(bool clearRecords, bool clearQueue) {
    if (clearQueue) ClearQueue();
    if (clearRecords) slots.fill(TRequestSlot{});
    for (int s : {slotIdentity, slotRange, slotDefaultRange, slotModBus, slotConversions, slotStatus})
        slots[s].pending = true;
    slots[slotRange].quiet = true;
    slots[slotConversions].quiet = true;
    for (int s : {slotSvcReadings, slotSvcConfig, slotSvcValue})
        slots[s].pending = serviceOpen;
}

void TSlotScheduler::QueueMode(uint8_t mode, bool atFront, bool sendNow, uint16_t address, uint32_t now) {
    TQueueItem item{{CMD_SET_MODE, mode}, false, {}};
    atFront ? PushFront(std::move(item)) : Append(std::move(item));
    if (sendNow) ScanNow(address, now);
}

void TSlotScheduler::QueueMeasurement(bool atFront, bool sendNow, uint16_t address, uint32_t now) {
    TQueueItem item{{CMD_STATUS}, false, {}};
    atFront ? PushFront(std::move(item)) : Append(std::move(item));
    if (sendNow) ScanNow(address, now);
}

bool TSlotScheduler::ServeQueueHead(uint16_t address) {
    const TBytes frame = BuildQueuedRequest(queue.front(), address);
    if (frame.empty()) {
        // An item no request can be built from would sit at the head for
        // good and hold back every later request; it is dropped instead.
        RemoveHead();
        return false;
    }
    const bool raw = queue.front().Type() == 0;
    send_(frame);
    if (raw) RemoveHead();
    return true;
}

bool TSlotScheduler::SendSlot(int slot, uint16_t address) {
    TRequestSlot& s = slots[slot];
    const uint8_t command = SLOT_COMMAND[slot];
    const uint8_t start = 1;
    std::span<const uint8_t> data;
    if (IsZeroingSlot(slot) && s.pending) data = std::span(&start, 1);
    ++s.sentCount;
    send_(BuildRequest(command, address, data, IsServiceCommand(command)));
    return true;
}

bool TSlotScheduler::Scan(uint16_t address, uint32_t tick, uint32_t now) {
    if (!queue.empty() && !queueEdit) return ServeQueueHead(address);
    for (int slot : SCAN_ORDER) {
        if (slot == slotStatus && historyOpen) continue;
        TRequestSlot& s = slots[slot];
        const bool eligible = tick == 0 ? s.pending : (s.dueTick != 0 || s.altDueTick != 0);
        if (!eligible) continue;
        const bool due =
            s.pending || (s.dueTick != 0 && tick >= s.dueTick) || (s.altDueTick != 0 && tick >= s.altDueTick);
        if (due) {
            if (s.dueTick != 0) s.dueTick = now + 500;
            SendSlot(slot, address);
            if (s.sentCount > 5) s.pending = false;
        }
        return true;
    }
    return false;
}

} // namespace k730
