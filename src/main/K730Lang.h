// Bilingual texts. Every user-visible text of the program is a Polish/English
// pair, stored Polish first and picked by the program-wide language index.
#pragma once

#include <string_view>

namespace k730 {

// Language index: 0 = Polish, 1 = English. Passed explicitly; never a global.
enum TLanguage : int { langPolish = 0, langEnglish = 1 };

// A Polish/English pair of UTF-8 texts.
struct TText {
    std::string_view pl;
    std::string_view en;

    constexpr std::string_view operator()(int lang) const { return lang == langPolish ? pl : en; }
};

} // namespace k730
