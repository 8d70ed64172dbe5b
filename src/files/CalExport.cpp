#include "files/CalExport.h"

#include "files/DayCount.h"
#include "files/FileIo.h"
#include "files/FileTexts.h"
#include "main/Cp1250.h"
#include "main/K730Fun.h"

#include <cstdio>

namespace k730 {
namespace {

constexpr TText exportTitle{"HISTORIA KALIBRACJI", "CALIBRATION HISTORY LOG"};
constexpr TText exportRecords{"wpisów", "records"};
constexpr TText filterTexts[] = {{"Wszystkie mierniki", "All meters"},
                                 {"Mierniki tego samego typu", "Meters of the same type"},
                                 {"Tylko jeden miernik", "One meter only"}};
constexpr TText timeBoundaries{"Ograniczenie przedziału czasowego", "Time boundaries"};
constexpr TText noLimits{"brak", "no limits"};
constexpr TText calFactors{"Współczynniki kalibracji:", "Calibration factors:"};
constexpr TText forcing4mA{"wymuszenia 4mA", "value forcing 4mA current"};
constexpr TText currentLoop{"pętli prądowej", "current loop"};
constexpr TText resultText{"wyniku", "result"};
constexpr TText calTemperature{"Temperatura kalibracji", "Calibration temperature"};
constexpr TText columnNames[] = {{"Lp.", "No."},
                                 {"Data/czas kalibracji", "Calibration Date/Time"},
                                 {"Typ miernika", "Meter type"},
                                 {"Numer seryjny", "Serial number"},
                                 forcing4mA,
                                 currentLoop,
                                 resultText,
                                 {"Temperatura", "Temperature"}};
constexpr TText commentName{"Komentarz", "Comment"};

std::string FactorPair(float before, float after, char decimal) {
    return filetext::Fixed(before, 8, 7, decimal) + " --> " + filetext::Fixed(after, 8, 7, decimal);
}

std::string Str(TText t, TLanguage lang) {
    return std::string(t(lang));
}

void AppendTextRow(std::string& out, size_t number, const TCalLogRecord& r, const TCalTextFormat& f) {
    const TLanguage l = f.lang;
    out += std::to_string(number) + ". " + CalDateTimeText(r, f) + "\t" + r.MeterType + " " +
           CalSerialText(r) + "\r\n";
    out += Str(calFactors, l) + "\r\n";
    out += "- " + Str(forcing4mA, l) + ":\t" + Cal4mAText(r) + "\r\n";
    out += "- " + Str(currentLoop, l) + ":\t" + CalLoopText(r, f) + "\r\n";
    out += "- " + Str(resultText, l) + ":\t" + CalResultText(r, f) + "\r\n";
    out += Str(calTemperature, l) + ":\t" + CalTempText(r, f) + "°C\r\n";
    if (!r.Comment.empty()) {
        out += r.Comment;
        if (!r.Comment.ends_with("\r\n")) out += "\r\n";
    }
}

// Continuation lines of a comment stay in the ninth column.
std::string SpreadsheetComment(std::string comment) {
    if (comment.ends_with("\r\n")) comment.resize(comment.size() - 2);
    std::string out;
    for (size_t at = 0;;) {
        const size_t next = comment.find("\r\n", at);
        out += comment.substr(at, next - at);
        if (next == std::string::npos) break;
        out += "\r\n\t\t\t\t\t\t\t\t";
        at = next + 2;
    }
    return out;
}

} // namespace

std::string CalDateText(const TCalLogRecord& r, const TCalTextFormat& f) {
    return FormatDate(r.CalDateTime, f.dateSep);
}
std::string CalTimeText(const TCalLogRecord& r, const TCalTextFormat& f) {
    return FormatTimeHN(r.CalDateTime, f.timeSep);
}
std::string CalDateTimeText(const TCalLogRecord& r, const TCalTextFormat& f) {
    return CalDateText(r, f) + " " + CalTimeText(r, f);
}
std::string CalSerialText(const TCalLogRecord& r) {
    return SerialAndYearText(r.SerialNumber, r.ProductionYear);
}

std::string Cal4mAText(const TCalLogRecord& r) {
    char text[64];
    std::snprintf(text, sizeof text, "0x%04X --> 0x%04X", r.OldForcingValue4mA, r.NewForcingValue4mA);
    return text;
}

std::string CalLoopText(const TCalLogRecord& r, const TCalTextFormat& f) {
    return FactorPair(r.OldLoopFactor, r.NewLoopFactor, f.decimal);
}
std::string CalResultText(const TCalLogRecord& r, const TCalTextFormat& f) {
    return FactorPair(r.OldResultFactor, r.NewResultFactor, f.decimal);
}
std::string CalTempText(const TCalLogRecord& r, const TCalTextFormat& f) {
    return filetext::Fixed(static_cast<float>(TempCodeToCelsius(static_cast<uint16_t>(r.CalTempCode))), 4, 1,
                           f.decimal);
}

std::string CalExportText(const std::vector<TCalLogRecord>& rows, const TCalExportView& view,
                          const TCalTextFormat& f) {
    const TLanguage l = f.lang;
    std::string out = Str(exportTitle, l) + "\r\n" + std::to_string(rows.size()) + "/" +
                      std::to_string(view.totalRecords) + " " + Str(exportRecords, l) + "\r\n" +
                      Str(filterTexts[view.filter], l) + "\r\n" + Str(timeBoundaries, l) + ": " +
                      (view.dateRangeText.empty() ? Str(noLimits, l) : view.dateRangeText) + "\r\n\r\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) out += "\r\n";
        AppendTextRow(out, i + 1, rows[i], f);
    }
    return out;
}

std::string CalExportSpreadsheet(const std::vector<TCalLogRecord>& rows, const TCalTextFormat& f) {
    const TLanguage l = f.lang;
    std::string out = "\t\t\t\t" + Str(calFactors, l) + "\r\n";
    for (const TText& name : columnNames)
        out += Str(name, l) + (&name == &columnNames[7] ? " [°C]\t" : "\t");
    out += Str(commentName, l) + "\r\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const TCalLogRecord& r = rows[i];
        out += std::to_string(i + 1) + ".\t" + CalDateTimeText(r, f) + "\t" + r.MeterType + "\t" +
               CalSerialText(r) + "\t" + Cal4mAText(r) + "\t" + CalLoopText(r, f) + "\t" +
               CalResultText(r, f) + "\t" + CalTempText(r, f);
        if (!r.Comment.empty()) {
            out += '\t';
            out += SpreadsheetComment(r.Comment);
        }
        out += "\r\n";
    }
    return out;
}

bool WriteTextFile(const std::string& path, const std::string& utf8) {
    try {
        const std::string bytes = Utf8ToCp1250(utf8);
        return WriteFileAtomic(path, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                               false);
    } catch (...) {
        return false;
    }
}

} // namespace k730
