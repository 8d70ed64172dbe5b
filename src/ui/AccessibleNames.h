// Accessible names for a window's controls, so screen readers and automated
// GUI checks find each control by what the user reads: a button by its
// caption (an icon button by its tooltip), an entry field or chooser by the
// caption of the label that names it.
#pragma once

class QWidget;

namespace k730 {

// Names every button, and every field that a label names (its buddy), under
// root; call it again after captions change.
void ApplyAccessibleNames(QWidget* root);

} // namespace k730
