// Guards, panel rules, confirmations and zeroing of the settings operations.
#include "main/SettingsOps.h"

#include <charconv>
#include <cstdio>
#include <span>
#include <vector>

namespace k730 {

namespace {

const TMessageDef MESSAGES[] = {
    {{"Nie wybrano portu komunikacji.", "Comm port not selected."}, miWarning},
    {{"Nie odczytano adresu urządzenia.", "Meter address not readed."}, miWarning},
    {{"Zaczekaj aż skończy się zerowanie.", "Wait till the end of zeroing."}, miInformation},
    {{"Brak informacji o zakresach pomiarowych.", "Measuring ranges unknown."}, miWarning},
    {{"Niewłaściwy adres.", "Incorrect address."}, miWarning},
    {{"Niewłaściwa liczba.", "Incorrect value."}, miWarning},
    {{"Minimalna wartość wynosi %dms", "Minimal value is %dms"}, miWarning},
    {{"Adres protokołu %s ustawiono na 0x%s", "%s address was set as 0x%s"}, miInformation},
    {{"Domyślny zakres pomiarowy ustawiono na %s", "Default measuring range was set as %s."}, miInformation},
};

// Replaces the printf-style fields of `format` in order: %d and %s alike take
// the next value. The values come from the program, never from the user.
std::string Fill(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string out;
    auto next = values.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == 'd' || format[i + 1] == 's') &&
            next != values.end()) {
            out += *next++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

enum TGuard {
    gPortOpen,
    gAddressKnown,
    gNotZeroing,
    gRangesKnown,
    gLeaveAddress,
    gLeaveConv,
    gLeaveRange,
    gLeaveAverage
};
enum TOnFail { fReport, fSilent, fLeave };

struct TGuardStep {
    TGuard Guard;
    TOnFail OnFail;
};

constexpr TGuardStep ZEROING_GUARDS[] = {
    {gPortOpen, fReport}, {gAddressKnown, fReport}, {gNotZeroing, fSilent}, {gLeaveAddress, fLeave},
    {gLeaveConv, fLeave}, {gRangesKnown, fReport},  {gLeaveRange, fLeave},  {gLeaveAverage, fLeave}};
constexpr TGuardStep ADDRESS_GUARDS[] = {
    {gPortOpen, fReport},    {gAddressKnown, fReport}, {gRangesKnown, fReport}, {gNotZeroing, fReport},
    {gLeaveAddress, fLeave}, {gLeaveConv, fLeave},     {gLeaveRange, fLeave},   {gLeaveAverage, fLeave}};
constexpr TGuardStep PROGRAM_GUARDS[] = {{gNotZeroing, fReport},
                                         {gLeaveAddress, fLeave},
                                         {gLeaveConv, fLeave},
                                         {gLeaveRange, fLeave},
                                         {gLeaveAverage, fLeave}};
constexpr TGuardStep DEFAULT_RANGE_GUARDS[] = {
    {gPortOpen, fReport}, {gAddressKnown, fReport}, {gNotZeroing, fReport}, {gLeaveAddress, fLeave},
    {gLeaveConv, fLeave}, {gRangesKnown, fReport},  {gLeaveRange, fLeave},  {gLeaveAverage, fLeave}};
constexpr TGuardStep MANUAL_RANGE_GUARDS[] = {{gPortOpen, fReport},   {gAddressKnown, fReport},
                                              {gNotZeroing, fReport}, {gLeaveAddress, fLeave},
                                              {gLeaveConv, fLeave},   {gLeaveRange, fLeave}};

std::span<const TGuardStep> GuardSequence(TSettingsOperation op) {
    switch (op) {
    case TSettingsOperation::soZeroing:
        return ZEROING_GUARDS;
    case TSettingsOperation::soMerBusAddress:
    case TSettingsOperation::soModBusAddress:
    case TSettingsOperation::soConvCount:
        return ADDRESS_GUARDS;
    case TSettingsOperation::soAverCount:
    case TSettingsOperation::soRefreshRate:
        return PROGRAM_GUARDS;
    case TSettingsOperation::soDefaultRange:
        return DEFAULT_RANGE_GUARDS;
    case TSettingsOperation::soManualRange:
        return MANUAL_RANGE_GUARDS;
    }
    return {};
}

// The refresh-rate panel has no leave guard of its own; it is closed together
// with the moving-average panel, so that only one panel is ever open.
constexpr uint8_t AVERAGE_PANELS = smPanelAverage | smPanelRefresh;

// For a check guard: whether it passes and its message. For a leave guard: the
// panel bits it closes.
bool GuardPasses(TGuard guard, const TGuardState& s) {
    switch (guard) {
    case gPortOpen:
        return s.PortOpen;
    case gAddressKnown:
        return s.MerBusAddress != 0xFFFF;
    case gNotZeroing:
        return (s.Mode & smZeroRunning) == 0;
    case gRangesKnown:
        return s.RangeCount > 0;
    case gLeaveAddress:
        return (s.Mode & (smPanelMerBus | smPanelModBus)) == 0;
    case gLeaveConv:
        return (s.Mode & smPanelConversions) == 0;
    case gLeaveRange:
        return (s.Mode & smPanelDefaultRange) == 0;
    case gLeaveAverage:
        return (s.Mode & AVERAGE_PANELS) == 0;
    }
    return true;
}

TSettingsMessage GuardMessage(TGuard guard) {
    switch (guard) {
    case gPortOpen:
        return TSettingsMessage::smsgNoPort;
    case gAddressKnown:
        return TSettingsMessage::smsgAddressUnknown;
    case gNotZeroing:
        return TSettingsMessage::smsgZeroing;
    default:
        return TSettingsMessage::smsgRangesUnknown;
    }
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

TPanelApply Rejected(TSettingsMessage message) {
    TPanelApply r;
    r.Error = message;
    return r;
}

TPanelApply Send(TMerBusCommand command, TBytes data, int32_t value) {
    TPanelApply r;
    r.Request = TPanelRequest{command, std::move(data)};
    r.Value = value;
    return r;
}

TPanelApply ApplyAddress(TPanelKind kind, std::string_view text) {
    const auto address = ParseHexAddress(text);
    if (kind == TPanelKind::pkMerBus) {
        if (!address || *address > 0xFFFE) return Rejected(TSettingsMessage::smsgBadAddress);
        const auto a = static_cast<uint16_t>(*address);
        return Send(CMD_SET_MERBUS_ADDRESS, {uint8_t(a & 0xFF), uint8_t(a >> 8)}, a);
    }
    if (!address || *address < 1 || *address > 247) return Rejected(TSettingsMessage::smsgBadAddress);
    return Send(CMD_MODBUS_ADDRESS, {uint8_t(*address)}, static_cast<int32_t>(*address));
}

TPanelApply ApplyRefresh(std::string_view text, bool repeatAuto) {
    TPanelApply r;
    r.RepeatAuto = repeatAuto;
    if (!repeatAuto) {
        const auto time = ParseDecimal(text);
        if (!time || *time <= 0 || *time > INT32_MAX) return Rejected(TSettingsMessage::smsgBadNumber);
        if (*time < MIN_REFRESH_MS) return Rejected(TSettingsMessage::smsgRefreshTooShort);
        r.Value = static_cast<int32_t>(*time);
    }
    r.ClosePanel = true;
    return r;
}

} // namespace

const TText ZERO_DETECTOR_WARNING{
    "UWAGA\r\nProcedura zerowania może być przeprowadzona\r\nwyłącznie przy zakrytej głowicy "
    "pomiarowej!\r\n\r\n"
    "Jeśli chcesz kontynuować zerowanie,\r\nzakryj głowicę pomiarową i naciśnij klawisz OK.",
    "WARNING\r\nZeroing procedure can be carried out\r\nonly with detector covered.\r\n"
    "If you want to continue, cover the detector\r\nand press OK."};
const TText ZERO_SAVE_IN_EEPROM{"Zapisz wsp. zerowania systemu pomiarowego w EEPROM",
                                "Save zeroing factor in EEPROM"};
const TText DETECTOR_ZEROING_TEXT{"Zeruję detektor...", "Detector zeroing..."};
const TText SYSTEM_ZEROING_TEXT{"Zeruję\r\nsystem pomiarowy...", "Measuring system\r\nzeroing..."};
const TText ZEROING_IN_PROGRESS_TEXT{"Trwa zerowanie", "Zeroing in progress"};

const TMessageDef& SettingsMessage(TSettingsMessage message) {
    return MESSAGES[static_cast<size_t>(message)];
}

std::string RefreshTooShortText(TLanguage lang) {
    return Fill(SettingsMessage(TSettingsMessage::smsgRefreshTooShort).Text(lang),
                {std::to_string(MIN_REFRESH_MS)});
}

std::string AddressConfirmedText(TLanguage lang, std::string_view protocol, std::string_view hexDigits) {
    return Fill(SettingsMessage(TSettingsMessage::smsgAddressConfirmed).Text(lang), {protocol, hexDigits});
}

std::string DefaultRangeConfirmedText(TLanguage lang, std::string_view rangeWithUnit) {
    return Fill(SettingsMessage(TSettingsMessage::smsgDefaultRangeConfirmed).Text(lang), {rangeWithUnit});
}

TGuardOutcome RunGuards(TSettingsOperation op, const TGuardState& state) {
    TGuardOutcome outcome;
    for (const auto& step : GuardSequence(op)) {
        if (GuardPasses(step.Guard, state)) continue;
        if (step.OnFail == fLeave) {
            outcome.ClosePanel = true;
            continue;
        }
        outcome.Pass = false;
        if (step.OnFail == fReport) outcome.Message = GuardMessage(step.Guard);
        return outcome;
    }
    return outcome;
}

uint8_t PanelModeBit(TPanelKind kind) {
    switch (kind) {
    case TPanelKind::pkMerBus:
        return smPanelMerBus;
    case TPanelKind::pkModBus:
        return smPanelModBus;
    case TPanelKind::pkConvCount:
        return smPanelConversions;
    case TPanelKind::pkAverCount:
        return smPanelAverage;
    case TPanelKind::pkRefresh:
        return smPanelRefresh;
    case TPanelKind::pkDefaultRange:
        return smPanelDefaultRange;
    }
    return 0;
}

std::string PanelTitle(TPanelKind kind, TLanguage lang) {
    constexpr TText PROTOCOL{"Protokół", "Protocol"};
    switch (kind) {
    case TPanelKind::pkMerBus:
        return std::string(PROTOCOL(lang)) + ": " + "MerBUS";
    case TPanelKind::pkModBus:
        return std::string(PROTOCOL(lang)) + ": " + "MODBUS";
    case TPanelKind::pkConvCount:
        return std::string(TText{"Ilość konwersji", "Number of subsequent conversions"}(lang)) + ": ";
    case TPanelKind::pkAverCount:
        return std::string(TText{"Średnia krocząca", "Moving average"}(lang)) + ": ";
    case TPanelKind::pkRefresh:
        return std::string(TText{"Odświeżanie wyniku", "Refresh rate"}(lang)) + ": ";
    case TPanelKind::pkDefaultRange:
        return std::string(TText{"Zakres domyślny", "Default range"}(lang)) + ":";
    }
    return {};
}

std::string_view PanelEditLabel(TPanelKind kind, TLanguage lang) {
    switch (kind) {
    case TPanelKind::pkMerBus:
    case TPanelKind::pkModBus:
        return TText{"Adres urządzenia  (hex):", "Device address  (hex):"}(lang);
    case TPanelKind::pkConvCount:
    case TPanelKind::pkAverCount:
        return TText{"Ilość pomiarów:", "Number of measures"}(lang);
    case TPanelKind::pkRefresh:
        return TText{"Czas [ms]", "Time  [ms]"}(lang);
    case TPanelKind::pkDefaultRange:
        return {};
    }
    return {};
}

std::string PanelStartText(TPanelKind kind, const TPanelInputs& in) {
    switch (kind) {
    case TPanelKind::pkMerBus:
        return in.MerBusAddress == 0xFFFF ? std::string() : HexDigits(in.MerBusAddress, 4);
    case TPanelKind::pkModBus:
        return in.ModBusAddress == 255 ? std::string() : HexDigits(in.ModBusAddress, 2);
    case TPanelKind::pkConvCount:
        return std::to_string(in.ConvCount);
    case TPanelKind::pkAverCount:
        return std::to_string(in.AverCount);
    case TPanelKind::pkRefresh:
        return std::to_string(in.RepeatTime);
    case TPanelKind::pkDefaultRange:
        return {};
    }
    return {};
}

std::string RepeatAutoCaption(TLanguage lang, const TPanelInputs& in) {
    std::string text(TText{"Automatycznie", "Automatically"}(lang));
    if (in.ConvCount != 0) text += " (" + std::to_string(in.PollPeriodMs) + "ms)";
    return text;
}

std::string SecondsText(double seconds, char decimalSeparator) {
    const int decimals = seconds < 10 ? 2 : seconds < 100 ? 1 : 0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, seconds);
    std::string text(buffer);
    for (char& c : text)
        if (c == '.') c = decimalSeparator;
    return text;
}

std::string AverTimeText(std::string_view editText, int32_t msPerItem, TLanguage lang,
                         char decimalSeparator) {
    const auto count = ParseDecimal(editText);
    if (!count || *count <= 0 || *count > INT32_MAX) return "?";
    const double seconds = static_cast<double>(*count) * msPerItem / 1000.0;
    return "(" + SecondsText(seconds, decimalSeparator) + " " + std::string(TText{"s", "sec"}(lang)) + ")";
}

int32_t PollPeriodMs(uint8_t convCount, bool historyWindowOpen) {
    if (historyWindowOpen) return MIN_REFRESH_MS;
    return (convCount == 0 ? 6 : convCount) * MIN_REFRESH_MS;
}

int32_t StatusPeriodMs(int32_t pollPeriodMs, bool repeatAuto, bool historyWindowOpen, int32_t repeatTime) {
    return repeatAuto || historyWindowOpen ? pollPeriodMs : repeatTime;
}

TPanelApply ApplyValuePanel(TPanelKind kind, std::string_view editText, bool repeatAutoChecked) {
    const std::string_view text = Trim(editText);
    switch (kind) {
    case TPanelKind::pkMerBus:
    case TPanelKind::pkModBus:
        return ApplyAddress(kind, text);
    case TPanelKind::pkConvCount: {
        const auto count = ParseDecimal(text);
        if (!count || *count < 1 || *count > 255) return Rejected(TSettingsMessage::smsgBadNumber);
        return Send(CMD_CONVERSIONS, {uint8_t(*count)}, static_cast<int32_t>(*count));
    }
    case TPanelKind::pkAverCount: {
        const auto count = ParseDecimal(text);
        if (!count || *count < 1 || *count > INT32_MAX) return Rejected(TSettingsMessage::smsgBadNumber);
        TPanelApply r;
        r.Value = static_cast<int32_t>(*count);
        r.ClosePanel = true;
        return r;
    }
    case TPanelKind::pkRefresh:
        return ApplyRefresh(text, repeatAutoChecked);
    case TPanelKind::pkDefaultRange:
        break;
    }
    return Rejected(TSettingsMessage::smsgBadNumber);
}

TPanelRequest DefaultRangeRequest(uint8_t rangeIndex) {
    return {CMD_DEFAULT_RANGE, {rangeIndex}};
}

std::optional<uint32_t> ParseHexAddress(std::string_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::optional<int64_t> ParseDecimal(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string HexDigits(uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

TZeroingStart StartDetectorZeroing(TZeroingState& state, bool saveInEeprom) {
    state.Mode |= smZeroStarted | smZeroRunning;
    const TMerBusCommand command = saveInEeprom ? CMD_SVC_ZERO_DETECTOR : CMD_ZERO_DETECTOR;
    return {{command, {1}}, DETECTOR_ZEROING_TEXT};
}

TZeroingStart StartSystemZeroing(TZeroingState& state, bool storeAfterwards) {
    state.Mode |= smZeroStarted | smZeroRunning;
    state.StoreAfterwards = storeAfterwards;
    return {{CMD_ZERO_SYSTEM, {1}}, SYSTEM_ZEROING_TEXT};
}

TZeroingProgress OnZeroingAnswer(TZeroingState& state, uint8_t answerCode, uint8_t data) {
    TZeroingProgress progress;
    state.Mode &= static_cast<uint8_t>(~smZeroStarted);
    if (data != 0) {
        state.Mode |= smZeroRunning;
        progress.Running = true;
        progress.Repeat = static_cast<TMerBusCommand>(answerCode & ~MERBUS_ANSWER_BIT);
        return progress;
    }
    progress.ClosePanel = true;
    state.Mode = 0;
    if (answerCode == (CMD_ZERO_SYSTEM | MERBUS_ANSWER_BIT) && state.StoreAfterwards) {
        state.StoreAfterwards = false;
        progress.StoreFactor = true;
    }
    return progress;
}

bool ZeroingEndedByStatus(uint8_t mode, uint8_t statusFlags) {
    return (statusFlags & 0x06) == 0 && (mode & smZeroRunning) != 0 && (mode & smZeroStarted) == 0;
}

std::string ClosingQuestionText(TLanguage lang, bool recording) {
    constexpr TText RECORDING{"UWAGA\r\nTrwa rejestracja historii.",
                              "WARNING\r\nHistory registration in progress."};
    constexpr TText CHANGED{"UWAGA\r\nHistoria uległa zmianie.", "WARNING\r\nHistory log was changed."};
    constexpr TText LOSS{"Zakończenie programu spowoduje utratę danych.\r\nCzy na pewno zamknąć program?",
                         "Closing application causes data lost.\r\nAre you sure to continue?"};
    return std::string((recording ? RECORDING : CHANGED)(lang)) + "\r\n" + std::string(LOSS(lang));
}

std::string_view ManualFileName(TLanguage lang) {
    return TText{"K730 Instrukcja programu komputerowego.pdf", "K730 PC software guide.pdf"}(lang);
}

std::string_view CfgGuideFileName() {
    return "K-730 Instrukcja programowania.pdf";
}

} // namespace k730
