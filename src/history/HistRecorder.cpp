// The measurement history window's rules: recording, clearing, deleting,
// closing, and its files.
#include "history/HistRecorder.h"

#include "files/HistCsv.h"
#include "files/HistFile.h"
#include "files/K730DiskRules.h"
#include "history/HistTexts.h"
#include "main/K730Settings.h"
#include "main/SettingsOps.h"
#include "ui/ConfLayout.h"

#include <filesystem>

namespace k730 {

namespace {

std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

std::string NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string WithExtension(const std::string& path, const char* extension) {
    return std::filesystem::path(path).replace_extension(extension).filename().string();
}

} // namespace

THistSelection ExtendSelection(THistSelection sel, int row) {
    if (sel.first < 0) return {row, row};
    if (row < sel.first) return {row, sel.last};
    if (row > sel.last) return {sel.first, row};
    // Inside: the nearer end moves to the row.
    if (row - sel.first <= sel.last - row) return {row, sel.last};
    return {sel.first, row};
}

THistRecorder::THistRecorder(TProgramSettings& settings, THistChecks& checks, THistPrompts prompts,
                             TLanguage lang, char decimal)
    : settings_(settings), checks_(checks), prompts_(std::move(prompts)), lang_(lang), decimal_(decimal) {
    const auto field = ParseAverField(std::to_string(settings_.HistAverTime));
    averField_ = field.value_or(1); // a stored value out of range falls back to the default
}

THistSampleOutcome THistRecorder::OnStatus(const TBytes& frame, const TMeterInfo& meter, uint32_t tick,
                                           double nowDays) {
    const THistSampleOutcome out = sampler_.OnStatus(frame, meter, tick, nowDays);
    if (out.recordAdded) changed_ = true;
    return out;
}

// --- recording ---------------------------------------------------------------------

void THistRecorder::StartStop(const TMeterInfo& meter, uint32_t tick, double nowDays) {
    if (Recording())
        Stop();
    else
        Start(meter, tick, nowDays);
}

bool THistRecorder::Start(const TMeterInfo& meter, uint32_t tick, double nowDays) {
    if (!Data().Samples.empty()) {
        if (!AskClear(false)) return false;
        ResetHistory(nowDays, false);
    }
    sampler_.Start(averField_, tick, nowDays);
    AverNote(meter);
    return true;
}

void THistRecorder::Stop() {
    if (!Data().Samples.empty() && checks_.confirmStop &&
        !prompts_.YesNoCheck(Text(HIST_ASK_STOP), Text(HIST_CONFIRM_STOP), checks_.confirmStop))
        return;
    sampler_.Stop();
}

// Records of one conversion time while the meter averages six conversions
// are not independent readings: say so when the recording starts.
void THistRecorder::AverNote(const TMeterInfo& meter) {
    const uint32_t meterMs = meter.ConvCount * 160u;
    if (!checks_.showNote || meterMs <= static_cast<uint32_t>(Data().IntervalMs)) return;
    prompts_.NoteCheck(Text(HIST_AVER_NOTE), Text(HIST_SHOW_NOTE), checks_.showNote);
}

// --- clearing and deleting -----------------------------------------------------------

bool THistRecorder::AskClear(bool withComment) {
    if (!checks_.confirmClear) return true;
    const bool commentToo = withComment && !comment_.empty();
    return prompts_.YesNoCheck(Text(commentToo ? HIST_ASK_CLEAR_ALL : HIST_ASK_CLEAR),
                               Text(HIST_CONFIRM_CLEAR), checks_.confirmClear);
}

void THistRecorder::ResetHistory(double nowDays, bool withComment) {
    sampler_.Clear(nowDays);
    if (withComment) comment_.clear();
    changed_ = commentChanged_ = false;
    ++generation_;
}

void THistRecorder::Clear(double nowDays) {
    const bool something = !Data().Samples.empty() || !comment_.empty();
    if (something && !AskClear(true)) return;
    ResetHistory(nowDays, true);
}

bool THistRecorder::Delete(int first, int last) {
    if (!sampler_.CanDelete(first, last)) return false;
    if (!prompts_.YesNo(DeleteQuestionText(first, last, lang_), MB_ICONQUESTION)) return false;
    sampler_.Delete(first, last);
    changed_ = true;
    ++generation_;
    return true;
}

void THistRecorder::CommentEdited(std::string comment) {
    comment_ = std::move(comment);
    commentChanged_ = true;
    sampler_.Data().SavedCount = sampler_.Data().ExportedCount = 0;
}

void THistRecorder::SetAverField(int field) {
    averField_ = field;
    settings_.HistAverTime = field;
}

bool THistRecorder::ConfirmClose() {
    if (!Recording() && !Unsaved()) return true;
    return prompts_.YesNo(HistCloseQuestionText(Recording(), lang_), MB_ICONWARNING);
}

std::string THistRecorder::MainCloseQuestion() const {
    if (!Recording() && !Unsaved()) return {};
    return ClosingQuestionText(lang_, Recording());
}

// --- files ----------------------------------------------------------------------------

std::string THistRecorder::Caption() const {
    return HistCaption(lang_, NameOf(Data().FileName));
}

std::string THistRecorder::SaveButtonText() const {
    return Text(Data().FileName.empty() ? HIST_BTN_SAVE_AS : HIST_BTN_SAVE);
}

bool THistRecorder::Open() {
    if (!ConfirmClose()) return false;
    const auto path = prompts_.ChooseOpen(settings_.DirHistMeas);
    if (!path) return false;
    // Read beside the window's history, so a file that does not read leaves it as it was.
    THistData read;
    std::string comment;
    bool ok = false;
    Long([&] { ok = ReadHistFile(*path, read, comment); });
    if (!ok) {
        prompts_.Message(Text(HIST_READ_FAILED), MB_ICONWARNING);
        return false;
    }
    sampler_.Stop();
    ResetHistory(0, true);
    sampler_.Replace(std::move(read));
    comment_ = std::move(comment);
    settings_.DirHistMeas = FolderOf(*path);
    return true;
}

std::optional<std::string> THistRecorder::SaveTarget(THistTarget target) {
    const THistData& d = Data();
    if (target == htHistory && !d.FileName.empty()) return d.FileName;
    if (target == htText && !d.ExportName.empty()) return d.ExportName;
    std::string preset;
    if (target == htHistory)
        preset = NameOf(d.FileName);
    else if (target == htText && !d.ExportName.empty())
        preset = NameOf(d.ExportName);
    else if (!d.FileName.empty())
        preset = WithExtension(d.FileName, target == htText ? ".txt" : ".csv");
    const std::string& folder = target == htHistory ? settings_.DirHistMeas : settings_.DirHistMeasExport;
    auto path = prompts_.ChooseSave(target, folder, preset);
    if (path) (target == htHistory ? settings_.DirHistMeas : settings_.DirHistMeasExport) = FolderOf(*path);
    return path;
}

void THistRecorder::Long(const std::function<void()>& work) {
    if (prompts_.RunLong)
        prompts_.RunLong(work);
    else
        work();
}

// The records made so far are written from a copy, since recording goes on
// while a long file is written; the counters and names come back afterwards.
bool THistRecorder::Write(THistTarget target, const std::string& path) {
    THistData copy = Data();
    const uint64_t generation = generation_;
    THistTextFormat format;
    format.lang = lang_;
    format.decimal = decimal_;
    const std::string comment = comment_;
    bool ok = false;
    Long([&] {
        ok = target == htCsv ? WriteHistCsv(path, copy)
                             : WriteHistFile(path, copy, target == htHistory ? hwHistoryFile : hwTextExport,
                                             comment, format);
    });
    THistData& d = sampler_.Data();
    if (generation == generation_) { // the records were not replaced meanwhile
        d.SavedCount = copy.SavedCount;
        d.ExportedCount = copy.ExportedCount;
        d.FileName = copy.FileName;
        d.ExportName = copy.ExportName;
    }
    return ok;
}

bool THistRecorder::Save(THistTarget target) {
    if (Data().Samples.empty()) return false;
    const auto path = SaveTarget(target);
    if (!path) return false;
    if (!Write(target, *path)) {
        prompts_.Message(FillText(HIST_WRITE_FAILED(lang_), {prompts_.ShortenPath(*path)}), MB_ICONWARNING);
        return false;
    }
    if (target == htHistory) {
        // Records that arrived while the file was written are still to be saved.
        changed_ = static_cast<size_t>(Data().SavedCount) != Data().Samples.size();
        commentChanged_ = false;
    } else {
        Exported(*path);
    }
    return true;
}

void THistRecorder::Exported(const std::string& path) {
    if (!prompts_.OpenSpreadsheet) return; // without a spreadsheet program nothing is shown
    prompts_.NoteCheck(FillText(HIST_EXPORTED(lang_), {prompts_.ShortenPath(path)}), Text(HIST_OPEN_IN_EXCEL),
                       checks_.openInSpreadsheet);
    if (checks_.openInSpreadsheet) prompts_.OpenSpreadsheet(path);
}

} // namespace k730
