#include "service/ZAKTabSet.h"

#include "service/FocusPattern.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <numeric>

namespace k730 {

TZAKTabSet::TZAKTabSet(QWidget* parent) : QTabBar(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
    setShape(QTabBar::RoundedSouth);
    RebuildPattern();
}

void TZAKTabSet::SetAutoTabWidth(bool on) {
    autoTabWidth_ = on;
    updateGeometry();
    update();
}

void TZAKTabSet::SetMargins(int start, int end) {
    startMargin_ = start;
    endMargin_ = end;
    updateGeometry();
    update();
}

std::vector<int> TZAKTabSet::TabWidths(const std::vector<int>& textWidths, bool autoWidth) {
    const int widest = textWidths.empty() ? 0 : *std::max_element(textWidths.begin(), textWidths.end());
    std::vector<int> widths;
    for (int w : textWidths)
        widths.push_back((autoWidth ? w : widest) + 6);
    return widths;
}

int TZAKTabSet::MinimumWidthFor(const std::vector<int>& tabWidths, int startMargin, int endMargin) {
    // Every tab counts, also when all have one width: the bar must show them all.
    const int tabs = std::accumulate(tabWidths.begin(), tabWidths.end(), 0,
                                     [](int sum, int w) { return sum + w + TAB_EDGES; });
    return tabs + startMargin + endMargin + 1;
}

std::vector<int> TZAKTabSet::LabelWidths() const {
    std::vector<int> text;
    for (int i = 0; i < count(); ++i)
        text.push_back(fontMetrics().horizontalAdvance(tabText(i)));
    return TabWidths(text, autoTabWidth_);
}

int TZAKTabSet::MinimumWidth() const {
    return MinimumWidthFor(LabelWidths(), startMargin_, endMargin_);
}

int TZAKTabSet::TabHeight() const {
    return fontMetrics().height() + 7;
}

QSize TZAKTabSet::sizeHint() const {
    return {MinimumWidth(), TabHeight() + 2};
}

QSize TZAKTabSet::minimumSizeHint() const {
    return sizeHint();
}

QSize TZAKTabSet::tabSizeHint(int index) const {
    const auto widths = LabelWidths();
    const int w =
        index >= 0 && index < static_cast<int>(widths.size()) ? widths[static_cast<size_t>(index)] : 0;
    return {w + TAB_EDGES, TabHeight()};
}

QSize TZAKTabSet::minimumTabSizeHint(int index) const {
    return tabSizeHint(index);
}

QRect TZAKTabSet::TabArea(int index) const {
    const auto widths = LabelWidths();
    int x = startMargin_;
    for (int i = 0; i < index && i < static_cast<int>(widths.size()); ++i)
        x += widths[static_cast<size_t>(i)] + TAB_EDGES;
    const int w = index < static_cast<int>(widths.size()) ? widths[static_cast<size_t>(index)] : 0;
    return {x, 0, w + TAB_EDGES, TabHeight()};
}

void TZAKTabSet::RebuildPattern() {
    pattern_ = CheckerPattern(palette().color(QPalette::Window), false);
}

bool TZAKTabSet::ChooseTab(int index) {
    index = std::clamp(index, 0, std::max(0, count() - 1));
    if (count() == 0 || index == currentIndex()) return true;
    if (OnChanging && !OnChanging(index)) return false;
    setCurrentIndex(index);
    return true;
}

void TZAKTabSet::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    // The edge of the page above, broken where the selected tab joins it.
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(0, 0, width() - 1, 0);
    for (int i = 0; i < count(); ++i) {
        const QRect r = TabArea(i);
        const bool selected = i == currentIndex();
        QPainterPath outline;
        outline.moveTo(r.left(), 0);
        outline.lineTo(r.left() + 2, r.bottom() - 2);
        outline.lineTo(r.left() + 5, r.bottom());
        outline.lineTo(r.right() - 5, r.bottom());
        outline.lineTo(r.right() - 2, r.bottom() - 2);
        outline.lineTo(r.right(), 0);
        p.fillPath(outline, selected ? pal.color(QPalette::Window) : pal.color(QPalette::Midlight));
        p.setPen(pal.color(QPalette::Shadow));
        p.drawPath(outline);
        if (selected) {
            p.setPen(pal.color(QPalette::Window));
            p.drawLine(r.left() + 1, 0, r.right() - 1, 0);
        }
        p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        const QRect text(r.left(), r.top() + 3, r.width(), fontMetrics().height());
        p.drawText(text, Qt::AlignHCenter | Qt::AlignTop, tabText(i));
        if (selected && hasFocus())
            DrawPatternFrame(p, QRect(r.left() + 4, r.top() + 2, r.width() - 8, r.height() - 5), pattern_);
    }
}

void TZAKTabSet::keyPressEvent(QKeyEvent* event) {
    int target = currentIndex();
    switch (event->key()) {
    case Qt::Key_Home:
    case Qt::Key_PageUp:
        target = 0;
        break;
    case Qt::Key_End:
    case Qt::Key_PageDown:
        target = count() - 1;
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        target = currentIndex() - 1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        target = currentIndex() + 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    ChooseTab(target);
    event->accept();
}

void TZAKTabSet::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    for (int i = 0; i < count(); ++i) {
        if (!TabArea(i).contains(event->position().toPoint())) continue;
        if (ChooseTab(i) && focusOnNewTab_) setFocus(Qt::MouseFocusReason);
        break;
    }
    event->accept();
}

void TZAKTabSet::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void TZAKTabSet::wheelEvent(QWheelEvent* event) {
    event->ignore(); // a turned wheel never changes the page
}

void TZAKTabSet::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TZAKTabSet::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TZAKTabSet::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) RebuildPattern();
    QTabBar::changeEvent(event);
}

} // namespace k730
