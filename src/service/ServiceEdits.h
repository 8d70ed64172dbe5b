// Text rules of the service window's edit boxes: numbers in the locale's
// format, what a range box and the measuring-field box make of what is typed,
// and the checks behind the validity marks. Pure functions; the decimal
// separator is passed in, never read from the locale.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k730 {

// Unit signs that end a measuring-field text: degree, minute, second.
constexpr std::string_view SIGN_DEGREE = "\u00B0";
constexpr std::string_view SIGN_MINUTE = "'";
constexpr std::string_view SIGN_SECOND = "\"";

// Lengths of the boxes, in characters.
constexpr size_t SERIAL_BOX_LENGTH = 5;
constexpr size_t YEAR_BOX_LENGTH = 4;
constexpr size_t SPECTRAL_BOX_LENGTH = 8;
constexpr size_t ANGLE_BOX_LENGTH = 5;
constexpr size_t VERSION_BOX_LENGTH = 8;

// Production years the meter may carry.
constexpr long FIRST_PRODUCTION_YEAR = 2010;
constexpr long LAST_PRODUCTION_YEAR = 2100;

// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view text);
std::string TrimBlanks(std::string_view text);
std::string RemoveBlanks(std::string_view text);

// A decimal number written with '.' or ',' as separator (an exponent is
// allowed); nothing for any other text or a value that is not finite.
std::optional<double> ParseNumber(std::string_view text);
// A decimal integer, optionally signed; nothing for any other text.
std::optional<long> ParseInteger(std::string_view text);

// Every change in a numeric box: "," and "." become the locale's separator.
std::string WithSeparator(std::string_view text, char decimalSeparator);

// A range box after a change: separators as above, blanks trimmed, an empty
// box reads "0", and in a text longer than four characters every digit after
// the fourth is replaced by "0" (four significant digits: 123456 -> 123400).
std::string RangeBoxText(std::string_view text, char decimalSeparator);

// A full scale as a range box shows it: at most four significant digits,
// without trailing zeros of the fraction or a trailing separator.
std::string RangeValueText(double value, char decimalSeparator);

// The measuring-field box after a change: separators as above, and when the
// text reached the box's length with a last character that is not a unit
// sign, that character goes.
std::string AngleBoxText(std::string_view text, char decimalSeparator);
// The unit buttons: a unit sign at the end is removed and, when the rest is a
// number, `sign` is appended.
std::string AngleWithSign(std::string_view text, std::string_view sign);
// A number followed by one unit sign ("2,5°", "30'", "10\"").
bool IsValidMeasuringField(std::string_view text);
// The unit sign a valid measuring field ends with, and the number before it.
struct TMeasuringField {
    std::string_view sign;
    double value = 0;
};
std::optional<TMeasuringField> SplitMeasuringField(std::string_view text);

// The checks behind the validity marks.
bool IsValidSerialText(std::string_view text); // an integer 0..65535
bool IsValidYearText(std::string_view text);   // an integer 2010..2100
// Not empty without blanks; no "/", which separates the descriptor's fields,
// and no control character (a line break would end the descriptor's line).
bool IsValidSpectralText(std::string_view text);
// Any text without control characters, also an empty one.
bool IsValidVersionText(std::string_view text);

// Range boxes: range 1 > 0; range 2 is 0 or above range 1; range 3 is 0, or
// range 2 > 0 and range 3 above both; an empty box counts 0; a range is valid
// only when the ranges before it are.
std::array<bool, 3> ValidateRanges(const std::array<std::string, 3>& boxes);
// The values of the boxes, 0 for an empty or unreadable box.
std::array<double, 3> RangeValues(const std::array<std::string, 3>& boxes);

// An entered range equals the one read from the meter: the meter keeps a
// single-precision float and the box four significant digits, so a relative
// tolerance well under one step of the fourth digit tells them apart.
bool SameRangeValue(double entered, double read);

} // namespace k730
