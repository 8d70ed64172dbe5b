// TConstantsEditor: the answers, the correction page and the calibration page.
#include "service/ConstantsEditor.h"

#include "files/FileTexts.h"
#include "files/K730DiskRules.h"
#include "main/K730Fun.h"
#include "protocol/ByteOrder.h"
#include "service/ResultsBlock.h"
#include "service/ServiceEdits.h"
#include "service/ServiceNumbers.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace k730 {

namespace {

constexpr float SQRT2_F32 = 1.4142135f; // the 32-bit float nearest √2
constexpr uint32_t DEFAULT_DAC0 = 0x4000;
constexpr uint32_t DEFAULT_CAL_TEMP = 680; // 23.0 °C
constexpr std::string_view NO_FACTOR = "-----";

constexpr TText CAL_QUESTION = {"Zaprogramować współczynniki kalibracji?\r\n— %s\r\n— %s\r\n— %s",
                                "Save calibration factors to meter?\r\n— %s\r\n— %s\r\n— %s"};
// The calibration wizard's factor labels, in the order 4 mA value, loop factor, result factor.
constexpr std::array<TText, 3> FACTOR_LABELS = {{
    {"wartość wymuszająca prąd pętli 4mA:", "value forcing 4mA current:"},
    {"współczynnik kalibracji pętli prądowej:", "current loop calibration factor:"},
    {"współczynnik kalibracji wyniku:", "result calibration factor:"},
}};

int CharacterCount(const std::string& text) {
    return static_cast<int>(Utf8Length(text));
}

// Each label, a blank, then blanks until it is as wide as the widest.
std::array<std::string, 3> FactorLabels(int lang, const TTextWidth& width) {
    const TTextWidth measure = width ? width : TTextWidth(CharacterCount);
    std::array<std::string, 3> labels;
    int widest = 0;
    for (size_t i = 0; i < labels.size(); ++i) {
        labels[i] = std::string(FACTOR_LABELS[i](lang)) + " ";
        widest = std::max(widest, measure(labels[i]));
    }
    for (auto& label : labels)
        for (int guard = 0; measure(label) < widest && guard < 200; ++guard)
            label += ' ';
    return labels;
}

std::optional<double> Positive(const std::string& text) {
    const auto v = ParseNumber(text);
    if (!v || !(*v > 0)) return std::nullopt;
    return v;
}

} // namespace

TCalConstants DefaultCalConstants() {
    return {DEFAULT_DAC0, SQRT2_F32, SQRT2_F32, DEFAULT_CAL_TEMP};
}

std::string DefaultsCaption(char decimalSeparator) {
    const TCalConstants d = DefaultCalConstants();
    return "Programuj domyślne (0x" + HexText(d.Dac0, 4) + "; " + FixedText(d.KE, 7, decimalSeparator) +
           "; " + FixedText(d.KL, 7, decimalSeparator) + ")";
}

std::string CalProgramQuestion(const TCalConstants& c, int lang, char decimalSeparator,
                               const TTextWidth& width) {
    const auto labels = FactorLabels(lang, width);
    const std::string dac0 = labels[0] + "\t0x" + HexText(c.Dac0, 4);
    const std::string kl = labels[1] + "\t" + filetext::Fixed(c.KL, 8, 7, decimalSeparator);
    const std::string ke = labels[2] + "\t" + filetext::Fixed(c.KE, 8, 7, decimalSeparator);
    return FillText(CAL_QUESTION(lang), {dac0, kl, ke});
}

std::vector<TQueueItem> CalProgramItems(const TCalConstants& c) {
    TBytes save{CMD_SAVE_CALIBRATION};
    AppendU32(save, c.Dac0);
    AppendF32(save, c.KE);
    AppendF32(save, c.KL);
    AppendU32(save, c.CalTemp);
    return {{{CMD_SET_MODE, 1}, {}}, {std::move(save), {}}, {{CMD_SET_MODE, 0}, {}}, {{CMD_STATUS}, {}}};
}

TConstantsEditor::TConstantsEditor(char decimalSeparator, double switchResistance)
    : sep_(decimalSeparator), switchResistance_(switchResistance) {
    calc_[2] = GeneralText(switchResistance, sep_);
    factorText_ = NO_FACTOR;
    Reset(true);
}

void TConstantsEditor::Reset(bool clearTyped) {
    block_.clear();
    rawAddress_.reset();
    factors_.reset();
    tc_.reset();
    cal_.reset();
    calPage_ = calChoice_ = choiceMade_ = false;
    choice_ = ccDefault;
    dacPage_ = false;
    dacRead_.reset();
    if (!clearTyped) return;
    rfBoxes_ = {};
    tcBox_.clear();
    keBox_.clear();
    klBox_.clear();
    dacSet_ = DacBoxText(0);
    measured_.clear();
}

// --- answers ------------------------------------------------------------------------

void TConstantsEditor::Results(const TBytes& block, bool first) {
    block_ = block;
    if (block.size() > roMode) mode_ = block[roMode];
    if (block.size() >= roCalTemperature + 4)
        Constants({ReadU32(block, roDac0), ReadF32(block, roKE), ReadF32(block, roKL),
                   ReadU32(block, roCalTemperature)});
    if (block.size() >= roLoopDac + 4) dacRead_ = ReadU32(block, roLoopDac);
    if (!first) return;
    dacPage_ = true;
    if (dacRead_ && ParseDacBox(dacSet_).value_or(0) == 0) dacSet_ = DacBoxText(*dacRead_);
    if (block.size() >= roAddress + 2) rawAddress_ = HexText(ReadU16(block, roAddress), 4);
    calPage_ = true;
    if (cal_ && Dac0Valid(cal_->Dac0)) {
        if (keBox_.empty()) keBox_ = FixedText(cal_->KE, 7, sep_);
        if (klBox_.empty()) klBox_ = FixedText(cal_->KL, 7, sep_);
    } else {
        keBox_.clear();
        klBox_.clear();
    }
}

void TConstantsEditor::Constants(const TCalConstants& c) {
    cal_ = c;
    calChoice_ = Dac0Valid(c.Dac0);
    if (!calChoice_) {
        choice_ = ccDefault; // a 4 mA value the meter cannot have forces the defaults
    } else if (!choiceMade_) {
        choice_ = ccSet;
        choiceMade_ = true;
    }
}

void TConstantsEditor::RangeFactors(const std::array<float, 3>& factors) {
    factors_ = factors;
    for (size_t i = 0; i < 3; ++i)
        if (rfBoxes_[i].empty()) rfBoxes_[i] = FixedText(factors[i], 7, sep_);
}

void TConstantsEditor::TempCoefficient(float fractionPerKelvin) {
    tc_ = fractionPerKelvin;
    if (tcBox_.empty()) tcBox_ = *ReadTempCoefficientText();
}

std::optional<std::string> TConstantsEditor::TakeRawAddress() {
    return std::exchange(rawAddress_, std::nullopt);
}

// --- correction page -------------------------------------------------------------------

void TConstantsEditor::EditRangeFactor(int index, std::string_view text) {
    if (index >= 0 && index < 3) rfBoxes_[static_cast<size_t>(index)] = WithSeparator(text, sep_);
}

bool TConstantsEditor::CanSetRangeFactors() const {
    return factors_ && Writable() &&
           std::all_of(rfBoxes_.begin(), rfBoxes_.end(), [](const std::string& box) {
               const auto v = ParseNumber(box);
               return v && RangeFactorInLimits(*v);
           });
}

std::vector<TQueueItem> TConstantsEditor::SetRangeFactors() const {
    if (!CanSetRangeFactors()) return {};
    TBytes item{CMD_SVC_READINGS};
    for (const std::string& box : rfBoxes_)
        AppendF32(item, static_cast<float>(*ParseNumber(box)));
    return {{std::move(item), {}}};
}

void TConstantsEditor::EditCalculator(int box, std::string_view text) {
    if (box < 0 || box > 2) return;
    calc_[static_cast<size_t>(box)] = WithSeparator(text, sep_);
    const auto required = ParseResistance(calc_[0]);
    const auto actual = ParseResistance(calc_[1]);
    const auto switchR = ParseResistance(calc_[2]);
    factor_.reset();
    if (required && actual && switchR) {
        switchResistance_ = *switchR;
        factor_ = FactorFromResistances(*required, *actual, *switchR);
    }
    factorText_ = factor_ ? GeneralText(*factor_, sep_) : std::string(NO_FACTOR);
}

bool TConstantsEditor::CanPaste() const {
    return pasteTarget_ >= 0 && pasteTarget_ < 3 && factors_ && factor_ && RangeFactorInLimits(*factor_);
}

void TConstantsEditor::Paste() {
    if (CanPaste()) rfBoxes_[static_cast<size_t>(pasteTarget_)] = factorText_;
}

void TConstantsEditor::EditTempCoefficient(std::string_view text) {
    tcBox_ = WithSeparator(text, sep_);
}

bool TConstantsEditor::CanSetTempCoefficient() const {
    const auto v = ParseNumber(tcBox_);
    return tc_ && Writable() && v && std::fabs(*v) <= TEMP_COEFFICIENT_LIMIT;
}

std::vector<TQueueItem> TConstantsEditor::SetTempCoefficient() const {
    if (!CanSetTempCoefficient()) return {};
    // The defaults of the calibration page include no temperature dependence.
    const double percent = choice_ == ccSet ? *ParseNumber(tcBox_) : 0.0;
    TBytes item{CMD_SVC_VALUE};
    AppendF32(item, static_cast<float>(percent / 100.0));
    return {{std::move(item), {}}, {{CMD_STATUS}, {}}};
}

std::optional<std::string> TConstantsEditor::ReadFactorText(int index) const {
    if (!factors_ || index < 0 || index > 2) return std::nullopt;
    return FixedText((*factors_)[static_cast<size_t>(index)], 7, sep_);
}

std::optional<std::string> TConstantsEditor::ReadTempCoefficientText() const {
    if (!tc_) return std::nullopt;
    return FixedText(static_cast<double>(*tc_) * 100.0, 7, sep_);
}

// --- calibration page -------------------------------------------------------------------

void TConstantsEditor::ChooseCal(TCalChoice choice) {
    if (calChoice_) choice_ = choice;
}

void TConstantsEditor::EditKE(std::string_view text) {
    keBox_ = WithSeparator(text, sep_);
}

void TConstantsEditor::EditKL(std::string_view text) {
    klBox_ = WithSeparator(text, sep_);
}

void TConstantsEditor::Sqrt2KE() {
    if (calChoice_) keBox_ = GeneralText(std::sqrt(2.0), sep_);
}

void TConstantsEditor::Sqrt2KL() {
    if (calChoice_) klBox_ = GeneralText(std::sqrt(2.0), sep_);
}

bool TConstantsEditor::CanSetCal() const {
    if (!calPage_ || !Writable()) return false;
    return choice_ == ccDefault || (cal_ && Positive(keBox_) && Positive(klBox_));
}

std::optional<TCalConstants> TConstantsEditor::CalToProgram() const {
    if (!CanSetCal()) return std::nullopt;
    if (choice_ == ccDefault) return DefaultCalConstants();
    const auto ke = ParseNumber(keBox_);
    const auto kl = ParseNumber(klBox_);
    if (!ke || !kl || *ke < 0 || *kl < 0) return std::nullopt;
    return TCalConstants{cal_->Dac0, static_cast<float>(*ke), static_cast<float>(*kl), cal_->CalTemp};
}

} // namespace k730
