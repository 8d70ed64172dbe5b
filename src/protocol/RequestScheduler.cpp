#include "protocol/RequestScheduler.h"
#include "protocol/MerBusCommands.h"

#include <algorithm>
#include <utility>

namespace k730 {
namespace {

// Slots 9 and 10 are examined in the order 10, 9.
constexpr std::array<size_t, SLOT_COUNT> kScanOrder = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 9, 11, 12};

struct TSlotRequest {
    uint8_t command;
    bool zeroing; // starts with the byte 1 when pending, asks without data when due
};

constexpr std::array<TSlotRequest, SLOT_COUNT> kSlotRequests = {{
    {CMD_IDENTIFY, false},
    {CMD_RANGE, false},
    {CMD_DEFAULT_RANGE, false},
    {CMD_SVC_READINGS, false},
    {CMD_SVC_CONFIG, false},
    {CMD_SVC_VALUE, false},
    {CMD_MODBUS_ADDRESS, false},
    {CMD_ZERO_DETECTOR, true},
    {CMD_ZERO_SYSTEM, true},
    {CMD_STORE_ZERO, false},
    {CMD_SVC_ZERO_DETECTOR, true},
    {CMD_CONVERSIONS, false},
    {CMD_STATUS, false},
}};

constexpr int kText = -1; // type 98: the rest of the item is the text

// Data bytes after the type byte, per queue item type; -2 = not a queue type.
int ItemDataSize(uint8_t type) {
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
    case CMD_SVC_DESCRIPTOR:
        return kText;
    default:
        return -2;
    }
}

std::optional<TBytes> RawRequest(const TBytes& item) {
    if (item.size() < 2) return std::nullopt;
    const uint8_t command = item[1];
    if (command == 0) {
        if (item.size() == 2) return std::nullopt;
        return TBytes(item.begin() + 2, item.end()); // a prebuilt frame, sent unchanged
    }
    if (item.size() < 4 || item.size() - 4 + 8 > MERBUS_MAX_FRAME) return std::nullopt;
    const uint16_t address = static_cast<uint16_t>(item[2] | item[3] << 8);
    return BuildRequest(command, address, std::span<const uint8_t>(item).subspan(4), false);
}

} // namespace

TRequestScheduler::TRequestScheduler(TSend send) : send_(std::move(send)) {}

std::optional<TBytes> TRequestScheduler::RequestForItem(const TBytes& item, uint16_t address) {
    if (item.empty()) return std::nullopt;
    const uint8_t type = item[0];
    if (type == 0) return RawRequest(item);
    const int size = ItemDataSize(type);
    const auto data = std::span<const uint8_t>(item).subspan(1);
    if (size == kText) {
        if (data.size() + 11 > MERBUS_MAX_FRAME) return std::nullopt;
        return BuildSvcDescriptor(address,
                                  std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    }
    // A type-13 item may carry four more bytes that only referred to its message.
    const bool withMessageRef = type == CMD_SAVE_CALIBRATION && data.size() == 20;
    if (size < 0 || (data.size() != static_cast<size_t>(size) && !withMessageRef)) return std::nullopt;
    return BuildCommand(type, address, data.first(static_cast<size_t>(size)));
}

void TRequestScheduler::ResetSlots(bool clearRecords, bool clearQueue) {
    if (clearQueue) ClearQueue();
    if (clearRecords) slots_.fill(TRequestSlot{});
    for (const size_t slot :
         {slotIdentify, slotRange, slotDefaultRange, slotModBusAddress, slotConversions, slotStatus})
        slots_[slot].pending = true;
    slots_[slotRange].quiet = true;
    slots_[slotConversions].quiet = true;
    for (const size_t slot : {slotSvcReadings, slotSvcConfig, slotSvcValue})
        slots_[slot].pending = serviceWindowOpen_;
}

bool TRequestScheduler::Queue(TQueueItem item, bool atFront) {
    if (!RequestForItem(item.bytes, MERBUS_BROADCAST)) return false;
    TEntry entry{nextId_++, std::move(item)};
    if (atFront)
        queue_.push_front(std::move(entry));
    else
        queue_.push_back(std::move(entry));
    return true;
}

bool TRequestScheduler::QueueMode(uint8_t mode, bool atFront, bool sendNow, uint16_t address) {
    const bool queued = Queue({{CMD_SET_MODE, mode}, {}}, atFront);
    if (queued && sendNow) ScanNow(address);
    return queued;
}

bool TRequestScheduler::QueueMeasurement(bool atFront, bool sendNow, uint16_t address) {
    const bool queued = Queue({{CMD_STATUS}, {}}, atFront);
    if (queued && sendNow) ScanNow(address);
    return queued;
}

bool TRequestScheduler::Scan(uint16_t address, uint32_t tick, uint32_t now) {
    if (!queue_.empty() && !queueEdit_) return ServeQueue(address);
    return ServeSlots(address, tick, tick != 0 ? tick : now);
}

bool TRequestScheduler::ServeQueue(uint16_t address) {
    const TEntry& head = queue_.front();
    const uint64_t id = head.id;
    const bool once = head.item.bytes[0] == 0;
    const auto frame = RequestForItem(head.item.bytes, address);
    if (!frame) {
        // Queue refuses such items; one that got here anyway must not block
        // the queue for good, as nothing would ever answer it.
        RemoveEntry(id);
        return false;
    }
    send_(*frame);
    if (once) RemoveEntry(id);
    return true;
}

bool TRequestScheduler::ServeSlots(uint16_t address, uint32_t tick, uint32_t now) {
    for (const size_t index : kScanOrder) {
        if (index == slotStatus && historyWindowOpen_) continue;
        TRequestSlot& slot = slots_[index];
        const bool eligible = tick == 0 ? slot.pending : (slot.dueTick != 0 || slot.alternateDueTick != 0);
        if (!eligible) continue;
        const bool due = slot.pending || (slot.dueTick != 0 && tick >= slot.dueTick) ||
                         (slot.alternateDueTick != 0 && tick >= slot.alternateDueTick);
        if (due) {
            if (slot.dueTick != 0) slot.dueTick = now + SLOT_RESEND_MS;
            SendSlot(index, slot.pending, address);
        }
        return true;
    }
    return false;
}

void TRequestScheduler::SendSlot(size_t index, bool becausePending, uint16_t address) {
    const TSlotRequest& request = kSlotRequests[index];
    const uint8_t start[] = {1};
    const auto data =
        request.zeroing && becausePending ? std::span<const uint8_t>(start) : std::span<const uint8_t>();
    TRequestSlot& slot = slots_[index];
    ++slot.sentCount;
    if (slot.sentCount > SLOT_MAX_SENDS) slot.pending = false;
    send_(BuildCommand(request.command, address, data));
}

std::optional<TQueueItem> TRequestScheduler::TakeAnsweredHead(uint8_t answeredCommand) {
    if (queue_.empty() || queueEdit_) return std::nullopt;
    const uint8_t type = queue_.front().item.bytes[0];
    if (type == 0 || type != answeredCommand) return std::nullopt;
    TQueueItem item = std::move(queue_.front().item);
    RemoveEntry(queue_.front().id);
    return item;
}

bool TRequestScheduler::Holds(uint8_t type) const {
    return std::any_of(queue_.begin(), queue_.end(),
                       [type](const TEntry& e) { return !e.item.bytes.empty() && e.item.bytes[0] == type; });
}

void TRequestScheduler::ClearQueue() {
    queueEdit_ = true;
    queue_.clear();
    queueEdit_ = false;
}

void TRequestScheduler::RemoveEntry(uint64_t id) {
    // By id, not by position: a send may have queued another item in front.
    queueEdit_ = true;
    const auto it = std::find_if(queue_.begin(), queue_.end(), [id](const TEntry& e) { return e.id == id; });
    if (it != queue_.end()) queue_.erase(it);
    queueEdit_ = false;
}

} // namespace k730
