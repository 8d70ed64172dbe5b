// File-saving helpers shared by every window that writes a file: the name
// behind a save dialog, paths shortened for messages, the checks before
// writing with their questions, and the documents and data folders. The
// rules live in K730DiskRules; this module adds fonts, screens and dialogs.
#pragma once

#include "files/K730DiskRules.h"

#include <QFont>
#include <QString>

class QFileDialog;
class QWidget;

namespace k730 {

// The full path to write after a save dialog, or empty. The dialog's name
// filters ("Text files (*.txt)") stand for the description|pattern pairs.
QString SaveDialogFileName(const QFileDialog& dialog);
// The same from a name, a "description|pattern|..." filter and its 1-based index.
QString SaveDialogFileName(const QString& fileName, const QString& filter, int filterIndex);

// A path short enough for a message: width 0 = half the work area, -n a
// fraction of it (see ShortenWidth); font nullptr = the application's font.
QString ShortenPath(const QString& path, const QFont* font = nullptr, int width = 0);

// Creates a missing folder, refusing CD-ROMs; with `ask` it explains and
// asks first, owned by the application window.
bool EnsureFolder(const QString& folder, bool ask);

// May a file with this name be written? Refuses a folder of that name and
// asks before overwriting a read-only, hidden or system file (No is the
// default). lang < 0 takes the dialog module's language.
bool CheckTargetFile(QWidget* owner, const QString& path, const QString& caption, int lang = -1);

// The rule every save dialog closes through: a name, and when something of
// that name exists the overwrite question, then CheckTargetFile.
bool AcceptSaveTarget(const QString& path);

// Folders with a trailing '/': the user's documents folder, and the
// program's data folder ".../K730/" under the user's data location.
QString DocumentsFolder();
QString DataFolder();

int TextWidth(const QFont& font, const QString& text);
int TextHeight(const QFont& font);
// One check-box glyph of the style plus 3 (16 + 3 without one); computed once.
int CheckBoxGlyphWidth();

} // namespace k730
