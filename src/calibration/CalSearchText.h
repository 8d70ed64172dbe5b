// Text rules of the calibration history search: the search text as typed
// (trimmed, inner blanks reduced), comparisons without case the way the
// log's Windows-1250 texts know it, and a search text read as a date.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace k730 {

// Leading and trailing blanks removed, inner runs of blanks reduced to one.
std::string NormaliseSearchText(std::string_view text);

// The Windows-1250 bytes of a UTF-8 text in lower case (Polish letters
// included). Characters without a Windows-1250 byte become 0, which no
// stored text holds, so they never match.
std::string LowerCp1250(std::string_view utf8);
bool EqualNoCase(std::string_view a, std::string_view b);

// The text as a date "d<sep>m[<sep>y]" optionally followed by a blank and
// "h<sep>n[<sep>s]", as the window's formats write them: the day count of
// that moment (since 1899-12-30). A missing year is `currentYear`; a year of
// one or two digits lies in the 2000s.
std::optional<double> ParseSearchDate(std::string_view text, char dateSep, char timeSep, int currentYear);

} // namespace k730
