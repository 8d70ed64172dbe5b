// Number texts of the meter model: range texts with SI prefixes, the number
// of digits worth showing for a range and a converter resolution, and the
// measured value text with its decimal exponent. All pure; the decimal
// separator is passed in by the caller, never read from the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace k730 {

// Converter resolution used when 0 bits are passed.
constexpr int DEFAULT_CONVERTER_BITS = 18;

// SI prefix of 10^exponent for exponent a multiple of 3 in -24..24 ("" for 0,
// "µ" for -6); empty for anything else.
std::string_view SiPrefix(int exponent);
// True when the exponent has a prefix letter (multiple of 3, |exponent| ≤ 24, not 0).
bool HasSiPrefix(int exponent);

// At most six significant digits with an SI prefix: 2000 → "2 k", 0.2 →
// "200 m", 19999 → "19,999 k" (space flag set, comma separator).
std::string FormatRangeText(double value, bool withSpace, char decimalSeparator);
// The range text for lists and messages: with space, then the unit when the
// kind byte is valid ("2 klx").
std::string RangeTextWithUnit(double fullScale, uint8_t kindByte, char decimalSeparator);

// Significant digits worth showing for full scale x with a converter of the
// given resolution (18 bits when 0).
int DigitsForRange(int bits, double fullScale);
// DigitsForRange(18, |range|), one more when the value runs into the next decade.
int DigitsForValue(double range, double value);

struct TValueText {
    std::string text; // "1234,57", "12,345E-3", "-500,00E-3"
    int exponent = 0; // decimal exponent of the text, a multiple of 3; 0 without "E"
};

// The measured value with the resolution of the range: digits = 0 is
// unlimited. Non-finite values come back in the general format ("NAN", "INF").
TValueText FormatMeasuredValue(int bits, int digits, double range, double value, char decimalSeparator);
// As FormatMeasuredValue, with an exponent between -24 and 24 replaced by its
// prefix letter ("12,345m"); the exponent is still reported.
TValueText FormatWithPrefix(int bits, int digits, double range, double value, char decimalSeparator);

} // namespace k730
