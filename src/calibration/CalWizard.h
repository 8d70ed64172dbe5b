// TCalWizard: the rules of the 4–20 mA calibration wizard, without a window.
// Step I puts the meter in 4 mA forcing mode and corrects the DAC code from
// the amperemeter reading; step II puts it in calibration mode, computes the
// loop and result factors from a reference value and writes them; Save asks
// the meter to store what it echoed. The wizard talks to the meter only
// through one-shot queue items (ICalLink) and hears it through the
// connection controller's hand-overs; what the window shows it reads back
// from here, and messages go out through TCalWizardEvents.
#pragma once

#include "calibration/CalValues.h"
#include "main/K730Lang.h"
#include "main/SettingsMode.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace k730 {

// The one-shot queue and the scheduler, as the wizard uses them.
class ICalLink {
public:
    virtual ~ICalLink() = default;
    virtual void Queue(TQueueItem item, bool atFront) = 0; // without sending
    virtual void RunScheduler() = 0;                       // an answer-driven scan now
    virtual bool QueueEmpty() const = 0;
    virtual bool ModeChangeQueued() const = 0; // a set-mode request still waits
    virtual uint8_t MeterMode() const = 0;     // from the last answer processed
};

enum TCalStep : uint8_t { csStep1, csStep2 };
enum TCalField : uint8_t { cfDac0, cfE0, cfIL }; // EditDAC0, EditE0, EditIL

struct TCalMessage {
    std::string text;
    TMessageIcon icon = miInformation;
    bool modal = false; // modeless ones disable the wizard until they are closed
};

// What the window does for the wizard.
class TCalWizardEvents {
public:
    virtual ~TCalWizardEvents() = default;
    virtual void Changed() {} // page, enabled states, texts: show them again
    virtual void ShowMessage(const TCalMessage& /*message*/) {}
    virtual void CloseMessages() {}
    virtual void Focus(TCalField /*field*/) {} // with its text selected
};

// Values that outlive one wizard: the last reference and comment typed, and
// the state of "Add to calibration history log"; with the factor labels
// built once in the main window's font.
struct TCalMemory {
    std::string LastReferenceText;
    std::string LastCommentText;
    bool AddToHistoryDefault = true;
    std::array<std::string, 4> FactorLabels;
};

struct TCalButtons {
    bool applyDac0 = false, applyCal = false, next = false, back = false, save = false;
};

// What the operator chose in the save dialog.
struct TCalSaveChoice {
    bool addToHistory = true;
    bool addComment = false;
    std::string comment; // the memo's text
};

class TCalWizard {
public:
    TCalWizard(uint8_t meterKind, uint8_t lumMode, TLanguage lang, char decimal, ICalLink& link,
               TCalMemory& memory, TCalWizardEvents& events);

    // Opening: the state is reset and step I entered.
    void Open();

    // --- from the connection controller ---------------------------------------------
    void OnStatus(const TBytes& frame);
    void OnModeSet();
    void OnForcingValue(uint32_t dac);
    void OnParameter(const TBytes& frame);
    // After every answer: keeps the meter in the mode the page needs, and
    // starts again when the meter fell back to normal mode by itself.
    void SuperviseMode(uint8_t meterMode);

    // --- from the operator --------------------------------------------------------------
    void EditChanged(TCalField field, std::string text);
    void ApplyDac0(); // BtnApplyDAC0, or Enter in EditDAC0 while it is enabled
    void EnterE0();   // Enter in EditE0: the expected current, then EditIL
    void LeaveE0();   // EditE0 left for EditIL: its text is remembered
    void ApplyCal();  // BtnApplyCAL, or Enter in EditIL
    void Next();
    void Back();
    // The values the save dialog offers, once all four have been echoed.
    std::optional<TCalSaveValues> SaveValues() const;
    std::string SaveQuestion() const;
    void Save(const TCalSaveChoice& choice); // Yes in the save dialog

    // --- state -----------------------------------------------------------------------------
    TCalStep Step() const { return step_; }
    bool ControlsEnabled() const { return controlsEnabled_; }
    TCalButtons Buttons() const;
    const std::string& Text(TCalField field) const { return texts_[field]; }
    // The bold expected current, without " mA": "12,0000", or "?".
    const std::string& ExpectedCurrent() const { return expected_; }
    bool AddToHistory() const { return addToHistory_; }
    uint8_t MeterKind() const { return meterKind_; }
    uint8_t LumMode() const { return lumMode_; }
    TLanguage Language() const { return lang_; }
    char Decimal() const { return decimal_; }
    const TCalSnapshot& Snapshot() const { return snapshot_; }
    uint32_t RequestedForcingValue() const { return requested_; }
    uint32_t ConfirmedForcingValue() const { return confirmed_; }
    float LoopFactor() const { return loopFactor_; }
    float ResultFactor() const { return resultFactor_; }
    bool ReadBackReceived(int index) const { return received_[index - 1]; }
    uint32_t ReadBack(int index) const { return readBack_[index - 1]; }
    bool ModeChangeRequested() const { return modeChangeRequested_; }

private:
    void Reset(bool modeLost);
    bool InPageMode() const;
    void EnterStep1();
    void EnterStep2();
    void SendForcingValue(bool byOperator);
    std::optional<uint32_t> OperatorForcingValue(std::string& clampMessage) const;
    std::string FactorClamp(float& factor, double calculated, float low, float high, TText name) const;
    void ShowExpectedCurrent(double milliampere);
    void Tell(std::string text, TMessageIcon icon, bool modal = false);
    std::string Str(TText t) const { return std::string(t(lang_)); }

    const uint8_t meterKind_;
    const uint8_t lumMode_;
    const TLanguage lang_;
    const char decimal_;
    ICalLink& link_;
    TCalMemory& memory_;
    TCalWizardEvents& events_;

    TCalStep step_ = csStep1;
    bool controlsEnabled_ = false; // until the first status answer
    bool applyDac0Enabled_ = false;
    std::array<std::string, 3> texts_;
    std::string expected_ = "?";

    TCalSnapshot snapshot_;
    uint32_t requested_ = 0; // forcing value computed from the operator's entry
    uint32_t confirmed_ = 0; // forcing value the meter echoed
    float loopFactor_ = 0;
    float resultFactor_ = 0;
    uint32_t calTempCode_ = 0;
    std::array<uint32_t, 4> readBack_{};
    std::array<bool, 4> received_{};
    std::string appliedE0_, appliedIL_; // the entries when step II was last applied

    bool initialWritePending_ = false; // its echo is ignored
    bool initialWriteSent_ = false;
    bool forcingInUse_ = false;         // from now on a fall to mode 0 is an error
    bool operatorValueApplied_ = false; // a mode loss is then reported
    bool awaitingEcho_ = false;
    bool forcingConfirmed_ = false; // enables Next
    bool modeChangeRequested_ = false;
    bool wantsCalibrationMode_ = false;
    bool wantsForcingMode_ = false;
    bool firstEntry_ = false;
    bool addToHistory_ = false;
};

} // namespace k730
