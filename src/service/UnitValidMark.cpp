#include "service/UnitValidMark.h"

#include <QPainter>

namespace k730 {

TValidMark::TValidMark(QWidget* parent) : QWidget(parent) {
    setFixedSize(10, 10);
    QFont f("MS Sans Serif");
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    Describe();
}

void TValidMark::SetValid(bool valid) {
    if (valid == valid_) return;
    valid_ = valid;
    Describe();
    update();
}

void TValidMark::SetUnknown(bool unknown) {
    if (unknown == unknown_) return;
    unknown_ = unknown;
    Describe();
    update();
}

// What the mark says, for assistive technology.
void TValidMark::Describe() {
    setAccessibleDescription(!valid_ ? "niepoprawne" : unknown_ ? "nieznana wartość" : "poprawne");
}

void TValidMark::paintEvent(QPaintEvent*) {
    if (!parentWidget() || !isVisible()) return;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (valid_ && unknown_) {
        p.setPen(QColor(0, 0, 0xFF)); // blue
        p.drawText(rect(), Qt::AlignCenter, "?");
        return;
    }
    const QColor colour = valid_ ? QColor(0, 0x80, 0) : QColor(0xFF, 0, 0);
    p.fillRect(QRect(1, 4, 8, 2), colour); // horizontal line through the centre
    if (valid_) p.fillRect(QRect(4, 1, 2, 8), colour);
}

} // namespace k730
