#include "main/K730Session.h"

#include "history/HistLink.h"
#include "calibration/CalCommands.h"
#include "main/DisplayReading.h"
#include "main/InfoDialogTexts.h"
#include "main/K730AboutMeter.h"
#include "main/K730AboutProgram.h"
#include "main/K730ShowSettings.h"
#include "main/K730Main.h"
#include "main/MainCommands.h"
#include "main/SettingsStore.h"
#include "search/UnitAutoCOM.h"
#include "traffic/VudIDOLink.h"
#include "files/K730Disk.h"
#include "service/ServiceLink.h"
#include "ui/ConfBox.h"
#include "ui/LocaleSeparator.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

namespace k730 {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TMainSession::TMainSession(TMainForm& form, TSettingsStore& store, TProgramSettings settings, int language,
                           TComm32KX::TPortFactory portFactory)
    : form_(form), store_(store), settings_(std::move(settings)), language_(language) {
    comm_ = std::make_unique<TComm32KX>(loop_, language_, std::move(portFactory));
    SetUpMainComm(*comm_);
    port_ = std::make_unique<TCommMeterPort>(*comm_);

    TControllerConfig config;
    config.language = static_cast<TLanguage>(language_);
    config.decimalSeparator = LocaleDecimalSeparator();
    config.savedPortName = settings_.PortName;
    config.repeatAuto = settings_.RepeatAuto;
    config.repeatTime = static_cast<uint32_t>(settings_.RepeatTime);
    controller_ = std::make_unique<TMeterController>(*port_, *this, config);
    ConnectController(*comm_, loop_, *controller_);
    auto showStatus = comm_->OnCOMStatus;
    comm_->OnCOMStatus = [this, showStatus](TComm32KX& comm, int code, const std::string& text) {
        if (showStatus) showStatus(comm, code, text);
        if (code == csAccessDenied) TellAccessDenied(comm.COMPort());
    };
    comm_->OnWarning = [this](TComm32KX&, const std::string& text) {
        ConfMessage(&form_, Q(text), "K730", MB_ICONWARNING);
    };

    connect(&form_, &TMainForm::PortChosen, this, [this](int index) {
        controller_->ChoosePort(index, Now());
        ShowCollectedMessages();
    });
    connect(&form_, &TMainForm::AutoPollingSwitched, this,
            [this](bool on) { controller_->SetAutoPolling(on, Now()); });
    ConnectInfoDialogs();

    TCommandHost host;
    host.Now = [this] { return Now(); };
    host.ShowCollectedMessages = [this] { ShowCollectedMessages(); };
    host.RefreshIcons = [this] { RefreshIcons(); };
    host.RefreshSettingsDialog = [this](int row) { RefreshSettingsDialog(row); };
    host.HistoryRecording = [this] { return history_ && history_->Recording(); };
    commands_ = std::make_unique<TMainCommands>(form_, *controller_, settings_, config.language,
                                                config.decimalSeparator, std::move(host));
    commands_->ApplyStoredSettings();
    vudIDO_ = std::make_unique<TVudIDOLink>(form_, *controller_);
    service_ = std::make_unique<TServiceLink>(form_, *controller_, settings_, language_,
                                              TemplateLibraryPath(DataFolder().toStdString()),
                                              [this] { return Now(); });
    service_->SetAverages([this] { return commands_ ? commands_->ShownAverages() : nullptr; });
    calibration_ = std::make_unique<TCalCommands>(form_, *controller_, settings_, config.language,
                                                  config.decimalSeparator, [this] { return Now(); });
    ConnectHistory(config.language, config.decimalSeparator);
}

// The measurement history window, and the main window's question before it closes.
void TMainSession::ConnectHistory(TLanguage lang, char separator) {
    history_ = std::make_unique<THistLink>(
        form_, *controller_, settings_, lang, separator, [this] { return Now(); },
        [this] {
            commands_->PollPeriodChanged();
            RefreshSettingsDialog(-1);
        });
    if (QAction* open = form_.Action("MenuHistMeas"))
        connect(open, &QAction::triggered, this, [this] { history_->Open(); });
    form_.CloseQuery = [this] {
        const std::string question = history_->CloseQuestion();
        return question.empty() || ConfYesNoDefault(&form_, Q(question), "K730", MB_ICONWARNING, 1);
    };
}

// The settings, meter and program dialogs behind the "Help" and "View" menus.
void TMainSession::ConnectInfoDialogs() {
    const auto lang = static_cast<TLanguage>(language_);
    const char separator = LocaleDecimalSeparator();
    if (QAction* about = form_.Action("MenuAboutProgram"))
        connect(about, &QAction::triggered, this, [this, lang] {
            TFormAboutProgram dialog(lang, &form_);
            dialog.exec();
        });
    if (QAction* meter = form_.Action("MenuAboutMeter"))
        connect(meter, &QAction::triggered, this, [this, lang, separator] {
            const TMeterInfo& info = controller_->Info();
            if (info.ModelDescriptor.empty()) return; // only a known meter has a meter dialog
            TFormAboutMeter::Execute(MakeAboutMeterFacts(info, controller_->MerBusAddress(),
                                                         controller_->ModBusAddress(), lang, separator),
                                     lang, &form_);
        });
    if (QAction* show = form_.Action("MenuShowSettings"))
        connect(show, &QAction::triggered, this, [this, lang, separator] {
            const bool first = !showSettings_;
            if (first)
                showSettings_ = std::make_unique<TFormShowSettings>(lang, [this, separator] {
                    return MakeShowSettingsFacts(controller_->Info(), controller_->MerBusAddress(),
                                                 controller_->ModBusAddress(), settings_, false, separator);
                });
            showSettings_->RefreshRow(0);
            if (first) {
                showSettings_->adjustSize();
                CentreOverOwner(showSettings_.get(), &form_);
            }
            showSettings_->BringToFront();
        });
}

// A port the user may not open: once per port and run, who may open it and
// what to do about it, shown once the present work has ended.
void TMainSession::TellAccessDenied(const std::string& port) {
    if (const auto text = accessNotices_.FirstRefusal(port, language_)) PostMessage({*text, miWarning});
}

void TMainSession::RefreshSettingsDialog(int row) {
    if (showSettings_ && showSettings_->isVisible()) showSettings_->RefreshRow(row < 0 ? 0 : row);
}

TMainSession::~TMainSession() {
    Close();
}

void TMainSession::Start() {
    controller_->Start(Now());
    const TTriggerShared& shared = controller_->Trigger();
    trigger_ = std::make_unique<TTriggerThread>(
        [&shared] {
            return TTriggerState{shared.running.load(), shared.statusDueTick.load(),
                                 shared.statusAltDueTick.load()};
        },
        [this] { return Now(); },
        [this] {
            loop_.Post([this] {
                if (!closed_) controller_->OnTick(Now());
                ShowCollectedMessages();
            });
        });
    UpdateIcons(false, false);
    ShowCollectedMessages();
    ConfSetCentreOverOwner(true); // from now on messages open over the window that asks
}

void TMainSession::Close() {
    if (closed_) return;
    showSettings_.reset();
    calibration_->Shutdown();
    vudIDO_.reset();
    service_.reset();
    history_->Close();
    form_.CloseQuery = nullptr;
    controller_->Close(Now());
    closed_ = true;
    if (trigger_) trigger_->Stop();
    trigger_.reset();
    const auto& items = controller_->PortItems();
    const int index = controller_->PortListIndex();
    const std::string selected = index >= 0 && index < static_cast<int>(items.size()) ? items[index] : "";
    settings_.PortName = PortNameToSave(selected, controller_->SavedPortName());
    SaveSettings(store_, settings_);
    comm_->OnReceive = nullptr;
    comm_->OnCOMStatus = nullptr;
    comm_->OnPortListChange = nullptr;
    comm_->ClosePort();
}

void TMainSession::LetEventsRun() {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TMainSession::Pause(uint32_t ms) {
    QEventLoop wait;
    QTimer::singleShot(static_cast<int>(ms), &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
}

void TMainSession::ShowPortChooser(const std::vector<std::string>& items, int selected) {
    QStringList list;
    for (const auto& item : items)
        list << Q(item);
    form_.SetDeviceItems(list, selected);
}

void TMainSession::ShowComStatus(const std::string& text, bool red) {
    form_.ShowComStatus(red ? csNoAnswer : csConnected, Q(text));
}

void TMainSession::ShowMeterName(const std::string& name, const std::string& number) {
    form_.ShowMeterName(Q(name), Q(number));
}

void TMainSession::SetTitle(const std::string& title) {
    form_.setWindowTitle(Q(title));
}

void TMainSession::ReadingStale() {
    form_.ShowReadingStale();
}

// The meter is forgotten (another port, another meter): nothing of it stays
// on screen, and an open settings dialog shows every row as unknown.
void TMainSession::MeterInfoCleared() {
    form_.ShowMeterName({}, {});
    UpdateIcons(false, false);
    RefreshSettingsDialog(srAll);
}

void TMainSession::ClearDisplay() {
    form_.ClearDisplay();
    UpdateIcons(false, false);
}

void TMainSession::ShowStatus(const TMeterInfo&, const TStatusAnswer& status) {
    const char separator = LocaleDecimalSeparator();
    if (const auto reading = MakeDisplayReading(status, separator)) form_.ShowReading(*reading);
    commands_->StatusShown(status);
    UpdateIcons(true, status.flags && *status.flags != 255 && (*status.flags & 0x40));
}

bool TMainSession::AfterStatus(const TMeterInfo& info, const TStatusAnswer& status) {
    return commands_->AfterStatus(info, status);
}

void TMainSession::CloseSettingsPanel() {
    commands_->PanelClosed();
}

void TMainSession::ClearMinMaxAv() {
    commands_->ResetStats();
}

void TMainSession::RefreshStatusIcons() {
    RefreshIcons();
}

void TMainSession::TrafficReceived(const TBytes& block) {
    if (vudIDO_) vudIDO_->Received(block);
}

void TMainSession::TrafficValidFrame(const TBytes& frame) {
    if (vudIDO_) vudIDO_->ValidFrame(frame);
}

void TMainSession::TrafficWritten(const TBytes& block) {
    if (vudIDO_) vudIDO_->Written(block);
}

void TMainSession::TrafficPortName(const std::string& name) {
    if (vudIDO_) vudIDO_->PortName(name);
}

// --- the service window ----------------------------------------------------------

void TMainSession::SetDataFolder(const std::string& folder) {
    service_->SetLibraryPath(TemplateLibraryPath(folder));
}

// The answers to the requests of closing (normal mode again) may still come
// in after the service window's link is gone.
void TMainSession::ServiceNotify(TServiceNotice notice) {
    if (service_) service_->Notify(notice);
}

void TMainSession::ServiceAddressAndMode(uint16_t merBusAddress, uint8_t mode) {
    if (service_) service_->AddressAndMode(merBusAddress, mode);
}

void TMainSession::ServiceIdentity(const TMeterInfo& info) {
    if (service_) service_->Identity(info);
}

void TMainSession::ServiceConfig(uint8_t config) {
    if (service_) service_->Config(config);
}

void TMainSession::ServiceDefaultRange(uint8_t index) {
    if (service_) service_->DefaultRange(index);
}

void TMainSession::ServiceStatus(const TBytes& frame) {
    if (service_) service_->Status(frame);
}

void TMainSession::ServiceModBusAddress(uint8_t address) {
    if (service_) service_->ModBusAddress(address);
}

void TMainSession::ServiceForcingValue(uint32_t dac) {
    if (service_) service_->ForcingValue(dac);
}

void TMainSession::ServiceCalibrationSaved(const TCalibrationSavedAnswer& saved) {
    if (service_) service_->CalibrationSaved(saved);
}

void TMainSession::ServiceReadings(const std::array<float, 3>& readings) {
    if (service_) service_->RangeFactors(readings);
}

void TMainSession::ServiceValue(float value) {
    if (service_) service_->TempCoefficient(value);
}

void TMainSession::ServiceFrame(const TBytes& frame) {
    if (service_) service_->Frame(frame);
}

// --- the measurement history window ------------------------------------------------

void TMainSession::HistStatus(const TBytes& frame) {
    history_->Status(frame);
}

void TMainSession::HistRange(const TBytes& frame) {
    history_->Range(frame);
}

void TMainSession::UpdateIcons(bool statusKnown, bool loopOn) {
    iconsStatusKnown_ = statusKnown;
    iconsLoopOn_ = loopOn;
    TIconInputs icons;
    icons.autoRange = settings_.AutoRange;
    icons.statusKnown = statusKnown;
    icons.loopOn = loopOn;
    icons.convCount = controller_->Info().ConvCount;
    icons.averCount = settings_.AverCount;
    icons.repeatAuto = settings_.RepeatAuto;
    icons.refreshMs = settings_.RepeatTime;
    form_.ShowIcons(icons);
}

void TMainSession::ShowDisplayText(const std::string& text) {
    form_.ShowDisplayMessage(Q(text));
}

void TMainSession::ShowRangeList(const std::vector<std::string>& items) {
    QStringList list;
    for (const auto& item : items)
        list << Q(item);
    form_.SetRangeItems(list, items.empty() ? -1 : 0);
}

void TMainSession::SelectRange(int index) {
    form_.SelectRange(index);
}

void TMainSession::PostMessage(const TDeferredMessage& message) {
    messages_.push_back(message);
    ShowCollectedMessages();
}

// Messages caused by answers are shown once processing has ended, from the event loop.
void TMainSession::ShowCollectedMessages() {
    if (messages_.empty() || messagesScheduled_) return;
    messagesScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        messagesScheduled_ = false;
        auto pending = std::move(messages_);
        messages_.clear();
        for (const auto& m : pending)
            ConfMessage(&form_, Q(m.text), "K730", m.icon == miWarning ? MB_ICONWARNING : MB_ICONINFORMATION);
    });
}

void TMainSession::CalStatus(const TBytes& frame) {
    calibration_->CalStatus(frame);
}

void TMainSession::CalModeSet() {
    calibration_->CalModeSet();
}

void TMainSession::CalForcingValue(uint32_t dac) {
    calibration_->CalForcingValue(dac);
}

void TMainSession::CalParameter(const TBytes& frame) {
    calibration_->CalParameter(frame);
}

std::string TMainSession::CalSaved(const TCalibrationSavedAnswer& saved, const std::string& comment) {
    return calibration_->CalSaved(saved, comment);
}

void TMainSession::CalClose() {
    calibration_->CalClose();
}

void TMainSession::CalSuperviseMode(uint8_t mode) {
    calibration_->CalSuperviseMode(mode);
}

void TMainSession::WakeTrigger() {
    if (trigger_) trigger_->Wake();
}

std::optional<TSearchResult> TMainSession::RunMeterSearch() {
    const TLineSettings line = comm_->CurrentLineSettings();
    TFormAutoCom search(&form_, language_, line.stopBits, line.dataBits, line.parity, line.baud,
                        searchCriteria_);
    if (search.exec() != QDialog::Accepted || search.ResultPort().empty()) return std::nullopt;
    return TSearchResult{search.ResultPort(), search.ResultSettings()};
}

} // namespace k730
