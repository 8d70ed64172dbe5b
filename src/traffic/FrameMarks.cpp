#include "traffic/FrameMarks.h"

#include "main/Cp1250.h"
#include "protocol/ByteOrder.h"
#include "protocol/MerBusFrames.h"

namespace k730 {
namespace {

// MerBus2 header fields by offset.
constexpr size_t MB2_FLAGS = 2;
constexpr size_t MB2_AFTER_FLAGS = 6;
constexpr size_t MB2_PAYLOAD_LENGTH = 10;
constexpr size_t MB2_HEADER_FIELDS_END = 12;

TCellColors MerBus2Header(const TRecordMarks& m, size_t offset) {
    TCellColors c{COLOR_LIGHT_GREEN, COLOR_WINDOW_TEXT};
    if (offset >= m.header)
        c.text = COLOR_RED; // the header CRC
    else if (offset < MB2_AFTER_FLAGS)
        c.text = COLOR_BLUE;
    else if (offset < MB2_PAYLOAD_LENGTH)
        c.text = COLOR_GREEN;
    else if (offset < MB2_HEADER_FIELDS_END)
        c.text = COLOR_NAVY;
    return c;
}

TCellColors MerBus2Payload(const TRecordMarks& m, size_t at) {
    TCellColors c{COLOR_LIGHT_YELLOW, COLOR_WINDOW_TEXT};
    if (m.payloadCrc && at + 2 >= m.payload)
        c.text = COLOR_RED;
    else if (at == 0)
        c.text = COLOR_BLUE;
    else if (at < 3)
        c.text = COLOR_GREEN;
    return c;
}

TCellColors MerBus2Cell(const TRecordMarks& m, size_t offset) {
    if (offset == 0 || offset + 1 == m.size) return {COLOR_ORANGE, COLOR_WINDOW_TEXT};
    if (offset == 1) return {COLOR_WINDOW, COLOR_NAVY};
    if (offset < MB2_FLAGS + m.header) return MerBus2Header(m, offset);
    return MerBus2Payload(m, offset - m.header - 2);
}

} // namespace

TRecordMarks MarkRecord(std::span<const uint8_t> record, size_t recordIndex, TFrameMode mode) {
    TRecordMarks m;
    m.mode = mode;
    m.evenRecord = recordIndex % 2 == 0;
    m.size = record.size();
    if (mode == fmMerBus1 && IsWholeMerBus1Frame(record)) m.frame = fkMerBus1;
    if (mode == fmMerBus2 && IsWholeMerBus2Frame(record)) {
        m.frame = fkMerBus2;
        m.header = record[1];
        m.payload = ReadU16(record, MB2_PAYLOAD_LENGTH);
        m.payloadCrc = ReadU32(record, MB2_FLAGS) & MERBUS2_PAYLOAD_CRC;
    }
    return m;
}

TCellColors CellColors(const TRecordMarks& m, size_t offset) {
    switch (m.mode) {
    case fmSeparate:
        return {m.evenRecord ? COLOR_LIGHT_GREEN : COLOR_LIGHT_YELLOW, COLOR_WINDOW_TEXT};
    case fmMerBus1:
        if (m.frame == fkMerBus1 && (offset == 0 || offset + 1 == m.size))
            return {COLOR_ORANGE, COLOR_WINDOW_TEXT};
        return {};
    case fmMerBus2:
        if (m.frame == fkMerBus2) return MerBus2Cell(m, offset);
        return {};
    default:
        return {};
    }
}

std::string CharCellText(uint8_t byte) {
    if (byte == 0x00 || byte == 0x20 || byte == 0xAA || byte == 0xFF || byte < 0x20 || byte == 0x7F)
        return ".";
    // The five bytes Windows-1250 leaves undefined come back as C1 controls.
    if (byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98) return ".";
    const char c = static_cast<char>(byte);
    return Cp1250ToUtf8(std::string_view(&c, 1));
}

} // namespace k730
