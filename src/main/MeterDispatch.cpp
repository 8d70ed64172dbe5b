// The connection controller's answer dispatch: one handler per answer code,
// and the scheduling of the next status request.
#include "main/ControllerTexts.h"
#include "main/MeterController.h"
#include "main/MeterKind.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <utility>

namespace k730 {

namespace {

std::string HexDigits(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

// Fills the %s places of a message in order.
std::string Fill(std::string_view format, std::initializer_list<std::string> args) {
    std::string out;
    auto arg = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's' && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

uint32_t NonZero(uint32_t tick) {
    return tick == 0 ? 1 : tick;
}

} // namespace

void TMeterController::Dispatch(const TBytes& frame, bool changed, uint8_t removedType, uint32_t now) {
    const uint8_t code = frame[3];
    switch (code) {
    case MERBUS_REFUSAL:
        return OnRefusal(frame);
    case ANS_IDENTIFY:
        return OnIdentity(frame);
    case ANS_MODBUS_ADDRESS:
        return OnModBusAddress(frame);
    case ANS_SVC_READINGS:
        scheduler_.ClearSlot(slotSvcReadings);
        if (const auto r = DecodeSvcReadings(frame); r && serviceOpen_) hooks_.ServiceReadings(*r);
        return;
    default:
        break;
    }
    // The remaining answers belong to the old meter after a change.
    if (changed) return;
    switch (code) {
    case ANS_SET_MERBUS_ADDRESS:
        return OnAddressSet(frame);
    case ANS_STATUS:
        return OnStatus(frame, now);
    case ANS_RANGE:
        return OnRange(frame, now);
    case ANS_DEFAULT_RANGE:
        return OnDefaultRange(frame);
    case ANS_CONVERSIONS:
        return OnConversions(frame, now);
    case ANS_ZERO_DETECTOR:
        return OnZeroing(frame, slotZeroDetector, now);
    case ANS_ZERO_SYSTEM:
        return OnZeroing(frame, slotZeroSystem, now);
    case ANS_SVC_ZERO_DETECTOR:
        return OnZeroing(frame, slotSvcZeroDetector, now);
    case ANS_SAVE_CALIBRATION:
        return OnCalibrationSaved(frame, removedType);
    case ANS_STORE_ZERO:
        return scheduler_.ClearSlot(slotStoreZero);
    default:
        return OnOtherAnswer(frame);
    }
}

void TMeterController::OnOtherAnswer(const TBytes& frame) {
    const uint8_t code = frame[3];
    switch (code) {
    case ANS_SET_MODE:
    case ANS_SET_FORCING_VALUE:
    case ANS_SET_CAL_PARAMETER:
        return OnCalibrationAnswer(frame);
    case ANS_SVC_CONFIG:
        scheduler_.ClearSlot(slotSvcConfig);
        if (const auto config = DecodeSvcConfig(frame); config && serviceOpen_) hooks_.ServiceConfig(*config);
        return;
    case ANS_SVC_KIND:
    case ANS_SVC_DESCRIPTOR:
    case ANS_SVC_SERIAL_YEAR:
    case ANS_SVC_RANGES:
        // Identity data was rewritten: read the identity again.
        scheduler_.Slot(slotIdentify).pending = true;
        identified_ = false;
        return;
    case ANS_SVC_VALUE:
        scheduler_.ClearSlot(slotSvcValue);
        if (const auto v = DecodeSvcValue(frame); v && serviceOpen_) hooks_.ServiceValue(*v);
        return;
    default:
        return; // 0xE5 and unknown codes carry nothing the program reads
    }
}

void TMeterController::OnCalibrationAnswer(const TBytes& frame) {
    const uint8_t code = frame[3];
    const auto dac = code == ANS_SET_FORCING_VALUE ? DecodeForcingValue(frame) : std::nullopt;
    if (dac && serviceOpen_) hooks_.ServiceForcingValue(*dac);
    if (!calibrationOpen_) return;
    if (code == ANS_SET_MODE)
        hooks_.CalModeSet();
    else if (dac)
        hooks_.CalForcingValue(*dac);
    else if (code == ANS_SET_CAL_PARAMETER)
        hooks_.CalParameter(frame);
}

void TMeterController::OnRefusal(const TBytes& frame) {
    if (DecodeRefusal(frame) == CMD_SAVE_CALIBRATION) Collect(Text(txtCalSaveRefused), miWarning);
}

void TMeterController::OnIdentity(const TBytes& frame) {
    scheduler_.ClearSlot(slotIdentify);
    if (const auto header = DecodeAnswerHeader(frame); header && header->address) {
        merBusAddress_ = *header->address;
        info_.MerBusAddrKnown = true;
    }
    const auto answer = DecodeIdentity(frame);
    if (!answer) return; // too short for its trailer: the stored record stays
    TIdentity id = MeterInfoFromIdentity(*answer, info_);
    identified_ = true;
    TMeterInfo& fresh = id.Info;
    fresh.NewFirmware = IsNewFirmware(fresh.FirmwareVersion);
    identityText_ = id.IdentityText;
    const bool rangesDiffer = RangesDiffer(fresh, info_);
    if (rangesDiffer) hooks_.ClearMinMaxAv();
    if (!SameMeterInfo(info_, fresh)) {
        info_ = fresh;
        scheduler_.ResetSlots(true, false);
        scheduler_.Slot(slotIdentify).pending = false;
    }
    if (rangesDiffer) RebuildRangeList();
    ShowMeterName();
    // The "..." of the port change goes: the meter on this port has answered.
    if (portListIndex_ > 0 && portListIndex_ < static_cast<int>(portItems_.size()))
        hooks_.SetTitle(portItems_[portListIndex_]);
    hooks_.RefreshSettingsDialog(-1);
    if (serviceOpen_) hooks_.ServiceIdentity(info_);
}

void TMeterController::OnAddressSet(const TBytes& frame) {
    if (const auto a = DecodeAddressSet(frame)) merBusAddress_ = a->address;
    if (settingsMode_ & smPanelMerBus) {
        CloseSettingsPanel();
        Collect(Fill(Text(txtAddressSet), {"MerBUS", HexDigits(merBusAddress_, 4)}), miInformation);
    }
    info_.MerBusAddrKnown = true;
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::OnModBusAddress(const TBytes& frame) {
    scheduler_.ClearSlot(slotModBusAddress);
    const auto address = DecodeModBusAddress(frame);
    if (!address) return;
    modBusAddress_ = *address;
    if (settingsMode_ & smPanelModBus) {
        CloseSettingsPanel();
        Collect(Fill(Text(txtAddressSet), {"MODBUS", HexDigits(modBusAddress_, 2)}), miInformation);
    }
    info_.ModBusAddrKnown = true;
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::StoreStatus(const TStatusAnswer& s) {
    const bool loopWas = info_.StatusKnown && (info_.StatusFlags & sfLoopOn) != 0;
    const bool firstStatus = !info_.StatusKnown;
    const uint8_t conversionsWere = info_.ConvCount;
    info_.StatusFlags = s.flags.value_or(0);
    info_.StatusKnown = true;
    if (s.conversions) info_.ConvCount = *s.conversions;
    // The settings dialog shows the loop state and the conversions (with the
    // times that follow from them) as the status answers report them.
    const bool loopIs = (info_.StatusFlags & sfLoopOn) != 0;
    if (firstStatus || loopIs != loopWas) hooks_.RefreshSettingsDialog(srLoop);
    if (info_.ConvCount != conversionsWere) hooks_.RefreshSettingsDialog(srConversions);
    if (s.temperatureCode) info_.TemperatureCode = *s.temperatureCode;
    if (s.zeroTempCode) info_.ZeroTempCode = *s.zeroTempCode;
    // The decoder gives the calibration values only in normal measurement.
    if (s.forcingValue4mA) info_.ForcingValue4mA = *s.forcingValue4mA;
    if (s.resultFactor) info_.ResultFactor = *s.resultFactor;
    if (s.loopFactor) info_.LoopFactor = *s.loopFactor;
    if (s.calTempCode) info_.CalTempCode = static_cast<uint16_t>(*s.calTempCode);
}

void TMeterController::OnStatus(const TBytes& frame, uint32_t now) {
    scheduler_.ClearSlot(slotStatus);
    auto status = DecodeStatus(frame);
    if (status && !status->IsDisplayable()) status.reset();
    if (status) {
        StoreStatus(*status);
        hooks_.ShowStatus(info_, *status);
        hooks_.FlashLamp(80);
        // A zeroing shown on the display ends when the meter no longer reports one.
        const bool zeroingShown = (settingsMode_ & (smZeroRunning | smZeroStarted)) == smZeroRunning;
        if (zeroingShown && (info_.StatusFlags & 0x06) == 0) CloseSettingsPanel();
    }
    ScheduleNextStatus(now);
    if (serviceOpen_) hooks_.ServiceStatus(frame);
    if (calibrationOpen_) hooks_.CalStatus(frame);
    if (historyOpen_) {
        hooks_.HistStatus(frame);
        // The scan that follows this answer sends the request a tick could not.
        if (std::exchange(historyOwed_, false)) scheduler_.Queue(TQueueItem{{CMD_STATUS}, {}});
    }
    if (status) {
        if (status->rangeFullScale) SelectReportedRange(*status->rangeFullScale);
        hooks_.AfterStatus(info_, *status);
    }
}

void TMeterController::OnRange(const TBytes& frame, uint32_t now) {
    const bool quiet = scheduler_.Slot(slotRange).quiet;
    scheduler_.ClearSlot(slotRange);
    info_.ZeroTempCode = 0;
    if (!quiet) {
        uint32_t due = 0;
        if (info_.RangeChangePending) {
            due = lastStatusRequestTick_ + PollPeriod();
            info_.RangeChangePending = false; // the meter confirmed the change
        } else {
            due = now + 320;
            if (const auto range = DecodeRange(frame); range && *range < info_.RangeCount)
                hooks_.SelectRange(*range);
        }
        TRequestSlot& status = scheduler_.Slot(slotStatus);
        status.dueTick = autoPolling_ ? NonZero(due) : 0;
        status.alternateDueTick = autoPolling_ ? 0 : NonZero(due);
        Wake();
    }
    if (historyOpen_) hooks_.HistRange(frame);
}

void TMeterController::OnDefaultRange(const TBytes& frame) {
    scheduler_.ClearSlot(slotDefaultRange);
    const auto range = DecodeDefaultRange(frame);
    if (!range) return;
    info_.DefaultRange = *range;
    if (settingsMode_ & smPanelDefaultRange) {
        CloseSettingsPanel();
        if (*range < 3)
            Collect(Fill(Text(txtDefaultRangeSet), {RangeItemText(info_.RangeFullScale[*range])}),
                    miInformation);
    }
    if (serviceOpen_) {
        hooks_.ServiceDefaultRange(*range);
        hooks_.ServiceSettingsChanged();
    }
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::OnConversions(const TBytes& frame, uint32_t now) {
    const bool quiet = scheduler_.Slot(slotConversions).quiet;
    scheduler_.ClearSlot(slotConversions);
    const auto count = DecodeConversions(frame);
    if (!count) return;
    info_.ConvCount = *count;
    if (settingsMode_ & smPanelConversions) CloseSettingsPanel();
    if (!quiet) {
        scheduler_.Slot(slotStatus).dueTick = NonZero(now);
        ScheduleNextStatus(now);
    }
    if (serviceOpen_) hooks_.ServiceSettingsChanged();
    hooks_.RefreshStatusIcons();
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::OnZeroing(const TBytes& frame, size_t slot, uint32_t now) {
    TRequestSlot& s = scheduler_.Slot(slot);
    const bool save = s.save;
    scheduler_.ClearSlot(slot);
    if (slot == slotZeroSystem) s.save = save;
    settingsMode_ &= static_cast<uint8_t>(~smZeroStarted);
    const auto running = DecodeZeroingRunning(frame);
    if (!running) return;
    if (*running) {
        // Asked again, without data, in 500 ms.
        hooks_.ShowDisplayText(Text(txtZeroingInProgress));
        s.dueTick = NonZero(now + 500);
        running_ = true;
        settingsMode_ |= smZeroRunning;
        Wake();
        return;
    }
    CloseSettingsPanel();
    if (slot == slotZeroSystem && s.save) {
        s.save = false;
        scheduler_.Slot(slotStoreZero).pending = true;
        scheduler_.Slot(slotStatus).dueTick = NonZero(now + 160);
        Wake();
    }
}

void TMeterController::OnCalibrationSaved(const TBytes& frame, uint8_t removedType) {
    if (removedType != CMD_SAVE_CALIBRATION) return;
    const auto saved = DecodeCalibrationSaved(frame);
    if (!saved) return;
    if (serviceOpen_) hooks_.ServiceCalibrationSaved(*saved);
    calibrationOpen_ = false;
    std::string text = hooks_.CalSaved(*saved, savedComment_.value_or(std::string()));
    if (!text.empty()) Collect(std::move(text), miInformation);
}

void TMeterController::ScheduleNextStatus(uint32_t now) {
    TRequestSlot& status = scheduler_.Slot(slotStatus);
    const uint32_t period = StatusPeriod();
    // Keep to the grid of due ticks while it is not behind; else count from
    // the last request actually sent. Never earlier than now.
    const bool onGrid = status.dueTick != 0 && static_cast<int32_t>(status.dueTick + period - now) >= 0;
    const uint32_t base = onGrid ? status.dueTick : lastStatusRequestTick_;
    uint32_t next = base + period;
    if (static_cast<int32_t>(next - now) < 0) next = now;
    status.dueTick = NonZero(next);
    Wake();
}

// --- main window texts ----------------------------------------------------------

std::string TMeterController::RangeItemText(float fullScale) const {
    std::string text = FormatRangeText(fullScale, true, config_.decimalSeparator);
    const uint8_t kindByte = static_cast<uint8_t>(info_.MeterKind | (info_.LumMode ? 0x80 : 0));
    if (IsValidMeterType(kindByte)) text += MeterUnitText(info_.MeterKind, info_.LumMode);
    return text;
}

void TMeterController::RebuildRangeList() {
    std::vector<std::string> items;
    for (int i = 0; i < info_.RangeCount && i < 3; ++i)
        items.push_back(RangeItemText(info_.RangeFullScale[i]));
    hooks_.ShowRangeList(items);
}

void TMeterController::SelectReportedRange(float fullScale) {
    const std::string reported = RangeItemText(fullScale);
    for (int i = 0; i < info_.RangeCount && i < 3; ++i)
        if (RangeItemText(info_.RangeFullScale[i]) == reported) return hooks_.SelectRange(i);
}

void TMeterController::ShowMeterName() {
    hooks_.ShowMeterName(MeterNameText(info_.ModelDescriptor),
                         MeterNumberText(SerialAndYearText(info_.SerialNumber, info_.ProductionYear)));
}

} // namespace k730
