// The measurement history window's questions and file dialogs on the
// program's confirmation dialog and the toolkit's file dialogs.
#pragma once

#include "history/HistRecorder.h"
#include "main/K730Settings.h"

class QWidget;

namespace k730 {

// Fills the prompts the caller left empty with the dialogs owned by `owner`;
// `sheet` opens exports when it names a program.
void CompleteHistPrompts(THistPrompts& prompts, QWidget* owner, TLanguage lang,
                         const TSpreadsheetProgram& sheet);

} // namespace k730
