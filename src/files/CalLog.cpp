#include "files/CalLog.h"

#include "files/ByteCodec.h"
#include "files/DayCount.h"
#include "files/FileIo.h"
#include "main/MeterInfo.h"
#include "main/Cp1250.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace k730 {
namespace {

bool ReadFixedPart(TByteReader& in, TCalLogRecord& r) {
    return in.U(r.SerialNumber) && in.U(r.ProductionYear) && in.F64(r.CalDateTime) &&
           in.U(r.OldForcingValue4mA) && in.U(r.NewForcingValue4mA) && in.F32(r.OldLoopFactor) &&
           in.F32(r.NewLoopFactor) && in.F32(r.OldResultFactor) && in.F32(r.NewResultFactor) &&
           in.U(r.CalTempCode);
}

bool HasNaNFactor(const TCalLogRecord& r) {
    return std::isnan(r.OldLoopFactor) || std::isnan(r.NewLoopFactor) || std::isnan(r.OldResultFactor) ||
           std::isnan(r.NewResultFactor);
}

// Reads one record; the reason is set when it is incomplete or invalid.
bool ReadRecord(TByteReader& in, TCalLogRecord& r, std::string& reason) {
    std::string comment, type;
    if (!in.ZText(comment) || !in.ZText(type)) {
        reason = "text without a zero byte before the end of the file";
        return false;
    }
    if (!ReadFixedPart(in, r)) {
        reason = "record shorter than its 40-byte fixed part";
        return false;
    }
    if (HasNaNFactor(r)) {
        reason = "NaN calibration factor";
        return false;
    }
    r.Comment = Cp1250ToUtf8(comment);
    r.MeterType = Cp1250ToUtf8(type);
    return true;
}

bool CreateLog(const std::string& path, const TCalLogRecord& record) {
    TBytes bytes(CAL_LOG_MAGIC.begin(), CAL_LOG_MAGIC.end());
    const TBytes rec = CalRecordBytes(record);
    bytes.insert(bytes.end(), rec.begin(), rec.end());
    return WriteFileAtomic(path, bytes, true);
}

// Opens the log and takes its writer lock. A writer that waited may find the
// name now points at a newer file (appends replace the file whole), so it
// retries until the locked file is the one under the name.
int LockCurrentLog(const std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return -1;
        struct stat locked {
        }, named{};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
            locked.st_ino == named.st_ino && locked.st_dev == named.st_dev)
            return fd;
        ::close(fd);
    }
    return -1;
}

// The new log is the valid part of the old one plus the record, written beside
// it and renamed over it: a writer killed at any moment leaves the old log or
// the new one, never a torn record. A damaged tail is kept in a copy of its own
// instead of being glued in front of the new record, where it would hide it.
bool AppendToLockedLog(const std::string& path, const TCalLogRecord& record) {
    const auto bytes = ReadWholeFile(path, CAL_LOG_LIMIT);
    if (!bytes) return false;
    const TCalLogRead read = ParseCalLog(*bytes);
    if (read.validSize == 0) return false; // not a log: nothing is written
    if (!read.valid && !WriteFileAtomic(FreeDamagedName(path), *bytes, true)) return false;
    TBytes next(bytes->begin(), bytes->begin() + static_cast<std::ptrdiff_t>(read.validSize));
    const TBytes rec = CalRecordBytes(record);
    next.insert(next.end(), rec.begin(), rec.end());
    return WriteFileAtomic(path, next, true);
}

} // namespace

TCalLogRecord CalLogRecordFor(const TMeterInfo& info, uint32_t newForcingValue4mA, uint32_t calTempCode,
                              std::string comment, float newLoopFactor, float newResultFactor) {
    TCalLogRecord r;
    r.Comment = std::move(comment);
    r.MeterType = info.ModelDescriptor;
    r.SerialNumber = info.SerialNumber;
    r.ProductionYear = info.ProductionYear;
    r.CalDateTime = NowDays();
    r.OldForcingValue4mA = info.ForcingValue4mA;
    r.NewForcingValue4mA = newForcingValue4mA;
    r.OldLoopFactor = info.LoopFactor;
    r.NewLoopFactor = newLoopFactor;
    r.OldResultFactor = info.ResultFactor;
    r.NewResultFactor = newResultFactor;
    r.CalTempCode = calTempCode;
    return r;
}

TBytes CalFixedPart(const TCalLogRecord& r) {
    TBytes out;
    out.reserve(CAL_FIXED_SIZE);
    PutU(out, r.SerialNumber);
    PutU(out, r.ProductionYear);
    PutF64(out, r.CalDateTime);
    PutU(out, r.OldForcingValue4mA);
    PutU(out, r.NewForcingValue4mA);
    PutF32(out, r.OldLoopFactor);
    PutF32(out, r.NewLoopFactor);
    PutF32(out, r.OldResultFactor);
    PutF32(out, r.NewResultFactor);
    PutU(out, r.CalTempCode);
    return out;
}

TBytes CalRecordBytes(const TCalLogRecord& r) {
    TBytes out;
    PutZText(out, Utf8ToCp1250(r.Comment));
    PutZText(out, Utf8ToCp1250(r.MeterType));
    const TBytes fixed = CalFixedPart(r);
    out.insert(out.end(), fixed.begin(), fixed.end());
    return out;
}

TCalLogRead ParseCalLog(std::span<const uint8_t> bytes) {
    TCalLogRead result;
    TByteReader in(bytes);
    if (!in.Match(CAL_LOG_MAGIC)) {
        result.error = "not a calibration history log (magic)";
        return result;
    }
    result.validSize = in.Pos();
    result.valid = true;
    while (!in.AtEnd()) {
        TCalLogRecord record;
        if (!ReadRecord(in, record, result.error)) {
            result.valid = false;
            break;
        }
        result.records.push_back(std::move(record));
        result.validSize = in.Pos();
    }
    std::reverse(result.records.begin(), result.records.end());
    return result;
}

TBytes SerializeCalLog(const TCalLogList& records) {
    TBytes out(CAL_LOG_MAGIC.begin(), CAL_LOG_MAGIC.end());
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        const TBytes rec = CalRecordBytes(*it);
        out.insert(out.end(), rec.begin(), rec.end());
    }
    return out;
}

TCalLogRead ReadCalLog(const std::string& path) {
    TReadError why = reNone;
    const auto bytes = ReadWholeFile(path, CAL_LOG_LIMIT, &why);
    if (!bytes) {
        TCalLogRead unread;
        unread.error = ReadErrorText(why);
        return unread;
    }
    return ParseCalLog(*bytes);
}

bool ValidateCalLog(const std::string& path) {
    return ReadCalLog(path).valid;
}

bool WriteCalLog(const std::string& path, const TCalLogList& records) {
    try {
        return WriteFileAtomic(path, SerializeCalLog(records), true);
    } catch (...) {
        return false;
    }
}

bool AppendCalLog(const std::string& path, const TCalLogRecord& record) {
    try {
        if (!EnsureFolderOf(path)) return false;
        if (!FileExists(path)) return CreateLog(path, record);
        const int fd = LockCurrentLog(path);
        if (fd < 0) return false;
        const bool ok = AppendToLockedLog(path, record);
        ::close(fd);
        return ok;
    } catch (...) {
        return false;
    }
}

} // namespace k730
