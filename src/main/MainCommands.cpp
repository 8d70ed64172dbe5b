#include "main/MainCommands.h"

#include "main/K730Main.h"
#include "main/K730Settings.h"
#include "main/MeterController.h"
#include "main/MeterKind.h"
#include "main/PanelSettings.h"
#include "main/RangeDecision.h"
#include "main/ValueFormat.h"
#include "ui/ConfBox.h"

#include <QAction>
#include <QToolButton>

namespace k730 {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TCommandPrompts DialogPrompts(TMainForm& form) {
    TCommandPrompts p;
    p.Message = [&form](const std::string& text, TMessageIcon icon) {
        ConfMessage(&form, Q(text), "K730", icon == miWarning ? MB_ICONWARNING : MB_ICONINFORMATION);
    };
    p.OkCancelCheck = [&form](const std::string& text, const std::string& checkText, bool& checked) {
        return ConfOkCancelCheck(&form, Q(text), "K730", MB_ICONWARNING, checked, 0, Q(checkText));
    };
    return p;
}

} // namespace

TMainCommands::TMainCommands(TMainForm& form, TMeterController& controller, TProgramSettings& settings,
                             TLanguage lang, char decimalSeparator, TCommandHost host,
                             TCommandPrompts prompts)
    : form_(form), controller_(controller), settings_(settings), lang_(lang), separator_(decimalSeparator),
      host_(std::move(host)), prompts_(std::move(prompts)) {
    const TCommandPrompts dialogs = DialogPrompts(form_);
    if (!prompts_.Message) prompts_.Message = dialogs.Message;
    if (!prompts_.OkCancelCheck) prompts_.OkCancelCheck = dialogs.OkCancelCheck;

    Connect("MenuZeroDet", &TMainCommands::ZeroDetector);
    Connect("MenuSetOnlyZeroADC", &TMainCommands::ZeroSystemOnly);
    Connect("MenuSetAndSaveZeroADC", &TMainCommands::ZeroSystemAndSave);
    Connect("MenuAutoZero", &TMainCommands::AutoZeroToggled);
    Connect("MenuAddrMerBus", &TMainCommands::OpenMerBus);
    Connect("MenuAddrModBus", &TMainCommands::OpenModBus);
    Connect("MenuSetRange", &TMainCommands::OpenRangePanel);
    Connect("MenuConvCount", &TMainCommands::OpenConvCount);
    Connect("MenuRefreshRate", &TMainCommands::OpenRefresh);
    Connect("MenuAutoRange", &TMainCommands::AutoRangeToggled);
    Connect("MenuSetAverCount", &TMainCommands::OpenAverCount);
    Connect("MenuViewMinMaxAv", &TMainCommands::StatsToggled);
    Connect("MenuClearMinMaxAv", &TMainCommands::ResetStats);
    Connect("MenuShowIconStatus", &TMainCommands::IconStripToggled);
    Connect("MenuStayOnTop", &TMainCommands::StayOnTopToggled);
    for (const auto& [button, item] :
         {std::pair{"BtnClearMinMaxAv", "MenuClearMinMaxAv"}, std::pair{"BtnService", "MenuService"},
          std::pair{"BtnVudIDO", "MenuVudIDO"}})
        if (auto* b = form_.findChild<QToolButton*>(button))
            connect(b, &QToolButton::clicked, Action(item), &QAction::trigger);

    TPanelSettings* panel = form_.SettingsPanel();
    connect(panel, &TPanelSettings::ValueApplied, this, &TMainCommands::ValueApplied);
    connect(panel, &TPanelSettings::RangeApplied, this, &TMainCommands::RangeApplied);
    connect(panel, &TPanelSettings::Cancelled, this, &TMainCommands::CancelPanel);
    connect(&form_, &TMainForm::EscapePressed, this, &TMainCommands::CancelPanel);
    connect(&form_, &TMainForm::RangeChosen, this, &TMainCommands::RangeChosen);
}

void TMainCommands::Connect(const char* action, void (TMainCommands::*handler)()) {
    if (QAction* a = Action(action)) connect(a, &QAction::triggered, this, handler);
}

QAction* TMainCommands::Action(const char* name) const {
    return form_.Action(name);
}

bool TMainCommands::Checked(const char* name) const {
    const QAction* a = Action(name);
    return a && a->isChecked();
}

void TMainCommands::ApplyStoredSettings() {
    const std::pair<const char*, bool> marks[] = {{"MenuAutoRange", settings_.AutoRange},
                                                  {"MenuAutoZero", settings_.AutoZero},
                                                  {"MenuViewMinMaxAv", settings_.ShowMinMaxAverage},
                                                  {"MenuShowIconStatus", settings_.ShowIconStatus},
                                                  {"MenuStayOnTop", settings_.StayOnTop}};
    for (const auto& [name, on] : marks)
        if (QAction* a = Action(name)) a->setChecked(on);
    ResetStats();
    form_.SetStayOnTop(settings_.StayOnTop);
}

// --- messages and guards ------------------------------------------------------------

void TMainCommands::Tell(const std::string& text, TMessageIcon icon) {
    prompts_.Message(text, icon);
}

void TMainCommands::Tell(TSettingsMessage message) {
    if (message == TSettingsMessage::smsgRefreshTooShort) return Tell(RefreshTooShortText(lang_), miWarning);
    const TMessageDef& def = SettingsMessage(message);
    Tell(std::string(def.Text(lang_)), def.Icon);
}

bool TMainCommands::PassGuards(TSettingsOperation op) {
    TGuardState state;
    state.PortOpen = controller_.PortListIndex() > 0;
    state.MerBusAddress = controller_.MerBusAddress();
    state.Mode = controller_.SettingsMode();
    state.RangeCount = controller_.Info().RangeCount;
    const TGuardOutcome outcome = RunGuards(op, state);
    if (outcome.ClosePanel) controller_.CloseSettingsPanel();
    if (outcome.Message) Tell(*outcome.Message);
    return outcome.Pass;
}

// --- zeroing ---------------------------------------------------------------------------

void TMainCommands::ZeroDetector() {
    if (!PassGuards(TSettingsOperation::soZeroing)) return;
    bool save = true;
    if (!prompts_.OkCancelCheck(std::string(ZERO_DETECTOR_WARNING(lang_)),
                                std::string(ZERO_SAVE_IN_EEPROM(lang_)), save))
        return;
    form_.ShowDisplayMessage(Q(DETECTOR_ZEROING_TEXT(lang_)));
    controller_.StartZeroing(save ? slotSvcZeroDetector : slotZeroDetector, false, host_.Now());
    host_.ShowCollectedMessages();
}

void TMainCommands::ZeroSystem(bool store) {
    if (!PassGuards(TSettingsOperation::soZeroing)) return;
    form_.ShowDisplayMessage(Q(SYSTEM_ZEROING_TEXT(lang_)));
    controller_.StartZeroing(slotZeroSystem, store, host_.Now());
    host_.ShowCollectedMessages();
}

void TMainCommands::AutoZeroToggled() {
    settings_.AutoZero = Checked("MenuAutoZero");
    if (settings_.AutoZero) RunDriftTest(controller_.Info());
}

void TMainCommands::RunDriftTest(const TMeterInfo& info) {
    if (TemperatureDriftNeedsZeroing(settings_.AutoZero, info.StatusFlags, info.TemperatureCode,
                                     info.ZeroTempCode))
        controller_.ScheduleSystemZeroing(host_.Now());
}

// --- the settings panel ----------------------------------------------------------------

TPanelInputs TMainCommands::PanelInputs() const {
    TPanelInputs in;
    in.MerBusAddress = controller_.MerBusAddress();
    in.ModBusAddress = controller_.ModBusAddress();
    in.ConvCount = controller_.Info().ConvCount;
    in.AverCount = settings_.AverCount;
    in.RepeatTime = settings_.RepeatTime;
    in.RepeatAuto = settings_.RepeatAuto;
    in.PollPeriodMs = static_cast<int32_t>(controller_.PollPeriod());
    in.StatusPeriodMs = static_cast<int32_t>(controller_.StatusPeriod());
    return in;
}

void TMainCommands::OpenValuePanel(TPanelKind kind, TSettingsOperation op) {
    if (!PassGuards(op)) return;
    controller_.SetSettingsMode(static_cast<uint8_t>(controller_.SettingsMode() | PanelModeBit(kind)));
    form_.OpenSettingsPanel();
    form_.SettingsPanel()->OpenValuePanel(kind, PanelInputs());
}

void TMainCommands::OpenRangePanel() {
    if (!PassGuards(TSettingsOperation::soDefaultRange)) return;
    const TMeterInfo& info = controller_.Info();
    std::vector<std::string> texts;
    for (int i = 0; i < info.RangeCount && i < 3; ++i)
        texts.push_back(FormatRangeText(info.RangeFullScale[i], true, separator_));
    const auto kindByte = static_cast<uint8_t>(info.MeterKind | (info.LumMode ? 0x80 : 0));
    const std::string unit =
        IsValidMeterType(kindByte) ? std::string(MeterUnitText(info.MeterKind, info.LumMode)) : std::string();
    controller_.SetSettingsMode(static_cast<uint8_t>(controller_.SettingsMode() | smPanelDefaultRange));
    form_.OpenSettingsPanel();
    form_.SettingsPanel()->OpenRangePanel(texts, unit, info.DefaultRange);
}

void TMainCommands::ValueApplied(const TPanelApply& result) {
    if (result.Error) return Tell(*result.Error);
    const TPanelKind kind = form_.SettingsPanel()->Kind();
    const uint32_t now = host_.Now();
    switch (kind) {
    case TPanelKind::pkMerBus:
        controller_.SendMerBusAddress(static_cast<uint16_t>(result.Value), now);
        break;
    case TPanelKind::pkModBus:
        controller_.SendModBusAddress(static_cast<uint8_t>(result.Value), now);
        break;
    case TPanelKind::pkConvCount:
        controller_.SendConversions(static_cast<uint8_t>(result.Value), now);
        break;
    case TPanelKind::pkAverCount:
        ApplyAverCount(result.Value);
        break;
    case TPanelKind::pkRefresh:
        ApplyRefresh(result.RepeatAuto, result.Value);
        break;
    case TPanelKind::pkDefaultRange:
        break;
    }
    host_.ShowCollectedMessages();
}

void TMainCommands::ApplyAverCount(int32_t count) {
    if (count != settings_.AverCount) {
        settings_.AverCount = count;
        stats_.SetWindowLength(count, separator_);
        ShowStats(); // the average may be recomputed, and its grey follows the new length
        host_.RefreshIcons();
        host_.RefreshSettingsDialog(srAverage);
    }
    controller_.CloseSettingsPanel();
}

void TMainCommands::ApplyRefresh(bool repeatAuto, int32_t time) {
    settings_.RepeatAuto = repeatAuto;
    if (!repeatAuto) settings_.RepeatTime = time;
    controller_.SetRepeat(settings_.RepeatAuto, static_cast<uint32_t>(settings_.RepeatTime), host_.Now());
    host_.RefreshIcons();
    controller_.CloseSettingsPanel();
    host_.RefreshSettingsDialog(srRefreshRate);
}

void TMainCommands::RangeApplied(int index) {
    controller_.SendDefaultRange(static_cast<uint8_t>(index), host_.Now());
    host_.ShowCollectedMessages();
}

void TMainCommands::CancelPanel() {
    if (form_.SettingsPanelOpen()) controller_.CloseSettingsPanel();
}

void TMainCommands::PanelClosed() {
    form_.CloseSettingsPanel();
}

void TMainCommands::PollPeriodChanged() {
    if (form_.SettingsPanelOpen()) form_.SettingsPanel()->UpdateInputs(PanelInputs());
}

// --- ranges -------------------------------------------------------------------------------

void TMainCommands::RangeChosen(int index) {
    if (index == form_.AppliedRange()) return;
    if (!PassGuards(TSettingsOperation::soManualRange)) {
        form_.SelectRange(form_.AppliedRange());
        return;
    }
    form_.SetAppliedRange(index);
    controller_.QueueRange(static_cast<uint8_t>(index), host_.Now());
}

void TMainCommands::AutoRangeToggled() {
    settings_.AutoRange = Checked("MenuAutoRange");
    host_.RefreshIcons();
    host_.RefreshSettingsDialog(srAutoRange);
}

bool TMainCommands::AfterStatus(const TMeterInfo& info, const TStatusAnswer& status) {
    const bool historyRanges = host_.HistoryRecording && host_.HistoryRecording();
    if (settings_.AutoRange && !historyRanges) {
        if (const auto target = AutoRangeTarget(info, RangeReadingFrom(status))) {
            controller_.Info().RangeChangePending = true;
            controller_.QueueRange(static_cast<uint8_t>(*target), host_.Now());
            return true;
        }
    }
    RunDriftTest(info);
    return false;
}

// --- view ------------------------------------------------------------------------------------

void TMainCommands::StatusShown(const TStatusAnswer& status) {
    if (!Checked("MenuViewMinMaxAv") || !StatusFeedsStatistics(status)) return;
    stats_.AddStatus(MinMaxAvInputFrom(status), separator_);
    ShowStats();
}

void TMainCommands::ResetStats() {
    stats_.Reset(settings_.AverCount);
    ShowStats();
}

void TMainCommands::ShowStats() {
    form_.ShowStats(stats_, Checked("MenuViewMinMaxAv"));
}

void TMainCommands::StatsToggled() {
    settings_.ShowMinMaxAverage = Checked("MenuViewMinMaxAv");
    ResetStats();
}

void TMainCommands::IconStripToggled() {
    settings_.ShowIconStatus = Checked("MenuShowIconStatus");
}

void TMainCommands::StayOnTopToggled() {
    settings_.StayOnTop = Checked("MenuStayOnTop");
    form_.SetStayOnTop(settings_.StayOnTop);
}

} // namespace k730
