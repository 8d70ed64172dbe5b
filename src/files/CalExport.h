// Text forms of a calibration record and the two exports of the calibration
// history window: a readable text file and tab-separated spreadsheet text.
#pragma once

#include "files/CalLog.h"
#include "main/K730Lang.h"

#include <string>
#include <vector>

namespace k730 {

// The locale's separators, passed in; the core never asks the system.
struct TCalTextFormat {
    TLanguage lang = langEnglish;
    char decimal = '.';
    char dateSep = '.';
    char timeSep = ':';
};

std::string CalDateText(const TCalLogRecord& r, const TCalTextFormat& f);     // dd.mm.yyyy
std::string CalTimeText(const TCalLogRecord& r, const TCalTextFormat& f);     // hh:nn
std::string CalDateTimeText(const TCalLogRecord& r, const TCalTextFormat& f); // date, " ", time
std::string CalSerialText(const TCalLogRecord& r);                            // "123/2021", "---/----"
std::string Cal4mAText(const TCalLogRecord& r);                               // "0x1234 --> 0x1235"
std::string CalLoopText(const TCalLogRecord& r, const TCalTextFormat& f);
std::string CalResultText(const TCalLogRecord& r, const TCalTextFormat& f);
std::string CalTempText(const TCalLogRecord& r, const TCalTextFormat& f); // without "°C"

enum TCalMeterFilter { cfAllMeters, cfSameType, cfOneMeter };

// What the window shows: which filter, the date limit text (empty = no limits)
// and the number of records in the whole list.
struct TCalExportView {
    TCalMeterFilter filter = cfAllMeters;
    std::string dateRangeText;
    size_t totalRecords = 0;
};

// UTF-8 texts of the exports of `rows` (the shown records, in grid order).
std::string CalExportText(const std::vector<TCalLogRecord>& rows, const TCalExportView& view,
                          const TCalTextFormat& f);
std::string CalExportSpreadsheet(const std::vector<TCalLogRecord>& rows, const TCalTextFormat& f);

// Writes an export as Windows-1250 text, the file created anew.
bool WriteTextFile(const std::string& path, const std::string& utf8);

} // namespace k730
