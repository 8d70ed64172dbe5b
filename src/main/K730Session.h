// TMainSession: what the main window owns for the whole run — the serial
// component on the GUI thread's event loop, the connection controller, the
// trigger thread and the program settings — and the hooks through which the
// controller shows its results in TMainForm.
#pragma once

#include "comm/Comm32KX.h"
#include "comm/PortAccess.h"
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
class TServiceLink;
class TMainForm;
class TSettingsStore;

class TMainSession : public QObject, public TControllerHooks {
    Q_OBJECT

public:
    // `portFactory` replaces the serial backend (tests); empty for the system's.
    TMainSession(TMainForm& form, TSettingsStore& store, TProgramSettings settings, int language,
                 TComm32KX::TPortFactory portFactory = {});
    ~TMainSession() override;

    // Reopens the last port and starts polling.
    void Start();
    // Returns the meter to normal mode, saves the settings, stops the threads.
    void Close();

    TMeterController& Controller() { return *controller_; }
    TMainCommands& Commands() { return *commands_; }
    TServiceLink& Service() { return *service_; }
    // The folder of the template library (the user's data folder until set).
    void SetDataFolder(const std::string& folder);
    TCalCommands& Calibration() { return *calibration_; }

    // --- TControllerHooks ----------------------------------------------------
    void LetEventsRun() override;
    void Pause(uint32_t ms) override;
    void ShowPortChooser(const std::vector<std::string>& items, int selected) override;
    void ShowComStatus(const std::string& text, bool red) override;
    void ShowMeterName(const std::string& name, const std::string& number) override;
    void SetTitle(const std::string& title) override;
    void ClearDisplay() override;
    void ReadingStale() override;
    void MeterInfoCleared() override;
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
    void TrafficReceived(const TBytes& block) override;
    void TrafficValidFrame(const TBytes& frame) override;
    void TrafficWritten(const TBytes& block) override;
    void TrafficPortName(const std::string& name) override;
    void ServiceNotify(TServiceNotice notice) override;
    void ServiceAddressAndMode(uint16_t merBusAddress, uint8_t mode) override;
    void ServiceIdentity(const TMeterInfo& info) override;
    void ServiceConfig(uint8_t config) override;
    void ServiceDefaultRange(uint8_t index) override;
    void ServiceStatus(const TBytes& frame) override;
    void ServiceModBusAddress(uint8_t address) override;
    void ServiceForcingValue(uint32_t dac) override;
    void ServiceCalibrationSaved(const TCalibrationSavedAnswer& saved) override;
    void ServiceReadings(const std::array<float, 3>& readings) override;
    void ServiceValue(float value) override;
    void ServiceFrame(const TBytes& frame) override;
    void HistStatus(const TBytes& frame) override;
    void HistRange(const TBytes& frame) override;

    class THistLink& History() {
        return *history_;
    }
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
    void TellAccessDenied(const std::string& port);
    void ConnectHistory(TLanguage lang, char separator);
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
    std::unique_ptr<class TVudIDOLink> vudIDO_; // the traffic viewer while it is open
    std::unique_ptr<TServiceLink> service_;     // the service window, while open
    std::unique_ptr<class THistLink> history_;  // the measurement history window, when open
    std::unique_ptr<TCalCommands> calibration_;
    bool iconsStatusKnown_ = false;
    bool iconsLoopOn_ = false;
    std::unique_ptr<class TFormShowSettings> showSettings_; // modeless; refreshed as answers arrive
    TSearchCriteria searchCriteria_; // kept for the whole run, shared by every search dialog
    std::vector<TDeferredMessage> messages_;
    TPortAccessNotices accessNotices_; // "Access denied" is explained once per port and run
    bool messagesScheduled_ = false;
    bool closed_ = false;
};

} // namespace k730
