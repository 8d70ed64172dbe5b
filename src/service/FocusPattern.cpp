#include "service/FocusPattern.h"

#include <QBrush>
#include <QPainter>
#include <QRect>

namespace k730 {

QImage CheckerPattern(const QColor& fill, bool equalParity) {
    QImage image(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixelColor(x, y, ((x % 2) == (y % 2)) == equalParity ? QColor(Qt::black) : fill);
    return image;
}

void DrawPatternFrame(QPainter& painter, const QRect& rect, const QImage& pattern) {
    const QBrush brush(pattern);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), brush);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), brush);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), brush);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), brush);
}

} // namespace k730
