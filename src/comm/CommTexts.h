// Texts of the serial component, Polish block first, then English. Other
// windows (settings, meter search) show the same names for the line settings.
#pragma once

#include "comm/CommTypes.h"
#include "main/K730Lang.h"

#include <array>
#include <string>
#include <string_view>

namespace k730 {

// "żaden" / "none": the name of the no-port entry heading every port list.
inline constexpr TText NO_PORT_NAME{"żaden", "none"};

// Status texts by TCommStatus code.
extern const std::array<TText, COMM_STATUS_COUNT> COMM_STATUS_TEXTS;

// "300" .. "921600" (Polish block) and "300bps" .. "921600bps" (English block).
extern const std::array<TText, BAUD_RATE_COUNT> BAUD_TEXTS;

// Parity names by TParityBit, and the one-letter forms "N", "O", "E", "M", "S".
extern const std::array<TText, 5> PARITY_NAMES;
extern const std::array<std::string_view, 5> PARITY_LETTERS;

// "1", "1.5", "2" by TStopBits; "4" .. "8" by TDataBits.
extern const std::array<std::string_view, 3> STOP_BIT_TEXTS;
extern const std::array<std::string_view, 5> DATA_BIT_TEXTS;

// Warning shown once per port name when two devices carry the same name; %s is the name.
inline constexpr TText DUPLICATE_PORT_FORMAT{
    "UWAGA\r\nW systemie istnieją dwa porty %s.\r\nProgram może działać nieprawidłowo.",
    "WARNING\r\nThere are two %s serial ports in the system.\r\nProgram may work incorrectly."};

// Status text of `code` in `language`; an empty text for a code outside 0..9.
std::string_view CommStatusText(int language, int code);

// The language's no-port name.
inline std::string_view NoPortName(int language) {
    return NO_PORT_NAME(language);
}

// The duplicate-port warning with the port name in place of %s.
std::string DuplicatePortWarning(int language, const std::string& port);

} // namespace k730
