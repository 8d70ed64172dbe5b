#include "files/FileTexts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace k730::filetext {

// printf's %.*e and %.*f digits, made by the same correctly rounded
// conversion without the locale and format parsing of printf: exports and
// searches format hundreds of thousands of factors.
std::string Fixed(double value, int precision, int digits, char decimal) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    char text[512];
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific,
                             std::max(precision - 1, 0))
                   .ptr;
    double rounded = 0;
    std::from_chars(text, end, rounded);
    end = std::to_chars(text, text + sizeof text, rounded, std::chars_format::fixed, digits).ptr;
    std::string out(text, end);
    for (char& c : out)
        if (c == '.') c = decimal;
    if (out.starts_with('-') && out.find_first_not_of("0.,", 1) == std::string::npos)
        out.erase(0, 1); // no "-0,0"
    return out;
}

} // namespace k730::filetext
