// A message that a file operation hands back for the window to show through
// the confirmation dialog: both languages (UTF-8) and the dialog's icon.
#pragma once

#include "main/K730Lang.h"

#include <functional>
#include <string>

namespace k730 {

enum TMessageStyle { msNone, msInformation, msWarning, msQuestion };

struct TFileMessage {
    std::string pl;
    std::string en;
    TMessageStyle style = msNone;

    bool Empty() const { return pl.empty() && en.empty(); }
    const std::string& operator()(int lang) const { return lang == langPolish ? pl : en; }
};

// Answers of the question with the "all" buttons.
enum TAskAnswer { aaYes, aaNo, aaYesToAll, aaNoToAll, aaCancel };
using TAskAll = std::function<TAskAnswer(const TFileMessage& question)>;

// Replaces every "%s" of both texts by the language's argument.
TFileMessage MakeMessage(TText text, TMessageStyle style, const std::string& arg = {});
// Replaces the first "%s" (or "%d") in `text` by `arg`.
std::string FillIn(std::string_view text, std::string_view arg);

} // namespace k730
