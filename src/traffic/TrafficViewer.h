// TTrafficViewer: the rules of the traffic viewer window without the window —
// what is recorded and when a buffer's header flashes, the view settings, the
// cursor and selection of each buffer, the record line and value panel at the
// cursor, the jumps between records, the clipboard texts and the test
// patterns. The window arranges controls and forwards to it.
#pragma once

#include "traffic/TrafficBuffers.h"
#include "traffic/ValuePanel.h"
#include "traffic/ViewSettings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace k730 {

// The buffer labels follow the system locale, not the program's language.
std::string_view BufferLabel(int buffer, bool polishLocale);
// "Bufor portu komunikacji", with " - " and the port when one is chosen.
std::string ViewerTitle(const std::string& portName, bool portChosen);
// Every byte as two upper-case hexadecimal digits, one blank between bytes.
std::string HexText(std::span<const uint8_t> bytes);

// How long a buffer's header shows red after a new record.
constexpr uint64_t FLASH_MS = 100;

struct TBufCursor {
    uint64_t pos = 0;    // byte position; the end position is one past the last byte
    uint64_t anchor = 0; // other end of the selection; equal to pos when none
};

// Where the cursor of the focused buffer stands.
struct TCursorInfo {
    bool onByte = false; // false past the last byte or without a shown, focused buffer
    int buffer = -1;
    size_t record = 0; // index in its buffer
    uint32_t sequence = 0;
    uint64_t offset = 0;   // in the buffer
    uint64_t inRecord = 0; // in the record
    std::vector<uint8_t> bytes;
    TStamp stamp = NO_STAMP;
    std::optional<int64_t> answerMicros; // from the request to the answer that followed it
};

// The record line above the value panel; empty texts with no cursor byte.
struct TRecordLine {
    std::string record, offset, inRecord, time, answer;
};

enum TGoTo { goFirst, goLast, goPrevious, goNext };

class TTrafficViewer {
public:
    explicit TTrafficViewer(uint32_t settings = DEFAULT_VIEW_SETTINGS,
                            uint32_t seed = std::random_device{}());

    const TTrafficBuffers& Buffers() const { return buffers_; }
    TTrafficBuffers& Buffers() { return buffers_; }

    // --- recording ---------------------------------------------------------------
    // A fed block (received, accepted frame, written); the header flashes when kept.
    bool Feed(int buffer, std::span<const uint8_t> bytes, TStamp stamp, uint64_t nowMs);
    bool Flashing(int buffer, uint64_t nowMs) const;
    bool AnyFlashing(uint64_t nowMs) const;
    // One test block of 5-255 bytes continuing the pattern counter into
    // `buffer`, or into each buffer for -1. Returns the blocks kept.
    int AddTestPattern(int buffer, TStamp stamp, uint64_t nowMs);
    void ClearAll();

    // --- view settings -------------------------------------------------------------
    uint32_t Settings() const { return settings_; }
    // Buffers not shown are not recorded; a hidden focused buffer loses the focus.
    void ApplySettings(uint32_t word);
    int FloatSize() const { return FloatSizeOf(settings_); }
    void SetFloatSize(int bytes) { settings_ = WithFloatSize(settings_, bytes); }
    bool BigEndian() const { return bigEndian_; }
    void SetBigEndian(bool on) { bigEndian_ = on; }
    // The view that cursor, selection and copying work on: hexadecimal unless
    // only the characters view is shown.
    bool MainViewIsHex(int buffer) const { return ShownViews(settings_, buffer) != vwChars; }

    // --- cursor --------------------------------------------------------------------
    int Focus() const { return focus_; }
    void SetFocus(int buffer);
    const TBufCursor& Cursor(int buffer) const { return cursors_[static_cast<size_t>(buffer)]; }
    // Moves the cursor (clamped to the end position); `extend` keeps the anchor.
    void SetCursor(int buffer, uint64_t pos, bool extend);
    // Selected bytes [first, second) of a buffer; empty when pos == anchor.
    std::pair<uint64_t, uint64_t> Selection(int buffer) const;
    TCursorInfo CursorInfo() const;
    TRecordLine RecordLine(char decimalSeparator) const;
    TValuePanelTexts PanelTexts(char decimalSeparator) const;

    // --- navigation and clipboard ------------------------------------------------
    // Some shown buffer holds records: clearing and the jumps make sense.
    bool HasShownRecords() const;
    // To the first, last, previous or next record (in time, over the shown
    // buffers): focus and cursor go to its first byte. False when there is none.
    bool Go(TGoTo where);
    std::string SelectionHex() const;
    // The whole buffer; empty when it is not shown or holds nothing.
    std::string BufferHex(int buffer) const;

private:
    TCursorInfo InfoAt(int buffer, uint64_t pos) const;
    std::optional<int64_t> AnswerTime(int buffer, size_t record) const;
    std::optional<TTrafficHit> Neighbour(TGoTo where) const;

    TTrafficBuffers buffers_;
    uint32_t settings_;
    bool bigEndian_ = false;
    int focus_ = -1;
    std::array<TBufCursor, TRAFFIC_BUFFER_COUNT> cursors_{};
    std::array<uint64_t, TRAFFIC_BUFFER_COUNT> flashUntil_{};
    uint8_t patternCounter_ = 0;
    std::mt19937 random_;
};

} // namespace k730
