// What the main window checks before it opens the calibration wizard, in
// order; the first check that fails ends the opening with its message.
// Interactive settings of the settings panel are ended on the way without
// asking. Also the adapter through which a wizard reaches the connection
// controller.
#pragma once

#include "calibration/CalWizard.h"
#include "main/K730Lang.h"
#include "main/MeterController.h"
#include "main/SettingsMode.h"
#include "ui/ConfLayout.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace k730 {

struct TCalOpenState {
    bool portSelected = false;
    uint16_t merBusAddress = 0xFFFF; // 0xFFFF: not read yet
    uint8_t settingsMode = 0;        // TSettingsModeBit
    uint8_t kindByte = 0;
    int rangeCount = 0;
    bool statusKnown = false;
    uint8_t statusFlags = 0;
};

struct TCalOpenCheck {
    bool pass = false; // the start warning is asked next
    std::optional<std::string> message;
    TMessageIcon icon = miWarning;
    bool closePanel = false; // an interactive setting is to be ended
};

TCalOpenCheck CheckCalibrationOpening(const TCalOpenState& state, TLanguage lang);

// Where the wizard goes: beside the main window's right edge at the same top;
// when that leaves the work area the wizard stands against its right edge and
// the main window moves left to meet it (never past the left edge).
struct TCalPlacement {
    TConfRect wizard;
    int mainX = 0;
};
TCalPlacement PlaceWizard(const TConfRect& workArea, const TConfRect& mainWindow, TConfSize wizard);
TCalOpenState CalOpenStateOf(const TMeterController& controller);

// The wizard's queue and scheduler on the connection controller; `now` gives
// the present tick.
class TControllerCalLink : public ICalLink {
public:
    TControllerCalLink(TMeterController& controller, std::function<uint32_t()> now)
        : controller_(controller), now_(std::move(now)) {}

    void Queue(TQueueItem item, bool atFront) override {
        controller_.QueueItem(std::move(item), atFront, false, now_());
    }
    void RunScheduler() override { controller_.RunScheduler(now_()); }
    bool QueueEmpty() const override { return controller_.Scheduler().QueueEmpty(); }
    bool ModeChangeQueued() const override { return controller_.Scheduler().Holds(CMD_SET_MODE); }
    uint8_t MeterMode() const override { return controller_.MeterMode(); }

private:
    TMeterController& controller_;
    std::function<uint32_t()> now_;
};

} // namespace k730
