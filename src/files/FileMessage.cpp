#include "files/FileMessage.h"

namespace k730 {

std::string FillIn(std::string_view text, std::string_view arg) {
    std::string out(text);
    for (const char* mark : {"%s", "%d"}) {
        const auto at = out.find(mark);
        if (at != std::string::npos) {
            out.replace(at, 2, arg);
            break;
        }
    }
    return out;
}

TFileMessage MakeMessage(TText text, TMessageStyle style, const std::string& arg) {
    return TFileMessage{FillIn(text.pl, arg), FillIn(text.en, arg), style};
}

} // namespace k730
