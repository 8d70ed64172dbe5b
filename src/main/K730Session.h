// TMainSession: what the main window owns for the whole run — the serial
// component on the GUI thread's event loop, the connection controller, the
// trigger thread and the program settings — and the hooks through which the
// controller shows its results in TMainForm.
#pragma once

#include "comm/Comm32KX.h"
#include "main/CommMeterPort.h"
#include "main/ControllerHooks.h"
#include "main/K730Settings.h"
#include "main/MeterController.h"
#include "main/TriggerThread.h"
#include "search/SearchCriteria.h"
#include "ui/QtEventLoop.h"

#include <QObject>

#include <memory>
#include <vector>

namespace k730 {

class TCalCommands;
class TMainCommands;
class TMainForm;
class TSettingsStore;

class TMainSession : public QObject, public TControllerHooks {
    Q_OBJECT

public:
    TMainSession(TMainForm& form, TSettingsStore& store, TProgramSettings settings, int language);
    ~TMainSession() override;

    // Reopens the last port and starts polling.
    void Start();
    // Returns the meter to normal mode, saves the settings, stops the threads.
    void Close();

    TMeterController& Controller() { return *controller_; }
    TMainCommands& Commands() { return *commands_; }
    TCalCommands& Calibration() { return *calibration_; }

    // --- TControllerHooks ----------------------------------------------------
    void LetEventsRun() override;
    void Pause(uint32_t ms) override;
    void ShowPortChooser(const std::vector<std::string>& items, int selected) override;
    void ShowComStatus(const std::string& text, bool red) override;
    void ShowMeterName(const std::string& name, const std::string& number) override;
    void ClearDisplay() override;
    void ShowStatus(const TMeterInfo& info, const TStatusAnswer& status) override;
    void ShowDisplayText(const std::string& text) override;
    void ShowRangeList(const std::vector<std::string>& items) override;
    void SelectRange(int index) override;
    void PostMessage(const TDeferredMessage& message) override;
    void WakeTrigger() override;
    std::optional<TSearchResult> RunMeterSearch() override;
    bool AfterStatus(const TMeterInfo& info, const TStatusAnswer& status) override;
    void CloseSettingsPanel() override;
    void ClearMinMaxAv() override;
    void RefreshStatusIcons() override;
    // The calibration wizard and history log (TCalCommands).
    void CalStatus(const TBytes& frame) override;
    void CalModeSet() override;
    void CalForcingValue(uint32_t dac) override;
    void CalParameter(const TBytes& frame) override;
    std::string CalSaved(const TCalibrationSavedAnswer& saved, const std::string& comment) override;
    void CalClose() override;
    void CalSuperviseMode(uint8_t mode) override;

private:
    uint32_t Now() const { return static_cast<uint32_t>(loop_.TickMs()); }
    void ShowCollectedMessages();
    void UpdateIcons(bool statusKnown, bool loopOn);
    void RefreshIcons() { UpdateIcons(iconsStatusKnown_, iconsLoopOn_); }
    void ConnectInfoDialogs();
    void RefreshSettingsDialog(int row) override;

    TMainForm& form_;
    TSettingsStore& store_;
    TProgramSettings settings_;
    const int language_;
    TQtEventLoop loop_;
    std::unique_ptr<TComm32KX> comm_;
    std::unique_ptr<TCommMeterPort> port_;
    std::unique_ptr<TMeterController> controller_;
    std::unique_ptr<TTriggerThread> trigger_;
    std::unique_ptr<TMainCommands> commands_;
    std::unique_ptr<TCalCommands> calibration_;
    bool iconsStatusKnown_ = false;
    bool iconsLoopOn_ = false;
    std::unique_ptr<class TFormShowSettings> showSettings_; // modeless; refreshed as answers arrive
    TSearchCriteria searchCriteria_; // kept for the whole run, shared by every search dialog
    std::vector<TDeferredMessage> messages_;
    bool messagesScheduled_ = false;
    bool closed_ = false;
};

} // namespace k730
