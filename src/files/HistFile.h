// The measurement history file (a head with the meter's identity, the start and
// interval and three extreme blocks, then 32-byte records to the end) and its
// tab-separated text export. Both are written incrementally: a repeated save or
// export appends the records made since the last one.
#pragma once

#include "files/HistData.h"
#include "main/K730Lang.h"
#include "protocol/MerBusFun.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace k730 {

constexpr std::string_view HIST_MAGIC_PL = "K730 HISTORIA ";
constexpr std::string_view HIST_MAGIC_EN = "K730 HISTORY ";
constexpr std::string_view HIST_VERSION = "1.16";
// The largest history file that is read. A record's time is a signed 32-bit
// millisecond count from the start and records come at most every 160 ms, so a
// file holds at most 2^31 / 160 + 1 records after a head of a few texts.
constexpr size_t HIST_FILE_LIMIT = (size_t{1} << 20) + (size_t{0x7FFFFFFF} / 160 + 1) * 32;

// A measured value as text for its full scale; by default the display's
// formatting with 18 bits and the digits the full scale is worth.
using THistValueFormatter = std::function<std::string(float value, float fullScale, char decimal)>;
std::string DisplayHistValue(float value, float fullScale, char decimal);

struct THistTextFormat {
    TLanguage lang = langEnglish; // also picks the magic a new history file is written with
    char decimal = '.';
    char dateSep = '.';
    char timeSep = ':';
    THistValueFormatter value = DisplayHistValue;
};

struct THistRead {
    bool valid = false;
    std::string error;
    std::string magic;   // as found
    std::string version; // as found
    std::string comment; // UTF-8
};

// Reads history file bytes into `data` (reset first; reset again on failure).
THistRead ParseHistFile(std::span<const uint8_t> bytes, THistData& data);
bool ReadHistFile(const std::string& path, THistData& data, std::string& comment);

enum THistWriteKind { hwHistoryFile, hwTextExport };

// Writes or appends; advances SavedCount or ExportedCount and sets FileName or
// ExportName on success. A file written from the head replaces the old one whole.
bool WriteHistFile(const std::string& path, THistData& data, THistWriteKind kind, const std::string& comment,
                   const THistTextFormat& format);

// A record's time from the registration start: the interval times its
// number when the history has an interval, else the time stored with it.
long long HistRecordTimeMs(const THistData& data, size_t index);
// Hours (at least one digit), minutes and seconds; with `hundredths` also the
// decimal separator and two digits of hundredths.
std::string HistElapsedText(long long ms, bool hundredths, char decimal, char timeSep);
// A value column's header: the quantity symbol of the recorded kind ("E" for
// an unknown kind) with the suffix ("min", "max"), then " [unit]" when wanted
// and the kind is known.
std::string HistValueHeader(const THistData& data, std::string_view suffix, bool withUnit);

// Pieces of the files, UTF-8 for the texts.
TBytes HistFileHead(const THistData& data, const std::string& comment, TLanguage lang);
TBytes HistSampleBytes(const HistSample& s);
std::string HistExportHead(const THistData& data, const std::string& comment, const THistTextFormat& f);
std::string HistExportLine(const THistData& data, size_t index, const THistTextFormat& f);

} // namespace k730
