// TConstantsEditor: the rules of the service window's three pages that
// program a meter's analogue constants — the correction page (a result
// correction factor per range, the resistance calculator, the temperature
// coefficient), the calibration page (4 mA value, KE, KL and calibration
// temperature, as entered or as defaults) and the DAC page (driving the loop
// DAC by hand and programming the value that gives 4 mA). It keeps what the
// meter last reported, what the boxes hold and what is enabled, and builds
// the requests each button queues. Toolkit-free: the pages show its state and
// forward every edit and click here.
#pragma once

#include "main/K730Lang.h"
#include "protocol/RequestScheduler.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace k730 {

// The calibration constants the meter keeps (command 13 writes them).
struct TCalConstants {
    uint32_t Dac0 = 0;    // DAC code that gives 4 mA
    float KE = 0;         // result calibration factor
    float KL = 0;         // current-loop calibration factor
    uint32_t CalTemp = 0; // calibration temperature code in the low 16 bits

    bool operator==(const TCalConstants&) const = default;
};

// What "Programuj domyślne" writes: 0x4000, √2 as a 32-bit float twice, 23.0 °C.
TCalConstants DefaultCalConstants();
// "Programuj domyślne (0x4000; 1,4142135; 1,4142135)".
std::string DefaultsCaption(char decimalSeparator);

// The calibration page's two radio buttons.
enum TCalChoice : uint8_t { ccSet, ccDefault }; // "Programuj ustawione", "Programuj domyślne"

// Width of a text in the window's font, for lining up labels before a tab.
using TTextWidth = std::function<int(const std::string&)>;

// The question before calibration constants are written: 4 mA value, loop
// factor and result factor under the labels of the calibration wizard.
std::string CalProgramQuestion(const TCalConstants& c, int lang, char decimalSeparator,
                               const TTextWidth& width = {});

// Queue items of a write of the constants: calibration mode, command 13,
// normal mode, a status request.
std::vector<TQueueItem> CalProgramItems(const TCalConstants& c);

class TConstantsEditor {
public:
    explicit TConstantsEditor(char decimalSeparator, double switchResistance = 2.5);

    // Read values forgotten and the pages disabled; with `clearTyped` the
    // set-value boxes are emptied as well (the DAC box reads "00000").
    void Reset(bool clearTyped);
    // The address requests go to (0xFFFF = unknown: nothing is written).
    void SetMeterAddress(uint16_t address) { address_ = address; }

    // --- answers ------------------------------------------------------------------
    // A status answer; `first` while the results flag of the window was set.
    void Results(const TBytes& block, bool first);
    void Mode(uint8_t mode) { mode_ = mode; }
    void Constants(const TCalConstants& c);
    void RangeFactors(const std::array<float, 3>& factors);
    void TempCoefficient(float fractionPerKelvin);
    void ForcingValue(uint32_t dac) { dacRead_ = dac; }

    // --- correction page -------------------------------------------------------------
    void EditRangeFactor(int index, std::string_view text);
    bool CanSetRangeFactors() const;
    std::vector<TQueueItem> SetRangeFactors() const;
    // Calculator boxes: 0 required, 1 actual, 2 switch resistance.
    void EditCalculator(int box, std::string_view text);
    void ChoosePasteTarget(int index) { pasteTarget_ = index; }
    bool CanPaste() const;
    void Paste();
    void EditTempCoefficient(std::string_view text);
    bool CanSetTempCoefficient() const;
    std::vector<TQueueItem> SetTempCoefficient() const;

    // --- calibration page --------------------------------------------------------------
    void ChooseCal(TCalChoice choice);
    void EditKE(std::string_view text);
    void EditKL(std::string_view text);
    void Sqrt2KE();
    void Sqrt2KL();
    bool CanSetCal() const;
    // What "Programuj" writes: the read 4 mA value and temperature with the
    // typed factors, or the defaults; nothing when a typed factor is not a
    // number ≥ 0.
    std::optional<TCalConstants> CalToProgram() const;

    // --- DAC page ----------------------------------------------------------------------
    // Returns the caret position after the box dropped what is not hexadecimal.
    int EditDacSet(std::string_view text, int caret);
    void LeaveDacSet();
    // Step buttons: digit 0..4 adds or subtracts 0x1 … 0x10000.
    void StepDac(int digit, bool up);
    void EditMeasured(std::string_view text);
    bool CanCalc() const;
    void Calc();
    bool CanSetDac() const;
    std::vector<TQueueItem> SetDac() const;
    bool CanProgramDac0() const;
    std::vector<TQueueItem> ProgramDac0() const;
    // Leaving the DAC page while the meter is not in normal mode.
    std::vector<TQueueItem> LeaveDacPage() const;

    // --- what the pages show ------------------------------------------------------------
    uint8_t Mode() const { return mode_; }
    bool HasBlock() const { return !block_.empty(); }
    const TBytes& Block() const { return block_; }
    // The address box of the raw page takes this once per reset.
    std::optional<std::string> TakeRawAddress();

    bool FactorsEnabled() const { return factors_.has_value(); }
    const std::array<std::string, 3>& RangeFactorBoxes() const { return rfBoxes_; }
    std::optional<std::string> ReadFactorText(int index) const;
    const std::array<std::string, 3>& CalculatorBoxes() const { return calc_; }
    const std::string& FactorText() const { return factorText_; }
    double SwitchResistance() const { return switchResistance_; }
    bool TempCoefficientEnabled() const { return tc_.has_value(); }
    const std::string& TempCoefficientBox() const { return tcBox_; }
    std::optional<std::string> ReadTempCoefficientText() const;

    bool CalPageEnabled() const { return calPage_; }
    bool CalChoiceEnabled() const { return calChoice_; } // radios, factor boxes, √2 buttons
    TCalChoice CalChoice() const { return choice_; }
    const std::string& KEBox() const { return keBox_; }
    const std::string& KLBox() const { return klBox_; }
    const std::optional<TCalConstants>& ReadConstants() const { return cal_; }

    bool DacEnabled() const { return dacPage_; }
    const std::string& DacSetBox() const { return dacSet_; }
    const std::string& MeasuredBox() const { return measured_; }
    std::optional<uint32_t> DacRead() const;

private:
    bool Writable() const { return address_ != 0xFFFF; }

    const char sep_;
    uint16_t address_ = 0xFFFF;
    uint8_t mode_ = 0;
    TBytes block_;
    std::optional<std::string> rawAddress_;

    // Correction page.
    std::optional<std::array<float, 3>> factors_;
    std::array<std::string, 3> rfBoxes_;
    std::array<std::string, 3> calc_;
    double switchResistance_;
    std::string factorText_;
    std::optional<double> factor_;
    int pasteTarget_ = -1;
    std::optional<float> tc_;
    std::string tcBox_;

    // Calibration page.
    std::optional<TCalConstants> cal_;
    bool calPage_ = false;
    bool calChoice_ = false;
    bool choiceMade_ = false; // "Programuj ustawione" was chosen for the first valid constants
    TCalChoice choice_ = ccDefault;
    std::string keBox_, klBox_;

    // DAC page.
    bool dacPage_ = false;
    std::optional<uint32_t> dacRead_;
    std::string dacSet_;
    std::string measured_;
};

} // namespace k730
