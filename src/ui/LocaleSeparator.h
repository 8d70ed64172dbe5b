// The decimal separator the program writes and reads numbers with: the one of
// the system locale, whatever language the program speaks, so every window,
// panel and dialog shows the same one.
#pragma once

namespace k730 {

// '.' or ','; a locale whose separator is neither (or is not a single
// Latin-1 character) gets '.', which the meter's texts and files also read.
char LocaleDecimalSeparator();

} // namespace k730
