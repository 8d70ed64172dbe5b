#include "files/HistCsv.h"

#include "files/DayCount.h"
#include "files/FileIo.h"
#include "files/FileTexts.h"
#include "files/HistFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace k730 {

namespace {

constexpr double MS_PER_DAY = 86'400'000.0;

std::string Number(float v) {
    if (!std::isfinite(v)) return {}; // an empty field: the reading had no value
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::string(text, end);
}

std::string IsoTime(double days) {
    const auto p = DecodeDays(days);
    if (!p) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", p->year, p->month, p->day, p->hour,
                  p->minute, p->second, p->msec);
    return text;
}

} // namespace

std::string HistCsvHeader() {
    return "time,average,minimum,maximum,full_scale,overrange,temperature\r\n";
}

std::string HistCsvLine(const THistData& d, size_t index) {
    const HistSample& s = d.Samples[index];
    const double days = d.StartDateTime + static_cast<double>(HistRecordTimeMs(d, index)) / MS_PER_DAY;
    return IsoTime(days) + "," + Number(s.Average) + "," + Number(s.Minimum) + "," + Number(s.Maximum) + "," +
           Number(s.FullScale) + "," + ((s.Flags & HIST_OVERRANGE) != 0 ? "1" : "0") + "," +
           filetext::Fixed(s.TempTenths / 10.0, 15, 1, '.') + "\r\n";
}

std::string HistCsvText(const THistData& d) {
    std::string out = HistCsvHeader();
    out.reserve(out.size() + d.Samples.size() * 80);
    for (size_t i = 0; i < d.Samples.size(); ++i)
        out += HistCsvLine(d, i);
    return out;
}

bool WriteHistCsv(const std::string& path, const THistData& d) {
    if (d.Samples.empty()) return false;
    try {
        const std::string text = HistCsvText(d);
        return WriteFileAtomic(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                               false);
    } catch (...) {
        return false;
    }
}

} // namespace k730
