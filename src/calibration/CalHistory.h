// TCalHistory: the rules of the calibration history window without a window.
// It holds the records read from the log (newest first), decides which of
// them are shown under the meter and date filters, keeps the selection across
// refilters, searches the shown rows, and gives the texts of the grid and of
// the exports. The window shows rows through a table model over this class.
#pragma once

#include "files/CalExport.h"
#include "files/CalLog.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k730 {

enum TCalDateKind : uint8_t { cdLast30Days = 0, cdCurrentMonth = 1, cdPreviousMonth = 2, cdCustom = 3 };

// The date range dialog's record: the kind and the custom bounds (day counts;
// 0 = unset).
struct TCalDateFilter {
    uint8_t kind = cdLast30Days;
    double from = 0;
    double to = 0;

    bool operator==(const TCalDateFilter&) const = default;
};

// Whole days: the record's day and today are truncated first.
bool PassesDateFilter(double recordDays, const TCalDateFilter& filter, double today);
// "last 30 days", ..., or "dd.mm.yyyy ÷ dd.mm.yyyy".
std::string DateFilterText(const TCalDateFilter& filter, TLanguage lang, char dateSep);

// The meter the main window is connected to, as far as the window needs it.
struct TConnectedMeter {
    bool portChosen = false;
    std::string descriptor; // ModelDescriptor, UTF-8
    uint16_t serial = 0xFFFF;
    uint16_t year = 0xFFFF;
};

// The outcome of a search: the row found, or the message and whether to
// offer "Search from beginning?".
struct TCalSearchResult {
    std::optional<size_t> row;
    std::string message;       // not-found text, with the start row when not started at the top
    bool offerRestart = false; // the search did not start at the first row
};

// "Search from beginning?" followed by the not-found message.
std::string SearchRestartQuestion(const TCalSearchResult& result, TLanguage lang);

constexpr size_t CAL_GRID_COLUMNS = 7;
using TCalRowTexts = std::array<std::string, CAL_GRID_COLUMNS>;

class TCalHistory {
public:
    explicit TCalHistory(TCalTextFormat format);

    // The records of the log, newest first; nothing selected.
    void SetRecords(TCalLogList records);
    // A re-read log: the record selected before stays selected.
    void Reload(TCalLogList records);
    const TCalLogList& Records() const { return records_; }
    const TCalTextFormat& Format() const { return format_; }

    // Filters. A change of the meter filter or the date limit takes the
    // selected record as the reference and refills.
    void SetMeterFilter(TCalMeterFilter filter);
    TCalMeterFilter MeterFilter() const { return meterFilter_; }
    void SetDateLimit(bool on);
    bool DateLimit() const { return dateLimit_; }
    // True when the record changed (the rows are refilled while the limit is on).
    bool SetDateFilter(const TCalDateFilter& filter);
    const TCalDateFilter& DateFilter() const { return dateFilter_; }
    void SetToday(double days) { today_ = days; }

    void Refill();
    size_t RowCount() const { return rows_.size(); }
    const TCalLogRecord& RowRecord(size_t row) const { return records_[rows_[row]]; }
    size_t RecordIndex(size_t row) const { return rows_[row]; }
    std::optional<size_t> SelectedRow() const { return selected_; }
    // A row picked by the user: selected, remembered, and where the next search starts.
    void SelectRow(std::optional<size_t> row);

    std::string CountText() const; // "shown/total"
    std::string DateRangeText() const;
    TCalRowTexts RowTexts(size_t row) const;
    // One cell of the grid: "No.", date and time, type and serial on two
    // lines, 4 mA value, loop factor, result factor, temperature.
    std::string CellText(size_t row, size_t column) const;
    std::vector<TCalLogRecord> ShownRecords() const;
    TCalExportView ExportView() const;

    // BtnSearch: the typed text, normalised, also read as a date.
    TCalSearchResult Search(std::string_view typed, int currentYear);
    // BtnCurSearch: the connected meter's descriptor, " " and serial/year.
    TCalSearchResult SearchMeter(const TConnectedMeter& meter);
    // Yes to "Search from beginning?": the last search again from the first row.
    TCalSearchResult SearchFromBeginning();
    const std::string& LastSearch() const { return lastSearch_; }

    // BtnSet: the selected record belongs to the connected meter.
    bool CanProgram(const TConnectedMeter& meter) const;

private:
    bool PassesMeterFilter(const TCalLogRecord& r) const;
    void SetSpanFromRows();
    TCalSearchResult Begin(std::string text, TText notFound);
    TCalSearchResult RunSearch(size_t start);
    bool Matches(size_t record) const;
    const std::string& Haystack(size_t record) const;
    void Select(std::optional<size_t> row);

    TCalTextFormat format_;
    TCalLogList records_;
    std::vector<size_t> rows_; // record indexes of the shown rows
    std::optional<size_t> selected_;
    std::optional<TCalLogRecord> reference_;
    TCalMeterFilter meterFilter_ = cfAllMeters;
    bool dateLimit_ = false;
    TCalDateFilter dateFilter_;
    double today_ = 0;

    std::string lastSearch_;
    std::string searchLower_;         // the last search text, lower-case Windows-1250
    std::optional<double> searchDay_; // with date matching: the whole day searched for
    std::string notFoundText_;
    size_t searchStart_ = 0;
    mutable std::vector<std::string> haystacks_; // per record, built when first searched
};

} // namespace k730
