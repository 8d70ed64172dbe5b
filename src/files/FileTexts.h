// Number and identity texts shared by the exports of the file layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace k730::filetext {

// Fixed notation the way the program always printed factors: the value is first
// rounded to `precision` significant digits, then shown with `digits` decimals,
// with `decimal` as the separator.
std::string Fixed(double value, int precision, int digits, char decimal);

// Degrees Celsius of a temperature code, in single precision as the meter's texts use.
float CelsiusOfCode(uint16_t code);

// "---" or the serial number, "/", "----" or the year.
std::string SerialAndYear(uint16_t serial, uint16_t year);

} // namespace k730::filetext

namespace k730::filetext {

// Version texts compared group by group of digits (any other character separates
// groups; the shorter list is extended with zeros): -1, 0 or 1. A group too long
// to be a number ends the comparison against the side that holds it.
int CompareVersions(std::string_view a, std::string_view b);

} // namespace k730::filetext
