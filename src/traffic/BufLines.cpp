#include "traffic/BufLines.h"

#include <algorithm>

namespace k730 {
namespace {

uint64_t LinesOf(uint32_t size, int columns) {
    return (uint64_t{size} + static_cast<uint64_t>(columns) - 1) / static_cast<uint64_t>(columns);
}

// Bytes on the line starting at `start`.
uint64_t LineLength(const TTrafficBuffer& buffer, int columns, uint64_t start) {
    const size_t r = buffer.IndexAtOffset(start);
    if (r >= buffer.Count()) return 0;
    return std::min<uint64_t>(static_cast<uint64_t>(columns), buffer.Record(r).endOffset - start);
}

uint64_t LineUp(const TTrafficBuffer& buffer, int columns, uint64_t pos) {
    const uint64_t start = LineStartOf(buffer, columns, pos);
    if (start == 0) return pos;
    const uint64_t column = pos - start;
    const uint64_t previous = LineStartOf(buffer, columns, start - 1);
    return previous + std::min(column, LineLength(buffer, columns, previous) - 1);
}

uint64_t LineDown(const TTrafficBuffer& buffer, int columns, uint64_t pos) {
    const uint64_t total = buffer.TotalBytes();
    if (pos >= total) return total;
    const uint64_t start = LineStartOf(buffer, columns, pos);
    const uint64_t next = start + LineLength(buffer, columns, start);
    if (next >= total) return total;
    return next + std::min(pos - start, LineLength(buffer, columns, next) - 1);
}

} // namespace

int HexColumns(int width, int charWidth) {
    if (charWidth <= 0) return 1;
    return std::max(1, (width + charWidth - 2) / (3 * charWidth));
}

int CharColumns(int width, int charWidth) {
    if (charWidth <= 0) return 1;
    return std::max(1, (width - 2) / charWidth);
}

int LinesPerPage(int height, int lineHeight) {
    if (lineHeight <= 0) return 1;
    return std::max(1, height / lineHeight);
}

TViewSplit SplitViews(int width, int gutter, int charWidth) {
    TViewSplit split;
    if (charWidth <= 0) return split;
    // Hexadecimal: gutter + 3wc + 2 pixels, the last byte's blank kept to part
    // the views; characters: wc + 2.
    split.columns = std::max(1, (width - gutter - 4) / (4 * charWidth));
    split.hexWidth = gutter + 3 * charWidth * split.columns + 2;
    split.charsWidth = charWidth * split.columns + 2;
    return split;
}

int AutoScrollLines(int distance, int lineHeight) {
    if (distance <= 0 || lineHeight <= 0) return 0;
    const int k = (distance + lineHeight - 1) / lineHeight;
    return k > 16 ? 1 << 15 : 1 << (k - 1);
}

uint64_t LineStartOf(const TTrafficBuffer& buffer, int columns, uint64_t pos) {
    if (buffer.Empty()) return 0;
    const uint64_t total = buffer.TotalBytes();
    if (pos >= total) pos = total - 1;
    const uint64_t start = buffer.StartOf(buffer.IndexAtOffset(pos));
    return start + (pos - start) / static_cast<uint64_t>(columns) * static_cast<uint64_t>(columns);
}

std::vector<TRow> RowsFrom(const TTrafficBuffer& buffer, int columns, uint64_t top, int lines) {
    std::vector<TRow> rows;
    if (buffer.Empty() || lines <= 0) return rows;
    rows.reserve(std::min<size_t>(static_cast<size_t>(lines), 256)); // a page; more only when asked
    uint64_t start = LineStartOf(buffer, columns, top);
    size_t r = buffer.IndexAtOffset(start);
    while (r < buffer.Count() && rows.size() < static_cast<size_t>(lines)) {
        const uint64_t end = buffer.Record(r).endOffset;
        if (start >= end) { // an empty record (only a loaded file has one) takes no line
            ++r;
            continue;
        }
        const auto count =
            static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(columns), end - start));
        rows.push_back({r, start, count});
        start += count;
        if (start >= end) ++r;
    }
    return rows;
}

uint64_t MoveCursor(const TTrafficBuffer& buffer, int columns, uint64_t pos, TCursorMove move,
                    int pageLines) {
    const uint64_t total = buffer.TotalBytes();
    pos = std::min(pos, total);
    switch (move) {
    case cmLeft:
        return pos == 0 ? 0 : pos - 1;
    case cmRight:
        return std::min(pos + 1, total);
    case cmUp:
        return LineUp(buffer, columns, pos);
    case cmDown:
        return LineDown(buffer, columns, pos);
    case cmPageUp:
        for (int i = 0; i < pageLines; ++i)
            pos = LineUp(buffer, columns, pos);
        return pos;
    case cmPageDown:
        for (int i = 0; i < pageLines && pos < total; ++i)
            pos = LineDown(buffer, columns, pos);
        return pos;
    case cmLineStart:
        return pos >= total ? pos : LineStartOf(buffer, columns, pos);
    case cmLineEnd: {
        if (pos >= total) return pos;
        const uint64_t start = LineStartOf(buffer, columns, pos);
        return start + LineLength(buffer, columns, start) - 1;
    }
    case cmBufferStart:
        return 0;
    case cmBufferEnd:
        return total;
    }
    return pos;
}

void TBufLines::SetColumns(int columns) {
    columns = std::max(1, columns);
    if (columns == columns_) return;
    columns_ = columns;
    Reset();
}

void TBufLines::Reset() {
    lineEnds_.clear();
    lastEnd_ = lastSequence_ = 0;
}

void TBufLines::Sync(const TTrafficBuffer& buffer) {
    const size_t indexed = lineEnds_.size();
    const bool stale =
        indexed > buffer.Count() || (indexed != 0 && (buffer.Record(indexed - 1).endOffset != lastEnd_ ||
                                                      buffer.Record(indexed - 1).sequence != lastSequence_));
    if (stale) Reset();
    uint64_t lines = LineCount();
    lineEnds_.reserve(buffer.Count());
    for (size_t r = lineEnds_.size(); r < buffer.Count(); ++r) {
        lines += LinesOf(buffer.Record(r).size, columns_);
        lineEnds_.push_back(static_cast<uint32_t>(std::min<uint64_t>(lines, UINT32_MAX)));
    }
    if (!lineEnds_.empty()) {
        lastEnd_ = buffer.Record(lineEnds_.size() - 1).endOffset;
        lastSequence_ = buffer.Record(lineEnds_.size() - 1).sequence;
    }
}

uint64_t TBufLines::LineOf(const TTrafficBuffer& buffer, uint64_t pos) const {
    if (lineEnds_.empty() || buffer.Empty()) return 0;
    const uint64_t total = buffer.TotalBytes();
    if (pos >= total) pos = total - 1;
    const size_t r = std::min(buffer.IndexAtOffset(pos), lineEnds_.size() - 1);
    const uint64_t before = r == 0 ? 0 : lineEnds_[r - 1];
    return before + (pos - buffer.StartOf(r)) / static_cast<uint64_t>(columns_);
}

uint64_t TBufLines::PosOfLine(const TTrafficBuffer& buffer, uint64_t line) const {
    if (lineEnds_.empty()) return 0;
    line = std::min(line, LineCount() - 1);
    const auto it = std::upper_bound(lineEnds_.begin(), lineEnds_.end(), line);
    const auto r = static_cast<size_t>(it - lineEnds_.begin());
    const uint64_t before = r == 0 ? 0 : lineEnds_[r - 1];
    return buffer.StartOf(r) + (line - before) * static_cast<uint64_t>(columns_);
}

uint64_t TBufLines::EndTop(const TTrafficBuffer& buffer, int pageLines) const {
    const uint64_t count = LineCount();
    const auto page = static_cast<uint64_t>(std::max(1, pageLines));
    return PosOfLine(buffer, count > page ? count - page : 0);
}

bool TBufLines::ShowsEnd(const TTrafficBuffer& buffer, uint64_t top, int pageLines) const {
    return LineOf(buffer, top) + static_cast<uint64_t>(std::max(1, pageLines)) >= LineCount();
}

} // namespace k730
