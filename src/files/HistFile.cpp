#include "files/HistFile.h"

#include "files/ByteCodec.h"
#include "files/DayCount.h"
#include "files/FileIo.h"
#include "files/FileTexts.h"
#include "main/Cp1250.h"
#include "main/K730Fun.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k730 {
namespace {

constexpr std::string_view versionTag = "ver. ";
// Enough of a file's start for its magic, "ver. " and any version text.
constexpr size_t HEAD_CHECK_BYTES = 64;

constexpr TText meterLabel{"Miernik:", "Meter:"};
constexpr TText startLabel{"Data, czas rozpoczęcia rejestracji:", "Registration start date/time:"};
constexpr TText intervalLabel{"Okres rejestracji ", "Registration interval "};

bool ReadSample(TByteReader& in, HistSample& s) {
    return in.I32(s.TimeMs) && in.U(s.Resolution) && in.U(s.Flags) && in.F32(s.Average) &&
           in.F32(s.Minimum) && in.F32(s.Maximum) && in.F32(s.FullScale) && in.F32(s.FullScaleAtMin) &&
           in.F32(s.FullScaleAtMax) && in.I16(s.TempTenths);
}

// Magic in either language, "ver. " and a version not newer than ours.
bool ReadMagicAndVersion(TByteReader& in, THistRead& r) {
    for (const auto magic : {HIST_MAGIC_PL, HIST_MAGIC_EN}) {
        in.Seek(0);
        if (in.Match(magic)) {
            r.magic = magic;
            break;
        }
    }
    if (r.magic.empty()) return r.error = "not a history file (magic)", false;
    if (!in.Match(versionTag)) return r.error = "no version tag", false;
    if (!in.TextEndedBy(' ', r.version)) return r.error = "file ends inside its version text", false;
    if (CompareVersions(HIST_VERSION, r.version) < 0) return r.error = "version newer than 1.16", false;
    return true;
}

bool ReadHead(TByteReader& in, THistData& d, std::string& comment) {
    comment = Cp1250ToUtf8(in.TextToZeroOrEnd());
    d.ModelDescriptor = Cp1250ToUtf8(in.TextToZeroOrEnd());
    if (!in.U(d.SerialNumber) || !in.U(d.ProductionYear)) return false;
    d.FirmwareVersion = Cp1250ToUtf8(in.TextToZeroOrEnd());
    if (!in.U(d.MeterKind) || !in.U(d.LumMode) || !in.F64(d.StartDateTime) || !in.I32(d.IntervalMs))
        return false;
    for (auto& e : d.Extremes)
        if (!in.F32(e.Minimum) || !in.F32(e.Maximum) || !in.F32(e.FullScaleAtMin) ||
            !in.F32(e.FullScaleAtMax))
            return false;
    return true;
}

std::string Two(long v) {
    char text[32];
    std::snprintf(text, sizeof text, "%02ld", v);
    return text;
}

std::string IntervalLine(const THistData& d, TLanguage lang) {
    if (d.IntervalMs <= 0) return {};
    std::string line(intervalLabel(lang));
    if (d.IntervalMs > 999)
        line += "[s]:\t" + std::to_string(d.IntervalMs / 1000);
    else
        line += "[ms]:\t" + std::to_string(d.IntervalMs);
    return line + "\r\n";
}

TBytes ToBytes(const std::string& utf8) {
    const std::string cp = Utf8ToCp1250(utf8);
    return TBytes(cp.begin(), cp.end());
}

TBytes RecordBytes(const THistData& d, size_t i, THistWriteKind kind, const THistTextFormat& f) {
    return kind == hwHistoryFile ? HistSampleBytes(d.Samples[i]) : ToBytes(HistExportLine(d, i, f));
}

// Appends the records after the counter to an existing file; false when the
// file cannot take them (then the caller writes it from the head).
enum TAppend { apAbandoned, apWritten, apFailed };
TAppend AppendRecords(const std::string& path, THistData& d, THistWriteKind kind, const THistTextFormat& f,
                      int32_t& counter) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return apAbandoned;
    TAppend result = apAbandoned;
    if (::flock(fd, LOCK_EX) == 0) {
        bool fits = true;
        if (kind == hwHistoryFile) {
            // Only the head decides: a day of records is not read again for a few new ones.
            uint8_t head[HEAD_CHECK_BYTES];
            const ssize_t got = ::pread(fd, head, sizeof head, 0);
            THistRead check;
            TByteReader in(std::span<const uint8_t>(head, got > 0 ? static_cast<size_t>(got) : 0));
            fits = got > 0 && ReadMagicAndVersion(in, check);
        }
        const off_t end = fits ? ::lseek(fd, 0, SEEK_END) : -1;
        if (end >= 0) {
            // All new records in one write; a failed one is cut off again so
            // the file keeps only whole records and the counter stays true.
            TBytes tail;
            for (auto i = static_cast<size_t>(counter); i < d.Samples.size(); ++i) {
                const TBytes rec = RecordBytes(d, i, kind, f);
                tail.insert(tail.end(), rec.begin(), rec.end());
            }
            if (WriteAll(fd, tail) && ::fsync(fd) == 0) {
                counter = static_cast<int32_t>(d.Samples.size());
                result = apWritten;
            } else {
                if (::ftruncate(fd, end) == 0) ::fsync(fd);
                result = apFailed;
            }
        }
    }
    ::close(fd);
    return result;
}

bool RewriteFile(const std::string& path, THistData& d, THistWriteKind kind, const std::string& comment,
                 const THistTextFormat& f, int32_t& counter) {
    counter = 0;
    TBytes bytes =
        kind == hwHistoryFile ? HistFileHead(d, comment, f.lang) : ToBytes(HistExportHead(d, comment, f));
    for (size_t i = 0; i < d.Samples.size(); ++i) {
        const TBytes rec = RecordBytes(d, i, kind, f);
        bytes.insert(bytes.end(), rec.begin(), rec.end());
    }
    if (!WriteFileAtomic(path, bytes, false)) return false;
    counter = static_cast<int32_t>(d.Samples.size());
    return true;
}

} // namespace

std::string HistElapsedText(long long ms, bool hundredths, char decimal, char timeSep) {
    if (ms < 0) ms = 0;
    std::string text = std::to_string(ms / 3'600'000) + timeSep + Two(static_cast<long>(ms / 60'000 % 60)) +
                       timeSep + Two(static_cast<long>(ms / 1000 % 60));
    if (hundredths) text += decimal + Two(static_cast<long>(ms % 1000 / 10));
    return text;
}

long long HistRecordTimeMs(const THistData& d, size_t index) {
    return d.IntervalMs >= 1 ? static_cast<long long>(d.IntervalMs) * static_cast<long long>(index + 1)
                             : d.Samples[index].TimeMs;
}

std::string HistValueHeader(const THistData& d, std::string_view suffix, bool withUnit) {
    if (d.MeterKind < 1 || d.MeterKind > 4) return "E" + std::string(suffix);
    const uint8_t lum = d.LumMode != 0 ? 1 : 0;
    std::string header = QuantitySymbol(d.MeterKind, lum) + std::string(suffix);
    if (withUnit) header += " [" + std::string(MeterUnitText(d.MeterKind, lum)) + "]";
    return header;
}

std::string DisplayHistValue(float value, float fullScale, char decimal) {
    return FormatMeasuredValue(18, DigitsForRange(18, fullScale), fullScale, value, decimal).text;
}

THistRead ParseHistFile(std::span<const uint8_t> bytes, THistData& data) {
    THistRead r;
    data.Reset();
    TByteReader in(bytes);
    if (!ReadMagicAndVersion(in, r)) return r;
    if (!ReadHead(in, data, r.comment)) {
        data.Reset();
        r.comment.clear();
        r.error = "head cut short";
        return r;
    }
    while (!in.AtEnd()) {
        HistSample s;
        if (!ReadSample(in, s)) {
            data.Reset();
            r.comment.clear();
            r.error = "record shorter than 32 bytes";
            return r;
        }
        data.Samples.push_back(s);
    }
    r.valid = true;
    return r;
}

bool ReadHistFile(const std::string& path, THistData& data, std::string& comment) {
    try {
        const auto bytes = ReadWholeFile(path, HIST_FILE_LIMIT);
        if (!bytes) {
            data.Reset();
            return false;
        }
        const THistRead r = ParseHistFile(*bytes, data);
        comment = r.comment;
        if (r.valid) data.FileName = path;
        return r.valid;
    } catch (...) {
        data.Reset();
        return false;
    }
}

TBytes HistFileHead(const THistData& d, const std::string& comment, TLanguage lang) {
    TBytes out;
    PutText(out, lang == langPolish ? HIST_MAGIC_PL : HIST_MAGIC_EN);
    PutText(out, versionTag);
    PutText(out, HIST_VERSION);
    out.push_back(' ');
    PutZText(out, Utf8ToCp1250(comment));
    PutZText(out, Utf8ToCp1250(d.ModelDescriptor));
    PutU(out, d.SerialNumber);
    PutU(out, d.ProductionYear);
    PutZText(out, Utf8ToCp1250(d.FirmwareVersion));
    out.push_back(d.MeterKind);
    out.push_back(d.LumMode);
    PutF64(out, d.StartDateTime);
    PutU(out, static_cast<uint32_t>(d.IntervalMs));
    for (const auto& e : d.Extremes) {
        PutF32(out, e.Minimum);
        PutF32(out, e.Maximum);
        PutF32(out, e.FullScaleAtMin);
        PutF32(out, e.FullScaleAtMax);
    }
    return out;
}

TBytes HistSampleBytes(const HistSample& s) {
    TBytes out;
    out.reserve(HIST_SAMPLE_SIZE);
    PutU(out, static_cast<uint32_t>(s.TimeMs));
    out.push_back(s.Resolution);
    out.push_back(s.Flags);
    for (float v : {s.Average, s.Minimum, s.Maximum, s.FullScale, s.FullScaleAtMin, s.FullScaleAtMax})
        PutF32(out, v);
    PutU(out, static_cast<uint16_t>(s.TempTenths));
    return out;
}

std::string HistExportHead(const THistData& d, const std::string& comment, const THistTextFormat& f) {
    std::string out;
    if (!comment.empty()) out += comment + "\r\n";
    out += std::string(meterLabel(f.lang)) + "\t" + d.ModelDescriptor + " " +
           SerialAndYearText(d.SerialNumber, d.ProductionYear) + "\r\n";
    out += std::string(startLabel(f.lang)) + "\t" + FormatDate(d.StartDateTime, f.dateSep) + " " +
           FormatTimeHNS(d.StartDateTime, f.timeSep) + "\r\n";
    out += IntervalLine(d, f.lang);
    out += std::string("t [h") + f.timeSep + "m" + f.timeSep + "s]\tOVER\t" + HistValueHeader(d, "", true) +
           "\t" + HistValueHeader(d, "min", true) + "\t" + HistValueHeader(d, "max", true) + "\tT [°C]\r\n";
    return out;
}

std::string HistExportLine(const THistData& d, size_t index, const THistTextFormat& f) {
    const HistSample& s = d.Samples[index];
    const bool over = (s.Flags & HIST_OVERRANGE) != 0;
    return HistElapsedText(HistRecordTimeMs(d, index), d.IntervalMs < 1000, f.decimal, f.timeSep) + "\t" +
           std::string(NoYesText(over ? 1 : 0, f.lang)) + "\t" + f.value(s.Average, s.FullScale, f.decimal) +
           "\t" + f.value(s.Minimum, s.FullScaleAtMin, f.decimal) + "\t" +
           f.value(s.Maximum, s.FullScaleAtMax, f.decimal) + "\t" +
           filetext::Fixed(s.TempTenths / 10.0, 15, 1, f.decimal) + "\r\n";
}

bool WriteHistFile(const std::string& path, THistData& d, THistWriteKind kind, const std::string& comment,
                   const THistTextFormat& f) {
    if (d.Samples.empty()) return false;
    try {
        int32_t& counter = kind == hwHistoryFile ? d.SavedCount : d.ExportedCount;
        struct stat st {};
        const bool existed = ::stat(path.c_str(), &st) == 0;
        if (existed && !S_ISREG(st.st_mode)) return false; // only a file is ever replaced
        if (existed) SetWritable(path);
        TAppend appended = apAbandoned;
        if (existed && counter > 0 && static_cast<size_t>(counter) <= d.Samples.size())
            appended = AppendRecords(path, d, kind, f, counter);
        const bool ok = appended == apWritten ||
                        (appended == apAbandoned && RewriteFile(path, d, kind, comment, f, counter));
        if (existed) ::chmod(path.c_str(), st.st_mode & 07777);
        if (ok) (kind == hwHistoryFile ? d.FileName : d.ExportName) = path;
        return ok;
    } catch (...) {
        return false;
    }
}

} // namespace k730
