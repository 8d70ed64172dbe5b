// The compressed backup of the calibration history log ("K730_CAL.bak"): the
// magic "K730 CAL BACKUP ", the log's last-write time as a day count, and the
// whole log as one zlib stream.
#pragma once

#include "files/FileMessage.h"
#include "protocol/MerBusFun.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace k730 {

constexpr std::string_view CAL_BACKUP_MAGIC = "K730 CAL BACKUP ";
constexpr size_t CAL_BACKUP_HEAD = 24;
// A backup never expands beyond this; a corrupt or hostile stream cannot exhaust memory.
constexpr size_t CAL_BACKUP_LIMIT = size_t{256} << 20;
// A backup file is read only up to this size: the stream of the largest log it
// may hold, with room for deflate's worst case of stored blocks.
constexpr size_t CAL_BACKUP_FILE_LIMIT = CAL_BACKUP_HEAD + CAL_BACKUP_LIMIT + (CAL_BACKUP_LIMIT >> 8);

// One zlib stream (RFC 1950) at the default level.
TBytes DeflateZlib(std::span<const uint8_t> bytes);
// The stream's data when it inflates completely within `limit` bytes.
std::optional<TBytes> InflateZlib(std::span<const uint8_t> stream, size_t limit = CAL_BACKUP_LIMIT);

// The backup file of a log image made at `logTime` (day count).
TBytes MakeCalBackup(std::span<const uint8_t> log, double logTime);
// The log image inside a backup, when its magic, date and stream are whole and
// the image begins with the log's magic.
struct TCalBackupImage {
    double date = 0;
    TBytes log;
};
std::optional<TCalBackupImage> OpenCalBackup(std::span<const uint8_t> backup);

// Refreshes the backup when the log is valid and the backup does not already hold
// the log of its present last-write time. Errors are swallowed.
void BackupCalLog(const std::string& logPath, const std::string& backupPath);

struct TCalRestore {
    bool attempted = false;
    bool success = false;
    std::string damagedCopy;  // where the damaged log was kept, when there was one
    int recoveredRecords = 0; // valid records of the damaged log the backup lacked
    TFileMessage message;     // empty when nothing was attempted
};

// At program start: when the backup exists and the log is missing or damaged, the
// log is rebuilt from the backup. A damaged log is kept beside it first, and its
// valid records newer than the backup are carried into the rebuilt log.
TCalRestore RestoreCalLog(const std::string& logPath, const std::string& backupPath);

} // namespace k730
