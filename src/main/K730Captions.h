// Captions of the main window's controls in both languages, and the maker's
// web and mail addresses. The window is designed in Polish; ApplyLanguage
// walks this table and sets the English caption of each control by name.
#pragma once

#include "main/K730Lang.h"

#include <span>
#include <string_view>

namespace k730 {

struct TCaption {
    std::string_view Control; // Qt object name of the control or menu item
    TText Text;
};

// Every control whose designed caption changes with the language, in menu order.
std::span<const TCaption> MainWindowCaptions();

// The caption of `control` in `lang`; empty for a control not in the table.
std::string_view MainWindowCaption(std::string_view control, TLanguage lang);

// The maker's web site: shown as the caption of MenuWWW and in the program
// dialog, and the page opened by both (the Polish or the English one).
std::string_view MakerWebCaption(TLanguage lang);
std::string_view MakerWebUrl(TLanguage lang);
std::string_view MakerMailAddress();

} // namespace k730
