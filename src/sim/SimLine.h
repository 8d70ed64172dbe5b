// Line settings of a serial line and what a UART makes of characters sent with
// other settings than its own. The simulator compares the settings the program
// put on the pseudo-terminal with the meter's; on a mismatch the program gets
// what its receiver would read from the meter's bit stream.
#pragma once

#include "protocol/MerBusFun.h"

#include <optional>
#include <string>

struct termios;

namespace k730::sim {

enum class TParity : uint8_t { paNone, paOdd, paEven, paMark, paSpace };

struct TLineSettings {
    int baud = 9600;
    TParity parity = TParity::paNone;
    int dataBits = 8;   // 5..8
    int stopHalves = 2; // stop bits in halves: 2 = one, 3 = one and a half, 4 = two

    bool operator==(const TLineSettings&) const = default;
};

// Bits on the wire per character, start and stop bits included, in halves.
int HalfBitsPerChar(const TLineSettings& line);

// Time the line needs for `count` characters, in microseconds.
int64_t TransferMicros(const TLineSettings& line, size_t count);

// "9600 8N1" style text, and its parts parsed back from option values.
std::string LineText(const TLineSettings& line);
std::optional<TParity> ParseParity(const std::string& text);
std::optional<int> ParseStopHalves(const std::string& text);

// The settings a program put on a tty, read from its termios. A pseudo-terminal
// stores the baud rate it is given even though it never clocks bits.
TLineSettings LineFromTermios(const termios& tio);

// What a receiver set to `to` reads when a transmitter set to `from` sends
// `bytes` back to back. Characters with a framing or parity error arrive as
// 0x00, as a POSIX receiver delivers them without PARMRK.
TBytes ResampleCharacters(const TBytes& bytes, const TLineSettings& from, const TLineSettings& to);

} // namespace k730::sim
