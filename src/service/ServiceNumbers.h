// Number rules of the service window's constant pages: the texts numbers are
// shown in (fixed, exponent, general, hexadecimal), the range correction
// factor limits, the resistance calculator and the loop DAC arithmetic. Pure
// functions; the decimal separator is passed in, never read from the locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k730 {

// --- number texts -----------------------------------------------------------------

// Fixed notation with `decimals` decimals ("1,4142135").
std::string FixedText(double value, int decimals, char decimalSeparator);
// Exponent form with eight significant digits ("1,2345678E+03").
std::string ExponentText(double value, char decimalSeparator);
// General form: up to 15 significant digits, trailing zeros dropped, an
// exponent only for very large or small values ("1,4142135623731").
std::string GeneralText(double value, char decimalSeparator);
// Upper-case hexadecimal with at least `digits` digits, no prefix.
std::string HexText(uint32_t value, int digits);
// Temperature code to "23,0°C"; the code may be negative where the meter sends
// it as a signed number.
std::string SignedTemperatureText(int32_t code, char decimalSeparator);

// --- range correction factors --------------------------------------------------------

// The meter takes factors from 0.9 to 1.1, compared as the 32-bit floats it
// keeps: 1.1 passes, 1.1000001 does not.
constexpr float RANGE_FACTOR_MIN = 0.9f;
constexpr float RANGE_FACTOR_MAX = 1.1f;
bool RangeFactorInLimits(double value);

// The temperature coefficient box holds %/K; the meter keeps a fraction per kelvin.
constexpr double TEMP_COEFFICIENT_LIMIT = 10.0; // %/K either way

// --- the resistance calculator ----------------------------------------------------------

// A resistance typed in resistor style: a number whose first SI prefix letter
// (looked for in the order y z a f p n µ m k M G T P Z Y; E stays an exponent)
// multiplies it by its power of ten. Without a decimal separator the letter
// stands for it ("4k7" is 4700), otherwise it is dropped ("4,7k" is 4700).
std::optional<double> ParseResistance(std::string_view text);
// required / (actual + switch); nothing when that is not a finite number.
std::optional<double> FactorFromResistances(double required, double actual, double switchResistance);

// --- the loop DAC ------------------------------------------------------------------------

// The DAC page drives 20 bits; its box shows five hexadecimal digits.
constexpr uint32_t DAC_MODULUS = 0x100000;
constexpr uint32_t DAC_MAX = DAC_MODULUS - 1;
constexpr size_t DAC_BOX_DIGITS = 5;
// DAC codes per nominal milliampere of loop current.
constexpr double DAC_CODES_PER_MA = 4096.0;
// A stored 4 mA value is believed only inside this window.
constexpr uint32_t DAC0_MIN = 0x3800;
constexpr uint32_t DAC0_MAX = 0x5000;
constexpr bool Dac0Valid(uint32_t value) {
    return value >= DAC0_MIN && value <= DAC0_MAX;
}

// What the box keeps of typed text: hexadecimal digits only, in upper case.
// `caret` (a character position) moves left by the characters dropped before it.
std::string FilterDacBox(std::string_view text, int* caret = nullptr);
// Five digits, with leading zeros ("00ABC"); a longer text stays as it is.
std::string PadDacBox(std::string_view text);
std::string DacBoxText(uint32_t value); // low 20 bits, five digits
std::optional<uint32_t> ParseDacBox(std::string_view text);
// One step of a step button, wrapping within 20 bits.
uint32_t StepDac(uint32_t value, uint32_t step, bool up);
// The code that makes a loop that carries `measuredMa` at `valueRead` carry
// 4 mA: round(4 / measured × read), at most 0xFFFFF; nothing for a measured
// current that is not above 0.
std::optional<uint32_t> DacFor4mA(double measuredMa, uint32_t valueRead);
// A DAC code as loop current in mA: 4 decimals up to 0x20000, beyond that in
// exponent form.
std::string DacCurrentText(uint32_t value, char decimalSeparator);

} // namespace k730
