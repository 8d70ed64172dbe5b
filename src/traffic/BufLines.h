// The geometry of a buffer view: how many bytes a line holds, which line a
// byte falls on (every record starts a line of its own) and the rows that
// fill a page, the cursor moves and the mouse-selection auto-scroll. A
// line index per buffer keeps "which line is byte p on" and "where does line
// n start" at a binary search, so that a million records scroll as fast as ten.
#pragma once

#include "traffic/TrafficBuffers.h"

#include <cstdint>
#include <vector>

namespace k730 {

// Bytes per line of a view of `width` pixels with character cells `charWidth`
// wide: three cells a byte in the hexadecimal view, one in the characters view.
int HexColumns(int width, int charWidth);
int CharColumns(int width, int charWidth);
int LinesPerPage(int height, int lineHeight);
// Side by side in `width` pixels (a time column of `gutter` pixels before the
// hexadecimal view): the most bytes a line both views can show, so that their
// rows stay level, and the two widths that give exactly that many.
struct TViewSplit {
    int columns = 1;
    int hexWidth = 0;
    int charsWidth = 0;
};
TViewSplit SplitViews(int width, int gutter, int charWidth);
// Lines to scroll while the mouse selects `distance` pixels above or below the
// view: 2^(k-1) for a distance of k lines (a started line counts), at most 2^15.
int AutoScrollLines(int distance, int lineHeight);

// First byte of the line holding `pos`; the end position belongs to the last line.
uint64_t LineStartOf(const TTrafficBuffer& buffer, int columns, uint64_t pos);

struct TRow {
    size_t record = 0;  // index in the buffer
    uint64_t start = 0; // first byte of the row
    uint32_t count = 0; // bytes on the row
};
// Up to `lines` rows from the line holding `top`.
std::vector<TRow> RowsFrom(const TTrafficBuffer& buffer, int columns, uint64_t top, int lines);

enum TCursorMove {
    cmLeft,
    cmRight,
    cmUp,
    cmDown,
    cmPageUp,
    cmPageDown,
    cmLineStart,
    cmLineEnd,
    cmBufferStart,
    cmBufferEnd
};
// The cursor runs from 0 to the end position (one past the last byte); up and
// down keep the column where the line is long enough.
uint64_t MoveCursor(const TTrafficBuffer& buffer, int columns, uint64_t pos, TCursorMove move, int pageLines);

// Line numbers of one buffer at one column count, extended as records arrive.
class TBufLines {
public:
    int Columns() const { return columns_; }
    // A new column count forgets the index.
    void SetColumns(int columns);
    void Reset();
    // Indexes the records added since the last call; starts over when the
    // buffer was cleared or cut meanwhile.
    void Sync(const TTrafficBuffer& buffer);

    uint64_t LineCount() const { return lineEnds_.empty() ? 0 : lineEnds_.back(); }
    size_t MemoryBytes() const { return lineEnds_.capacity() * sizeof(uint32_t); }
    // Line of byte `pos` (the end position is on the last line).
    uint64_t LineOf(const TTrafficBuffer& buffer, uint64_t pos) const;
    // First byte of line `line`; past the last line, the last line's.
    uint64_t PosOfLine(const TTrafficBuffer& buffer, uint64_t line) const;
    // The top position that shows the last page.
    uint64_t EndTop(const TTrafficBuffer& buffer, int pageLines) const;
    bool ShowsEnd(const TTrafficBuffer& buffer, uint64_t top, int pageLines) const;

private:
    int columns_ = 1;
    std::vector<uint32_t> lineEnds_; // lines of the records up to and including each one
    uint32_t lastEnd_ = 0;           // end offset and number of the last indexed record,
    uint32_t lastSequence_ = 0;      // to notice a buffer that was emptied meanwhile
};

} // namespace k730
