// Small shared vocabularies of the main window: the settings-panel and
// zeroing state bits, and the icon of a message shown after processing.
#pragma once

#include <cstdint>

namespace k730 {

// Settings-panel mode, one bit per state; 0 = plain value display.
enum TSettingsModeBit : uint8_t {
    smZeroStarted = 0x01, // zeroing request sent, not yet confirmed
    smZeroRunning = 0x02, // zeroing runs; the display shows a zeroing message
    smPanelMerBus = 0x04,
    smPanelModBus = 0x08,
    smPanelConversions = 0x10,
    smPanelDefaultRange = 0x20,
    smPanelAverage = 0x40,
    smPanelRefresh = 0x80,
};

enum TMessageIcon : uint8_t { miInformation, miWarning };

} // namespace k730
