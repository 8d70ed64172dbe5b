// The traffic viewer's view settings word and what it lays out:
//   bits 0-1, 2-3, 4-5   views of the received, valid-frames and transmitted
//                        buffers: 0 none (not recorded), 1 hex, 2 characters, 3 both
//   bits 6-7             float size of the value panel: 4, 6, 8 or 10 bytes
//   bits 8-15, 16-23, 24-31  frame recognition mode of each buffer
#pragma once

#include "traffic/TrafficBuffers.h"

#include <array>
#include <cstdint>

namespace k730 {

enum TViewKinds : uint8_t { vwNone = 0, vwHex = 1, vwChars = 2, vwBoth = 3 };
enum TFrameMode : uint8_t { fmNone = 0, fmSeparate = 1, fmMerBus1 = 2, fmMerBus2 = 3 };
constexpr int FRAME_MODE_COUNT = 4;

// Both views of every buffer, 4-byte floats; received blocks separated,
// frames and requests marked as MerBus1.
constexpr uint32_t DEFAULT_VIEW_SETTINGS = 0x0202013F;

uint8_t ShownViews(uint32_t word, int buffer);
bool BufferShown(uint32_t word, int buffer);
// Unknown mode values show as none.
TFrameMode FrameModeOf(uint32_t word, int buffer);
int FloatSizeOf(uint32_t word);
// The word with another float size (4, 6, 8 or 10; anything else is 4).
uint32_t WithFloatSize(uint32_t word, int floatSize);

// What the settings dialog shows and returns for one buffer.
struct TBufferViewChoice {
    uint8_t views = vwNone; // bit 0 hex, bit 1 characters
    uint8_t mode = fmNone;
};
std::array<TBufferViewChoice, TRAFFIC_BUFFER_COUNT> ViewChoices(uint32_t word);
// The new word from the dialog: the float size of `word` is kept.
uint32_t ComposeViewSettings(uint32_t word,
                             const std::array<TBufferViewChoice, TRAFFIC_BUFFER_COUNT>& choices);

// Where the buffer panels go in the window.
struct TPanelLayout {
    std::array<bool, TRAFFIC_BUFFER_COUNT> shown{};
    int shownCount = 0;
    int fill = -1; // the panel that takes the free height; -1 when none is shown
    // Upper splitter (between the top and the middle panel) and lower splitter
    // (above the bottom panel).
    bool upperSplitter = false;
    bool lowerSplitter = false;
    // Height of each shown panel that does not fill; 0 for the others.
    std::array<int, TRAFFIC_BUFFER_COUNT> heights{};
};
// `areaHeight`: the height the panels share.
TPanelLayout LayoutPanels(uint32_t word, int areaHeight);

} // namespace k730
