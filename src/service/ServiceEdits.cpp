#include "service/ServiceEdits.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace k730 {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The unit sign at the end of a text, or empty.
std::string_view TrailingSign(std::string_view text) {
    for (std::string_view sign : {SIGN_DEGREE, SIGN_MINUTE, SIGN_SECOND})
        if (EndsWith(text, sign)) return sign;
    return {};
}

// The last character of a UTF-8 text (all its bytes).
std::string_view LastCharacter(std::string_view text) {
    size_t start = text.size();
    while (start > 0) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) break;
    }
    return text.substr(start);
}

} // namespace

size_t Utf8Length(std::string_view text) {
    size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string RemoveBlanks(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += c;
    return out;
}

std::optional<double> ParseNumber(std::string_view text) {
    std::string s = TrimBlanks(text);
    for (char& c : s)
        if (c == ',') c = '.';
    std::string_view v = s;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty() || v.front() == '+') return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (error != std::errc() || end != v.data() + v.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long> ParseInteger(std::string_view text) {
    std::string s = TrimBlanks(text);
    std::string_view v = s;
    if (!v.empty() && v.front() == '+') v.remove_prefix(1);
    if (v.empty() || v.front() == '+') return std::nullopt;
    long value = 0;
    const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
    if (error != std::errc() || end != v.data() + v.size()) return std::nullopt;
    return value;
}

std::string WithSeparator(std::string_view text, char decimalSeparator) {
    std::string out(text);
    for (char& c : out)
        if (c == ',' || c == '.') c = decimalSeparator;
    return out;
}

std::string RangeBoxText(std::string_view text, char decimalSeparator) {
    std::string out = TrimBlanks(WithSeparator(text, decimalSeparator));
    if (out.empty()) return "0";
    if (out.size() <= 4) return out;
    int digits = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        char& c = out[i];
        if (IsDigit(c)) {
            if (++digits > 4) c = '0';
        } else if (c != decimalSeparator && !(i == 0 && (c == '-' || c == '+'))) {
            break; // an exponent or other text keeps its digits
        }
    }
    return out;
}

std::string RangeValueText(double value, char decimalSeparator) {
    if (value == 0 || !std::isfinite(value)) return "0";
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    char buf[64];
    if (exponent >= 15 || exponent < -9) {
        std::snprintf(buf, sizeof buf, "%.4G", value);
    } else {
        const double step = std::pow(10.0, exponent - 3);
        const double rounded = std::round(value / step) * step;
        std::snprintf(buf, sizeof buf, "%.*f", std::max(0, 3 - exponent), rounded);
    }
    std::string out = buf;
    if (out.find('.') != std::string::npos && out.find('E') == std::string::npos) {
        while (out.back() == '0')
            out.pop_back();
        if (out.back() == '.') out.pop_back();
    }
    return WithSeparator(out, decimalSeparator);
}

std::string AngleBoxText(std::string_view text, char decimalSeparator) {
    std::string out = WithSeparator(text, decimalSeparator);
    if (Utf8Length(out) >= ANGLE_BOX_LENGTH && TrailingSign(out).empty())
        out.resize(out.size() - LastCharacter(out).size());
    return out;
}

std::string AngleWithSign(std::string_view text, std::string_view sign) {
    std::string rest(text.substr(0, text.size() - TrailingSign(text).size()));
    if (ParseNumber(rest)) rest += sign;
    return rest;
}

std::optional<TMeasuringField> SplitMeasuringField(std::string_view text) {
    const std::string_view sign = TrailingSign(text);
    if (sign.empty()) return std::nullopt;
    const std::string_view number = text.substr(0, text.size() - sign.size());
    // The number is the box's own text: no blanks around it.
    if (number.empty() || number.front() == ' ' || number.back() == ' ') return std::nullopt;
    const auto value = ParseNumber(number);
    if (!value) return std::nullopt;
    return TMeasuringField{sign, *value};
}

bool IsValidMeasuringField(std::string_view text) {
    return SplitMeasuringField(text).has_value();
}

bool IsValidSerialText(std::string_view text) {
    const auto v = ParseInteger(text);
    return v && *v >= 0 && *v <= 0xFFFF;
}

bool IsValidYearText(std::string_view text) {
    const auto v = ParseInteger(text);
    return v && *v >= FIRST_PRODUCTION_YEAR && *v <= LAST_PRODUCTION_YEAR;
}

namespace {

bool HasControlCharacter(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

} // namespace

bool IsValidSpectralText(std::string_view text) {
    const std::string bare = RemoveBlanks(text);
    return !bare.empty() && bare.find('/') == std::string::npos && !HasControlCharacter(bare);
}

bool IsValidVersionText(std::string_view text) {
    return !HasControlCharacter(text);
}

std::array<double, 3> RangeValues(const std::array<std::string, 3>& boxes) {
    std::array<double, 3> values{};
    for (size_t i = 0; i < 3; ++i)
        values[i] = ParseNumber(boxes[i]).value_or(0.0);
    return values;
}

std::array<bool, 3> ValidateRanges(const std::array<std::string, 3>& boxes) {
    std::array<std::optional<double>, 3> v;
    for (size_t i = 0; i < 3; ++i)
        v[i] = TrimBlanks(boxes[i]).empty() ? std::optional<double>(0.0) : ParseNumber(boxes[i]);
    std::array<bool, 3> valid{};
    valid[0] = v[0] && *v[0] > 0;
    valid[1] = valid[0] && v[1] && (*v[1] == 0 || *v[1] > *v[0]);
    valid[2] = valid[1] && v[2] && (*v[2] == 0 || (*v[1] > 0 && *v[2] > *v[0] && *v[2] > *v[1]));
    return valid;
}

bool SameRangeValue(double entered, double read) {
    const double scale = std::max(std::fabs(entered), std::fabs(read));
    return std::fabs(entered - read) <= scale * 1e-5;
}

} // namespace k730
