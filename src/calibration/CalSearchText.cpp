#include "calibration/CalSearchText.h"

#include "files/DayCount.h"
#include "main/Cp1250.h"

#include <array>
#include <vector>

namespace k730 {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Lower-case Windows-1250 byte of each byte.
const std::array<unsigned char, 256>& LowerTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<unsigned char>(i);
        for (int c = 'A'; c <= 'Z'; ++c)
            t[c] = static_cast<unsigned char>(c + 32);
        // Š Ś Ť Ž Ź, Ł Ą Ş Ż Ľ and the Latin-1-like upper half.
        const std::pair<int, int> pairs[] = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E},
                                             {0x8F, 0x9F}, {0xA3, 0xB3}, {0xA5, 0xB9}, {0xAA, 0xBA},
                                             {0xAF, 0xBF}, {0xBC, 0xBE}};
        for (const auto& [upper, lower] : pairs)
            t[upper] = static_cast<unsigned char>(lower);
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7) t[c] = static_cast<unsigned char>(c + 32);
        return t;
    }();
    return table;
}

// Splits "12.3.2024" at `sep` into numbers of at most `maxDigits` digits.
std::optional<std::vector<int>> Numbers(std::string_view text, char sep, size_t maxParts) {
    std::vector<int> parts;
    int value = 0, digits = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == sep) {
            if (digits == 0 || parts.size() == maxParts) return std::nullopt;
            parts.push_back(value);
            value = digits = 0;
        } else if (text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    return parts;
}

int DaysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

std::string NormaliseSearchText(std::string_view text) {
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (IsBlank(c)) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

std::string LowerCp1250(std::string_view utf8) {
    std::string bytes = Utf8ToCp1250(utf8, '\0');
    const auto& table = LowerTable();
    for (char& c : bytes)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return bytes;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return LowerCp1250(a) == LowerCp1250(b);
}

std::optional<double> ParseSearchDate(std::string_view text, char dateSep, char timeSep, int currentYear) {
    const size_t space = text.find(' ');
    const std::string_view datePart = text.substr(0, space);
    const auto date = Numbers(datePart, dateSep, 3);
    if (!date || date->size() < 2) return std::nullopt;
    TDateTimeParts p;
    p.day = (*date)[0];
    p.month = (*date)[1];
    p.year = date->size() == 3 ? (*date)[2] : currentYear;
    const size_t yearDigits = date->size() == 3 ? datePart.size() - datePart.rfind(dateSep) - 1 : 4;
    if (yearDigits <= 2) p.year += 2000;
    if (p.year < 1 || p.month < 1 || p.month > 12 || p.day < 1 || p.day > DaysInMonth(p.year, p.month))
        return std::nullopt;
    if (space != std::string_view::npos) {
        const auto time = Numbers(text.substr(space + 1), timeSep, 3);
        if (!time || time->size() < 2) return std::nullopt;
        p.hour = (*time)[0];
        p.minute = (*time)[1];
        p.second = time->size() == 3 ? (*time)[2] : 0;
        if (p.hour > 23 || p.minute > 59 || p.second > 59) return std::nullopt;
    }
    return EncodeDays(p);
}

} // namespace k730
