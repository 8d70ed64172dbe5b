#include "traffic/ValuePanel.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace k730 {
namespace {

constexpr const char* BAR = " | ";

// The first `count` bytes as an unsigned little-endian number, reversed first
// for big-endian reading.
uint64_t Unsigned(std::span<const uint8_t> bytes, size_t count, bool bigEndian) {
    uint64_t v = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = bigEndian ? i : count - 1 - i;
        v = v << 8 | bytes[at];
    }
    return v;
}

template <typename T> std::string Number(T value) {
    return std::to_string(value);
}

// The 48-bit real: exponent byte first (bias 129, 0 = zero), then 39 bits of
// mantissa with the sign in the top bit of the last byte.
long double Real48(std::span<const uint8_t> b) {
    if (b[0] == 0) return 0;
    uint64_t mantissa = 0;
    for (int i = 5; i >= 1; --i)
        mantissa = mantissa << 8 | b[static_cast<size_t>(i)];
    const bool negative = mantissa >> 39 & 1;
    mantissa &= (uint64_t{1} << 39) - 1;
    const long double v = std::ldexp(
        1.0L + static_cast<long double>(mantissa) / static_cast<long double>(uint64_t{1} << 39), b[0] - 129);
    return negative ? -v : v;
}

// The 80-bit extended: 64-bit mantissa with an explicit integer bit, then 15
// bits of exponent (bias 16383) and the sign.
std::optional<long double> Extended80(std::span<const uint8_t> b) {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = mantissa << 8 | b[static_cast<size_t>(i)];
    const unsigned top = static_cast<unsigned>(b[9]) << 8 | b[8];
    const bool negative = top & 0x8000;
    const int exponent = static_cast<int>(top & 0x7FFF);
    if (exponent == 0x7FFF) return std::nullopt;                   // infinities and NaNs
    if (exponent != 0 && !(mantissa >> 63)) return std::nullopt;   // unnormal: no number
    const int power = (exponent == 0 ? 1 : exponent) - 16383 - 63; // denormals use 1 - bias
    const long double v = std::ldexp(static_cast<long double>(mantissa), power);
    return negative ? -v : v;
}

std::string FloatColumn(std::span<const uint8_t> value, char separator) {
    if (std::all_of(value.begin(), value.end(), [](uint8_t b) { return b == 0; }))
        return std::string(BAR) + "0";
    const auto v = FloatValue(value);
    if (!v || !std::isfinite(*v)) return std::string(BAR) + "-------";
    return BAR + GeneralFormat(*v, FloatDigits(static_cast<int>(value.size())), separator);
}

} // namespace

std::optional<long double> FloatValue(std::span<const uint8_t> bytes) {
    switch (bytes.size()) {
    case 4: {
        const auto bits = static_cast<uint32_t>(Unsigned(bytes, 4, false));
        const float f = std::bit_cast<float>(bits);
        if (!std::isfinite(f)) return std::nullopt;
        return f;
    }
    case 6:
        return Real48(bytes);
    case 8: {
        const double d = std::bit_cast<double>(Unsigned(bytes, 8, false));
        if (!std::isfinite(d)) return std::nullopt;
        return d;
    }
    case 10:
        return Extended80(bytes);
    default:
        return std::nullopt;
    }
}

int FloatDigits(int floatSize) {
    switch (floatSize) {
    case 6:
        return 11;
    case 8:
        return 15;
    case 10:
        return 19;
    default:
        return 7;
    }
}

std::string GeneralFormat(long double value, int digits, char decimalSeparator) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits).ptr;
    std::string s(text, end);
    std::replace(s.begin(), s.end(), '.', decimalSeparator);
    return s;
}

std::string BinText(uint32_t value, int bits) {
    std::string s;
    for (int bit = bits - 1; bit >= 0; --bit) {
        s += (value >> bit & 1) ? '1' : '0';
        if (bit % 4 == 0 && bit != 0) s += ' ';
    }
    return s;
}

std::string GroupThousands(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string s;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) s += ' ';
        s += digits[i];
    }
    return s;
}

TValuePanelTexts ValuePanelTexts(std::span<const uint8_t> bytes, bool bigEndian, int floatSize,
                                 char decimalSeparator) {
    const size_t n = std::min<size_t>(bytes.size(), VALUE_PANEL_MAX_BYTES);
    TValuePanelTexts t;
    t.headers = {" int8", " | uint8", " | int16", " | uint16", " | int32", " | uint32", " | float", " | bin"};
    t.values.fill(" |");
    t.values[vcInt8] = "";
    if (n >= 1) {
        t.values[vcInt8] = " " + Number(static_cast<int8_t>(bytes[0]));
        t.values[vcUInt8] = BAR + Number(static_cast<unsigned>(bytes[0]));
    }
    if (n >= 2) {
        const auto v = static_cast<uint16_t>(Unsigned(bytes, 2, bigEndian));
        t.values[vcInt16] = BAR + Number(static_cast<int16_t>(v));
        t.values[vcUInt16] = BAR + Number(v);
    }
    if (n >= 4) {
        const auto v = static_cast<uint32_t>(Unsigned(bytes, 4, bigEndian));
        t.values[vcInt32] = BAR + Number(static_cast<int32_t>(v));
        t.values[vcUInt32] = BAR + Number(v);
    }
    const auto size = static_cast<size_t>(floatSize);
    if ((size == 4 || size == 6 || size == 8 || size == 10) && n >= size) {
        std::vector<uint8_t> value(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        if (bigEndian) std::reverse(value.begin(), value.end());
        t.values[vcFloat] = FloatColumn(value, decimalSeparator);
    }
    if (n >= 1) {
        const size_t count = std::min<size_t>(n, 4);
        const int bits = static_cast<int>(count * 8);
        t.headers[vcBin] += std::to_string(bits);
        t.values[vcBin] = BAR + BinText(static_cast<uint32_t>(Unsigned(bytes, count, bigEndian)), bits);
    }
    return t;
}

std::array<int, VALUE_COLUMN_COUNT>
ValuePanelPositions(const std::array<int, VALUE_COLUMN_COUNT>& headerWidths,
                    const std::array<int, VALUE_COLUMN_COUNT>& valueWidths, int left) {
    std::array<int, VALUE_COLUMN_COUNT> x{};
    x[0] = left;
    for (size_t i = 1; i < x.size(); ++i)
        x[i] = x[i - 1] + std::max(headerWidths[i - 1], valueWidths[i - 1]);
    return x;
}

namespace {

// `value` as a whole part and `digits` decimals: value 12345, 3 digits → "12.345".
std::string Fixed(int64_t value, int digits, char decimalSeparator) {
    std::string s;
    if (value < 0) s += '-';
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    uint64_t scale = 1;
    for (int i = 0; i < digits; ++i)
        scale *= 10;
    s += std::to_string(magnitude / scale);
    s += decimalSeparator;
    const std::string fraction = std::to_string(magnitude % scale);
    s.append(static_cast<size_t>(digits) - fraction.size(), '0');
    s += fraction;
    return s;
}

} // namespace

std::string SecondsText(int64_t microseconds, char decimalSeparator) {
    return Fixed(microseconds / 1000, 3, decimalSeparator);
}

std::string MillisecondsText(int64_t microseconds, char decimalSeparator) {
    return Fixed(microseconds / 100, 1, decimalSeparator);
}

} // namespace k730
