// libFuzzer: the value panel's readings and the frame marks of a view over
// arbitrary bytes, and the line index of a buffer cut into arbitrary records.
#include "traffic/BufLines.h"
#include "traffic/FrameMarks.h"
#include "traffic/ValuePanel.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t options = data[0];
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    static constexpr int floatSizes[] = {4, 6, 8, 10};
    const int floatSize = floatSizes[options & 3];
    const k730::TValuePanelTexts t =
        k730::ValuePanelTexts(bytes.first(std::min<size_t>(bytes.size(), 10)), options & 4, floatSize, ',');
    if (t.values[k730::vcUInt8].empty() || t.headers[k730::vcBin].size() < 6) std::abort();

    const auto mode = static_cast<k730::TFrameMode>(options >> 3 & 3);
    const k730::TRecordMarks marks = k730::MarkRecord(bytes, options, mode);
    for (size_t i = 0; i < bytes.size(); ++i)
        (void)k730::CellColors(marks, i);

    // Records cut where a byte is below 16; the index must agree with walking.
    k730::TTrafficBuffer buffer;
    size_t start = 0;
    uint32_t sequence = 0;
    for (size_t i = 0; i <= bytes.size(); ++i)
        if (i == bytes.size() || bytes[i] < 16) {
            buffer.Append(bytes.subspan(start, i - start), ++sequence);
            start = i;
        }
    const int columns = 1 + (options >> 5);
    k730::TBufLines lines;
    lines.SetColumns(columns);
    lines.Sync(buffer);
    const auto rows = k730::RowsFrom(buffer, columns, 0, 1 << 20);
    if (rows.size() != lines.LineCount()) std::abort();
    for (size_t line = 0; line < rows.size(); ++line)
        if (lines.PosOfLine(buffer, line) != rows[line].start ||
            lines.LineOf(buffer, rows[line].start) != line)
            std::abort();
    return 0;
}
