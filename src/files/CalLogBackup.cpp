#include "files/CalLogBackup.h"

#include "files/ByteCodec.h"
#include "files/CalLog.h"
#include "files/FileIo.h"

#include <cmath>
#include <set>
#include <zlib.h>

namespace k730 {
namespace {

constexpr TText restoreHead{"UWAGA\r\nUszkodzony plik historii kalibracji.",
                            "WARNING\r\nBroken history log file."};
constexpr TText restoreOk{"Próba odzyskania zakończyła się sukcesem.", "Recovery attempt was successful."};
constexpr TText restoreFailed{"Próba odzyskania nie powiodła się.", "Recovery attempt was unsuccessful."};

TFileMessage RestoreMessage(bool success) {
    const TText tail = success ? restoreOk : restoreFailed;
    return TFileMessage{std::string(restoreHead.pl) + "\r\n" + std::string(tail.pl),
                        std::string(restoreHead.en) + "\r\n" + std::string(tail.en),
                        success ? msInformation : msWarning};
}

bool BackupUpToDate(const std::string& backupPath, std::optional<double> logTime) {
    const auto bytes = ReadWholeFile(backupPath, CAL_BACKUP_FILE_LIMIT);
    if (!bytes || !logTime) return false;
    TByteReader in(*bytes);
    double stored = 0;
    // A backup that ends inside its date counts as out of date, like any other unreadable one.
    if (!in.Match(CAL_BACKUP_MAGIC) || !in.F64(stored)) return false;
    return std::fabs(stored - *logTime) * 86'400'000.0 < 1.0;
}

std::string RecordIdentity(const TCalLogRecord& r) {
    const TBytes bytes = CalRecordBytes(r);
    return std::string(bytes.begin(), bytes.end());
}

// Valid records of the damaged log that the backup lacks and that are newer than it.
TCalLogList MissingFromBackup(const TCalLogRead& damaged, const TCalLogRead& backup, double backupDate) {
    std::set<std::string> known;
    for (const auto& r : backup.records)
        known.insert(RecordIdentity(r));
    TCalLogList missing; // oldest first
    for (auto it = damaged.records.rbegin(); it != damaged.records.rend(); ++it)
        if (it->CalDateTime > backupDate && !known.contains(RecordIdentity(*it))) missing.push_back(*it);
    return missing;
}

bool RebuildLog(const std::string& logPath, const TCalBackupImage& image, TCalRestore& result) {
    TBytes log = image.log;
    if (FileExists(logPath)) {
        const auto damagedBytes = ReadWholeFile(logPath, CAL_LOG_LIMIT);
        if (!damagedBytes) return false;
        result.damagedCopy = FreeDamagedName(logPath);
        if (!WriteFileAtomic(result.damagedCopy, *damagedBytes, true)) return false;
        const TCalLogRead backup = ParseCalLog(image.log);
        const TCalLogList missing = MissingFromBackup(ParseCalLog(*damagedBytes), backup, image.date);
        if (!missing.empty()) {
            log.resize(backup.validSize); // the new records must follow readable bytes
            for (const auto& r : missing) {
                const TBytes rec = CalRecordBytes(r);
                log.insert(log.end(), rec.begin(), rec.end());
            }
        }
        result.recoveredRecords = static_cast<int>(missing.size());
    }
    if (!WriteFileAtomic(logPath, log, true)) return false;
    // With records the backup lacks the log keeps its new time, so the next
    // backup takes them in; otherwise it gets the time the backup was made from.
    if (result.recoveredRecords == 0) SetFileTimeDays(logPath, image.date);
    return true;
}

} // namespace

TBytes DeflateZlib(std::span<const uint8_t> bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    TBytes out(size);
    if (compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), Z_DEFAULT_COMPRESSION) !=
        Z_OK)
        return {};
    out.resize(size);
    return out;
}

std::optional<TBytes> InflateZlib(std::span<const uint8_t> stream, size_t limit) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(std::min<size_t>(stream.size(), UINT32_MAX));
    TBytes out;
    uint8_t block[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = block;
        z.avail_out = sizeof block;
        rc = inflate(&z, Z_NO_FLUSH);
        const size_t produced = sizeof block - z.avail_out;
        if (out.size() + produced > limit)
            rc = Z_MEM_ERROR;
        else
            out.insert(out.end(), block, block + produced);
        if (rc == Z_BUF_ERROR && z.avail_in == 0) break; // stream cut short
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END) return std::nullopt;
    return out;
}

TBytes MakeCalBackup(std::span<const uint8_t> log, double logTime) {
    TBytes out(CAL_BACKUP_MAGIC.begin(), CAL_BACKUP_MAGIC.end());
    PutF64(out, logTime);
    const TBytes stream = DeflateZlib(log);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

std::optional<TCalBackupImage> OpenCalBackup(std::span<const uint8_t> backup) {
    TByteReader in(backup);
    TCalBackupImage image;
    if (!in.Match(CAL_BACKUP_MAGIC) || !in.F64(image.date)) return std::nullopt;
    auto log = InflateZlib(backup.subspan(in.Pos()));
    if (!log || log->size() < CAL_LOG_MAGIC.size() ||
        !std::equal(CAL_LOG_MAGIC.begin(), CAL_LOG_MAGIC.end(), log->begin()))
        return std::nullopt;
    image.log = std::move(*log);
    return image;
}

void BackupCalLog(const std::string& logPath, const std::string& backupPath) {
    try {
        if (!ValidateCalLog(logPath)) return;
        const auto logTime = FileTimeDays(logPath);
        if (BackupUpToDate(backupPath, logTime)) {
            SetReadOnly(backupPath);
            return;
        }
        const auto log = ReadWholeFile(logPath, CAL_LOG_LIMIT);
        if (!log) return;
        TBytes backup = MakeCalBackup(*log, logTime.value_or(0));
        if (!logTime)
            backup.erase(backup.begin() + CAL_BACKUP_MAGIC.size(), backup.begin() + CAL_BACKUP_HEAD);
        WriteFileAtomic(backupPath, backup, true);
        SetReadOnly(logPath);
    } catch (...) {
    }
}

TCalRestore RestoreCalLog(const std::string& logPath, const std::string& backupPath) {
    TCalRestore result;
    try {
        if (!FileExists(backupPath) || (FileExists(logPath) && ValidateCalLog(logPath))) return result;
        result.attempted = true;
        const auto backup = ReadWholeFile(backupPath, CAL_BACKUP_FILE_LIMIT);
        const auto image = backup ? OpenCalBackup(*backup) : std::nullopt;
        result.success = image && RebuildLog(logPath, *image, result);
        SetReadOnly(backupPath);
    } catch (...) {
        result.success = false;
    }
    result.message = RestoreMessage(result.success);
    return result;
}

} // namespace k730
