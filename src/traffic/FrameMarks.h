// How the buffer views colour the bytes of a record by the buffer's frame
// recognition mode, and which character the characters view draws for a byte.
#pragma once

#include "traffic/TrafficBuffers.h"
#include "traffic/ViewSettings.h"

#include <cstdint>
#include <span>
#include <string>

namespace k730 {

// Colours are 0xRRGGBB; the two sentinels stand for the window's own colours.
constexpr uint32_t COLOR_WINDOW = 0x01000000;
constexpr uint32_t COLOR_WINDOW_TEXT = 0x01000001;
constexpr uint32_t COLOR_LIGHT_GREEN = 0xE0FFE0;
constexpr uint32_t COLOR_LIGHT_YELLOW = 0xFFFFE0;
constexpr uint32_t COLOR_ORANGE = 0xFFE000;
constexpr uint32_t COLOR_NAVY = 0x000080;
constexpr uint32_t COLOR_BLUE = 0x0000FF;
constexpr uint32_t COLOR_GREEN = 0x008000;
constexpr uint32_t COLOR_RED = 0xFF0000;

struct TCellColors {
    uint32_t back = COLOR_WINDOW;
    uint32_t text = COLOR_WINDOW_TEXT;

    bool operator==(const TCellColors&) const = default;
};

// What a record amounts to for its buffer's mode, worked out once per record
// so that each byte's colours follow without looking at the bytes again.
struct TRecordMarks {
    TFrameMode mode = fmNone;
    bool evenRecord = true; // alternating backgrounds go by the record index in its buffer
    TFrameKind frame = fkNone;
    size_t size = 0;
    size_t header = 0;  // MerBus2: the header size byte H
    size_t payload = 0; // MerBus2: payload length P
    bool payloadCrc = false;
};
TRecordMarks MarkRecord(std::span<const uint8_t> record, size_t recordIndex, TFrameMode mode);
// Colours of the byte at `offset` in the record.
TCellColors CellColors(const TRecordMarks& marks, size_t offset);

// The characters view: 0x00, 0x20, 0xAA and 0xFF are drawn as "."; so are the
// control codes, which have no glyph; every other byte is its Windows-1250
// character (UTF-8).
std::string CharCellText(uint8_t byte);

} // namespace k730
