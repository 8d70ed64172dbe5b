// Keyboard mnemonics for menu captions: one '&' per caption, before a letter
// no other caption of the same menu uses, so Alt+letter reaches every item
// and the visible text changes by nothing but the underline.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace k730 {

// The captions (UTF-8) with a mnemonic each where one is free: the first
// letter of a word is preferred, then any other ASCII letter or digit;
// letters are compared without case. An '&' already in a caption is doubled
// so it still shows. A caption with no free letter gets none.
std::vector<std::string> WithMnemonics(const std::vector<std::string>& captions);

// The caption as shown: the mnemonic mark removed, "&&" back to "&".
std::string StripMnemonic(std::string_view caption);

} // namespace k730
