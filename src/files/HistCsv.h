// The measurement history as CSV for analysis tools that do not read the
// tab-separated export with its locale decimals: RFC 4180 (comma separated,
// CR LF line ends, a header row), UTF-8, "." decimals, ISO 8601 local time
// stamps and one row per record.
#pragma once

#include "files/HistData.h"

#include <string>

namespace k730 {

// time,average,minimum,maximum,full_scale,overrange,temperature
std::string HistCsvHeader();
// One record: the local time at the end of its interval (start plus the
// record's time, to the millisecond), the values as the shortest decimals
// that read back to the same singles, 1/0 for over-range, °C with one decimal.
std::string HistCsvLine(const THistData& data, size_t index);
std::string HistCsvText(const THistData& data);
// Writes the whole file through a temporary file; false when it could not
// be written (the old file then stays whole) or the history is empty.
bool WriteHistCsv(const std::string& path, const THistData& data);

} // namespace k730
