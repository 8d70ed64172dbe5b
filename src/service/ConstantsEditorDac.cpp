// TConstantsEditor: the DAC page, which drives the current-loop DAC by hand
// and programs the code that gives 4 mA.
#include "service/ConstantsEditor.h"

#include "protocol/ByteOrder.h"
#include "service/ServiceEdits.h"
#include "service/ServiceNumbers.h"

namespace k730 {

namespace {

// The meter drives the loop DAC freely only in mode 4, entered by command 101.
constexpr uint8_t MODE_DAC_DRIVING = 4;

TQueueItem ForcingItem(uint32_t value) {
    TBytes item{CMD_SET_FORCING_VALUE};
    AppendU32(item, value);
    return {std::move(item), {}};
}

} // namespace

int TConstantsEditor::EditDacSet(std::string_view text, int caret) {
    dacSet_ = FilterDacBox(text, &caret);
    if (dacSet_.size() > DAC_BOX_DIGITS) dacSet_.resize(DAC_BOX_DIGITS);
    return std::min(caret, static_cast<int>(dacSet_.size()));
}

void TConstantsEditor::LeaveDacSet() {
    dacSet_ = PadDacBox(dacSet_);
}

void TConstantsEditor::StepDac(int digit, bool up) {
    const auto value = ParseDacBox(dacSet_);
    if (!value || digit < 0 || digit >= static_cast<int>(DAC_BOX_DIGITS)) return;
    dacSet_ = DacBoxText(k730::StepDac(*value, 1u << (4 * digit), up));
}

void TConstantsEditor::EditMeasured(std::string_view text) {
    measured_ = WithSeparator(text, sep_);
}

bool TConstantsEditor::CanCalc() const {
    const auto ma = ParseNumber(measured_);
    return dacPage_ && dacRead_ && ma && *ma > 0;
}

void TConstantsEditor::Calc() {
    if (!CanCalc()) return;
    if (const auto code = DacFor4mA(*ParseNumber(measured_), *dacRead_)) dacSet_ = DacBoxText(*code);
}

bool TConstantsEditor::CanSetDac() const {
    return dacPage_ && Writable() && ParseDacBox(dacSet_).has_value();
}

std::vector<TQueueItem> TConstantsEditor::SetDac() const {
    if (!CanSetDac()) return {};
    std::vector<TQueueItem> items;
    if (mode_ != 0 && mode_ != MODE_DAC_DRIVING) items.push_back({{CMD_SET_MODE, 0}, {}});
    if (mode_ != MODE_DAC_DRIVING) items.push_back({{CMD_SVC_101}, {}});
    items.push_back(ForcingItem(*ParseDacBox(dacSet_) & DAC_MAX));
    return items;
}

bool TConstantsEditor::CanProgramDac0() const {
    return dacPage_ && Writable() && mode_ == MODE_DAC_DRIVING && dacRead_ && cal_;
}

std::vector<TQueueItem> TConstantsEditor::ProgramDac0() const {
    if (!CanProgramDac0()) return {};
    TCalConstants c = *cal_;
    c.Dac0 = *dacRead_ & DAC_MAX;
    std::vector<TQueueItem> items = CalProgramItems(c);
    items.pop_back(); // no status request: the loop goes on being driven with the same value
    items.push_back({{CMD_SVC_101}, {}});
    items.push_back(ForcingItem(c.Dac0));
    return items;
}

std::vector<TQueueItem> TConstantsEditor::LeaveDacPage() const {
    if (mode_ == 0) return {};
    return {{{CMD_SET_MODE, 0}, {}}, {{CMD_STATUS}, {}}};
}

std::optional<uint32_t> TConstantsEditor::DacRead() const {
    return dacRead_;
}

} // namespace k730
