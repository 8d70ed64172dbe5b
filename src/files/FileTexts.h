// Number texts shared by the exports of the file layer.
#pragma once

#include <string>

namespace k730::filetext {

// Fixed notation the way the program always printed factors: the value is first
// rounded to `precision` significant digits, then shown with `digits` decimals,
// with `decimal` as the separator.
std::string Fixed(double value, int precision, int digits, char decimal);

} // namespace k730::filetext
