#include "files/CalMerge.h"

#include "files/CalLogBackup.h"
#include "files/DayCount.h"
#include "files/FileIo.h"
#include "main/Cp1250.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>

namespace k730 {
namespace {

constexpr TText duplicateQuestion{"Istnieje już wpis historii kalibracji:\r\n%s\r\nCzy chcesz go nadpisać?",
                                  "Calibration record:\r\n%s\r\nalready exists.\r\nOverwrite?"};
constexpr TText importAborted{"Import przerwano na żądanie użytkownika.", "Import aborted on user request."};
constexpr TText importDone{"Poprawnie zaimportowano plik historii kalibracji:\r\n%s",
                           "Calibration history log file: \r\n%s\r\nwas successfully imported."};
constexpr TText importFailed{"Nie udało się zaimportować pliku historii kalibracji.",
                             "Failed to import calibration history log file."};

TFileMessage DuplicateQuestion(const TCalLogRecord& r) {
    const std::string text = "  " + FormatDate(r.CalDateTime, '.') + " " + FormatTimeHNS(r.CalDateTime, ':') +
                             "\r\n  " + r.MeterType;
    return MakeMessage(duplicateQuestion, msQuestion, text);
}

bool SameRecord(const TCalLogRecord& a, const TCalLogRecord& b) {
    return a.Comment == b.Comment && CalFixedPart(a) == CalFixedPart(b);
}

// The merged log as the original records (oldest first) with, before each of them
// and at the end, the inserted records of that gap ordered by key.
class TMergedLog {
public:
    explicit TMergedLog(std::vector<const TCalLogRecord*> oldestFirst) : original_(std::move(oldestFirst)) {
        gaps_.resize(original_.size() + 1);
        std::string running;
        for (size_t i = 0; i < original_.size(); ++i) {
            std::string key = CalMergeKey(*original_[i]);
            if (i == 0 || key > running) running = key;
            prefixMax_.push_back(running);
            byKey_.emplace(std::move(key), original_[i]);
        }
    }

    const TCalLogRecord* FindDuplicate(const std::string& key, const TCalLogRecord& r) const {
        const auto [first, last] = byKey_.equal_range(key);
        for (auto it = first; it != last; ++it)
            if (SameRecord(*it->second, r)) return it->second;
        return nullptr;
    }

    // The first record with a greater key comes after the new one.
    void Insert(const std::string& key, const TCalLogRecord* r) {
        const size_t gap = static_cast<size_t>(std::upper_bound(prefixMax_.begin(), prefixMax_.end(), key) -
                                               prefixMax_.begin());
        gaps_[gap].emplace(key, r);
        byKey_.emplace(key, r);
    }

    TCalLogList
    NewestFirst(const std::unordered_map<const TCalLogRecord*, const TCalLogRecord*>& replaced) const {
        TCalLogList out;
        out.reserve(byKey_.size());
        auto put = [&](const TCalLogRecord* r) {
            const auto it = replaced.find(r);
            out.push_back(it == replaced.end() ? *r : *it->second);
        };
        for (size_t i = 0; i <= original_.size(); ++i) {
            for (const auto& [key, r] : gaps_[i])
                put(r);
            if (i < original_.size()) put(original_[i]);
        }
        std::reverse(out.begin(), out.end());
        return out;
    }

private:
    std::vector<const TCalLogRecord*> original_;
    std::vector<std::string> prefixMax_;
    std::vector<std::multimap<std::string, const TCalLogRecord*>> gaps_;
    std::unordered_multimap<std::string, const TCalLogRecord*> byKey_;
};

TFileMessage ImportDoneMessage(const std::string& shownPath, const TCalMergeResult& m) {
    TFileMessage msg = MakeMessage(importDone, msInformation, shownPath);
    msg.pl += "\r\n\r\nNadpisano " + std::to_string(m.overwritten) + " " +
              RecordsWord(m.overwritten, langPolish) + ".\r\nDopisano " + std::to_string(m.appended) + " " +
              RecordsWord(m.appended, langPolish) + ".";
    msg.en += "\r\n\r\n" + std::to_string(m.overwritten) + " " + RecordsWord(m.overwritten, langEnglish) +
              " was overwritten.\r\n" + std::to_string(m.appended) + " " +
              RecordsWord(m.appended, langEnglish) + " was appended.";
    return msg;
}

} // namespace

std::string CalMergeKey(const TCalLogRecord& r) {
    const auto p = DecodeDays(r.CalDateTime);
    char text[64] = "";
    if (p)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", p->year, p->month, p->day,
                      p->hour, p->minute, p->second, p->msec);
    return text + Utf8ToCp1250(r.MeterType);
}

TCalMergeResult MergeCalLogs(TCalLogList& log, const TCalLogList& imported, const TAskDuplicate& ask) {
    std::vector<const TCalLogRecord*> oldestFirst;
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        oldestFirst.push_back(&*it);
    TMergedLog merged(std::move(oldestFirst));
    std::unordered_map<const TCalLogRecord*, const TCalLogRecord*> replaced;
    TCalMergeResult result;
    int toAll = -1; // aaYesToAll or aaNoToAll once given
    for (const TCalLogRecord& r : imported) {
        const std::string key = CalMergeKey(r);
        if (const TCalLogRecord* twin = merged.FindDuplicate(key, r)) {
            const TAskAnswer answer =
                toAll >= 0 ? static_cast<TAskAnswer>(toAll) : ask(DuplicateQuestion(r), r);
            if (answer == aaCancel) return TCalMergeResult{true, 0, 0};
            if (answer == aaYesToAll || answer == aaNoToAll) toAll = answer;
            if (answer == aaYes || answer == aaYesToAll) {
                replaced[twin] = &r;
                ++result.overwritten;
            }
            continue;
        }
        merged.Insert(key, &r);
        ++result.appended;
    }
    log = merged.NewestFirst(replaced);
    return result;
}

std::string RecordsWord(int count, TLanguage lang) {
    if (lang == langEnglish) return count == 1 ? "data record" : "data records";
    if (count == 1) return "rekord danych";
    const int tens = count % 100;
    if (count % 10 >= 2 && count % 10 <= 4 && !(tens >= 11 && tens <= 20)) return "rekordy danych";
    return "rekordów danych";
}

TCalImport SynchronizeCalLog(const std::string& fromPath, const std::string& logPath,
                             const std::string& backupPath, const std::string& shownPath,
                             const TAskDuplicate& ask) {
    TCalImport result;
    const TCalLogRead from = ReadCalLog(fromPath);
    TCalLogRead into = ReadCalLog(logPath);
    if (!from.valid || !into.valid) {
        result.message = MakeMessage(importFailed, msInformation);
        return result;
    }
    result.merge = MergeCalLogs(into.records, from.records, ask);
    if (result.merge.aborted) {
        result.message = MakeMessage(importAborted, msInformation);
        return result;
    }
    result.success = WriteCalLog(logPath, into.records);
    if (!result.success) {
        result.message = MakeMessage(importFailed, msInformation);
        return result;
    }
    BackupCalLog(logPath, backupPath);
    result.message = ImportDoneMessage(shownPath, result.merge);
    return result;
}

TCalImport OverwriteCalLog(const std::string& fromPath, const std::string& logPath,
                           const std::string& backupPath, const std::string& shownPath) {
    TCalImport result;
    const auto bytes = ReadWholeFile(fromPath, CAL_LOG_LIMIT);
    result.success = bytes && WriteFileAtomic(logPath, *bytes, true);
    if (!result.success) {
        result.message = MakeMessage(importFailed, msInformation);
        return result;
    }
    if (ValidateCalLog(logPath)) BackupCalLog(logPath, backupPath);
    result.message = MakeMessage(importDone, msInformation, shownPath);
    return result;
}

} // namespace k730
