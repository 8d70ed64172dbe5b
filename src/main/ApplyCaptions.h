// Puts the caption table on a window built in Polish: every control or menu
// item whose object name is in the table gets its caption in the language.
#pragma once

#include "main/K730Lang.h"

class QObject;

namespace k730 {

// Labels, buttons, menus (their titles) and menu actions below `root` take the
// table's caption; MenuWWW takes the maker's web address. Returns how many
// objects were captioned.
int ApplyCaptions(QObject* root, TLanguage lang);

} // namespace k730
