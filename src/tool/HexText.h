// Hex text in and out for the command-line tool.
#pragma once

#include "protocol/MerBusFun.h"

#include <optional>
#include <string>
#include <string_view>

namespace k730 {

// "68 08 00" or "680800": pairs of hex digits, white space allowed between pairs.
std::optional<TBytes> ParseHex(std::string_view text);

// Upper-case hex bytes separated by single spaces: "68 08 00".
std::string FormatHex(std::span<const uint8_t> bytes);

// A decimal or 0x-hex unsigned number no greater than maxValue.
std::optional<unsigned long> ParseNumber(std::string_view text, unsigned long maxValue);

} // namespace k730
