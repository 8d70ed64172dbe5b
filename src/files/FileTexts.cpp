#include "files/FileTexts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <algorithm>

namespace k730::filetext {

std::string Fixed(double value, int precision, int digits, char decimal) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    char text[512];
    std::snprintf(text, sizeof text, "%.*e", precision - 1, value);
    const double rounded = std::strtod(text, nullptr);
    std::snprintf(text, sizeof text, "%.*f", digits, rounded);
    std::string out = text;
    for (char& c : out)
        if (c == '.') c = decimal;
    if (out.starts_with('-') && out.find_first_not_of("0.,", 1) == std::string::npos)
        out.erase(0, 1); // no "-0,0"
    return out;
}

float CelsiusOfCode(uint16_t code) {
    return static_cast<float>((code * 1.07421875 - 500.0) / 10.0);
}

std::string SerialAndYear(uint16_t serial, uint16_t year) {
    return (serial == 0xFFFF ? std::string("---") : std::to_string(serial)) + "/" +
           (year == 0xFFFF ? std::string("----") : std::to_string(year));
}

} // namespace k730::filetext

namespace k730::filetext {
namespace {

// Digit groups of a version text; a group that does not fit marks the list as failed.
std::vector<unsigned long> VersionGroups(std::string_view text, bool& failed) {
    std::vector<unsigned long> groups;
    failed = false;
    for (size_t i = 0; i < text.size();) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        unsigned long value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (value > 214748364UL) failed = true; // beyond a 32-bit integer
            value = value * 10 + static_cast<unsigned long>(text[i] - '0');
        }
        if (value > 2147483647UL) failed = true;
        groups.push_back(value);
    }
    return groups;
}

} // namespace

int CompareVersions(std::string_view a, std::string_view b) {
    bool failA = false, failB = false;
    auto ga = VersionGroups(a, failA);
    auto gb = VersionGroups(b, failB);
    if (failA) return -1;
    if (failB) return 1;
    const size_t n = std::max(ga.size(), gb.size());
    ga.resize(n, 0);
    gb.resize(n, 0);
    for (size_t i = 0; i < n; ++i)
        if (ga[i] != gb[i]) return ga[i] < gb[i] ? -1 : 1;
    return 0;
}

} // namespace k730::filetext
