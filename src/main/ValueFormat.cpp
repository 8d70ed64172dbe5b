// Range and value texts. "round" is to the nearest integer with ties to even
// throughout, as the meter's own range texts are produced.
#include "main/ValueFormat.h"

#include "main/MeterKind.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace k730 {
namespace {

constexpr std::array<std::string_view, 17> SI_PREFIXES = {"y", "z", "a", "f", "p", "n", "µ", "m", "",
                                                          "k", "M", "G", "T", "P", "E", "Z", "Y"};

// Ties to even under the default rounding mode.
double RoundEven(double x) {
    return std::nearbyint(x);
}

std::string Digits(double rounded) {
    return std::to_string(static_cast<int64_t>(rounded));
}

double Pow10(int exponent) {
    return std::pow(10.0, exponent);
}

int EffectiveBits(int bits) {
    return bits > 0 ? bits : DEFAULT_CONVERTER_BITS;
}

// The general floating-point text used when a value cannot be laid out.
std::string GeneralFormat(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
        if (c == 'e') c = 'E';
    }
    return text;
}

} // namespace

std::string_view SiPrefix(int exponent) {
    if (exponent % 3 != 0 || exponent < -24 || exponent > 24) return {};
    return SI_PREFIXES[exponent / 3 + 8];
}

bool HasSiPrefix(int exponent) {
    return exponent != 0 && !SiPrefix(exponent).empty();
}

std::string FormatRangeText(double value, bool withSpace, char decimalSeparator) {
    double v = std::fabs(value);
    if (!std::isfinite(v)) return "-----";
    if (v < 1e-24) return "0";
    double x;
    int e;
    if (v >= 1) {
        x = v * 100;
        e = -2;
    } else {
        const int k = static_cast<int>(RoundEven(std::log10(v)));
        x = v * Pow10(-k) * 1000;
        e = k - 3;
    }
    while (x > 2147483647.0) {
        x /= 1000;
        e += 3;
    }
    std::string s;
    do {
        s = Digits(RoundEven(x));
        ++e;
        x /= 10;
    } while (s.size() > 6);
    while (s.size() > 1 && s.back() == '0') {
        s.pop_back();
        ++e;
    }
    int n = e - 1;
    while (n % 3 != 0) {
        s += '0';
        --n;
    }
    if (s.size() > 3) {
        s.insert(s.size() - 3, 1, decimalSeparator);
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == decimalSeparator) s += '0';
        n += 3;
    }
    if (withSpace) s += ' ';
    if (n / 3 < -8 || n / 3 > 8) return s + "E" + std::to_string(n);
    return s + std::string(SiPrefix(n));
}

std::string RangeTextWithUnit(double fullScale, uint8_t kindByte, char decimalSeparator) {
    std::string text = FormatRangeText(fullScale, true, decimalSeparator);
    if (IsValidMeterType(kindByte)) text += MeterUnitText(KindOf(kindByte), LumModeOf(kindByte));
    return text;
}

int DigitsForRange(int bits, double fullScale) {
    const int b = EffectiveBits(bits);
    const double bitDigits = b * std::log10(2.0);
    const int fallback = static_cast<int>(std::trunc(bitDigits)) + 1;
    const double x = std::fabs(fullScale);
    if (x == 0 || !std::isfinite(x)) return fallback;
    const double t = std::log10(x * 1.0000001 / std::pow(2.0, b));
    if (!std::isfinite(t)) return fallback;
    double c = std::trunc(t);
    if (std::trunc(std::log10(x)) > std::trunc(bitDigits)) c += 1;
    const double digits = std::trunc(std::log10(x / std::pow(10.0, c))) + 1;
    if (!std::isfinite(digits) || std::fabs(digits) > 1000) return fallback;
    return static_cast<int>(digits);
}

int DigitsForValue(double range, double value) {
    const double r = std::fabs(range);
    int digits = DigitsForRange(DEFAULT_CONVERTER_BITS, r);
    // value > r also keeps log10 away from zero and negative values.
    if (value > r && std::trunc(std::log10(value)) > std::trunc(std::log10(r * 1.0000001))) ++digits;
    return digits;
}

namespace {

// Weight of the last digit worth showing, as a power of ten (steps 2 and 3).
int LastDigitExponent(int bits, double r, double v) {
    int e = 0;
    if (r != 0) {
        const double t = std::log10(r * 1.0000001 / std::pow(2.0, EffectiveBits(bits)));
        e = static_cast<int>(std::trunc(t)) + (t >= 0 ? 1 : 0);
    }
    if (v != 0) {
        // Never more than ten digits before the exponent.
        while (std::log10(v / Pow10(e)) > 9)
            e += (e < 0 || v > 1) ? 1 : -1;
    }
    return e;
}

} // namespace

TValueText FormatMeasuredValue(int bits, int digits, double range, double value, char decimalSeparator) {
    if (!std::isfinite(range) || !std::isfinite(value)) return {GeneralFormat(value, decimalSeparator), 0};
    const bool negative = value < 0;
    const double r = std::fabs(range);
    const double v = std::fabs(value);
    const int n = digits > 0 ? digits : 0;

    int e = LastDigitExponent(bits, r, v);
    double m = RoundEven(v / Pow10(e));
    std::string s = Digits(m);
    if (n > 0 && static_cast<int>(s.size()) > n) {
        e += static_cast<int>(s.size()) - n;
        m = RoundEven(v / Pow10(e));
        s = Digits(m);
    }
    // p digits before the decimal point, the text standing for s × 10^q.
    int p = static_cast<int>(s.size());
    int q = e;
    while (q % 3 != 0 || (s.size() <= 3 && q == -3)) {
        ++q;
        --p;
    }
    while (p <= 0 && (static_cast<int>(s.size()) < n || n == 0)) {
        s.insert(0, 1, '0');
        ++p;
    }
    if (p <= 0) {
        // Only with very few digits allowed: keep the value right, not the digit count.
        s.insert(0, static_cast<size_t>(-p), '0');
        q -= 3;
        p = 3;
    }
    if (p > static_cast<int>(s.size())) s.append(static_cast<size_t>(p) - s.size(), '0');
    while (p > 3 && !(q == 0 && p <= 4)) {
        q += 3;
        p -= 3;
    }
    if (p < static_cast<int>(s.size())) {
        s.insert(static_cast<size_t>(p), 1, decimalSeparator);
        while (p > 1 && s.front() == '0') {
            s.erase(0, 1);
            --p;
        }
    }
    if (q != 0) s += "E" + std::to_string(q);
    if (negative && m != 0) s.insert(0, 1, '-');
    return {s, q};
}

TValueText FormatWithPrefix(int bits, int digits, double range, double value, char decimalSeparator) {
    TValueText result = FormatMeasuredValue(bits, digits, range, value, decimalSeparator);
    const size_t mark = result.text.find_first_of("Ee");
    const int q = result.exponent;
    if (mark != std::string::npos && q % 3 == 0 && q / 3 >= -8 && q / 3 <= 8)
        result.text = result.text.substr(0, mark) + std::string(SiPrefix(q));
    return result;
}

} // namespace k730
