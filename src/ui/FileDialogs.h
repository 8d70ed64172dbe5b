// The open and save dialogs of the program's files. Filters come in the
// program's "description|pattern|description|pattern" form; a save dialog
// closes only through the rule of the file-saving helpers (a name, the
// overwrite question, the target check).
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace k730 {

// "Text files (*.txt)|*.txt|All files (*.*)|*.*" → the two descriptions,
// each ending in its patterns as the dialog shows them.
QStringList NameFilters(const QString& pipeFilter);

// The chosen file, or empty when the dialog was cancelled.
QString AskOpenFileName(QWidget* owner, const QString& title, const QString& filter, int filterIndex,
                        const QString& folder);
QString AskSaveFileName(QWidget* owner, const QString& title, const QString& filter, int filterIndex,
                        const QString& folder, const QString& name);

} // namespace k730
