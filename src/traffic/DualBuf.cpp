#include "traffic/DualBuf.h"

#include "traffic/BufView.h"
#include "traffic/TrafficViewer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace k730 {
namespace {

// A round red mark: the capture switch of a buffer.
QIcon CaptureIcon() {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0xD0, 0x20, 0x20));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 10, 10);
    return QIcon(pixmap);
}

constexpr int BODY_SPACING = 2;

int ClampToInt(uint64_t value) {
    return static_cast<int>(
        std::min<uint64_t>(value, static_cast<uint64_t>(std::numeric_limits<int>::max())));
}

} // namespace

TDualBuf::TDualBuf(TTrafficViewer& viewer, int buffer, const QString& label, QWidget* parent)
    : QWidget(parent), viewer_(viewer), buffer_(buffer) {
    static const char* names[] = {"In", "Frame", "Out"};
    const QString suffix = QString::fromLatin1(names[buffer]);
    setObjectName("Panel" + suffix);

    label_ = new QLabel(label, this);
    label_->setObjectName("Label" + suffix);
    label_->setAccessibleName(label);
    capture_ = new QToolButton(this);
    capture_->setObjectName("BtnCapture" + suffix);
    capture_->setCheckable(true);
    capture_->setChecked(true);
    capture_->setAutoRaise(true);
    capture_->setIcon(CaptureIcon());

    hex_ = new TBufView(*this, viewer, buffer, bvHex, this);
    hex_->setObjectName("BufHex" + suffix);
    hex_->setAccessibleName(label + " hex");
    chars_ = new TBufView(*this, viewer, buffer, bvChars, this);
    chars_->setObjectName("BufChars" + suffix);
    chars_->setAccessibleName(label + " ASCII");
    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName("Scroll" + suffix);
    scroll_->setAccessibleName(label);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(2, 0, 2, 0);
    header->addWidget(capture_);
    header->addWidget(label_);
    header->addStretch(1);
    auto* body = new QHBoxLayout;
    body->setSpacing(BODY_SPACING);
    filler_ = new QWidget(this);
    body->addWidget(hex_, 1);
    body->addWidget(chars_, 1);
    body->addWidget(filler_, 1);
    body->addWidget(scroll_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(1);
    column->addLayout(header);
    column->addLayout(body, 1);

    for (TBufView* view : {hex_, chars_}) {
        connect(view, &TBufView::ColumnsChanged, this, &TDualBuf::ColumnsChanged);
        connect(view, &TBufView::CursorMoved, this, [this] {
            Repaint();
            emit CursorMoved(buffer_);
        });
        connect(view, &TBufView::FocusTaken, this, &TDualBuf::FocusTaken);
    }
    connect(scroll_, &QScrollBar::valueChanged, this, &TDualBuf::ScrollBarMoved);
    SetViews(vwBoth);
}

TBufView* TDualBuf::MainView() const {
    return hex_->isHidden() && !chars_->isHidden() ? chars_ : hex_;
}

void TDualBuf::SetViews(uint8_t views) {
    hex_->setVisible(views & vwHex);
    chars_->setVisible(views & vwChars);
    hex_->SetMain(MainView() == hex_);
    chars_->SetMain(MainView() == chars_);
    SplitViews();
    Relayout();
}

void TDualBuf::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SplitViews();
}

void TDualBuf::SplitViews() {
    const bool both = !hex_->isHidden() && !chars_->isHidden();
    filler_->setVisible(both);
    if (!both) {
        for (TBufView* view : {hex_, chars_}) {
            view->setMinimumWidth(0);
            view->setMaximumWidth(QWIDGETSIZE_MAX);
        }
        return;
    }
    const int width = this->width() - scroll_->sizeHint().width() - 3 * BODY_SPACING;
    const TViewSplit split = k730::SplitViews(width, hex_->GutterWidth(), hex_->CharWidth());
    hex_->setFixedWidth(split.hexWidth);
    chars_->setFixedWidth(split.charsWidth);
}

void TDualBuf::SetFlash(bool on) {
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText,
                     on ? QColor(Qt::red) : this->palette().color(QPalette::WindowText));
    label_->setPalette(palette);
}

int TDualBuf::PageLines() const {
    return MainView()->PageLines();
}

void TDualBuf::ColumnsChanged() {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    const uint64_t keep = top_;
    lines_.SetColumns(MainView()->Columns());
    lines_.Sync(b);
    top_ = following_ ? lines_.EndTop(b, PageLines()) : LineStartOf(b, lines_.Columns(), keep);
    UpdateScrollBar();
    Repaint();
}

void TDualBuf::Relayout() {
    lines_.Reset();
    for (TBufView* view : {hex_, chars_})
        view->UpdateMetrics();
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    if (b.Empty()) {
        top_ = 0;
        following_ = true;
    }
    if (b.AnyStamped() != stamped_) {
        stamped_ = b.AnyStamped();
        SplitViews();
    }
    ColumnsChanged();
}

void TDualBuf::RecordsAdded() {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    // The first time stamp makes room for the time column.
    if (b.AnyStamped() != stamped_) {
        stamped_ = b.AnyStamped();
        SplitViews();
    }
    if (MainView()->UpdateMetrics()) return ColumnsChanged();
    lines_.Sync(b);
    if (following_) top_ = lines_.EndTop(b, PageLines());
    UpdateScrollBar();
    Repaint();
}

void TDualBuf::ScrollToEnd() {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    top_ = lines_.EndTop(b, PageLines());
    following_ = true;
    UpdateScrollBar();
    Repaint();
}

void TDualBuf::ScrollToStart() {
    top_ = 0;
    following_ = lines_.ShowsEnd(viewer_.Buffers().Buffer(buffer_), 0, PageLines());
    UpdateScrollBar();
    Repaint();
}

void TDualBuf::ScrollLines(int64_t lines) {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    const int64_t line = static_cast<int64_t>(lines_.LineOf(b, top_)) + lines;
    const uint64_t last = lines_.LineOf(b, lines_.EndTop(b, PageLines()));
    top_ =
        lines_.PosOfLine(b, static_cast<uint64_t>(std::clamp<int64_t>(line, 0, static_cast<int64_t>(last))));
    following_ = lines_.ShowsEnd(b, top_, PageLines());
    UpdateScrollBar();
    Repaint();
}

void TDualBuf::EnsureVisible(uint64_t pos) {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    const uint64_t line = lines_.LineOf(b, pos);
    const uint64_t topLine = lines_.LineOf(b, top_);
    const auto page = static_cast<uint64_t>(PageLines());
    if (line < topLine)
        ScrollLines(static_cast<int64_t>(line) - static_cast<int64_t>(topLine));
    else if (line >= topLine + page)
        ScrollLines(static_cast<int64_t>(line - topLine - page + 1));
}

void TDualBuf::UpdateScrollBar() {
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    updatingScroll_ = true;
    const uint64_t count = lines_.LineCount();
    const auto page = static_cast<uint64_t>(PageLines());
    scroll_->setRange(0, ClampToInt(count > page ? count - page : 0));
    scroll_->setPageStep(ClampToInt(page));
    scroll_->setValue(ClampToInt(lines_.LineOf(b, top_)));
    updatingScroll_ = false;
}

void TDualBuf::ScrollBarMoved(int value) {
    if (updatingScroll_) return;
    const TTrafficBuffer& b = viewer_.Buffers().Buffer(buffer_);
    top_ = lines_.PosOfLine(b, static_cast<uint64_t>(value));
    following_ = lines_.ShowsEnd(b, top_, PageLines());
    Repaint();
}

void TDualBuf::Repaint() {
    hex_->update();
    chars_->update();
}

} // namespace k730
