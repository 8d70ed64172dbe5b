// TBufView: one view over one traffic buffer, hexadecimal or characters. It
// draws only the rows on screen, straight from the buffer (no item per
// record), colours the bytes by the buffer's frame recognition mode, shows
// the shared cursor and selection and turns keys and the mouse into cursor
// moves. Its TDualBuf owns the scroll position both views share.
#pragma once

#include "traffic/BufLines.h"

#include <QTimer>
#include <QWidget>

namespace k730 {

class TDualBuf;
class TTrafficViewer;

enum TBufViewKind { bvHex = 0, bvChars = 1 };

class TBufView : public QWidget {
    Q_OBJECT
public:
    TBufView(TDualBuf& owner, TTrafficViewer& viewer, int buffer, TBufViewKind kind,
             QWidget* parent = nullptr);

    TBufViewKind Kind() const { return kind_; }
    int Columns() const { return columns_; }
    int PageLines() const { return pageLines_; }
    int LineHeight() const { return lineHeight_; }
    int CharWidth() const { return charWidth_; }
    int GutterWidth() const; // the time column, 0 without one
    // The main view of a buffer (cursor keys, selection, time stamps) lays
    // out a time column when the buffer holds stamped records.
    void SetMain(bool main);
    // Recomputes columns and lines per page; true when the columns changed.
    bool UpdateMetrics();
    // The byte position under a point (the end position below the last row).
    uint64_t PosAt(QPoint point) const;

signals:
    void CursorMoved();
    void FocusTaken(int buffer);
    void ColumnsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int CellWidth() const; // pixels a byte takes on a row
    QPoint CellOf(uint64_t pos, const std::vector<TRow>& rows) const;
    void PaintRow(QPainter& p, const TRow& row, int y, const struct TRecordMarks& marks,
                  std::pair<uint64_t, uint64_t> selection) const;
    void PaintStamp(QPainter& p, const TRow& row, int y) const;
    void PaintCaret(QPainter& p, const std::vector<TRow>& rows) const;
    void MoveTo(uint64_t pos, bool extend);
    void AutoScroll();

    TDualBuf& owner_;
    TTrafficViewer& viewer_;
    const int buffer_;
    const TBufViewKind kind_;
    bool main_ = false;
    int charWidth_ = 8;
    int lineHeight_ = 16;
    int ascent_ = 12;
    int columns_ = 1;
    int pageLines_ = 1;
    QTimer autoScroll_; // while the mouse selects beyond the top or bottom
};

} // namespace k730
