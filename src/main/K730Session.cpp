#include "main/K730Session.h"

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
#include "ui/ConfBox.h"
#include "ui/LocaleSeparator.h"

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

TMainSession::TMainSession(TMainForm& form, TSettingsStore& store, TProgramSettings settings, int language)
    : form_(form), store_(store), settings_(std::move(settings)), language_(language) {
    comm_ = std::make_unique<TComm32KX>(loop_, language_);
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
    commands_ = std::make_unique<TMainCommands>(form_, *controller_, settings_, config.language,
                                                config.decimalSeparator, std::move(host));
    commands_->ApplyStoredSettings();
    calibration_ = std::make_unique<TCalCommands>(form_, *controller_, settings_, config.language,
                                                  config.decimalSeparator, [this] { return Now(); });
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
            if (!showSettings_)
                showSettings_ = std::make_unique<TFormShowSettings>(lang, [this, separator] {
                    return MakeShowSettingsFacts(controller_->Info(), controller_->MerBusAddress(),
                                                 controller_->ModBusAddress(), settings_, false, separator);
                });
            showSettings_->RefreshRow(0);
            showSettings_->BringToFront();
        });
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
}

void TMainSession::Close() {
    if (closed_) return;
    showSettings_.reset();
    calibration_->Shutdown();
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
