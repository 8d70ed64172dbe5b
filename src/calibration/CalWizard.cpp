#include "calibration/CalWizard.h"

#include "calibration/CalTexts.h"
#include "files/FileTexts.h"
#include "files/K730DiskRules.h"
#include "protocol/MerBusCommands.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace k730 {

TCalWizard::TCalWizard(uint8_t meterKind, uint8_t lumMode, TLanguage lang, char decimal, ICalLink& link,
                       TCalMemory& memory, TCalWizardEvents& events)
    : meterKind_(meterKind), lumMode_(lumMode), lang_(lang), decimal_(decimal), link_(link), memory_(memory),
      events_(events) {}

void TCalWizard::Open() {
    Reset(false);
}

void TCalWizard::Tell(std::string text, TMessageIcon icon, bool modal) {
    events_.ShowMessage(TCalMessage{std::move(text), icon, modal});
}

// --- reset and pages ---------------------------------------------------------------------

void TCalWizard::Reset(bool modeLost) {
    events_.CloseMessages();
    const bool report = modeLost && operatorValueApplied_;
    snapshot_ = {};
    requested_ = confirmed_ = 0;
    loopFactor_ = resultFactor_ = 0;
    calTempCode_ = 0;
    readBack_ = {};
    received_ = {};
    appliedE0_.clear();
    appliedIL_.clear();
    initialWriteSent_ = forcingInUse_ = operatorValueApplied_ = awaitingEcho_ = false;
    forcingConfirmed_ = modeChangeRequested_ = wantsCalibrationMode_ = wantsForcingMode_ = false;
    addToHistory_ = false;
    firstEntry_ = initialWritePending_ = true;
    controlsEnabled_ = false;
    link_.Queue(StatusItem(), false);
    EnterStep1();
    events_.Changed();
    if (report) Tell(Str(calModeLost), miWarning, true);
}

void TCalWizard::EnterStep1() {
    step_ = csStep1;
    requested_ = confirmed_ = 0;
    forcingConfirmed_ = false; // Next waits for a value confirmed on this visit
    loopFactor_ = resultFactor_ = 0;
    calTempCode_ = 0;
    readBack_ = {};
    received_ = {};
    applyDac0Enabled_ = false;
    events_.Focus(cfDac0);
    if (snapshot_.mode != mmForcing4mA) {
        modeChangeRequested_ = true;
        link_.Queue(SetModeItem(mmForcing4mA), false);
    }
    wantsCalibrationMode_ = wantsForcingMode_ = true;
    if (!firstEntry_) {
        // Back from step II: the meter forces its stored 4 mA value again.
        initialWritePending_ = true;
        SendForcingValue(false);
    }
    firstEntry_ = false;
    if (!link_.QueueEmpty()) link_.RunScheduler();
}

void TCalWizard::EnterStep2() {
    step_ = csStep2;
    texts_[cfE0] = memory_.LastReferenceText;
    events_.Focus(cfE0);
    if (snapshot_.mode != mmCalibration) {
        modeChangeRequested_ = true;
        link_.Queue(SetModeItem(mmCalibration), true);
        link_.RunScheduler();
    }
    wantsCalibrationMode_ = true;
    wantsForcingMode_ = false;
}

void TCalWizard::Next() {
    if (step_ != csStep1 || !forcingConfirmed_) return;
    link_.Queue(ParameterItem(cpForcing4mA, confirmed_), false);
    link_.Queue(StatusItem(), false);
    link_.RunScheduler();
    EnterStep2();
    events_.Changed();
}

void TCalWizard::Back() {
    if (step_ != csStep2) return;
    EnterStep1();
    events_.Changed();
}

// --- answers ----------------------------------------------------------------------------------

void TCalWizard::OnStatus(const TBytes& frame) {
    if (!UpdateSnapshot(snapshot_, frame)) return;
    controlsEnabled_ = true;
    if (initialWritePending_ && !initialWriteSent_) {
        SendForcingValue(false);
        initialWriteSent_ = true;
    }
    events_.Changed();
}

void TCalWizard::OnModeSet() {
    modeChangeRequested_ = false;
}

void TCalWizard::OnForcingValue(uint32_t dac) {
    if (initialWritePending_) {
        initialWritePending_ = false; // the automatic write: nothing to confirm
        return;
    }
    snapshot_.mode = link_.MeterMode();
    snapshot_.stored4mAValue = confirmed_ = dac;
    forcingConfirmed_ = requested_ > 0;
    applyDac0Enabled_ = IsPositiveEntry(texts_[cfDac0], decimal_);
    const bool limited = awaitingEcho_ && dac != requested_;
    awaitingEcho_ = false;
    events_.Changed();
    if (limited)
        Tell(FillText(calForcingEchoLimited(lang_), {"4", HexValueText(requested_, 8), HexValueText(dac, 8)}),
             miWarning);
}

void TCalWizard::OnParameter(const TBytes& frame) {
    const auto echo = DecodeParameterEcho(frame);
    if (!echo) return;
    snapshot_.mode = echo->mode;
    if (echo->index >= 1 && echo->index <= 4) {
        readBack_[echo->index - 1] = echo->value;
        received_[echo->index - 1] = true;
    }
    applyDac0Enabled_ = IsPositiveEntry(texts_[cfDac0], decimal_);
    events_.Changed();
}

void TCalWizard::SuperviseMode(uint8_t meterMode) {
    // The acknowledgement ends a requested change; so does the loss of the
    // request, when a port change or an unanswered request emptied the queue.
    if (modeChangeRequested_ && link_.ModeChangeQueued()) return;
    modeChangeRequested_ = false;
    if (meterMode == mmNormal && forcingInUse_) return Reset(true);
    const uint8_t desired = wantsForcingMode_       ? mmForcing4mA
                            : wantsCalibrationMode_ ? mmCalibration
                                                    : mmNormal;
    if (meterMode == desired) return;
    link_.Queue(SetModeItem(desired), true);
    link_.RunScheduler();
}

// --- step I -----------------------------------------------------------------------------------

std::optional<uint32_t> TCalWizard::OperatorForcingValue(std::string& clampMessage) const {
    const auto entered = ParseEntryNumber(texts_[cfDac0], decimal_);
    if (!entered || !IsPositiveEntry(texts_[cfDac0], decimal_)) return std::nullopt;
    // The loop current scales with the DAC code: the code that gives 4 mA.
    const double calculated = RoundHalfEven(snapshot_.loopDacInUse * 4.0 / *entered);
    if (calculated >= FORCING_MIN && calculated <= FORCING_MAX) return static_cast<uint32_t>(calculated);
    const uint32_t set = calculated < FORCING_MIN ? FORCING_MIN : FORCING_MAX;
    const double shown = std::min(calculated, static_cast<double>(std::numeric_limits<uint32_t>::max()));
    clampMessage = FillText(calForcingClamped(lang_),
                            {HexValueText(static_cast<uint64_t>(shown), 4), HexValueText(set, 4)});
    return set;
}

void TCalWizard::SendForcingValue(bool byOperator) {
    uint32_t value = 0;
    std::string clampMessage;
    // The operator's Apply always sends the entry, also while the automatic
    // write still waits for its echo (that echo comes first and is ignored).
    if (initialWritePending_ && !byOperator) {
        value = ForcingInRange(snapshot_.stored4mAValue) ? snapshot_.stored4mAValue : FORCING_DEFAULT;
    } else {
        const auto computed = OperatorForcingValue(clampMessage);
        if (!computed) return;
        value = requested_ = *computed;
        operatorValueApplied_ = awaitingEcho_ = true;
    }
    forcingInUse_ = true;
    link_.Queue(ForcingValueItem(value), false);
    link_.Queue(StatusItem(), false);
    if (byOperator) link_.RunScheduler();
    if (!clampMessage.empty()) Tell(std::move(clampMessage), miInformation);
}

void TCalWizard::ApplyDac0() {
    if (step_ != csStep1 || !InPageMode()) return;
    SendForcingValue(true);
    events_.Changed();
}

// --- step II ----------------------------------------------------------------------------------

void TCalWizard::ShowExpectedCurrent(double milliampere) {
    expected_ = std::isfinite(milliampere) ? filetext::Fixed(milliampere, 6, 4, decimal_) : "?";
}

void TCalWizard::EnterE0() {
    const auto reference = ParseEntryNumber(texts_[cfE0], decimal_);
    if (reference)
        ShowExpectedCurrent(4 + 16 * *reference / snapshot_.rangeFullScale);
    else
        expected_ = "?";
    events_.Focus(cfIL);
    events_.Changed();
}

void TCalWizard::LeaveE0() {
    memory_.LastReferenceText = texts_[cfE0];
}

// Clamps `factor` to [low, high]; the notice when it had to, else empty.
std::string TCalWizard::FactorClamp(float& factor, double calculated, float low, float high,
                                    TText name) const {
    if (calculated >= low && calculated <= high) {
        factor = static_cast<float>(calculated);
        return {};
    }
    factor = calculated < low ? low : high;
    return FillText(calFactorClamped(lang_),
                    {Str(name), FactorText(calculated, decimal_), FactorText(factor, decimal_)});
}

void TCalWizard::ApplyCal() {
    if (step_ != csStep2 || !InPageMode()) return;
    const auto e = ParseEntryNumber(texts_[cfE0], decimal_);
    const auto i = ParseEntryNumber(texts_[cfIL], decimal_);
    const double fs = snapshot_.rangeFullScale;
    const double r = snapshot_.rawReading;
    const double x = e ? 4 + 16 * *e / fs : 0;
    const uint32_t stored = snapshot_.stored4mAValue;
    const uint32_t inUse = snapshot_.loopDacInUse;
    double loop = 0;
    if (e && i) {
        // Two points of the loop's line when the meter's own factor and DAC
        // code can be trusted; otherwise the nominal 16 mA span.
        const bool twoPoint = (snapshot_.flags & CAL_FLAG_LOOP_FACTOR_INVALID) == 0 && stored < inUse &&
                              inUse < LOOP_DAC_LINEAR_LIMIT;
        loop = twoPoint ? (static_cast<double>(inUse) - stored) / r * FULL_SCALE_COUNTS / 65536 * (x - 4) /
                              (*i - 4)
                        : (x - 4) / 16 / r * FULL_SCALE_COUNTS;
    }
    const double result = e ? *e / r / fs * FULL_SCALE_COUNTS : 0;
    // Not a number (no reading at all) is a failed calculation, never a value to write.
    if (!e || !i || std::isnan(loop) || std::isnan(result)) {
        expected_ = "?";
        events_.Changed();
        return Tell(Str(calCalcError), miWarning);
    }
    appliedE0_ = texts_[cfE0];
    appliedIL_ = texts_[cfIL];
    ShowExpectedCurrent(x);
    calTempCode_ = snapshot_.temperatureCode;
    std::string notice = FactorClamp(loopFactor_, loop, LOOP_FACTOR_MIN, LOOP_FACTOR_MAX, calLoopFactorName);
    const std::string second =
        FactorClamp(resultFactor_, result, RESULT_FACTOR_MIN, RESULT_FACTOR_MAX, calResultFactorName);
    if (!second.empty()) notice += (notice.empty() ? "" : "\r\n\r\n") + second;
    link_.Queue(FloatParameterItem(cpLoopFactor, loopFactor_), false);
    link_.Queue(FloatParameterItem(cpResultFactor, resultFactor_), false);
    if (calTempCode_ <= CAL_TEMP_CODE_MAX) link_.Queue(ParameterItem(cpCalTempCode, calTempCode_), false);
    link_.Queue(StatusItem(), false);
    link_.RunScheduler();
    events_.Changed();
    if (!notice.empty()) Tell(std::move(notice), miInformation);
}

// --- entries and buttons --------------------------------------------------------------------

void TCalWizard::EditChanged(TCalField field, std::string text) {
    texts_[field] = std::move(text);
    if (field == cfDac0) applyDac0Enabled_ = IsPositiveEntry(texts_[cfDac0], decimal_);
    events_.Changed();
}

// The DAC code and reading an Apply works from must be the ones of the page's
// mode; until the meter reports that mode, Apply waits.
bool TCalWizard::InPageMode() const {
    return snapshot_.mode == (step_ == csStep1 ? mmForcing4mA : mmCalibration);
}

TCalButtons TCalWizard::Buttons() const {
    TCalButtons b;
    b.applyDac0 = applyDac0Enabled_ && InPageMode();
    b.applyCal =
        IsPositiveEntry(texts_[cfE0], decimal_) && IsPositiveEntry(texts_[cfIL], decimal_) && InPageMode();
    b.next = step_ == csStep1 && forcingConfirmed_;
    b.back = step_ == csStep2;
    b.save = SaveValues().has_value() && texts_[cfE0] == appliedE0_ && texts_[cfIL] == appliedIL_;
    return b;
}

// --- saving -----------------------------------------------------------------------------------

std::optional<TCalSaveValues> TCalWizard::SaveValues() const {
    if (!std::all_of(received_.begin(), received_.end(), [](bool r) { return r; })) return std::nullopt;
    return TCalSaveValues{readBack_[cpForcing4mA - 1], std::bit_cast<float>(readBack_[cpResultFactor - 1]),
                          std::bit_cast<float>(readBack_[cpLoopFactor - 1]), readBack_[cpCalTempCode - 1]};
}

std::string TCalWizard::SaveQuestion() const {
    const auto values = SaveValues();
    return values ? SaveQuestionText(*values, memory_.FactorLabels, lang_, decimal_) : std::string();
}

void TCalWizard::Save(const TCalSaveChoice& choice) {
    const auto values = SaveValues();
    if (!values) return;
    addToHistory_ = memory_.AddToHistoryDefault = choice.addToHistory;
    std::string comment;
    if (choice.addToHistory && choice.addComment && !choice.comment.empty())
        comment = memory_.LastCommentText = choice.comment;
    link_.Queue(SaveItem(*values, std::move(comment)), false);
    link_.Queue(StatusItem(), false);
    link_.RunScheduler();
}

} // namespace k730
