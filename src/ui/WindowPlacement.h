// Where a window of the program opens: over the window it belongs to, as the
// confirmation dialog does, and never off the work area.
#pragma once

class QWidget;

namespace k730 {

// Centres `window` (already sized) over `owner`'s frame and moves it fully
// onto the owner's screen; with no owner, or a minimised one, it is centred
// on the work area.
void CentreOverOwner(QWidget* window, const QWidget* owner);

} // namespace k730
