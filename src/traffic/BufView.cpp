#include "traffic/BufView.h"

#include "traffic/DualBuf.h"
#include "traffic/FrameMarks.h"
#include "traffic/TrafficViewer.h"
#include "ui/LocaleSeparator.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>

#include <array>

namespace k730 {
namespace {

// Cells of the time column: "99999,999" and a blank.
constexpr int GUTTER_CELLS = 10;
constexpr int AUTO_SCROLL_MS = 100;

const std::array<QString, 256>& HexCells() {
    static const std::array<QString, 256> cells = [] {
        std::array<QString, 256> c;
        for (int b = 0; b < 256; ++b)
            c[static_cast<size_t>(b)] = QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        return c;
    }();
    return cells;
}

const std::array<QString, 256>& CharCells() {
    static const std::array<QString, 256> cells = [] {
        std::array<QString, 256> c;
        for (int b = 0; b < 256; ++b)
            c[static_cast<size_t>(b)] = QString::fromStdString(CharCellText(static_cast<uint8_t>(b)));
        return c;
    }();
    return cells;
}

QColor Colour(uint32_t rgb, const QPalette& palette) {
    if (rgb == COLOR_WINDOW) return palette.color(QPalette::Base);
    if (rgb == COLOR_WINDOW_TEXT) return palette.color(QPalette::Text);
    return QColor::fromRgb(rgb);
}

TCursorMove MoveFor(int key, bool ctrl) {
    switch (key) {
    case Qt::Key_Left:
        return cmLeft;
    case Qt::Key_Right:
        return cmRight;
    case Qt::Key_Up:
        return cmUp;
    case Qt::Key_Down:
        return cmDown;
    case Qt::Key_PageUp:
        return cmPageUp;
    case Qt::Key_PageDown:
        return cmPageDown;
    case Qt::Key_Home:
        return ctrl ? cmBufferStart : cmLineStart;
    default:
        return ctrl ? cmBufferEnd : cmLineEnd;
    }
}

} // namespace

TBufView::TBufView(TDualBuf& owner, TTrafficViewer& viewer, int buffer, TBufViewKind kind, QWidget* parent)
    : QWidget(parent), owner_(owner), viewer_(viewer), buffer_(buffer), kind_(kind) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(40, 20);
    setToolTip(QString::fromUtf8("Pierwszy rekord <Crtl>+<Left>, ostatni rekord <Crtl>+<Right>\n"
                                 "Poprzedni rekord <Crtl>+<Up>, następny rekord <Crtl>+<Down>"));
    autoScroll_.setInterval(AUTO_SCROLL_MS);
    connect(&autoScroll_, &QTimer::timeout, this, &TBufView::AutoScroll);
    UpdateMetrics();
}

void TBufView::SetMain(bool main) {
    main_ = main;
    if (UpdateMetrics()) emit ColumnsChanged();
}

int TBufView::CellWidth() const {
    return kind_ == bvHex ? 3 * charWidth_ : charWidth_;
}

int TBufView::GutterWidth() const {
    return main_ && viewer_.Buffers().Buffer(buffer_).AnyStamped() ? GUTTER_CELLS * charWidth_ : 0;
}

bool TBufView::UpdateMetrics() {
    const QFontMetrics fm(font());
    charWidth_ = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    lineHeight_ = std::max(1, fm.height());
    ascent_ = fm.ascent();
    const int width = this->width() - GutterWidth();
    const int columns = kind_ == bvHex ? HexColumns(width, charWidth_) : CharColumns(width, charWidth_);
    pageLines_ = LinesPerPage(height(), lineHeight_);
    const bool changed = columns != columns_;
    columns_ = columns;
    return changed;
}

void TBufView::resizeEvent(QResizeEvent*) {
    if (UpdateMetrics()) emit ColumnsChanged();
}

// --- drawing ------------------------------------------------------------------------

void TBufView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Base));
    p.setFont(font());
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    const std::vector<TRow> rows = RowsFrom(b, columns_, owner_.Top(), pageLines_ + 1);
    const TFrameMode mode = FrameModeOf(viewer_.Settings(), buffer_);
    const auto selection = viewer_.Selection(buffer_);
    size_t marked = SIZE_MAX;
    TRecordMarks marks;
    for (size_t i = 0; i < rows.size(); ++i) {
        const TRow& row = rows[i];
        if (row.record != marked) {
            marks = MarkRecord(b.Bytes(row.record), row.record, mode);
            marked = row.record;
        }
        const int y = static_cast<int>(i) * lineHeight_;
        PaintRow(p, row, y, marks, selection);
        if (GutterWidth() != 0 && row.start == b.StartOf(row.record)) PaintStamp(p, row, y);
    }
    PaintCaret(p, rows);
}

void TBufView::PaintRow(QPainter& p, const TRow& row, int y, const TRecordMarks& marks,
                        std::pair<uint64_t, uint64_t> selection) const {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    const uint64_t recordStart = b.StartOf(row.record);
    const auto bytes = b.Data().subspan(row.start, row.count);
    const auto& cells = kind_ == bvHex ? HexCells() : CharCells();
    const int cell = CellWidth();
    const int textCells = kind_ == bvHex ? 2 : 1;
    const int x0 = 1 + GutterWidth();
    const QPalette& pal = palette();
    for (uint32_t k = 0; k < row.count; ++k) {
        const uint64_t pos = row.start + k;
        TCellColors c = CellColors(marks, pos - recordStart);
        QColor back = Colour(c.back, pal);
        QColor text = Colour(c.text, pal);
        if (pos >= selection.first && pos < selection.second) {
            back = pal.color(QPalette::Highlight);
            text = pal.color(QPalette::HighlightedText);
        }
        const int x = x0 + static_cast<int>(k) * cell;
        if (back != pal.color(QPalette::Base)) {
            // The blank after a byte takes its colour when the next byte has the same, so bands stay whole.
            const bool joined = k + 1 < row.count && kind_ == bvHex &&
                                (pos + 1 < selection.second && pos + 1 >= selection.first
                                     ? pos >= selection.first
                                     : CellColors(marks, pos + 1 - recordStart) == c);
            p.fillRect(x, y, joined ? cell : textCells * charWidth_, lineHeight_, back);
        }
        p.setPen(text);
        p.drawText(x, y + ascent_, cells[bytes[k]]);
    }
}

void TBufView::PaintStamp(QPainter& p, const TRow& row, int y) const {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    const TStamp stamp = b.Stamp(row.record);
    const TStamp first = viewer_.Buffers().FirstStamp();
    if (stamp == NO_STAMP || first == NO_STAMP) return;
    const QString text = QString::fromStdString(SecondsText(stamp - first, LocaleDecimalSeparator()));
    p.setPen(palette().color(QPalette::PlaceholderText));
    p.drawText(QRect(0, y, GutterWidth() - charWidth_, lineHeight_), Qt::AlignRight | Qt::AlignVCenter, text);
}

QPoint TBufView::CellOf(uint64_t pos, const std::vector<TRow>& rows) const {
    const uint64_t total = viewer_.Buffers().Buffer(buffer_).TotalBytes();
    for (size_t i = 0; i < rows.size(); ++i) {
        const TRow& r = rows[i];
        const bool last = r.start + r.count == total;
        if (pos >= r.start && (pos < r.start + r.count || (last && pos == total)))
            return {static_cast<int>(pos - r.start), static_cast<int>(i)};
    }
    return {-1, -1};
}

// The block caret stands on the cursor byte; past the last byte it is a bar.
void TBufView::PaintCaret(QPainter& p, const std::vector<TRow>& rows) const {
    const uint64_t pos = viewer_.Cursor(buffer_).pos;
    const uint64_t total = viewer_.Buffers().Buffer(buffer_).TotalBytes();
    QPoint cell = CellOf(pos, rows);
    if (rows.empty() && pos == 0) cell = {0, 0};
    if (cell.y() < 0) return;
    const int x = 1 + GutterWidth() + cell.x() * CellWidth();
    const int y = cell.y() * lineHeight_;
    const QColor colour = palette().color(QPalette::Text);
    if (pos >= total) {
        p.fillRect(std::min(x, width() - 2), y, 2, lineHeight_, colour);
        return;
    }
    const int w = (kind_ == bvHex ? 2 : 1) * charWidth_;
    if (hasFocus()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(x, y, w, lineHeight_, Qt::white);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        p.setPen(colour);
        p.drawRect(x, y, w - 1, lineHeight_ - 1);
    }
}

// --- keys and mouse -------------------------------------------------------------------

uint64_t TBufView::PosAt(QPoint point) const {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    const std::vector<TRow> rows = RowsFrom(b, columns_, owner_.Top(), pageLines_ + 1);
    if (rows.empty()) return b.TotalBytes();
    const int line = std::max(0, point.y()) / lineHeight_;
    if (line >= static_cast<int>(rows.size())) return b.TotalBytes();
    const TRow& row = rows[static_cast<size_t>(line)];
    const int column = std::max(0, point.x() - 1 - GutterWidth()) / CellWidth();
    return row.start + std::min<uint64_t>(static_cast<uint64_t>(column), row.count - 1);
}

void TBufView::MoveTo(uint64_t pos, bool extend) {
    viewer_.SetFocus(buffer_);
    viewer_.SetCursor(buffer_, pos, extend);
    owner_.EnsureVisible(viewer_.Cursor(buffer_).pos);
    emit CursorMoved();
}

void TBufView::keyPressEvent(QKeyEvent* event) {
    static constexpr int keys[] = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,   Qt::Key_Down,
                                   Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int key = event->key();
    const bool cursorKey = std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
    // Ctrl with the arrows jumps between records: the window's shortcuts take those.
    const bool arrow =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    if (!cursorKey || (ctrl && arrow)) return QWidget::keyPressEvent(event);
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    MoveTo(MoveCursor(b, columns_, viewer_.Cursor(buffer_).pos, MoveFor(key, ctrl), pageLines_),
           event->modifiers() & Qt::ShiftModifier);
}

void TBufView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    MoveTo(PosAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    autoScroll_.start();
}

void TBufView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    if (at.y() >= 0 && at.y() < height()) MoveTo(PosAt(at), true);
}

void TBufView::mouseReleaseEvent(QMouseEvent*) {
    autoScroll_.stop();
}

// While the button is held with the pointer above or below the view, the page
// runs faster the further away the pointer is.
void TBufView::AutoScroll() {
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton)) return autoScroll_.stop();
    const QPoint at = mapFromGlobal(QCursor::pos());
    const int distance = at.y() < 0 ? -at.y() : at.y() - height() + 1;
    const int lines = AutoScrollLines(distance, lineHeight_);
    if (lines == 0) return;
    owner_.ScrollLines(at.y() < 0 ? -lines : lines);
    const int y = at.y() < 0 ? 0 : (pageLines_ - 1) * lineHeight_;
    MoveTo(PosAt({at.x(), y}), true);
}

void TBufView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 40; // three lines a notch
    if (steps != 0) owner_.ScrollLines(-steps);
}

void TBufView::focusInEvent(QFocusEvent* event) {
    viewer_.SetFocus(buffer_);
    emit FocusTaken(buffer_);
    QWidget::focusInEvent(event);
    update();
}

void TBufView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

} // namespace k730
