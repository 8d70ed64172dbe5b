#include "protocol/MerBusFrames.h"
#include "protocol/ByteOrder.h"
#include "protocol/Crc16.h"

namespace k730 {
namespace {

// Bytes after the start byte needed before the header size and the payload
// length can be read.
constexpr size_t MERBUS2_MIN_BUFFERED = 13;
constexpr size_t MERBUS2_MIN_HEADER = 12;

// An empty payload is accepted whatever the flags say; it has no room for a
// CRC, so there is none to check. A payload with a CRC holds at least the CRC.
bool PayloadSizeAccepted(size_t payload, bool withCrc) {
    if (payload == 0) return true;
    return withCrc ? (payload == 2 || payload > 4) : payload > 2;
}

bool PayloadCrcMatches(std::span<const uint8_t> payload, uint32_t flags) {
    if (payload.empty()) return true;
    if (payload.size() < 2) return false;
    const size_t crcAt = payload.size() - 2;
    const uint16_t stored = (flags & MERBUS2_CRC_HIGH_FIRST)
                                ? static_cast<uint16_t>(payload[crcAt] << 8 | payload[crcAt + 1])
                                : ReadU16(payload, crcAt);
    return Crc16(payload.first(crcAt)) == stored;
}

} // namespace

bool IsWholeMerBus1Frame(std::span<const uint8_t> bytes) {
    return bytes.size() >= MERBUS_MIN_FRAME && bytes[0] == MERBUS_START &&
           ReadU16(bytes, 1) == bytes.size() && bytes.back() == MERBUS_END;
}

TMerBus2Candidate CheckMerBus2Candidate(std::span<const uint8_t> bytes) {
    if (bytes.size() < MERBUS2_MIN_BUFFERED) return {m2Incomplete};
    const size_t header = bytes[1];
    if (header < MERBUS2_MIN_HEADER) return {m2Invalid};
    if (bytes.size() < header + 2) return {m2Incomplete};
    if (Crc16(bytes.subspan(2, header - 2)) != ReadU16(bytes, header)) return {m2Invalid};

    const uint32_t flags = ReadU32(bytes, 2);
    const size_t payload = ReadU16(bytes, 10);
    const bool withCrc = flags & MERBUS2_PAYLOAD_CRC;
    const size_t total = header + payload + 3;
    if (total > MERBUS2_MAX_FRAME || !PayloadSizeAccepted(payload, withCrc)) return {m2Invalid};
    if (bytes.size() < total) return {m2Incomplete};
    if (bytes[total - 1] != MERBUS2_END) return {m2Invalid};
    if (withCrc && !PayloadCrcMatches(bytes.subspan(header + 2, payload), flags)) return {m2Invalid};
    return {m2Frame, total};
}

bool IsWholeMerBus2Frame(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes[0] != MERBUS2_START) return false;
    const TMerBus2Candidate c = CheckMerBus2Candidate(bytes);
    return c.check == m2Frame && c.length == bytes.size();
}

TBytes BuildAnswer(uint8_t code, uint8_t status, uint16_t address, uint8_t mode,
                   std::span<const uint8_t> data) {
    if (data.size() + 9 > MERBUS_MAX_FRAME) return {};
    TBytes frame;
    frame.reserve(9 + data.size());
    frame.push_back(MERBUS_START);
    AppendU16(frame, static_cast<uint16_t>(9 + data.size()));
    frame.push_back(code);
    frame.push_back(status);
    AppendU16(frame, address);
    frame.push_back(mode);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(MERBUS_END);
    return frame;
}

} // namespace k730
