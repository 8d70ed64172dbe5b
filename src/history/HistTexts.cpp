// Texts and cell formatting of the measurement history window.
#include "history/HistTexts.h"

#include "files/DayCount.h"
#include "files/FileTexts.h"
#include "files/HistFile.h"
#include "history/HistSampler.h"
#include "main/K730Fun.h"

#include <charconv>

namespace k730 {

namespace {

// Each "%d" of the pattern in turn takes the next number.
std::string FillNumbers(std::string_view pattern, std::initializer_list<int> numbers) {
    std::string out(pattern);
    size_t from = 0;
    for (const int n : numbers) {
        const size_t at = out.find("%d", from);
        if (at == std::string::npos) break;
        const std::string text = std::to_string(n);
        out.replace(at, 2, text);
        from = at + text.size();
    }
    return out;
}

} // namespace

std::string HistCaption(TLanguage lang, std::string_view fileName) {
    std::string caption = "K730 " + std::string(HIST_CAPTION(lang));
    if (!fileName.empty()) caption += ":  " + std::string(fileName);
    return caption;
}

std::string AverUnitText(int field, TLanguage lang) {
    if (field <= 0) return std::to_string(HIST_SHORT_INTERVAL_MS) + "ms";
    return std::string((field == 1 ? HIST_SECOND : HIST_SECONDS)(lang));
}

std::optional<int> ParseAverField(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > HIST_MAX_AVER_FIELD)
        return std::nullopt;
    return value;
}

std::string DeleteQuestionText(int first, int last, TLanguage lang) {
    if (first == last) return FillNumbers(HIST_ASK_DELETE_ONE(lang), {first + 1});
    return FillNumbers(HIST_ASK_DELETE_MANY(lang), {first + 1, last + 1});
}

std::string HistCloseQuestionText(bool recording, TLanguage lang) {
    return std::string((recording ? HIST_CLOSE_RECORDING : HIST_CLOSE_CHANGED)(lang)) + "\r\n" +
           std::string(HIST_CLOSE_LOSS(lang));
}

std::string MeterNameLabel(const THistData& data) {
    if (data.ModelDescriptor.empty()) return std::string(UNKNOWN_VALUE_TEXT);
    return EscapeAmpersands(data.ModelDescriptor) + "   " +
           SerialAndYearText(data.SerialNumber, data.ProductionYear);
}

std::string StartDateLabel(double days, char dateSep, char timeSep) {
    const std::string date = days == 0 ? std::string() : FormatDate(days, dateSep);
    if (date.empty()) return std::string(UNKNOWN_VALUE_TEXT);
    return date + " " + FormatTimeHNS(days, timeSep);
}

std::string HistHeaderText(const THistData& data, int column, char timeSep) {
    switch (column) {
    case hcTime:
        return std::string("t [h") + timeSep + "m" + timeSep + "s]";
    case hcOver:
        return "OVER";
    case hcAverage:
        return HistValueHeader(data, "", false);
    case hcMin:
        return HistValueHeader(data, "min", false);
    case hcMax:
        return HistValueHeader(data, "max", false);
    case hcTemp:
        return "T [°C]";
    default:
        return {};
    }
}

std::string HistCellText(const THistData& data, size_t row, int column, TLanguage lang, char decimal,
                         char timeSep) {
    const HistSample& s = data.Samples[row];
    switch (column) {
    case hcTime:
        return HistElapsedText(HistRecordTimeMs(data, row), data.IntervalMs < 1000, '.', timeSep);
    case hcOver:
        return std::string(NoYesText((s.Flags & HIST_OVERRANGE) != 0 ? 1 : 0, lang));
    case hcAverage:
        return DisplayHistValue(s.Average, s.FullScale, decimal);
    case hcMin:
        return DisplayHistValue(s.Minimum, s.FullScaleAtMin, decimal);
    case hcMax:
        return DisplayHistValue(s.Maximum, s.FullScaleAtMax, decimal);
    case hcTemp:
        return filetext::Fixed(s.TempTenths / 10.0, 15, 1, decimal);
    default:
        return {};
    }
}

} // namespace k730
