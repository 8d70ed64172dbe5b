#include "service/ServiceNumbers.h"

#include "service/ServiceEdits.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

namespace k730 {

namespace {

// to_chars, unlike printf, never looks at the process locale.
std::string Chars(double value, std::chars_format format, int precision) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return std::string(buffer, result.ptr);
}

std::string Localised(std::string text, char decimalSeparator) {
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
        if (c == 'e') c = 'E';
    }
    return text;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The SI prefix letters in the order the calculator looks for them.
struct TPrefix {
    std::string_view letter;
    int exponent;
};
constexpr std::array<TPrefix, 15> PREFIXES = {{{"y", -24},
                                               {"z", -21},
                                               {"a", -18},
                                               {"f", -15},
                                               {"p", -12},
                                               {"n", -9},
                                               {"\u00B5", -6},
                                               {"m", -3},
                                               {"k", 3},
                                               {"M", 6},
                                               {"G", 9},
                                               {"T", 12},
                                               {"P", 15},
                                               {"Z", 18},
                                               {"Y", 24}}};

} // namespace

std::string FixedText(double value, int decimals, char decimalSeparator) {
    std::string text = Localised(Chars(value, std::chars_format::fixed, decimals), decimalSeparator);
    // "-0,0" reads as zero.
    if (text.starts_with('-') && text.find_first_not_of("0.,", 1) == std::string::npos) return text.substr(1);
    return text;
}

std::string ExponentText(double value, char decimalSeparator) {
    return Localised(Chars(value, std::chars_format::scientific, 7), decimalSeparator);
}

std::string GeneralText(double value, char decimalSeparator) {
    return Localised(Chars(value, std::chars_format::general, 15), decimalSeparator);
}

std::string HexText(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", std::clamp(digits, 1, 8), value);
    return text;
}

std::string SignedTemperatureText(int32_t code, char decimalSeparator) {
    return FixedText((code * 1.07421875 - 500.0) / 10.0, 1, decimalSeparator) + "\u00B0C";
}

bool RangeFactorInLimits(double value) {
    const float f = static_cast<float>(value);
    return f >= RANGE_FACTOR_MIN && f <= RANGE_FACTOR_MAX;
}

std::optional<double> ParseResistance(std::string_view text) {
    std::string number(text);
    int exponent = 0;
    for (const TPrefix& prefix : PREFIXES) {
        const size_t at = number.find(prefix.letter);
        if (at == std::string::npos) continue;
        const bool hasSeparator = number.find_first_of(".,") != std::string::npos;
        number = number.substr(0, at) + (hasSeparator ? "" : ".") + number.substr(at + prefix.letter.size());
        exponent = prefix.exponent;
        break;
    }
    const auto value = ParseNumber(number);
    if (!value) return std::nullopt;
    const double scaled = *value * std::pow(10.0, exponent);
    if (!std::isfinite(scaled)) return std::nullopt;
    return scaled;
}

std::optional<double> FactorFromResistances(double required, double actual, double switchResistance) {
    const double divisor = actual + switchResistance;
    if (divisor == 0) return std::nullopt;
    const double factor = required / divisor;
    if (!std::isfinite(factor)) return std::nullopt;
    return factor;
}

std::string FilterDacBox(std::string_view text, int* caret) {
    std::string out;
    int position = 0; // characters of `text` passed so far
    int dropped = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (!continuation) ++position;
        if (IsHexDigit(c)) {
            out += static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
        } else if (!continuation && caret && position <= *caret) {
            ++dropped;
        }
    }
    if (caret) *caret = std::max(0, *caret - dropped);
    return out;
}

std::string PadDacBox(std::string_view text) {
    if (text.size() >= DAC_BOX_DIGITS) return std::string(text);
    return std::string(DAC_BOX_DIGITS - text.size(), '0') + std::string(text);
}

std::string DacBoxText(uint32_t value) {
    return HexText(value & DAC_MAX, static_cast<int>(DAC_BOX_DIGITS));
}

std::optional<uint32_t> ParseDacBox(std::string_view text) {
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

uint32_t StepDac(uint32_t value, uint32_t step, bool up) {
    value %= DAC_MODULUS;
    step %= DAC_MODULUS;
    return (up ? value + step : value + DAC_MODULUS - step) % DAC_MODULUS;
}

std::optional<uint32_t> DacFor4mA(double measuredMa, uint32_t valueRead) {
    if (!(measuredMa > 0) || !std::isfinite(measuredMa)) return std::nullopt;
    const double code = std::round(4.0 / measuredMa * valueRead);
    if (!std::isfinite(code) || code >= DAC_MAX) return DAC_MAX;
    return static_cast<uint32_t>(code);
}

std::string DacCurrentText(uint32_t value, char decimalSeparator) {
    const double ma = value / DAC_CODES_PER_MA;
    return value <= 0x20000 ? FixedText(ma, 4, decimalSeparator) : ExponentText(ma, decimalSeparator);
}

} // namespace k730
