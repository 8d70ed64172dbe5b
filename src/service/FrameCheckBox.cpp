#include "service/FrameCheckBox.h"

#include "service/FocusPattern.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace k730 {

TFrameCheckBox::TFrameCheckBox(QWidget* parent) : QWidget(parent) {
    box_ = new QCheckBox(this);
    box_->setObjectName("ChB");
    // The inner box sits 2 pixels in; the frame is square around it.
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box_);
    const int side = indicator + 4;
    box_->setGeometry(2, 2, indicator, indicator);
    setFixedSize(side, side);
    setFocusPolicy(Qt::NoFocus);
    box_->installEventFilter(this);
    connect(box_, &QCheckBox::clicked, this, &TFrameCheckBox::BoxClicked);
    RebuildPatterns();
}

QSize TFrameCheckBox::sizeHint() const {
    return size();
}

void TFrameCheckBox::SetChecked(bool checked) {
    checked_ = checked;
    box_->setChecked(checked);
}

bool TFrameCheckBox::ChBEnabled() const {
    return box_->isEnabled();
}

void TFrameCheckBox::SetChBEnabled(bool on) {
    box_->setEnabled(on);
    setFocusPolicy(on ? Qt::NoFocus : Qt::TabFocus);
}

void TFrameCheckBox::SetCaption(const QString& caption) {
    setAccessibleName(caption);
    box_->setAccessibleName(caption);
}

void TFrameCheckBox::BoxClicked() {
    if (readOnly_) {
        box_->setChecked(checked_); // undone, and nobody is told
        return;
    }
    checked_ = box_->isChecked();
    if (OnChange) OnChange(this);
}

void TFrameCheckBox::RebuildPatterns() {
    const QColor colour = palette().color(QPalette::Window);
    plainPattern_ = CheckerPattern(colour, true);
    plainPattern_.fill(colour);
    focusPattern_ = CheckerPattern(colour, true);
}

void TFrameCheckBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool focused = hasFocus() || box_->hasFocus();
    DrawPatternFrame(p, rect(), Pattern(focused));
}

void TFrameCheckBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (box_->isEnabled())
        box_->setFocus(Qt::MouseFocusReason);
    else
        setFocus(Qt::MouseFocusReason);
}

void TFrameCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    // A release on the frame itself toggles the box, as a click on the box would.
    if (event->button() == Qt::LeftButton && at.x() > 1 && at.y() > 1 && at.x() < width() &&
        at.y() < height() && box_->isEnabled())
        box_->click();
}

void TFrameCheckBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) box_->setEnabled(isEnabled());
    if (event->type() == QEvent::PaletteChange) RebuildPatterns();
    QWidget::changeEvent(event);
}

bool TFrameCheckBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) update();
    if (watched == box_ && event->type() == QEvent::KeyPress) {
        // The arrows walk the dialog group, as they do between radio buttons.
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            focusNextChild();
            return true;
        case Qt::Key_Left:
        case Qt::Key_Up:
            focusPreviousChild();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace k730
