// The connection controller's answer dispatch: one handler per answer code,
// and the scheduling of the next status request.
#include "main/ControllerTexts.h"
#include "main/IdentityRecord.h"
#include "main/MeterController.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace k730 {

namespace {

constexpr uint8_t Answer(uint8_t command) {
    return command + MERBUS_ANSWER_BIT;
}

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
    // Answers that belong to the old meter are not applied after a change.
    switch (code) {
    case MERBUS_REFUSAL:
        return OnRefusal(frame);
    case Answer(CMD_IDENTIFY):
        return OnIdentity(frame);
    case Answer(CMD_MODBUS_ADDRESS):
        return OnModBusAddress(frame);
    case Answer(CMD_SVC_READINGS):
        scheduler_.slots[slotSvcReadings] = {};
        if (const auto r = ReadServiceReadings(frame); r && serviceOpen_) hooks_.ServiceReadings(*r);
        return;
    default:
        break;
    }
    if (changed) return;
    switch (code) {
    case Answer(CMD_SET_MERBUS_ADDRESS):
        return OnAddressSet(frame);
    case Answer(CMD_STATUS):
        return OnStatus(frame, now);
    case Answer(CMD_RANGE):
        return OnRange(frame, now);
    case Answer(CMD_DEFAULT_RANGE):
        return OnDefaultRange(frame);
    case Answer(CMD_CONVERSIONS):
        return OnConversions(frame, now);
    case Answer(CMD_ZERO_DETECTOR):
        return OnZeroing(frame, slotZeroDetector, now);
    case Answer(CMD_ZERO_SYSTEM):
        return OnZeroing(frame, slotZeroSystem, now);
    case Answer(CMD_SVC_ZERO_DETECTOR):
        return OnZeroing(frame, slotSvcZero, now);
    case Answer(CMD_SAVE_CALIBRATION):
        return OnCalibrationSaved(frame, removedType);
    case Answer(CMD_STORE_ZERO):
        scheduler_.slots[slotStoreZero] = {};
        return;
    default:
        return OnOtherAnswer(frame);
    }
}

void TMeterController::OnOtherAnswer(const TBytes& frame) {
    const uint8_t code = frame[3];
    if (code == Answer(CMD_SET_MODE) || code == Answer(CMD_SET_FORCING_VALUE) ||
        code == Answer(CMD_SET_CAL_PARAMETER))
        return OnCalibrationAnswer(frame);
    if (code == Answer(CMD_SVC_CONFIG)) {
        scheduler_.slots[slotSvcConfig] = {};
        if (serviceOpen_ && frame.size() >= 10) hooks_.ServiceConfig(frame[8]);
    } else if (code >= Answer(CMD_SVC_KIND) && code <= Answer(CMD_SVC_RANGES)) {
        // Identity data was rewritten: read the identity again.
        scheduler_.slots[slotIdentity].pending = true;
        identified_ = false;
    } else if (code == Answer(CMD_SVC_VALUE)) {
        scheduler_.slots[slotSvcValue] = {};
        if (const auto v = FrameF32(frame, 8); v && frame.size() >= 13 && serviceOpen_)
            hooks_.ServiceValue(*v);
    }
}

void TMeterController::OnCalibrationAnswer(const TBytes& frame) {
    const uint8_t code = frame[3];
    const auto dac = frame.size() >= 13 ? FrameU32(frame, 8) : std::nullopt;
    if (code == Answer(CMD_SET_FORCING_VALUE) && dac && serviceOpen_) hooks_.ServiceForcingValue(*dac);
    if (!calibrationOpen_) return;
    if (code == Answer(CMD_SET_MODE))
        hooks_.CalModeSet();
    else if (code == Answer(CMD_SET_FORCING_VALUE) && dac)
        hooks_.CalForcingValue(*dac);
    else if (code == Answer(CMD_SET_CAL_PARAMETER))
        hooks_.CalParameter(frame);
}

void TMeterController::OnRefusal(const TBytes& frame) {
    if (frame.size() >= 10 && frame[8] == CMD_SAVE_CALIBRATION) Collect(Text(txtCalSaveRefused), miWarning);
}

void TMeterController::OnIdentity(const TBytes& frame) {
    scheduler_.slots[slotIdentity] = {};
    if (frame.size() > 6) {
        merBusAddress_ = *FrameU16(frame, 5);
        info_.MerBusAddrKnown = true;
    }
    const auto id = ReadIdentityAnswer(frame);
    if (!id) return; // too short for its trailer: the stored record stays
    identified_ = true;
    TMeterInfo fresh = MeterInfoFromIdentity(*id, info_);
    identityText_ = JoinIdentityTexts(*id);
    const bool rangesDiffer = fresh.RangeCount != info_.RangeCount ||
                              fresh.RangeFullScale != info_.RangeFullScale ||
                              fresh.MeterKind != info_.MeterKind;
    if (rangesDiffer) hooks_.ClearMinMaxAv();
    if (!SameMeterInfo(info_, fresh)) {
        info_ = fresh;
        scheduler_.ResetSlots(true, false);
        scheduler_.slots[slotIdentity].pending = false;
    }
    if (rangesDiffer) RebuildRangeList();
    info_.NewFirmware = CompareVersions(info_.FirmwareVersion, "2.0.0005") >= 0;
    ShowMeterName();
    hooks_.RefreshSettingsDialog(-1);
    if (serviceOpen_) hooks_.ServiceIdentity(info_);
}

void TMeterController::OnAddressSet(const TBytes& frame) {
    if (frame.size() > 6) merBusAddress_ = *FrameU16(frame, 5);
    if (settingsMode_ & smPanelMerBus) {
        CloseSettingsPanel();
        Collect(Fill(Text(txtAddressSet), {"MerBUS", HexDigits(merBusAddress_, 4)}), miInformation);
    }
    info_.MerBusAddrKnown = true;
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::OnModBusAddress(const TBytes& frame) {
    scheduler_.slots[slotModBus] = {};
    if (frame.size() < 10) return;
    modBusAddress_ = frame[8];
    if (settingsMode_ & smPanelModBus) {
        CloseSettingsPanel();
        Collect(Fill(Text(txtAddressSet), {"MODBUS", HexDigits(modBusAddress_, 2)}), miInformation);
    }
    info_.ModBusAddrKnown = true;
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::StoreStatus(const TStatusReading& r) {
    info_.StatusFlags = r.flags;
    info_.StatusKnown = true;
    info_.ConvCount = r.conversions;
    info_.TemperatureCode = r.temperatureCode;
    if (r.hasZeroTempCode) info_.ZeroTempCode = r.zeroTempCode;
    // The calibration values are only meaningful in normal measurement.
    if (r.mode == 0) {
        info_.ForcingValue4mA = r.forcingValue4mA;
        info_.ResultFactor = r.resultFactor;
        info_.LoopFactor = r.loopFactor;
        info_.CalTempCode = r.calTempCode;
    }
}

void TMeterController::OnStatus(const TBytes& frame, uint32_t now) {
    scheduler_.slots[slotStatus] = {};
    const auto reading = ReadStatusAnswer(frame);
    if (reading) {
        StoreStatus(*reading);
        hooks_.ShowStatus(info_, *reading);
        hooks_.FlashLamp(80);
        const bool zeroingShown = (settingsMode_ & (smZeroRunning | smZeroStarted)) == smZeroRunning;
        if (zeroingShown && (reading->flags & 0x06) == 0) CloseSettingsPanel();
    }
    ScheduleNextStatus(now);
    if (serviceOpen_) hooks_.ServiceStatus(frame);
    if (calibrationOpen_) hooks_.CalStatus(frame);
    if (historyOpen_) hooks_.HistStatus(frame);
    if (reading) {
        if (reading->hasFullScale) SelectReportedRange(reading->fullScale);
        hooks_.AfterStatus(info_, *reading);
    }
}

void TMeterController::OnRange(const TBytes& frame, uint32_t now) {
    const bool quiet = scheduler_.slots[slotRange].quiet;
    scheduler_.slots[slotRange] = {};
    info_.ZeroTempCode = 0;
    if (!quiet) {
        uint32_t due = 0;
        if (info_.RangeChangePending) {
            due = lastStatusRequestTick_ + PollPeriod();
            info_.RangeChangePending = false; // the meter confirmed the change
        } else {
            due = now + 320;
            if (frame.size() >= 10 && frame[8] < info_.RangeCount) hooks_.SelectRange(frame[8]);
        }
        TRequestSlot& status = scheduler_.slots[slotStatus];
        status.dueTick = autoPolling_ ? NonZero(due) : 0;
        status.altDueTick = autoPolling_ ? 0 : NonZero(due);
        Wake();
    }
    if (historyOpen_) hooks_.HistRange(frame);
}

void TMeterController::OnDefaultRange(const TBytes& frame) {
    scheduler_.slots[slotDefaultRange] = {};
    if (frame.size() < 10) return;
    const uint8_t range = frame[8];
    info_.DefaultRange = range;
    if (settingsMode_ & smPanelDefaultRange) {
        CloseSettingsPanel();
        if (range < 3)
            Collect(Fill(Text(txtDefaultRangeSet), {RangeItemText(info_.RangeFullScale[range])}),
                    miInformation);
    }
    if (serviceOpen_) hooks_.ServiceSettingsChanged();
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::OnConversions(const TBytes& frame, uint32_t now) {
    const bool quiet = scheduler_.slots[slotConversions].quiet;
    scheduler_.slots[slotConversions] = {};
    if (frame.size() < 10) return;
    info_.ConvCount = frame[8];
    if (settingsMode_ & smPanelConversions) CloseSettingsPanel();
    if (!quiet) {
        scheduler_.slots[slotStatus].dueTick = NonZero(now);
        ScheduleNextStatus(now);
    }
    if (serviceOpen_) hooks_.ServiceSettingsChanged();
    hooks_.RefreshStatusIcons();
    hooks_.RefreshSettingsDialog(-1);
}

void TMeterController::OnZeroing(const TBytes& frame, int slot, uint32_t now) {
    TRequestSlot& s = scheduler_.slots[slot];
    const bool save = s.save;
    s = {};
    if (slot == slotZeroSystem) s.save = save;
    settingsMode_ &= static_cast<uint8_t>(~smZeroStarted);
    if (frame.size() < 10) return;
    if (frame[8] != 0) {
        // Still running: ask again, without data, in 500 ms.
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
        scheduler_.slots[slotStoreZero].pending = true;
        scheduler_.slots[slotStatus].dueTick = NonZero(now + 160);
        Wake();
    }
}

void TMeterController::OnCalibrationSaved(const TBytes& frame, uint8_t removedType) {
    if (removedType != CMD_SAVE_CALIBRATION) return;
    const auto saved = ReadCalibrationSaved(frame);
    if (!saved) return;
    if (serviceOpen_) hooks_.ServiceCalibrationSaved(*saved);
    calibrationOpen_ = false;
    std::string text = hooks_.CalSaved(*saved, savedComment_.value_or(std::string()));
    if (!text.empty()) Collect(std::move(text), miInformation);
}

void TMeterController::ScheduleNextStatus(uint32_t now) {
    TRequestSlot& status = scheduler_.slots[slotStatus];
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
    std::string name = EscapeAmpersands(info_.ModelDescriptor);
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    // "żaden" compared without case: only its ASCII letters change case.
    std::string l = lower(name);
    if (l.rfind("\u017B", 0) == 0) // capital Ż
        l.replace(0, 2, "\u017C");
    if (name.empty() || l == "\u017Caden" || l == "none") name = "-----";
    std::string number = SerialAndYearText(info_.SerialNumber, info_.ProductionYear);
    if (number.empty()) number = "-----";
    hooks_.ShowMeterName(name, number);
}

} // namespace k730
