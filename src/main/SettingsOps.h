// Rules of the main window's settings operations, free of any toolkit: the
// guards that run before each operation, the settings panel's texts and the
// checks of what is typed into it, the meter's confirmations and the zeroing
// states. The window shows what these
// return and sends the requests they name. The automatic-zeroing drift test
// and the automatic range choice are the meter model's (RangeDecision.h).
#pragma once

#include "main/K730Lang.h"
#include "main/SettingsMode.h"
#include "protocol/MerBusFun.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k730 {

constexpr int32_t MIN_REFRESH_MS = 160; // shortest refresh period, one conversion of the meter

enum class TSettingsMessage {
    smsgNoPort,
    smsgAddressUnknown,
    smsgZeroing,
    smsgRangesUnknown,
    smsgBadAddress,
    smsgBadNumber,
    smsgRefreshTooShort,  // with MIN_REFRESH_MS filled in
    smsgAddressConfirmed, // with the protocol name and the hex digits
    smsgDefaultRangeConfirmed,
};

struct TMessageDef {
    TText Text; // printf-style where the message takes values
    TMessageIcon Icon;
};

const TMessageDef& SettingsMessage(TSettingsMessage message);

// The message as shown; values are filled in for the three that take them.
std::string RefreshTooShortText(TLanguage lang);
std::string AddressConfirmedText(TLanguage lang, std::string_view protocol, std::string_view hexDigits);
std::string DefaultRangeConfirmedText(TLanguage lang, std::string_view rangeWithUnit);

// ---- Guards ---------------------------------------------------------------

enum class TSettingsOperation {
    soZeroing, // detector zeroing and measuring-system zeroing
    soMerBusAddress,
    soModBusAddress,
    soConvCount,
    soAverCount,
    soRefreshRate,
    soDefaultRange,
    soManualRange, // a choice in CBRange
};

struct TGuardState {
    bool PortOpen = false; // the port chooser is not on its no-port entry
    uint16_t MerBusAddress = 0xFFFF;
    uint8_t Mode = 0; // TSettingsModeBit
    int RangeCount = 0;
};

struct TGuardOutcome {
    bool Pass = true;
    std::optional<TSettingsMessage> Message; // shown when the guards stop with a message
    bool ClosePanel = false;                 // an open panel of another kind is to be closed
};

// Runs the operation's guards in their order. A leave guard that finds its
// panel open asks for the panel to be closed and lets the sequence go on, so
// a panel may be closed even when a later guard stops.
TGuardOutcome RunGuards(TSettingsOperation op, const TGuardState& state);

// ---- Value panel ----------------------------------------------------------

enum class TPanelKind { pkMerBus, pkModBus, pkConvCount, pkAverCount, pkRefresh, pkDefaultRange };

uint8_t PanelModeBit(TPanelKind kind);
std::string PanelTitle(TPanelKind kind, TLanguage lang);          // LabelSettings
std::string_view PanelEditLabel(TPanelKind kind, TLanguage lang); // LabelSetValue; empty for the range panel

// What the start text and the time labels are made of.
struct TPanelInputs {
    uint16_t MerBusAddress = 0xFFFF;
    uint8_t ModBusAddress = 255;
    uint8_t ConvCount = 0; // 0 = unknown
    int32_t AverCount = 5;
    int32_t RepeatTime = 1000;
    bool RepeatAuto = true;
    int32_t PollPeriodMs = 960;
    int32_t StatusPeriodMs = 960;
};

std::string PanelStartText(TPanelKind kind, const TPanelInputs& in); // EditValue

// ChBRepeatAuto: "Automatycznie" / "Automatically", with the automatic period
// when the number of conversions is known.
std::string RepeatAutoCaption(TLanguage lang, const TPanelInputs& in);

// LabelAverTime for the conversions and moving-average panels: the typed count
// times `msPerItem`, in seconds, as "(1.60 s)"; "?" when the text is not a
// positive integer.
std::string AverTimeText(std::string_view editText, int32_t msPerItem, TLanguage lang,
                         char decimalSeparator = '.');

// Seconds with 2 decimals below 10, 1 below 100 and none above.
std::string SecondsText(double seconds, char decimalSeparator = '.');

// The automatic poll period and the period between status requests, in ms.
int32_t PollPeriodMs(uint8_t convCount, bool historyWindowOpen);
int32_t StatusPeriodMs(int32_t pollPeriodMs, bool repeatAuto, bool historyWindowOpen, int32_t repeatTime);

// A request the panel sends to MerBusAddress.
struct TPanelRequest {
    TMerBusCommand Command;
    TBytes Data;
};

// What pressing BtnSettingsOK leads to.
struct TPanelApply {
    std::optional<TSettingsMessage> Error; // shown; nothing changes and the panel stays open
    std::optional<TPanelRequest> Request;  // sent at once; the panel waits for the meter's answer
    int32_t Value = 0;                     // the accepted number (address, count or time)
    bool RepeatAuto = false;               // refresh panel: the check box
    bool ClosePanel = false;               // closes at once (moving average, refresh rate)
};

// Reads the panel's edit text (trimmed of spaces) for every value panel but
// the default-range one.
TPanelApply ApplyValuePanel(TPanelKind kind, std::string_view editText, bool repeatAutoChecked = false);

// The default-range panel sends the checked radio button's index.
TPanelRequest DefaultRangeRequest(uint8_t rangeIndex);

// Hex address as typed in the address panels: spaces trimmed, a leading "0x"
// dropped, the rest hexadecimal. Empty when it is not a number.
std::optional<uint32_t> ParseHexAddress(std::string_view text);
// A decimal integer after trimming spaces; empty when it is not one.
std::optional<int64_t> ParseDecimal(std::string_view text);

// Upper-case hex digits, zero-padded to `digits`.
std::string HexDigits(uint32_t value, int digits);

// ---- Zeroing --------------------------------------------------------------

// Question before detector zeroing, and its check box (ticked at first).
extern const TText ZERO_DETECTOR_WARNING;
extern const TText ZERO_SAVE_IN_EEPROM;
// LabelDisplay texts while zeroing.
extern const TText DETECTOR_ZEROING_TEXT;
extern const TText SYSTEM_ZEROING_TEXT;
extern const TText ZEROING_IN_PROGRESS_TEXT;

constexpr int ZEROING_START_WAIT_MS = 250;
constexpr int ZEROING_REPEAT_MS = 500;
constexpr int STORE_ZERO_STATUS_DELAY_MS = 160;

struct TZeroingState {
    uint8_t Mode = 0;             // the settings-panel mode
    bool StoreAfterwards = false; // store the measuring-system zeroing factor when done
};

struct TZeroingStart {
    TPanelRequest Request;
    TText Display; // LabelDisplay text; the value display is hidden
};

// Sets mode bits 0 and 1; command 104 with data 1 when the factor is to be
// kept in EEPROM, otherwise command 8 with data 1.
TZeroingStart StartDetectorZeroing(TZeroingState& state, bool saveInEeprom);
// Sets mode bits 0 and 1 and the store flag; command 9 with data 1.
TZeroingStart StartSystemZeroing(TZeroingState& state, bool storeAfterwards);

struct TZeroingProgress {
    bool Running = false;                 // the meter still zeroes
    std::optional<TMerBusCommand> Repeat; // ask again without data, ZEROING_REPEAT_MS later
    bool ClosePanel = false;              // done: back to the value display
    bool StoreFactor = false;             // then command 14 and the status delay
};

// The zeroing answers 0x88, 0x89 and 0xE8; `data` is their data byte.
TZeroingProgress OnZeroingAnswer(TZeroingState& state, uint8_t answerCode, uint8_t data);

// A status answer ends the zeroing message when the meter's zeroing bits
// (1 and 2) are clear while the mode says zeroing runs and is confirmed.
bool ZeroingEndedByStatus(uint8_t mode, uint8_t statusFlags);

// ---- Closing and manuals -----------------------------------------------------

// The question asked before closing while the measurement history records
// (`recording`) or holds unsaved data.
std::string ClosingQuestionText(TLanguage lang, bool recording);

// The PDF manuals, looked up in the program's folder.
std::string_view ManualFileName(TLanguage lang);
std::string_view CfgGuideFileName();

} // namespace k730
