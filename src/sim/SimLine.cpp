#include "sim/SimLine.h"

#include <termios.h>

#include <array>
#include <vector>

namespace k730::sim {

int HalfBitsPerChar(const TLineSettings& line) {
    const int parity = line.parity == TParity::paNone ? 0 : 1;
    return 2 * (1 + line.dataBits + parity) + line.stopHalves;
}

int64_t TransferMicros(const TLineSettings& line, size_t count) {
    if (line.baud <= 0) return 0;
    return static_cast<int64_t>(count) * HalfBitsPerChar(line) * 500000 / line.baud;
}

std::string LineText(const TLineSettings& line) {
    static constexpr char letters[] = {'N', 'O', 'E', 'M', 'S'};
    const char* stop = line.stopHalves == 2 ? "1" : line.stopHalves == 3 ? "1.5" : "2";
    return std::to_string(line.baud) + " " + std::to_string(line.dataBits) +
           letters[static_cast<int>(line.parity)] + stop;
}

std::optional<TParity> ParseParity(const std::string& text) {
    static const std::array<std::pair<const char*, TParity>, 10> names{{{"none", TParity::paNone},
                                                                        {"N", TParity::paNone},
                                                                        {"odd", TParity::paOdd},
                                                                        {"O", TParity::paOdd},
                                                                        {"even", TParity::paEven},
                                                                        {"E", TParity::paEven},
                                                                        {"mark", TParity::paMark},
                                                                        {"M", TParity::paMark},
                                                                        {"space", TParity::paSpace},
                                                                        {"S", TParity::paSpace}}};
    for (const auto& [name, parity] : names)
        if (text == name) return parity;
    return std::nullopt;
}

std::optional<int> ParseStopHalves(const std::string& text) {
    if (text == "1") return 2;
    if (text == "1.5") return 3;
    if (text == "2") return 4;
    return std::nullopt;
}

namespace {

int BaudFromSpeed(speed_t speed) {
    static const std::array<std::pair<speed_t, int>, 18> table{{{B50, 50},
                                                                {B75, 75},
                                                                {B110, 110},
                                                                {B150, 150},
                                                                {B300, 300},
                                                                {B600, 600},
                                                                {B1200, 1200},
                                                                {B2400, 2400},
                                                                {B4800, 4800},
                                                                {B9600, 9600},
                                                                {B19200, 19200},
                                                                {B38400, 38400},
                                                                {B57600, 57600},
                                                                {B115200, 115200},
                                                                {B230400, 230400},
                                                                {B460800, 460800},
                                                                {B921600, 921600},
                                                                {B0, 0}}};
    for (const auto& [code, baud] : table)
        if (code == speed) return baud;
    return -1; // a rate the meter cannot run at, so it never matches
}

// Bit levels of characters sent back to back, one entry per half bit, idle (1) around them.
std::vector<uint8_t> Waveform(const TBytes& bytes, const TLineSettings& line) {
    std::vector<uint8_t> halves(4, 1);
    auto put = [&](uint8_t level, int count) { halves.insert(halves.end(), count, level); };
    for (uint8_t byte : bytes) {
        put(0, 2);
        int ones = 0;
        for (int bit = 0; bit < line.dataBits; ++bit) {
            const uint8_t level = (byte >> bit) & 1;
            ones += level;
            put(level, 2);
        }
        switch (line.parity) {
        case TParity::paNone:
            break;
        case TParity::paOdd:
            put(ones % 2 == 0 ? 1 : 0, 2);
            break;
        case TParity::paEven:
            put(ones % 2, 2);
            break;
        case TParity::paMark:
            put(1, 2);
            break;
        case TParity::paSpace:
            put(0, 2);
            break;
        }
        put(1, line.stopHalves);
    }
    put(1, 8);
    return halves;
}

} // namespace

TLineSettings LineFromTermios(const termios& tio) {
    TLineSettings line;
    line.baud = BaudFromSpeed(cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        line.dataBits = 5;
        break;
    case CS6:
        line.dataBits = 6;
        break;
    case CS7:
        line.dataBits = 7;
        break;
    default:
        line.dataBits = 8;
        break;
    }
    if (!(tio.c_cflag & PARENB)) line.parity = TParity::paNone;
#ifdef CMSPAR
    else if (tio.c_cflag & CMSPAR)
        line.parity = (tio.c_cflag & PARODD) ? TParity::paMark : TParity::paSpace;
#endif
    else
        line.parity = (tio.c_cflag & PARODD) ? TParity::paOdd : TParity::paEven;
    // Two stop bits with five data bits is how a UART sends one and a half.
    line.stopHalves = (tio.c_cflag & CSTOPB) ? (line.dataBits == 5 ? 3 : 4) : 2;
    return line;
}

TBytes ResampleCharacters(const TBytes& bytes, const TLineSettings& from, const TLineSettings& to) {
    if (from.baud <= 0 || to.baud <= 0) return TBytes(bytes.size(), 0);
    const std::vector<uint8_t> wave = Waveform(bytes, from);
    const double halfIn = 1.0 / (2.0 * from.baud); // seconds per half bit of the transmitter
    const double bitOut = 1.0 / to.baud;
    auto levelAt = [&](double t) -> uint8_t {
        const auto i = static_cast<size_t>(t / halfIn);
        return i < wave.size() ? wave[i] : 1;
    };
    const double end = wave.size() * halfIn;
    const double step = halfIn / 4; // fine enough to find every falling edge
    TBytes out;
    double t = 0;
    while (t < end) {
        if (levelAt(t) != 0) {
            t += step;
            continue;
        }
        // Start bit found: sample every bit in its middle, as a UART does.
        double mid = t + bitOut / 2;
        bool error = levelAt(mid) != 0;
        uint8_t value = 0;
        int ones = 0;
        for (int bit = 0; bit < to.dataBits; ++bit) {
            mid += bitOut;
            const uint8_t level = levelAt(mid);
            value |= static_cast<uint8_t>(level << bit);
            ones += level;
        }
        if (to.parity != TParity::paNone) {
            mid += bitOut;
            const uint8_t level = levelAt(mid);
            const bool good = to.parity == TParity::paOdd    ? (ones + level) % 2 == 1
                              : to.parity == TParity::paEven ? (ones + level) % 2 == 0
                              : to.parity == TParity::paMark ? level == 1
                                                             : level == 0;
            error = error || !good;
        }
        // Every configured stop bit must read as idle.
        for (int half = 2; half <= to.stopHalves; half += 2) {
            mid += bitOut;
            error = error || levelAt(mid) != 1;
        }
        out.push_back(error ? 0 : value);
        t = mid + bitOut / 2;
    }
    return out;
}

} // namespace k730::sim
