// Import of another calibration history log into the program's log: the
// Synchronize merge (by date/time and meter type key, duplicates asked about
// through a callback) and the overwrite copy, with the messages they end in.
#pragma once

#include "files/CalLog.h"
#include "files/FileMessage.h"

#include <functional>
#include <string>

namespace k730 {

// Asked for an imported record that duplicates one of the log; gets the
// question message (both languages) and the imported record.
using TAskDuplicate = std::function<TAskAnswer(const TFileMessage& question, const TCalLogRecord& imported)>;

// "yyyy-mm-dd hh:nn:ss.zzz MeterType" with the type in Windows-1250 bytes, so that
// keys order as the stored texts do.
std::string CalMergeKey(const TCalLogRecord& r);

struct TCalMergeResult {
    bool aborted = false;
    int overwritten = 0;
    int appended = 0;
};

// Merges `imported` (newest first) into `log` (newest first). New records go to
// the place their key gives, after records with an equal key. O(n log n).
// An aborted merge leaves `log` unchanged.
TCalMergeResult MergeCalLogs(TCalLogList& log, const TCalLogList& imported, const TAskDuplicate& ask);

// The Synchronize import of `fromPath` into the log: reads both, merges, rewrites
// and backs up the log. The message is the one the window shows.
struct TCalImport {
    bool success = false;
    TCalMergeResult merge;
    TFileMessage message;
};
TCalImport SynchronizeCalLog(const std::string& fromPath, const std::string& logPath,
                             const std::string& backupPath, const std::string& shownPath,
                             const TAskDuplicate& ask);
// The Overwrite import: the chosen file replaces the log, then the backup is made.
TCalImport OverwriteCalLog(const std::string& fromPath, const std::string& logPath,
                           const std::string& backupPath, const std::string& shownPath);

// "data record" / "rekord danych" forms for a count.
std::string RecordsWord(int count, TLanguage lang);

} // namespace k730
