// libFuzzer: the hex text of `frame build` and `frame split`, and the numbers of
// `frame build`. What reads as bytes prints back to text that reads the same.
#include "tool/HexText.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto bytes = k730::ParseHex(text)) {
        if (bytes->size() * 2 > size) std::abort();
        const std::string printed = k730::FormatHex(*bytes);
        if (k730::ParseHex(printed) != bytes) std::abort();
    }
    for (const unsigned long max : {0xFFul, 0xFFFFul})
        if (const auto n = k730::ParseNumber(text, max); n && *n > max) std::abort();
    return 0;
}
