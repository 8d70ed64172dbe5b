// Everything the connection controller tells the world: the main window's
// controls, and the windows that consume answers (service window, calibration
// wizard, measurement history, traffic viewer). Every method has an empty
// default so a host fills in only what it has; the controller calls a
// consumer's methods only while the controller has been told that window is open.
#pragma once

#include "main/K730Fun.h"
#include "main/MeterPort.h"
#include "main/SettingsMode.h"
#include "protocol/MerBusAnswers.h"
#include "protocol/MerBusFun.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k730 {

// A message collected while answers are processed and shown afterwards with
// the caption "K730".
struct TDeferredMessage {
    std::string text; // UTF-8, already in the program's language
    TMessageIcon icon = miInformation;

    bool operator==(const TDeferredMessage&) const = default;
};

// What the meter search returned when it ended with OK.
struct TSearchResult {
    std::string port;
    TLineSettings line;
};

// Why the service window is told that the connection changed.
enum TServiceNotice : uint8_t { snPortChanged, snMeterChanged, snAnswerOverdue };

// What RefreshSettingsDialog asks the settings dialog to refresh.
enum TSettingsRefresh : int {
    srAll = 0,
    srLoop = 1,
    srMerBusAddress = 2,
    srModBusAddress = 3,
    srDefaultRange = 4,
    srConversions = 5, // conversions, moving average and refresh rate
    srAverage = 6,
    srRefreshRate = 7,
    srAutoRange = 8,
};

class TControllerHooks {
public:
    virtual ~TControllerHooks() = default;

    // --- main window ---------------------------------------------------------
    // Lets pending window messages run (before a port change).
    virtual void LetEventsRun() {}
    // Waits ms while the event loop runs, so that a last request leaves the port.
    virtual void Pause(uint32_t /*ms*/) {}
    // Port chooser items and the selected item; the selection handler is not run.
    virtual void ShowPortChooser(const std::vector<std::string>& /*items*/, int /*selected*/) {}
    virtual void SetTitle(const std::string& /*title*/) {}
    // The serial component's status text for PanelStatus; red for codes above 1.
    virtual void ShowComStatus(const std::string& /*text*/, bool /*red*/) {}
    // Meter name and number next to the chooser ("-----" when unknown).
    virtual void ShowMeterName(const std::string& /*name*/, const std::string& /*number*/) {}
    virtual void ClearDisplay() {}
    // The reading on show is no longer confirmed by the meter (no answer, a
    // line fault): it is shown as stale until the next status answer.
    virtual void ReadingStale() {}
    // A status answer to show: the value, its kind, flags (255 = meter reset),
    // over-range and temperature; the model already holds the stored fields.
    virtual void ShowStatus(const TMeterInfo& /*info*/, const TStatusAnswer& /*status*/) {}
    // A text in place of the value ("Trwa zerowanie" while zeroing runs).
    virtual void ShowDisplayText(const std::string& /*text*/) {}
    virtual void FlashLamp(uint32_t /*ms*/) {}
    // Range chooser: one text per range; disabled when empty.
    virtual void ShowRangeList(const std::vector<std::string>& /*items*/) {}
    // Selects a range chooser entry (not while the list is dropped down).
    virtual void SelectRange(int /*index*/) {}
    // Hides the settings panel and shows the value display again.
    virtual void CloseSettingsPanel() {}
    virtual void ClearMinMaxAv() {}
    // Status icons follow a changed conversion count.
    virtual void RefreshStatusIcons() {}
    // The meter record was cleared: the display forgets the previous status
    // bytes it detects icon changes with, a settings dialog refreshes all rows.
    virtual void MeterInfoCleared() {}
    // Rows of an open settings dialog changed (a TSettingsRefresh code; -1 = all rows).
    virtual void RefreshSettingsDialog(int /*row*/) {}
    // Queues a message to be shown after the present processing has ended.
    virtual void PostMessage(const TDeferredMessage& /*message*/) {}
    // Asks the trigger thread for an immediate tick.
    virtual void WakeTrigger() {}
    // Runs the meter search modally; nothing when it did not end with OK.
    virtual std::optional<TSearchResult> RunMeterSearch() { return std::nullopt; }
    // A status answer has been stored: the settings operations (automatic
    // range change and zeroing) decide what follows. True when they asked
    // for a range change.
    virtual bool AfterStatus(const TMeterInfo& /*info*/, const TStatusAnswer& /*status*/) { return false; }

    // --- service window ------------------------------------------------------
    virtual void ServiceNotify(TServiceNotice /*notice*/) {}
    virtual void ServiceAddressAndMode(uint16_t /*merBusAddress*/, uint8_t /*mode*/) {}
    virtual void ServiceModBusAddress(uint8_t /*address*/) {}
    virtual void ServiceIdentity(const TMeterInfo& /*info*/) {}
    virtual void ServiceStatus(const TBytes& /*frame*/) {}
    virtual void ServiceForcingValue(uint32_t /*dac*/) {}
    virtual void ServiceCalibrationSaved(const TCalibrationSavedAnswer& /*saved*/) {}
    virtual void ServiceConfig(uint8_t /*configByte*/) {}
    virtual void ServiceDefaultRange(uint8_t /*index*/) {}
    virtual void ServiceReadings(const std::array<float, 3>& /*readings*/) {}
    virtual void ServiceValue(float /*value*/) {}
    virtual void ServiceSettingsChanged() {}              // default range or conversions answered
    virtual void ServiceFrame(const TBytes& /*frame*/) {} // every accepted answer, refusals included

    // --- calibration wizard --------------------------------------------------
    virtual void CalStatus(const TBytes& /*frame*/) {}
    virtual void CalModeSet() {}
    virtual void CalForcingValue(uint32_t /*dac*/) {}
    virtual void CalParameter(const TBytes& /*frame*/) {}
    // Factors saved (the save request was at the head of the queue, with the
    // operator's comment that travelled with it): the wizard closes, the
    // history log gets its record; returns the confirmation text with the
    // log's outcome, shown afterwards (empty for none). Called whether or not
    // the wizard is open: the calibration history window programs too.
    virtual std::string CalSaved(const TCalibrationSavedAnswer& /*saved*/, const std::string& /*comment*/) {
        return {};
    }
    // A different meter answered: the wizard closes.
    virtual void CalClose() {}
    // After every frame: the wizard checks the reported operating mode.
    virtual void CalSuperviseMode(uint8_t /*meterMode*/) {}

    // --- measurement history -------------------------------------------------
    virtual void HistStatus(const TBytes& /*frame*/) {}
    virtual void HistRange(const TBytes& /*frame*/) {}

    // --- traffic viewer ------------------------------------------------------
    virtual void TrafficReceived(const TBytes& /*block*/) {}
    virtual void TrafficValidFrame(const TBytes& /*frame*/) {}
    virtual void TrafficWritten(const TBytes& /*block*/) {}
    virtual void TrafficPortName(const std::string& /*name*/) {}
};

} // namespace k730
