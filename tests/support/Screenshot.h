// Saving what a window test shows: with K730_SCREENSHOTS=<folder> set, window
// tests write PNGs there so a person can look at them; without it, nothing.
#pragma once

#include <QString>

class QWidget;

namespace k730::test {

// Saves the widget as it is drawn now as <folder>/<name>.png.
void SaveScreenshot(QWidget& widget, const QString& name);
// For a widget the test does not show itself: when pictures are wanted, shows
// it and lets it lay itself out first.
void ShowAndSaveScreenshot(QWidget& widget, const QString& name);

} // namespace k730::test
