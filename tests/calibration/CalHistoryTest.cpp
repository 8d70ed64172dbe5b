// The calibration history window's rules: which records are shown, the
// selection across refilters, the search and the texts of a row.
#include "calibration/CalHistory.h"
#include "calibration/CalSearchText.h"
#include "files/DayCount.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

double Day(int y, int m, int d, int hh = 10, int mm = 0) {
    return EncodeDays(TDateTimeParts{y, m, d, hh, mm, 0, 0});
}

TCalLogRecord Rec(std::string type, uint16_t serial, double when, std::string comment = {}) {
    TCalLogRecord r;
    r.MeterType = std::move(type);
    r.SerialNumber = serial;
    r.ProductionYear = 2024;
    r.CalDateTime = when;
    r.OldForcingValue4mA = 0x4000;
    r.NewForcingValue4mA = 0x40A5;
    r.OldLoopFactor = 1.0f;
    r.NewLoopFactor = 1.1867846f;
    r.OldResultFactor = 1.0f;
    r.NewResultFactor = 1.25f;
    r.CalTempCode = 0x02A8;
    r.Comment = std::move(comment);
    return r;
}

class CalHistoryTest : public ::testing::Test {
protected:
    TCalHistory history{TCalTextFormat{langEnglish, ',', '.', ':'}};

    // Newest first, as the log reads.
    void SetUp() override {
        history.SetToday(Day(2024, 3, 20, 15));
        history.SetRecords({Rec("K-730/V/20k/E/0", 1001, Day(2024, 3, 19), "lamp A"),
                            Rec("K-730/L/200k/E/0", 7, Day(2024, 3, 5), "Łódź bench"),
                            Rec("k-730/v/20K/E/0", 1002, Day(2024, 2, 20)),
                            Rec("K-730/V/20k/E/0", 1001, Day(2024, 2, 19), "lamp B"),
                            Rec("K-730/V/20k/E/0", 1001, Day(2023, 12, 31, 23, 59), "lamp A again")});
    }

    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (size_t i = 0; i < history.RowCount(); ++i)
            out.push_back(history.RowRecord(i).MeterType + " " +
                          std::to_string(history.RowRecord(i).SerialNumber));
        return out;
    }
};

TEST_F(CalHistoryTest, MeterFiltersFollowTheSelectedRecord) {
    EXPECT_EQ(history.RowCount(), 5u);
    EXPECT_FALSE(history.SelectedRow());
    history.SetMeterFilter(cfOneMeter);
    EXPECT_EQ(history.RowCount(), 0u) << "without a selection there is no meter to show";
    EXPECT_EQ(history.CountText(), "0/5");
    history.SetMeterFilter(cfAllMeters);
    history.SelectRow(3);
    history.SetMeterFilter(cfSameType);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"K-730/V/20k/E/0 1001", "k-730/v/20K/E/0 1002",
                                                 "K-730/V/20k/E/0 1001", "K-730/V/20k/E/0 1001"}));
    EXPECT_EQ(history.SelectedRow(), 2u) << "the record stays selected";
    history.SetMeterFilter(cfOneMeter);
    EXPECT_EQ(history.RowCount(), 3u);
    EXPECT_EQ(history.RowRecord(*history.SelectedRow()).Comment, "lamp B");
    EXPECT_EQ(history.CountText(), "3/5");
}

TEST_F(CalHistoryTest, DateFiltersCountWholeDaysFromToday) {
    history.SetDateLimit(true);
    EXPECT_EQ(history.RowCount(), 4u) << "the last 30 days reach back to 19 February";
    history.SetDateFilter({cdCurrentMonth, 0, 0});
    EXPECT_EQ(history.RowCount(), 2u);
    history.SetDateFilter({cdPreviousMonth, 0, 0});
    EXPECT_EQ(history.RowCount(), 2u);
    history.SetToday(Day(2024, 1, 10));
    history.Refill();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"K-730/V/20k/E/0 1001"}))
        << "January's previous month is December";
    history.SetDateFilter({cdCustom, Day(2024, 2, 19, 0), Day(2024, 3, 5, 0)});
    EXPECT_EQ(history.RowCount(), 3u) << "both bounds count";
    EXPECT_EQ(history.DateRangeText(), "19.02.2024 ÷ 05.03.2024");
    EXPECT_FALSE(history.SetDateFilter({cdCustom, Day(2024, 2, 19, 0), Day(2024, 3, 5, 0)}));
    history.SetDateFilter({cdLast30Days, 0, 0});
    EXPECT_EQ(history.DateRangeText(), "last 30 days");
    EXPECT_EQ(DateFilterText({cdPreviousMonth, 0, 0}, langPolish, '.'), "poprzedni miesiąc");
}

TEST_F(CalHistoryTest, UnsetOrInvertedCustomRangeBecomesTheSpanOfTheShownRows) {
    EXPECT_EQ(history.DateFilter().from, Day(2023, 12, 31, 0));
    EXPECT_EQ(history.DateFilter().to, Day(2024, 3, 19, 0));
    history.SetDateFilter({cdCustom, Day(2024, 3, 1, 0), Day(2024, 2, 1, 0)});
    history.Refill();
    EXPECT_EQ(history.DateFilter().from, Day(2023, 12, 31, 0));
    EXPECT_EQ(history.DateFilter().to, Day(2024, 3, 19, 0));
}

TEST_F(CalHistoryTest, SameTextFindsTheNextMatchAndANewTextStartsAtTheSelectedRow) {
    auto found = history.Search("  lamp   a ", 2024);
    EXPECT_EQ(found.row, 0u);
    EXPECT_EQ(history.LastSearch(), "lamp a");
    found = history.Search("LAMP A", 2024);
    EXPECT_EQ(found.row, 4u) << "the same text without case goes on after the last hit";
    history.SelectRow(1);
    found = history.Search("lamp", 2024);
    EXPECT_EQ(found.row, 3u) << "a new text starts at the selected row";
    found = history.Search("łÓDŹ", 2024);
    EXPECT_FALSE(found.row) << "started at row 4, past the only match";
    EXPECT_TRUE(found.offerRestart);
    EXPECT_EQ(found.message, "Search string not found.\r\nSearch list from 4 row.");
    EXPECT_EQ(SearchRestartQuestion(found, langEnglish),
              "Search from beginning?\r\n\r\nSearch string not found.\r\nSearch list from 4 row.");
    found = history.SearchFromBeginning();
    EXPECT_EQ(found.row, 1u);
    EXPECT_EQ(history.SelectedRow(), 1u);
}

TEST_F(CalHistoryTest, SearchFromTheFirstRowOnlyInforms) {
    const auto found = history.Search("no such text", 2024);
    EXPECT_FALSE(found.row);
    EXPECT_FALSE(found.offerRestart);
    EXPECT_EQ(found.message, "Search string not found.");
}

TEST_F(CalHistoryTest, SearchTextReadAsADateMatchesThatDay) {
    const std::pair<const char*, size_t> cases[] = {
        {"5.3.2024", 1},         // the grid writes 05.03.2024
        {"20.2 08:15", 2},       // the time does not narrow the day
        {"31.12.23", 4},         // two-digit years are this century's
        {"05.03.2024 10:00", 1}, // and the grid's own text
        {"0x40A5", 0},           {"1,1867846", 0}, {"K-730/L/200k/E/0 7/2024", 1}};
    for (const auto& [text, row] : cases) {
        history.SelectRow(0);
        EXPECT_EQ(history.Search(text, 2024).row, row) << text;
    }
}

TEST_F(CalHistoryTest, ConnectedMeterSearchUsesDescriptorSerialAndYear) {
    const TConnectedMeter meter{true, "K-730/V/20k/E/0", 1001, 2024};
    EXPECT_EQ(history.SearchMeter(meter).row, 0u);
    EXPECT_EQ(history.SearchMeter(meter).row, 3u);
    EXPECT_EQ(history.SearchMeter(meter).row, 4u);
    const auto last = history.SearchMeter(meter);
    EXPECT_EQ(last.message, "Search meter not found.\r\nSearch list from 6 row.");
    EXPECT_TRUE(history.CanProgram(meter));
    EXPECT_FALSE(history.CanProgram({false, "K-730/V/20k/E/0", 1001, 2024}));
    EXPECT_FALSE(history.CanProgram({true, "K-730/V/20k/E/0", 1002, 2024}));
    EXPECT_TRUE(history.CanProgram({true, "k-730/v/20K/e/0", 1001, 2024}));
}

TEST_F(CalHistoryTest, RowTextsAndTheExportView) {
    const TCalRowTexts row = history.RowTexts(1);
    EXPECT_EQ(row[0], "2.");
    EXPECT_EQ(row[1], "05.03.2024 10:00");
    EXPECT_EQ(row[2], "K-730/L/200k/E/0\n7/2024");
    EXPECT_EQ(row[3], "0x4000 --> 0x40A5");
    EXPECT_EQ(row[4], "1,0000000 --> 1,1867846");
    EXPECT_EQ(row[5], "1,0000000 --> 1,2500000");
    EXPECT_EQ(row[6], "23,1") << "23.046875 °C: four digits first, then one decimal";
    history.SetDateLimit(true);
    EXPECT_EQ(history.ExportView().dateRangeText, "last 30 days");
    EXPECT_EQ(history.ExportView().totalRecords, 5u);
    EXPECT_EQ(history.ShownRecords().size(), 4u);
}

TEST_F(CalHistoryTest, ReloadKeepsTheSelectedRecordSelected) {
    history.SelectRow(1);
    TCalLogList records = history.Records();
    records.insert(records.begin(), Rec("K-730/V/20k/E/0", 1001, Day(2024, 3, 20), "new"));
    history.Reload(std::move(records));
    EXPECT_EQ(history.RowCount(), 6u);
    EXPECT_EQ(history.SelectedRow(), 2u);
}

TEST(CalSearchText, DatesAsTheWindowWritesThem) {
    EXPECT_EQ(ParseSearchDate("5-3-2024", '-', ':', 2000), EncodeDays({2024, 3, 5}));
    EXPECT_EQ(ParseSearchDate("5.3", '.', ':', 2023), EncodeDays({2023, 3, 5}));
    EXPECT_EQ(ParseSearchDate("29.02.2024 13:05:09", '.', ':', 2000), EncodeDays({2024, 2, 29, 13, 5, 9}));
    for (const char* bad : {"29.02.2023", "1.13.2024", "0.1.2024", "12", "1.2.3.4", "1.2.2024 25:00", "a.b.c",
                            "1.2.2024 10", "1..2024", "12:30"})
        EXPECT_FALSE(ParseSearchDate(bad, '.', ':', 2024)) << bad;
    EXPECT_EQ(NormaliseSearchText("\t a  b \t c  "), "a b c");
    EXPECT_TRUE(EqualNoCase("ĄĆĘŁŃÓŚŹŻ", "ąćęłńóśźż"));
    EXPECT_FALSE(EqualNoCase("中", "?")) << "a character without a code page byte matches nothing";
}

} // namespace
} // namespace k730
