#include "calibration/CalHistory.h"

#include "calibration/CalSearchText.h"
#include "files/DayCount.h"
#include "files/FileMessage.h"
#include "main/K730Fun.h"

#include <bit>
#include <cmath>

namespace k730 {
namespace {

constexpr TText dateKindTexts[3] = {{"ostatnie 30 dni", "last 30 days"},
                                    {"bieżący miesiąc", "current month"},
                                    {"poprzedni miesiąc", "previous month"}};
constexpr TText searchNotFound{"Nie znaleziono szukanego ciągu znaków.", "Search string not found."};
constexpr TText meterNotFound{"Nie znaleziono szukanego miernika.", "Search meter not found."};
constexpr TText searchedFromRow{"Przeszukano listę od %d wiersza.", "Search list from %d row."};
constexpr TText searchRestart{"Przeszukać listę od początku?", "Search from beginning?"};

double Day(double days) {
    return std::trunc(days);
}

// Texts and the 40-byte fixed part equal, byte for byte.
bool SameRecord(const TCalLogRecord& a, const TCalLogRecord& b) {
    return a.Comment == b.Comment && a.MeterType == b.MeterType && a.SerialNumber == b.SerialNumber &&
           a.ProductionYear == b.ProductionYear &&
           std::bit_cast<uint64_t>(a.CalDateTime) == std::bit_cast<uint64_t>(b.CalDateTime) &&
           a.OldForcingValue4mA == b.OldForcingValue4mA && a.NewForcingValue4mA == b.NewForcingValue4mA &&
           std::bit_cast<uint32_t>(a.OldLoopFactor) == std::bit_cast<uint32_t>(b.OldLoopFactor) &&
           std::bit_cast<uint32_t>(a.NewLoopFactor) == std::bit_cast<uint32_t>(b.NewLoopFactor) &&
           std::bit_cast<uint32_t>(a.OldResultFactor) == std::bit_cast<uint32_t>(b.OldResultFactor) &&
           std::bit_cast<uint32_t>(a.NewResultFactor) == std::bit_cast<uint32_t>(b.NewResultFactor) &&
           a.CalTempCode == b.CalTempCode;
}

// Year and month of a day count, or nothing for an undecodable one.
std::optional<std::pair<int, int>> YearMonth(double days) {
    const auto p = DecodeDays(days);
    if (!p) return std::nullopt;
    return std::pair{p->year, p->month};
}

} // namespace

bool PassesDateFilter(double recordDays, const TCalDateFilter& f, double today) {
    const double day = Day(recordDays);
    switch (f.kind) {
    case cdLast30Days:
        return day >= Day(today) - 30;
    case cdCurrentMonth:
    case cdPreviousMonth: {
        auto wanted = YearMonth(today);
        const auto got = YearMonth(day);
        if (!wanted || !got) return false;
        if (f.kind == cdPreviousMonth && --wanted->second == 0) {
            wanted->second = 12;
            --wanted->first;
        }
        return *wanted == *got;
    }
    default:
        return Day(f.from) <= day && day <= Day(f.to);
    }
}

std::string DateFilterText(const TCalDateFilter& f, TLanguage lang, char dateSep) {
    if (f.kind < cdCustom) return std::string(dateKindTexts[f.kind](lang));
    return FormatDate(f.from, dateSep) + " ÷ " + FormatDate(f.to, dateSep);
}

std::string SearchRestartQuestion(const TCalSearchResult& result, TLanguage lang) {
    return std::string(searchRestart(lang)) + "\r\n\r\n" + result.message;
}

TCalHistory::TCalHistory(TCalTextFormat format) : format_(format) {}

void TCalHistory::SetRecords(TCalLogList records) {
    records_ = std::move(records);
    haystacks_.clear();
    reference_.reset();
    Refill();
}

void TCalHistory::Reload(TCalLogList records) {
    if (selected_) reference_ = RowRecord(*selected_);
    records_ = std::move(records);
    haystacks_.clear();
    Refill();
}

// --- filters ------------------------------------------------------------------------------------

void TCalHistory::SetMeterFilter(TCalMeterFilter filter) {
    reference_ = selected_ ? std::optional(RowRecord(*selected_)) : std::nullopt;
    meterFilter_ = filter;
    Refill();
}

void TCalHistory::SetDateLimit(bool on) {
    reference_ = selected_ ? std::optional(RowRecord(*selected_)) : std::nullopt;
    dateLimit_ = on;
    Refill();
}

bool TCalHistory::SetDateFilter(const TCalDateFilter& filter) {
    if (filter == dateFilter_) return false;
    dateFilter_ = filter;
    if (dateLimit_) {
        reference_ = selected_ ? std::optional(RowRecord(*selected_)) : std::nullopt;
        Refill();
    }
    return true;
}

bool TCalHistory::PassesMeterFilter(const TCalLogRecord& r) const {
    if (meterFilter_ == cfAllMeters) return true;
    if (!reference_ || !EqualNoCase(r.MeterType, reference_->MeterType)) return false;
    return meterFilter_ == cfSameType ||
           (r.SerialNumber == reference_->SerialNumber && r.ProductionYear == reference_->ProductionYear);
}

void TCalHistory::Refill() {
    rows_.clear();
    selected_.reset();
    for (size_t i = 0; i < records_.size(); ++i) {
        const TCalLogRecord& r = records_[i];
        if (dateLimit_ && !PassesDateFilter(r.CalDateTime, dateFilter_, today_)) continue;
        if (!PassesMeterFilter(r)) continue;
        if (!selected_ && reference_ && SameRecord(r, *reference_)) selected_ = rows_.size();
        rows_.push_back(i);
    }
    const bool unset = dateFilter_.from == 0 || dateFilter_.to == 0;
    if (unset || dateFilter_.from > dateFilter_.to) SetSpanFromRows();
}

// The custom range from the oldest to the newest shown record.
void TCalHistory::SetSpanFromRows() {
    if (rows_.empty()) return;
    dateFilter_.from = Day(records_[rows_.back()].CalDateTime);
    dateFilter_.to = Day(records_[rows_.front()].CalDateTime);
}

void TCalHistory::Select(std::optional<size_t> row) {
    if (row && *row >= rows_.size()) row.reset();
    selected_ = row;
    if (row) reference_ = RowRecord(*row);
}

void TCalHistory::SelectRow(std::optional<size_t> row) {
    Select(row);
    searchStart_ = selected_.value_or(0);
}

// --- texts ----------------------------------------------------------------------------------------

std::string TCalHistory::CountText() const {
    return std::to_string(rows_.size()) + "/" + std::to_string(records_.size());
}

std::string TCalHistory::DateRangeText() const {
    return DateFilterText(dateFilter_, format_.lang, format_.dateSep);
}

std::string TCalHistory::CellText(size_t row, size_t column) const {
    const TCalLogRecord& r = RowRecord(row);
    switch (column) {
    case 0:
        return std::to_string(row + 1) + ".";
    case 1:
        return CalDateTimeText(r, format_);
    case 2:
        return r.MeterType + "\n" + CalSerialText(r);
    case 3:
        return Cal4mAText(r);
    case 4:
        return CalLoopText(r, format_);
    case 5:
        return CalResultText(r, format_);
    default:
        return CalTempText(r, format_);
    }
}

TCalRowTexts TCalHistory::RowTexts(size_t row) const {
    TCalRowTexts texts;
    for (size_t column = 0; column < texts.size(); ++column)
        texts[column] = CellText(row, column);
    return texts;
}

std::vector<TCalLogRecord> TCalHistory::ShownRecords() const {
    std::vector<TCalLogRecord> shown;
    shown.reserve(rows_.size());
    for (size_t index : rows_)
        shown.push_back(records_[index]);
    return shown;
}

TCalExportView TCalHistory::ExportView() const {
    return TCalExportView{meterFilter_, dateLimit_ ? DateRangeText() : std::string(), records_.size()};
}

bool TCalHistory::CanProgram(const TConnectedMeter& meter) const {
    if (!selected_ || !meter.portChosen) return false;
    const TCalLogRecord& r = RowRecord(*selected_);
    return EqualNoCase(r.MeterType, meter.descriptor) && r.SerialNumber == meter.serial &&
           r.ProductionYear == meter.year;
}

// --- search ------------------------------------------------------------------------------------------

TCalSearchResult TCalHistory::Search(std::string_view typed, int currentYear) {
    std::string text = NormaliseSearchText(typed);
    if (text.empty()) return {};
    const auto moment = ParseSearchDate(text, format_.dateSep, format_.timeSep, currentYear);
    searchDay_ = moment ? std::optional(Day(*moment)) : std::nullopt;
    return Begin(std::move(text), searchNotFound);
}

TCalSearchResult TCalHistory::SearchMeter(const TConnectedMeter& meter) {
    searchDay_.reset();
    return Begin(meter.descriptor + " " + SerialAndYearText(meter.serial, meter.year), meterNotFound);
}

// The same text again goes on after the last hit; a new one starts at the selected row.
TCalSearchResult TCalHistory::Begin(std::string text, TText notFound) {
    notFoundText_ = std::string(notFound(format_.lang));
    const size_t start = EqualNoCase(text, lastSearch_) ? searchStart_ : selected_.value_or(0);
    lastSearch_ = std::move(text);
    searchLower_ = LowerCp1250(lastSearch_);
    return RunSearch(start);
}

TCalSearchResult TCalHistory::SearchFromBeginning() {
    return RunSearch(0);
}

TCalSearchResult TCalHistory::RunSearch(size_t start) {
    for (size_t row = start; row < rows_.size(); ++row) {
        if (!Matches(rows_[row])) continue;
        Select(row);
        searchStart_ = row + 1;
        return TCalSearchResult{row, {}, false};
    }
    TCalSearchResult result;
    result.message = notFoundText_;
    if (start > 0)
        result.message += "\r\n" + FillIn(searchedFromRow(format_.lang), std::to_string(start + 1));
    result.offerRestart = start > 0;
    return result;
}

bool TCalHistory::Matches(size_t record) const {
    if (searchDay_ && Day(records_[record].CalDateTime) == *searchDay_) return true;
    return Haystack(record).find(searchLower_) != std::string::npos;
}

// Every text a search looks in, lower-case, joined by a line feed that no
// search text holds, so that a match never spans two of them.
const std::string& TCalHistory::Haystack(size_t record) const {
    if (haystacks_.size() != records_.size()) haystacks_.assign(records_.size(), std::string());
    std::string& hay = haystacks_[record];
    if (!hay.empty()) return hay;
    const TCalLogRecord& r = records_[record];
    const std::string date = CalDateText(r, format_);
    const std::string time = CalTimeText(r, format_);
    const std::string serial = CalSerialText(r);
    const std::string joined = date + "\n" + time + "\n" + date + " " + time + "\n" + r.MeterType + "\n" +
                               serial + "\n" + r.MeterType + " " + serial + "\n" + Cal4mAText(r) + "\n" +
                               CalLoopText(r, format_) + "\n" + CalResultText(r, format_) + "\n" +
                               CalTempText(r, format_) + "\n" + r.Comment;
    hay = LowerCp1250(joined);
    return hay;
}

} // namespace k730
