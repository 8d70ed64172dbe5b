#include "ui/Mnemonics.h"

#include <array>
#include <cctype>
#include <optional>

namespace k730 {

namespace {

bool IsKey(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
}

char Folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// A word starts at the beginning or after a blank or punctuation; a byte of
// a multi-byte letter ("ż") neither starts nor separates words.
bool StartsWord(std::string_view text, size_t i) {
    if (i == 0) return true;
    const unsigned char before = static_cast<unsigned char>(text[i - 1]);
    return before < 0x80 && std::isalnum(before) == 0;
}

std::optional<size_t> FreeKey(std::string_view text, const std::array<bool, 128>& used) {
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (!IsKey(c) || used[static_cast<unsigned char>(Folded(c))]) continue;
            if (pass == 1 || StartsWord(text, i)) return i;
        }
    return std::nullopt;
}

std::string DoubledAmpersands(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

} // namespace

std::vector<std::string> WithMnemonics(const std::vector<std::string>& captions) {
    std::array<bool, 128> used{};
    std::vector<std::string> out;
    out.reserve(captions.size());
    for (const std::string& caption : captions) {
        const auto at = FreeKey(caption, used);
        if (!at) {
            out.push_back(DoubledAmpersands(caption));
            continue;
        }
        used[static_cast<unsigned char>(Folded(caption[*at]))] = true;
        const std::string_view text(caption);
        out.push_back(DoubledAmpersands(text.substr(0, *at)) + '&' + DoubledAmpersands(text.substr(*at)));
    }
    return out;
}

std::string StripMnemonic(std::string_view caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}

} // namespace k730
