#include "files/FileTexts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

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

} // namespace k730::filetext
