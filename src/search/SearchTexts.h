// Texts of the meter search, Polish first.
#pragma once

#include "main/K730Lang.h"

namespace k730 {

inline constexpr TText SEARCH_CAPTION{"wyszukiwanie miernika", "Meter searching"};
inline constexpr TText SEARCH_LOOKING_ONE{"Trwa wyszukiwanie miernika...", "Looking for meter..."};
inline constexpr TText SEARCH_LOOKING_MANY{"Trwa wyszukiwanie mierników...", "Looking for meters..."};
inline constexpr TText SEARCH_SELECT{"Wybierz miernik z listy:", "Select meter from list:"};
inline constexpr TText SEARCH_STOP{"Zatrzymaj", "Stop"};
inline constexpr TText SEARCH_NO_PORT{"Nie wykryto portów szeregowych.", "Serial port not found."};
inline constexpr TText SEARCH_PORT_WITHOUT_METER{"nie znaleziono miernika", "meter not found"};
inline constexpr TText SEARCH_NOTHING_FOUND{"Nie znaleziono żadnego miernika.", "Meter not found."};
inline constexpr TText SEARCH_CRITERIA{"Uwzględniaj podczas wyszukiwania: ", "Define searching criteria: "};
inline constexpr TText SEARCH_BAUD{"Prędkość transmisji: ", "Baud rate: "};
inline constexpr TText SEARCH_PARITY{"Parzystość: ", "Parity: "};
inline constexpr TText SEARCH_DATA_BITS{"Bity danych: ", "Data bits: "};
inline constexpr TText SEARCH_STOP_BITS{"Bity stopu: ", "Stop bits: "};
inline constexpr TText SEARCH_OK{"OK", "OK"};
inline constexpr TText SEARCH_CANCEL{"Anuluj", "Cancel"};
inline constexpr TText SEARCH_DEFAULT{"Domyślne", "Default"};

// Separator between a port's name and what was found on it, and the progress dot.
inline constexpr const char* SEARCH_LINE_SEPARATOR = ":  ";
inline constexpr const char* SEARCH_PROGRESS_DOT = " \u2022";

} // namespace k730
