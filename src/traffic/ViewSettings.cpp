#include "traffic/ViewSettings.h"

namespace k730 {

uint8_t ShownViews(uint32_t word, int buffer) {
    return static_cast<uint8_t>(word >> (2 * buffer) & 3);
}

bool BufferShown(uint32_t word, int buffer) {
    return ShownViews(word, buffer) != vwNone;
}

TFrameMode FrameModeOf(uint32_t word, int buffer) {
    const auto mode = static_cast<uint8_t>(word >> (8 + 8 * buffer));
    return mode < FRAME_MODE_COUNT ? static_cast<TFrameMode>(mode) : fmNone;
}

int FloatSizeOf(uint32_t word) {
    static constexpr int sizes[] = {4, 6, 8, 10};
    return sizes[word >> 6 & 3];
}

uint32_t WithFloatSize(uint32_t word, int floatSize) {
    const uint32_t code = floatSize == 6 ? 1 : floatSize == 8 ? 2 : floatSize == 10 ? 3 : 0;
    return (word & ~uint32_t{0xC0}) | code << 6;
}

std::array<TBufferViewChoice, TRAFFIC_BUFFER_COUNT> ViewChoices(uint32_t word) {
    std::array<TBufferViewChoice, TRAFFIC_BUFFER_COUNT> c;
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        c[static_cast<size_t>(b)] = {ShownViews(word, b), FrameModeOf(word, b)};
    return c;
}

uint32_t ComposeViewSettings(uint32_t word,
                             const std::array<TBufferViewChoice, TRAFFIC_BUFFER_COUNT>& choices) {
    uint32_t out = word & 0xC0;
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        const TBufferViewChoice& c = choices[static_cast<size_t>(b)];
        out |= uint32_t{c.views & 3u} << (2 * b);
        out |= uint32_t{c.mode} << (8 + 8 * b);
    }
    return out;
}

TPanelLayout LayoutPanels(uint32_t word, int areaHeight) {
    TPanelLayout l;
    int order[TRAFFIC_BUFFER_COUNT] = {};
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        if (BufferShown(word, b)) {
            l.shown[static_cast<size_t>(b)] = true;
            order[l.shownCount++] = b;
        }
    // One panel fills; with two the first fills and the second sits at the
    // bottom; with three the middle one fills.
    const int part = areaHeight > 0 ? areaHeight / 3 : 0;
    switch (l.shownCount) {
    case 1:
        l.fill = order[0];
        break;
    case 2:
        l.fill = order[0];
        l.lowerSplitter = true;
        l.heights[static_cast<size_t>(order[1])] = part;
        break;
    case 3:
        l.fill = tbValidFrames;
        l.upperSplitter = l.lowerSplitter = true;
        l.heights[tbReceived] = l.heights[tbTransmitted] = part;
        break;
    default:
        break;
    }
    return l;
}

} // namespace k730
