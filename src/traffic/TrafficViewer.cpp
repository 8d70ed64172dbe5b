#include "traffic/TrafficViewer.h"

#include <algorithm>

namespace k730 {
namespace {

constexpr std::string_view LABELS_PL[] = {"Bufor odbiorczy:", "Bufor poprawnych ramek:", "Bufor nadawczy:"};
constexpr std::string_view LABELS_EN[] = {"Receive buffer:", "Frames OK:", "Send buffer:"};

// Test blocks are 5 to 255 bytes long.
constexpr int PATTERN_MIN = 5;
constexpr int PATTERN_MAX = 255;

} // namespace

std::string_view BufferLabel(int buffer, bool polishLocale) {
    if (buffer < 0 || buffer >= TRAFFIC_BUFFER_COUNT) return {};
    return (polishLocale ? LABELS_PL : LABELS_EN)[buffer];
}

std::string ViewerTitle(const std::string& portName, bool portChosen) {
    std::string title = "Bufor portu komunikacji";
    if (portChosen && !portName.empty()) title += " - " + portName;
    return title;
}

std::string HexText(std::span<const uint8_t> bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) s += ' ';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

TTrafficViewer::TTrafficViewer(uint32_t settings, uint32_t seed) : settings_(settings), random_(seed) {
    ApplySettings(settings);
}

// --- recording ---------------------------------------------------------------------

bool TTrafficViewer::Feed(int buffer, std::span<const uint8_t> bytes, TStamp stamp, uint64_t nowMs) {
    const uint64_t end =
        buffer >= 0 && buffer < TRAFFIC_BUFFER_COUNT ? buffers_.Buffer(buffer).TotalBytes() : 0;
    if (!buffers_.RecordBlock(buffer, bytes, stamp)) return false;
    flashUntil_[static_cast<size_t>(buffer)] = nowMs + FLASH_MS;
    // A cursor waiting past the last byte stays there, behind the new record.
    TBufCursor& c = cursors_[static_cast<size_t>(buffer)];
    if (c.pos == end && c.anchor == end) c.pos = c.anchor = buffers_.Buffer(buffer).TotalBytes();
    return true;
}

bool TTrafficViewer::Flashing(int buffer, uint64_t nowMs) const {
    return nowMs < flashUntil_[static_cast<size_t>(buffer)];
}

bool TTrafficViewer::AnyFlashing(uint64_t nowMs) const {
    return std::any_of(flashUntil_.begin(), flashUntil_.end(),
                       [nowMs](uint64_t until) { return nowMs < until; });
}

int TTrafficViewer::AddTestPattern(int buffer, TStamp stamp, uint64_t nowMs) {
    int kept = 0;
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        if (buffer >= 0 && b != buffer) continue;
        const int length = std::uniform_int_distribution<int>(PATTERN_MIN, PATTERN_MAX)(random_);
        TBytes block(static_cast<size_t>(length));
        for (auto& byte : block)
            byte = patternCounter_++;
        if (Feed(b, block, stamp, nowMs)) ++kept;
    }
    return kept;
}

void TTrafficViewer::ClearAll() {
    buffers_.Clear();
    cursors_ = {};
    flashUntil_ = {};
}

// --- settings and cursor -------------------------------------------------------------

void TTrafficViewer::ApplySettings(uint32_t word) {
    settings_ = word;
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        buffers_.available[static_cast<size_t>(b)] = BufferShown(word, b);
    if (focus_ >= 0 && !BufferShown(word, focus_)) focus_ = -1;
    if (focus_ < 0)
        for (int b = 0; b < TRAFFIC_BUFFER_COUNT && focus_ < 0; ++b)
            if (BufferShown(word, b)) focus_ = b;
}

void TTrafficViewer::SetFocus(int buffer) {
    if (buffer >= 0 && buffer < TRAFFIC_BUFFER_COUNT && BufferShown(settings_, buffer)) focus_ = buffer;
}

void TTrafficViewer::SetCursor(int buffer, uint64_t pos, bool extend) {
    TBufCursor& c = cursors_[static_cast<size_t>(buffer)];
    c.pos = std::min(pos, buffers_.Buffer(buffer).TotalBytes());
    if (!extend) c.anchor = c.pos;
    c.anchor = std::min(c.anchor, buffers_.Buffer(buffer).TotalBytes());
}

std::pair<uint64_t, uint64_t> TTrafficViewer::Selection(int buffer) const {
    const TBufCursor& c = Cursor(buffer);
    const uint64_t total = buffers_.Buffer(buffer).TotalBytes();
    return {std::min({c.pos, c.anchor, total}), std::min(std::max(c.pos, c.anchor), total)};
}

TCursorInfo TTrafficViewer::CursorInfo() const {
    if (focus_ < 0) return {};
    return InfoAt(focus_, Cursor(focus_).pos);
}

TCursorInfo TTrafficViewer::InfoAt(int buffer, uint64_t pos) const {
    TCursorInfo info;
    const TTrafficBuffer& b = buffers_.Buffer(buffer);
    info.buffer = buffer;
    if (!BufferShown(settings_, buffer) || pos >= b.TotalBytes()) return info;
    info.onByte = true;
    info.record = b.IndexAtOffset(pos);
    const TTrafficRecord& r = b.Record(info.record);
    info.sequence = r.sequence;
    info.offset = pos;
    info.inRecord = pos - b.StartOf(info.record);
    // The received buffer is one stream, so a value may run on into the next
    // block; the frames and requests stand each on their own.
    const uint64_t end = buffer == tbReceived ? b.TotalBytes() : r.endOffset;
    const uint64_t count = std::min<uint64_t>(static_cast<uint64_t>(FloatSize()), end - pos);
    const auto data = b.Data().subspan(pos, count);
    info.bytes.assign(data.begin(), data.end());
    info.stamp = b.Stamp(info.record);
    info.answerMicros = AnswerTime(buffer, info.record);
    return info;
}

// A request and the answer that followed it: for a request the first accepted
// frame before the next request; for a frame or a received block the request
// before it. Only records with time stamps have a time.
std::optional<int64_t> TTrafficViewer::AnswerTime(int buffer, size_t record) const {
    const TTrafficBuffer& own = buffers_.Buffer(buffer);
    const TStamp stamp = own.Stamp(record);
    if (stamp == NO_STAMP) return std::nullopt;
    const uint32_t sequence = own.Record(record).sequence;
    const TTrafficBuffer& requests = buffers_.Buffer(tbTransmitted);
    if (buffer == tbTransmitted) {
        const TTrafficBuffer& frames = buffers_.Buffer(tbValidFrames);
        const size_t answer = frames.FirstAfter(sequence);
        if (answer >= frames.Count() || frames.Stamp(answer) == NO_STAMP) return std::nullopt;
        if (record + 1 < requests.Count() &&
            requests.Record(record + 1).sequence < frames.Record(answer).sequence)
            return std::nullopt; // another request went out before an answer came
        return frames.Stamp(answer) - stamp;
    }
    const size_t after = requests.FirstAfter(sequence);
    if (after == 0 || requests.Stamp(after - 1) == NO_STAMP) return std::nullopt;
    return stamp - requests.Stamp(after - 1);
}

TRecordLine TTrafficViewer::RecordLine(char decimalSeparator) const {
    const TCursorInfo info = CursorInfo();
    TRecordLine line;
    if (!info.onByte) return line;
    line.record = "Rekord: " + GroupThousands(info.sequence);
    line.offset = "Pozycja: " + GroupThousands(info.offset);
    line.inRecord = "W rekordzie: " + GroupThousands(info.inRecord);
    const TStamp first = buffers_.FirstStamp();
    if (info.stamp != NO_STAMP && first != NO_STAMP)
        line.time = "Czas: " + SecondsText(info.stamp - first, decimalSeparator) + " s";
    if (info.answerMicros)
        line.answer = "Odpowiedź po: " + MillisecondsText(*info.answerMicros, decimalSeparator) + " ms";
    return line;
}

TValuePanelTexts TTrafficViewer::PanelTexts(char decimalSeparator) const {
    const TCursorInfo info = CursorInfo();
    return ValuePanelTexts(info.bytes, bigEndian_, FloatSize(), decimalSeparator);
}

// --- navigation and clipboard --------------------------------------------------------

bool TTrafficViewer::HasShownRecords() const {
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        if (BufferShown(settings_, b) && !buffers_.Buffer(b).Empty()) return true;
    return false;
}

std::optional<TTrafficHit> TTrafficViewer::Neighbour(TGoTo where) const {
    const TCursorInfo here = CursorInfo();
    if (!here.onByte) where = where == goNext ? goFirst : where == goPrevious ? goLast : where;
    const bool forward = where == goFirst || where == goNext;
    std::optional<TTrafficHit> best;
    uint32_t bestSequence = 0;
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        const TTrafficBuffer& buffer = buffers_.Buffer(b);
        if (!BufferShown(settings_, b) || buffer.Empty()) continue;
        size_t index = 0;
        if (where == goLast)
            index = buffer.Count() - 1;
        else if (where == goNext)
            index = buffer.FirstAfter(here.sequence);
        else if (where == goPrevious) {
            const size_t after = buffer.FirstAfter(here.sequence - 1);
            if (after == 0) continue;
            index = after - 1;
        }
        if (index >= buffer.Count()) continue;
        const uint32_t s = buffer.Record(index).sequence;
        if (!best || (forward ? s < bestSequence : s > bestSequence)) {
            best = TTrafficHit{b, index};
            bestSequence = s;
        }
    }
    return best;
}

bool TTrafficViewer::Go(TGoTo where) {
    const auto hit = Neighbour(where);
    if (!hit) return false;
    focus_ = hit->buffer;
    SetCursor(hit->buffer, buffers_.Buffer(hit->buffer).StartOf(hit->index), false);
    return true;
}

std::string TTrafficViewer::SelectionHex() const {
    if (focus_ < 0) return {};
    const auto [first, last] = Selection(focus_);
    return HexText(buffers_.Buffer(focus_).Data().subspan(first, last - first));
}

std::string TTrafficViewer::BufferHex(int buffer) const {
    if (!BufferShown(settings_, buffer)) return {};
    return HexText(buffers_.Buffer(buffer).Data());
}

} // namespace k730
