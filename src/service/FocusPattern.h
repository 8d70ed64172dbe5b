// The dotted focus frame of the service window's own controls: an 8 × 8
// pattern in a fill colour with a black checkerboard over it.
#pragma once

#include <QColor>
#include <QImage>

class QPainter;
class QRect;

namespace k730 {

// Pixels whose row and column parities are equal (or, with `equalParity`
// false, differ) are black; the others have the fill colour.
QImage CheckerPattern(const QColor& fill, bool equalParity);

// A one-pixel frame along the inside of `rect`, painted with `pattern`.
void DrawPatternFrame(QPainter& painter, const QRect& rect, const QImage& pattern);

} // namespace k730
