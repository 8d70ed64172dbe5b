// The value panel of the traffic viewer: how up to ten bytes at the cursor
// read as int8 … uint32, as a float of 4, 6 (48-bit real), 8 or 10 (80-bit
// extended) bytes and as bits, in either byte order; where its labels go; and
// the small number texts of the record line. All pure; the decimal separator
// is passed in.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace k730 {

enum TValueColumn { vcInt8, vcUInt8, vcInt16, vcUInt16, vcInt32, vcUInt32, vcFloat, vcBin };
constexpr int VALUE_COLUMN_COUNT = 8;
constexpr int VALUE_PANEL_MAX_BYTES = 10;

// One header and one value text per column, in column order.
struct TValuePanelTexts {
    std::array<std::string, VALUE_COLUMN_COUNT> headers;
    std::array<std::string, VALUE_COLUMN_COUNT> values;
};

// The panel for the bytes copied from the cursor (at most 10 are used);
// `floatSize` is 4, 6, 8 or 10. No bytes gives the empty panel.
TValuePanelTexts ValuePanelTexts(std::span<const uint8_t> bytes, bool bigEndian, int floatSize,
                                 char decimalSeparator);

// The float of 4, 6, 8 or 10 bytes in little-endian order; nothing when the
// bytes are no number (infinities, NaNs, unnormal extended values).
std::optional<long double> FloatValue(std::span<const uint8_t> bytes);
// Significant digits the panel shows for a float of this size: 7, 11, 15, 19.
int FloatDigits(int floatSize);
// The shortest general notation with at most `digits` significant digits
// ("1.5", "1e+20"), with the given decimal separator.
std::string GeneralFormat(long double value, int digits, char decimalSeparator);
// `bits` binary digits of `value`, most significant first, in groups of four
// counted from the right: "0000 0001".
std::string BinText(uint32_t value, int bits);
// Digits in groups of three separated by a blank: "1 234 567".
std::string GroupThousands(uint64_t value);

// Left edges of the header labels: each starts where the wider of the previous
// header and its value ends. Value labels share their header's left edge.
std::array<int, VALUE_COLUMN_COUNT>
ValuePanelPositions(const std::array<int, VALUE_COLUMN_COUNT>& headerWidths,
                    const std::array<int, VALUE_COLUMN_COUNT>& valueWidths, int left);

// Time texts of the viewer from steady-clock microseconds: seconds with
// milliseconds ("12.345") and milliseconds with one decimal ("23.4").
std::string SecondsText(int64_t microseconds, char decimalSeparator);
std::string MillisecondsText(int64_t microseconds, char decimalSeparator);

} // namespace k730
