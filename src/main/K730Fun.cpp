// Text rules of the meter model.
#include "main/K730Fun.h"

#include "main/K730Lang.h"

#include <array>
#include <cmath>
#include <charconv>
#include <limits>
#include <optional>
#include <vector>

namespace k730 {

std::string SerialNumberText(uint16_t serial) {
    return serial == NOT_PROGRAMMED ? std::string(UNKNOWN_SERIAL_TEXT) : std::to_string(serial);
}

std::string ProductionYearText(uint16_t year) {
    return year == NOT_PROGRAMMED ? std::string(UNKNOWN_YEAR_TEXT) : std::to_string(year);
}

std::string SerialAndYearText(uint16_t serial, uint16_t year) {
    return SerialNumberText(serial) + "/" + ProductionYearText(year);
}

namespace {

// Lower case for the ASCII letters and the Polish capitals of UTF-8 texts.
std::string FoldCase(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if ((c == 0xC4 || c == 0xC5) && i + 1 < text.size()) {
            // Ą Ć Ę Ł Ń Ś Ź Ż differ from their small letters by one in the second byte.
            unsigned char next = static_cast<unsigned char>(text[i + 1]);
            const bool capital =
                (c == 0xC4 && (next == 0x84 || next == 0x86 || next == 0x98)) ||
                (c == 0xC5 && (next == 0x81 || next == 0x83 || next == 0x9A || next == 0xB9 || next == 0xBB));
            out += static_cast<char>(c);
            out += static_cast<char>(capital ? next + 1 : next);
            ++i;
        } else if (c == 0xC3 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x93) {
            out += "\xC3\xB3"; // Ó
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace

std::string MeterNameText(std::string_view descriptor) {
    const std::string folded = FoldCase(descriptor);
    if (descriptor.empty() || folded == "żaden" || folded == "none") return std::string(UNKNOWN_VALUE_TEXT);
    return std::string(descriptor);
}

std::string MeterNumberText(std::string_view serialAndYear) {
    return serialAndYear.empty() ? std::string(UNKNOWN_VALUE_TEXT) : std::string(serialAndYear);
}

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The groups of consecutive digits; a group too large for a 32-bit signed
// integer is held as nullopt (it ends a comparison).
std::vector<std::optional<int32_t>> DigitGroups(std::string_view text) {
    std::vector<std::optional<int32_t>> groups;
    size_t i = 0;
    while (i < text.size()) {
        if (!IsDigit(text[i])) {
            ++i;
            continue;
        }
        int64_t value = 0;
        bool valid = true;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            value = value * 10 + (text[i] - '0');
            if (value > std::numeric_limits<int32_t>::max()) {
                valid = false;
                value = 0;
            }
        }
        groups.push_back(valid ? std::optional<int32_t>(static_cast<int32_t>(value)) : std::nullopt);
    }
    return groups;
}

} // namespace

int CompareVersions(std::string_view a, std::string_view b) {
    const auto ga = DigitGroups(a);
    const auto gb = DigitGroups(b);
    const size_t count = std::max(ga.size(), gb.size());
    for (size_t i = 0; i < count; ++i) {
        const std::optional<int32_t> va = i < ga.size() ? ga[i] : std::optional<int32_t>(0);
        const std::optional<int32_t> vb = i < gb.size() ? gb[i] : std::optional<int32_t>(0);
        if (!va) return -1;
        if (!vb) return 1;
        if (*va != *vb) return *va < *vb ? -1 : 1;
    }
    return 0;
}

bool IsNewFirmware(std::string_view version) {
    return CompareVersions(version, NEW_FIRMWARE_VERSION) >= 0;
}

bool IsVersionText(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!IsDigit(c) && c != '.') return false;
    return true;
}

std::string EscapeAmpersands(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

std::string UnescapeAmpersands(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') ++i;
    }
    return out;
}

double TempCodeToCelsius(uint16_t code) {
    return (code * 1.07421875 - 500.0) / 10.0;
}

std::string TemperatureText(uint16_t code, char decimalSeparator) {
    // to_chars, unlike printf, never looks at the process locale.
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, TempCodeToCelsius(code), std::chars_format::fixed, 1);
    std::string text(buffer, result.ptr);
    if (text == "-0.0") text = "0.0"; // a code just below 0 °C
    for (char& c : text)
        if (c == '.') c = decimalSeparator;
    return text + "°C";
}

namespace {

// The descriptor's first line split at '/'.
std::vector<std::string_view> DescriptorSegments(std::string_view descriptor) {
    const size_t eol = descriptor.find("\r\n");
    std::string_view line = descriptor.substr(0, eol);
    std::vector<std::string_view> segments;
    size_t start = 0;
    for (;;) {
        const size_t slash = line.find('/', start);
        segments.push_back(line.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return segments;
}

std::string_view Segment(std::string_view descriptor, size_t index) {
    const auto segments = DescriptorSegments(descriptor);
    return index < segments.size() ? segments[index] : std::string_view();
}

} // namespace

std::string DescriptorSensitivity(std::string_view descriptor) {
    return std::string(Segment(descriptor, 1));
}

std::string DescriptorAperture(std::string_view descriptor) {
    std::string_view text = Segment(descriptor, 3);
    if (!text.empty() && !IsDigit(text.front())) text.remove_prefix(1);
    return std::string(text);
}

int DescriptorConfiguration(std::string_view descriptor) {
    const std::string_view text = Segment(descriptor, 4);
    if (text.empty() || text.size() > 3) return 0;
    int value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return 0;
        value = value * 10 + (c - '0');
    }
    return value <= 255 ? value : 0;
}

std::string DescriptorVersion(std::string_view descriptor) {
    const std::string_view line = descriptor.substr(0, descriptor.find("\r\n"));
    size_t pos = 0;
    for (int slashes = 0; slashes < 5; ++slashes) {
        pos = line.find('/', pos);
        if (pos == std::string_view::npos) return {};
        ++pos;
    }
    return std::string(line.substr(pos));
}

std::string DescriptorVersionText(std::string_view descriptor, int lang) {
    constexpr TText BASIC = {"podstawowa", "basic"};
    std::string version = DescriptorVersion(descriptor);
    return version.empty() ? std::string(BASIC(lang)) : version;
}

namespace {

struct TDeviceRow {
    int code;
    std::string_view name;
};

// Row 0 is the unknown device; codes 1..8 and 10..35 follow.
constexpr std::array<TDeviceRow, DEVICE_MODEL_COUNT> DEVICE_MODELS = {{
    {0, "Nieznane urządzenie"},
    {1, "K-700"},
    {2, "K-701"},
    {3, "K-710"},
    {4, "K-711"},
    {5, "K-720"},
    {6, "K-730"},
    {7, "K-731"},
    {8, "K-740"},
    {10, "K-741"},
    {11, "K-750"},
    {12, "K-751"},
    {13, "K-760"},
    {14, "K-761"},
    {15, "K-770"},
    {16, "K-771"},
    {17, "K-780"},
    {18, "K-781"},
    {19, "K-790"},
    {20, "K-791"},
    {21, "K-800"},
    {22, "K-801"},
    {23, "K-810"},
    {24, "K-811"},
    {25, "K-820"},
    {26, "K-821"},
    {27, "K-830"},
    {28, "K-831"},
    {29, "K-840"},
    {30, "K-841"},
    {31, "K-850"},
    {32, "K-851"},
    {33, "K-860"},
    {34, "K-861"},
    {35, "K-870"},
}};

} // namespace

TDeviceModel DeviceModelName(int code) {
    if (code < 0) code = 0;
    for (int i = 1; i < DEVICE_MODEL_COUNT; ++i)
        if (DEVICE_MODELS[i].code == code) return {i, DEVICE_MODELS[i].name, true};
    return {0, DEVICE_MODELS[0].name, false};
}

} // namespace k730
