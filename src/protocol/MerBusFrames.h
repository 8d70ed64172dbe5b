// Whole-frame checks for MerBus1 and MerBus2, the MerBus2 frame rules shared
// with the stream separation, and the answer builder of the meter side.
//
// MerBus2 (seen in recorded traffic only):
//   10 | H | header data up to offset H-1 (flags u32 at 2, payload length P u16 at 10)
//      | header CRC (over 2..H-1) | payload P bytes [last 2 = payload CRC] | 11
// Total H + P + 3 bytes, at most 2048. Payload sizes: 0 (no payload and no
// payload CRC, whatever the flags); with the CRC flag 2 or more than 4; without
// it more than 2.
#pragma once

#include "protocol/MerBusFun.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace k730 {

constexpr uint8_t MERBUS2_START = 0x10;
constexpr uint8_t MERBUS2_END = 0x11;
constexpr size_t MERBUS2_MAX_FRAME = 2048;
constexpr uint32_t MERBUS2_PAYLOAD_CRC = 0x01;    // flag bit 0: the payload ends with its CRC
constexpr uint32_t MERBUS2_CRC_HIGH_FIRST = 0x02; // flag bit 1: that CRC is stored high byte first

// Smallest answer the meter sends: start, length, code, status, end.
constexpr size_t MERBUS_MIN_FRAME = 6;

// True when `bytes` is exactly one MerBus1 frame: 0x68, a length equal to the
// block size (at least 6) and 0x16 as the last byte.
bool IsWholeMerBus1Frame(std::span<const uint8_t> bytes);

// True when `bytes` is exactly one MerBus2 frame with valid CRCs.
bool IsWholeMerBus2Frame(std::span<const uint8_t> bytes);

// What the bytes starting with a MerBus2 start byte amount to.
enum TMerBus2Check { m2Incomplete, m2Invalid, m2Frame };
struct TMerBus2Candidate {
    TMerBus2Check check = m2Incomplete;
    size_t length = 0; // frame length when check is m2Frame
};

// Judges the MerBus2 frame that would begin at bytes[0] (which must be 0x10):
// m2Incomplete when more bytes are needed to decide, m2Invalid when no frame
// can start here, m2Frame with its length when a whole frame starts here
// (bytes may continue past it).
TMerBus2Candidate CheckMerBus2Candidate(std::span<const uint8_t> bytes);

// The meter's answer: 68 | L | code | status | address | mode | data | 16.
// Data too long for the 16-bit length field gives an empty frame.
TBytes BuildAnswer(uint8_t code, uint8_t status, uint16_t address, uint8_t mode,
                   std::span<const uint8_t> data);

} // namespace k730
