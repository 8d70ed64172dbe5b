#include "service/TemplateEditor.h"

#include "main/Cp1250.h"
#include "main/K730Fun.h"
#include "service/ServiceEdits.h"
#include "service/ServiceInfo.h"

#include <algorithm>
#include <utility>

namespace k730 {

namespace {

constexpr std::array<std::string_view, TEMPLATE_GRID_COLUMNS> HEADERS = {
    "Lp.",
    "Nazwa miernika /\r\nNazwa użytkownika",
    "Rodzaj\r\nmiernika",
    "Czułość\r\nwidmowa",
    "Pomiar\r\nluminancji",
    "Pole\r\npomiarowe",
    "Zakresy\r\npomiarowe",
    "Konfiguracja\r\nprzyrządu",
    "Wersja\r\nprzyrządu",
};

constexpr TText KIND_ERROR = {"Błąd", "Error"};

// Texts compared as the file holds them: Windows-1250 bytes, unsigned.
int CompareBytes(const std::string& a, const std::string& b) {
    const std::string x = Utf8ToCp1250(a), y = Utf8ToCp1250(b);
    const auto r =
        std::lexicographical_compare_three_way(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
            return static_cast<unsigned char>(p) <=> static_cast<unsigned char>(q);
        });
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

template <typename T> int Compare(T a, T b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// The code of a unit sign as the file stores it: " 0x22, ' 0x27, ° 0xB0.
int SignCode(std::string_view sign) {
    return static_cast<unsigned char>(Utf8ToCp1250(sign).front());
}

int CompareTemplates(const TTemplateRec& a, const TTemplateRec& b) {
    if (int c = Compare(a.MeterKind & KIND_MASK, b.MeterKind & KIND_MASK)) return c;
    if (int c = Compare(a.LumMode, b.LumMode)) return c;
    if (int c = CompareApertures(a.Aperture, b.Aperture)) return c;
    if (int c = CompareBytes(a.Spectral, b.Spectral)) return c;
    for (size_t i = 0; i < 3; ++i)
        if (int c = Compare(a.Ranges[i], b.Ranges[i])) return c;
    return Compare(a.Config, b.Config);
}

std::string Trimmed(const std::string& text) {
    return TrimBlanks(text);
}

} // namespace

int CompareApertures(const std::string& a, const std::string& b) {
    const auto x = SplitMeasuringField(a);
    const auto y = SplitMeasuringField(b);
    if (!x || !y) return CompareBytes(a, b);
    if (int c = Compare(SignCode(x->sign), SignCode(y->sign))) return c;
    return Compare(x->value, y->value);
}

void SortTemplates(TTemplateArray& templates) {
    for (size_t i = 0; i < templates.size(); ++i)
        for (size_t j = i + 1; j < templates.size(); ++j)
            if (CompareTemplates(templates[j], templates[i]) < 0) std::swap(templates[i], templates[j]);
}

std::string_view TemplateHeader(size_t column) {
    return column < HEADERS.size() ? HEADERS[column] : std::string_view();
}

std::vector<std::string> TemplateRangeLines(const TTemplateRec& t, char decimalSeparator, int* boldLine) {
    std::vector<std::string> lines;
    const bool valid = IsValidMeterType(t.MeterKind);
    const uint8_t kind = KindOf(t.MeterKind);
    int bold = -1;
    for (size_t i = 0; i < 3; ++i) {
        if (!(t.Ranges[i] > 0)) continue;
        if (i == t.DefaultRange) bold = static_cast<int>(lines.size());
        std::string line = FormatRangeText(t.Ranges[i], true, decimalSeparator);
        if (valid) line += MeterUnitText(kind, t.LumMode);
        lines.push_back(std::move(line));
    }
    if (boldLine) *boldLine = bold;
    return lines;
}

std::string TemplateCell(const TTemplateRec& t, size_t column, size_t row, int lang, char decimalSeparator) {
    switch (column) {
    case 0:
        return std::to_string(row + 1) + ".";
    case 1:
        return t.UserName.empty() ? t.MeterName : t.UserName + "\r\n" + t.MeterName;
    case 2:
        return IsValidMeterType(t.MeterKind) ? std::string(MeterKindText(KindOf(t.MeterKind), lang))
                                             : std::string(KIND_ERROR(lang));
    case 3:
        return t.Spectral;
    case 4:
        return std::string(NoYesText(t.LumMode ? 1 : 0, lang));
    case 5:
        return t.Aperture;
    case 6: {
        std::string text;
        for (const auto& line : TemplateRangeLines(t, decimalSeparator))
            text += (text.empty() ? "" : "\r\n") + line;
        return text;
    }
    case 7:
        return BitsText(t.Config);
    case 8:
        return t.Version;
    default:
        return {};
    }
}

int TemplateRowLines(const TTemplateRec& t) {
    int lines = t.UserName.empty() ? 1 : 2;
    for (int k = 1; k <= 3; ++k)
        if (t.Ranges[static_cast<size_t>(k - 1)] > 0) lines = std::max(lines, k);
    return lines;
}

// --- the editor ---------------------------------------------------------------

TTemplateEditor::TTemplateEditor(TTemplateMode mode, std::string libraryPath, TTemplateRec record)
    : mode_(mode), path_(std::move(libraryPath)), record_(std::move(record)), lists_(DefaultSpectralLists()) {
}

bool TTemplateEditor::Refresh() {
    TSpectralLists lists;
    TTemplateArray all;
    if (!ReadTemplateLibrary(path_, &lists, &all)) return false;
    // Absent ranges are shown as nothing and saved as 0.
    for (auto& t : all)
        for (float& r : t.Ranges)
            if (!(r > 0)) r = 0;
    SortTemplates(all);
    templates_ = std::move(all);
    lists_ = std::move(lists);
    for (size_t i = 0; i < lists_.size(); ++i)
        items_[i] = std::min(items_[i], static_cast<int>(lists_[i].size()) - 1);
    if (list_ >= 0 && items_[static_cast<size_t>(list_)] < 0 && !lists_[static_cast<size_t>(list_)].empty())
        items_[static_cast<size_t>(list_)] = 0;
    FindCurrentRow();
    SelectRow(templates_.empty() ? -1 : 0);
    modified_ = false;
    return true;
}

bool TTemplateEditor::Save() {
    saved_ = WriteTemplateLibrary(path_, lists_, templates_);
    if (saved_) modified_ = false;
    return saved_;
}

void TTemplateEditor::FindCurrentRow() {
    currentRow_ = -1;
    for (size_t i = 0; i < templates_.size(); ++i)
        if (SameTemplate(templates_[i], record_)) {
            currentRow_ = static_cast<int>(i);
            return;
        }
}

void TTemplateEditor::SelectRow(int row) {
    row_ = row >= 0 && row < static_cast<int>(templates_.size()) ? row : -1;
    if (page_ == tpTemplates) newName_ = row_ >= 0 ? templates_[static_cast<size_t>(row_)].UserName : "";
}

void TTemplateEditor::Delete() {
    if (page_ == tpSpectral) {
        auto* items = CurrentItems();
        if (!items) return;
        int& item = items_[static_cast<size_t>(list_)];
        if (item < 0 || item >= static_cast<int>(items->size())) return;
        items->erase(items->begin() + item);
        item = std::min(item, static_cast<int>(items->size()) - 1);
        modified_ = true;
        return;
    }
    if (row_ < 0) return;
    templates_.erase(templates_.begin() + row_);
    if (currentRow_ == row_)
        currentRow_ = -1;
    else if (currentRow_ > row_)
        --currentRow_;
    modified_ = true;
    SelectRow(std::min(row_, static_cast<int>(templates_.size()) - 1));
}

std::vector<std::string>* TTemplateEditor::CurrentItems() {
    return list_ >= 0 ? &lists_[static_cast<size_t>(list_)] : nullptr;
}

void TTemplateEditor::EnterList(int list) {
    if (list < 0 || list > 3) return;
    list_ = list;
    int& item = items_[static_cast<size_t>(list)];
    if (item < 0 && !lists_[static_cast<size_t>(list)].empty()) item = 0;
    newName_.clear();
}

void TTemplateEditor::ClickItem(int list, int item) {
    if (list < 0 || list > 3) return;
    list_ = list;
    const int count = static_cast<int>(lists_[static_cast<size_t>(list)].size());
    items_[static_cast<size_t>(list)] = item >= 0 && item < count ? item : -1;
    newName_.clear();
}

void TTemplateEditor::MoveUp() {
    auto* items = CurrentItems();
    if (!items || items->size() < 2) return;
    int& item = items_[static_cast<size_t>(list_)];
    if (item <= 0 || item >= static_cast<int>(items->size())) return;
    std::swap((*items)[static_cast<size_t>(item)], (*items)[static_cast<size_t>(item - 1)]);
    --item;
    modified_ = true;
}

void TTemplateEditor::MoveDown() {
    auto* items = CurrentItems();
    if (!items || items->size() < 2) return;
    int& item = items_[static_cast<size_t>(list_)];
    if (item < 0 || item + 1 >= static_cast<int>(items->size())) return;
    std::swap((*items)[static_cast<size_t>(item)], (*items)[static_cast<size_t>(item + 1)]);
    ++item;
    modified_ = true;
}

void TTemplateEditor::AddNewName() {
    auto* items = CurrentItems();
    if (!items) return;
    auto it = std::find(items->begin(), items->end(), NEW_SPECTRAL_NAME);
    if (it == items->end()) {
        items->emplace_back(NEW_SPECTRAL_NAME);
        it = items->end() - 1;
        modified_ = true;
    }
    items_[static_cast<size_t>(list_)] = static_cast<int>(it - items->begin());
    newName_ = NEW_SPECTRAL_NAME;
}

bool TTemplateEditor::ChangePage(TTemplatePage page) {
    if (page == tpSpectral && mode_ != tmEdit) return false;
    page_ = page;
    if (page == tpSpectral) {
        if (list_ < 0) EnterList(0);
        newName_.clear();
    } else {
        SelectRow(row_);
    }
    return true;
}

void TTemplateEditor::EditNewName(const std::string& text) {
    newName_ = text;
}

void TTemplateEditor::Apply() {
    if (!Buttons().apply) return;
    const std::string name = Trimmed(newName_);
    if (page_ == tpTemplates) {
        templates_[static_cast<size_t>(row_)].UserName = name;
        modified_ = true;
        newName_.clear();
        SelectRow(row_);
        return;
    }
    std::string& item = (*CurrentItems())[static_cast<size_t>(items_[static_cast<size_t>(list_)])];
    if (item != name) {
        item = name;
        modified_ = true;
    }
    newName_.clear();
}

TEditorButtons TTemplateEditor::Buttons() const {
    TEditorButtons b;
    const std::string name = Trimmed(newName_);
    if (page_ == tpTemplates) {
        b.del = !templates_.empty();
        b.open = b.del;
        b.apply = row_ >= 0 && name != templates_[static_cast<size_t>(row_)].UserName;
    } else if (list_ >= 0) {
        const auto& items = lists_[static_cast<size_t>(list_)];
        const int count = static_cast<int>(items.size());
        const int item = items_[static_cast<size_t>(list_)];
        b.up = count > 1 && item > 0;
        b.down = count > 1 && item >= 0 && item < count - 1;
        b.add = true;
        b.del = count > 0;
        b.apply = !name.empty() && item >= 0 && item < count;
    }
    b.newName = b.del;
    b.save = modified_;
    return b;
}

bool TTemplateEditor::Choose() {
    if (page_ != tpTemplates || row_ < 0) return false;
    record_ = templates_[static_cast<size_t>(row_)];
    return true;
}

void TTemplateEditor::EditUserName(const std::string& text) {
    std::string name;
    size_t chars = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80 && chars++ == USER_NAME_LENGTH) break;
        name += c;
    }
    record_.UserName = name;
}

} // namespace k730
