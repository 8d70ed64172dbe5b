// The service window's results file: a tab-separated text whose first line is a
// fixed 123-byte header, then one line per appended results block.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace k730 {

// The header line in UTF-8; 123 bytes once in Windows-1250.
constexpr std::string_view RESULT_HEADER = "Temperatura [°C]\tZakres\tZero detektora\tZero systemu "
                                           "pomiarowego\tADC średnia\tWynik średnia\tDAC0\tDAC\t"
                                           "Prąd pętli (ustawiany)\r\n";

// The values of one line, as taken from a results block.
struct TResultLineValues {
    uint16_t TempCode = 0;
    double FullScale = 0; // range full scale, in the meter's unit
    double KE = 0;        // range factor
    double DarkAdc = 0;   // dark-current ADC value
    double SystemZeroAdc = 0;
    double AdcAverage = 0;
    double ResultAverage = 0; // in the meter's unit
    uint32_t Dac0 = 0;        // 4 mA DAC value
    uint32_t Dac = 0;         // loop DAC value in use
};

// True when `head` begins with the header line exactly (in Windows-1250), the
// test an existing results file must pass before a line is appended to it.
bool StartsWithResultHeader(std::span<const uint8_t> head);

// One line, CR LF ended, with the locale's decimal separator.
std::string FormatResultLine(const TResultLineValues& v, char decimal);

// Appends a line; a new file starts with the header, an existing one must start
// with it exactly or nothing is written. Flushed to disk before success.
bool AppendResultLine(const std::string& path, const std::string& line);

} // namespace k730
