// Conversion between the meter's Windows-1250 texts and the program's UTF-8.
// Texts cross this boundary once: when they arrive from a meter or a file and
// when they are written back; inside the program they are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace k730 {

// Every byte maps to a character; the five bytes Windows-1250 leaves undefined
// (0x81, 0x83, 0x88, 0x90, 0x98) map to the C1 controls of the same value, so a
// text read from a meter or a file survives the round trip byte for byte.
std::string Cp1250ToUtf8(std::string_view bytes);

// Characters without a Windows-1250 byte become `replacement`; malformed UTF-8
// bytes likewise.
std::string Utf8ToCp1250(std::string_view text, char replacement = '?');

} // namespace k730
