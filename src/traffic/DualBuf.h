// TDualBuf: one traffic buffer in the viewer window — its header (label that
// flashes red on new records, capture switch) and its two views, hexadecimal
// and characters, over one scroll bar and one cursor. The scroll bar counts
// the lines of the main view; the other view starts at the same byte.
#pragma once

#include "traffic/BufLines.h"

#include <QWidget>

class QLabel;
class QScrollBar;
class QToolButton;

namespace k730 {

class TBufView;
class TTrafficViewer;

class TDualBuf : public QWidget {
    Q_OBJECT
public:
    TDualBuf(TTrafficViewer& viewer, int buffer, const QString& label, QWidget* parent = nullptr);

    int Buffer() const { return buffer_; }
    TBufView* HexView() const { return hex_; }
    TBufView* CharsView() const { return chars_; }
    // The view cursor, selection and copying work on.
    TBufView* MainView() const;
    QToolButton* CaptureButton() const { return capture_; }
    QLabel* Label() const { return label_; }

    // Which views are shown (bit 0 hexadecimal, bit 1 characters).
    void SetViews(uint8_t views);
    void SetFlash(bool on);

    // --- shared by the two views ------------------------------------------------
    uint64_t Top() const { return top_; }
    const TBufLines& Lines() const { return lines_; }
    void ScrollLines(int64_t lines);
    // Scrolls so that byte `pos` is on the page.
    void EnsureVisible(uint64_t pos);
    // New records: the index grows, and a page that showed the end follows it.
    void RecordsAdded();
    // The buffer was emptied or its look changed: everything is laid out again.
    void Relayout();
    void ScrollToEnd();
    void ScrollToStart();
    void Repaint();

signals:
    void CursorMoved(int buffer);
    void FocusTaken(int buffer);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Both views shown: widths that give both the same bytes a line.
    void SplitViews();
    void ColumnsChanged();
    void UpdateScrollBar();
    void ScrollBarMoved(int value);
    int PageLines() const;

    TTrafficViewer& viewer_;
    const int buffer_;
    QLabel* label_ = nullptr;
    QToolButton* capture_ = nullptr;
    TBufView* hex_ = nullptr;
    TBufView* chars_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QWidget* filler_ = nullptr; // takes the width left over beside two views
    TBufLines lines_;           // lines of the main view
    uint64_t top_ = 0;          // first byte of the top line of the main view
    bool following_ = true;     // the page shows the end and follows new records
    bool updatingScroll_ = false;
    bool stamped_ = false; // the main view has its time column
};

} // namespace k730
