// The application icon as a square picture of one size, drawn from its SVG:
// shared by the window icon and the desktop's PNGs so that both match.
#pragma once

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace k730 {

inline QImage RenderSvgIcon(QSvgRenderer& drawing, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawing.render(&painter);
    painter.end();
    return image;
}

} // namespace k730
