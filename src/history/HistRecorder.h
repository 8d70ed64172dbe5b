// THistRecorder: the rules of the measurement history window around its
// sampler — start and stop, clearing, deleting a leading or trailing block,
// the comment, the closing question, opening, saving and exporting the
// history — with every question and file dialog behind THistPrompts, so the
// window only arranges controls and forwards. Toolkit-free.
#pragma once

#include "history/HistSampler.h"
#include "main/K730Lang.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace k730 {

struct TProgramSettings;

// The files the window writes.
enum THistTarget { htHistory, htText, htCsv };

// How the recorder asks and tells; `style` is a message-box style (icon).
struct THistPrompts {
    // Yes/No with a check box, question icon, No first; the box is written back.
    std::function<bool(const std::string& text, const std::string& checkText, bool& checked)> YesNoCheck;
    // Yes/No with No first.
    std::function<bool(const std::string& text, unsigned style)> YesNo;
    std::function<void(const std::string& text, unsigned style)> Message;
    // Information, one OK and a check box that is written back.
    std::function<void(const std::string& text, const std::string& checkText, bool& checked)> NoteCheck;
    // The open dialog in `folder`; nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& folder)> ChooseOpen;
    // The save dialog for `target` in `folder` with `presetName`; the name it
    // returns has passed the overwrite question and the target checks.
    std::function<std::optional<std::string>(THistTarget target, const std::string& folder,
                                             const std::string& presetName)>
        ChooseSave;
    // A path short enough for a message.
    std::function<std::string(const std::string& path)> ShortenPath;
    // Opens an exported file in the spreadsheet program; empty when none is known.
    std::function<void(const std::string& path)> OpenSpreadsheet;
    // Runs a long file operation (a day of records) so that the window keeps
    // drawing and recording meanwhile; `work` touches nothing the window
    // uses. Run in place when empty.
    std::function<void(const std::function<void()>& work)> RunLong;
};

// The grid's selection, first..last record (0-based); first = -1 for none.
struct THistSelection {
    int first = -1, last = -1;
    bool operator==(const THistSelection&) const = default;
};
// Shift+click or a drag to `row` extends the selection from its nearer end.
THistSelection ExtendSelection(THistSelection selection, int row);

// The check boxes of the questions, kept for the program run (all checked at start).
struct THistChecks {
    bool confirmStop = true;
    bool confirmClear = true;
    bool showNote = true;
    bool openInSpreadsheet = true;
};

class THistRecorder {
public:
    // `settings` gives and keeps the averaging time and the two history folders.
    THistRecorder(TProgramSettings& settings, THistChecks& checks, THistPrompts prompts, TLanguage lang,
                  char decimal);

    // --- answers and ticks ------------------------------------------------------
    THistSampleOutcome OnStatus(const TBytes& frame, const TMeterInfo& meter, uint32_t tick, double nowDays);
    bool OnRange(const TBytes& frame) { return sampler_.OnRange(frame); }
    THistRequest OnTick() { return sampler_.OnTick(); }

    // --- user actions -------------------------------------------------------------
    // Start (after the clear question when records exist) or stop (after the
    // stop question when records exist and it is wanted).
    void StartStop(const TMeterInfo& meter, uint32_t tick, double nowDays);
    // Records and comment, after the clear question when wanted.
    void Clear(double nowDays);
    // The block first..last (0-based) after the delete question.
    bool Delete(int first, int last);
    bool CanDelete(int first, int last) const { return sampler_.CanDelete(first, last); }
    // The user edited the comment: the next save and export rewrite their files.
    void CommentEdited(std::string comment);
    // The averaging field holds a valid number (0 … 3600 seconds).
    void SetAverField(int field);
    void SetAutoRange(bool on) { sampler_.SetAutoRange(on); }
    // Closing the window: true when nothing would be lost or the user agreed.
    bool ConfirmClose();
    bool Open();
    // Save / Save as (htHistory), Export (htText) or the CSV export.
    bool Save(THistTarget target);

    // --- what the window shows ----------------------------------------------------
    const THistData& Data() const { return sampler_.Data(); }
    const THistSampler& Sampler() const { return sampler_; }
    const std::string& Comment() const { return comment_; }
    bool Recording() const { return sampler_.Recording(); }
    bool Changed() const { return changed_; }
    bool CommentChanged() const { return commentChanged_; }
    bool Unsaved() const { return changed_ || commentChanged_; }
    int AverField() const { return averField_; }
    // Changes whenever records are replaced or removed (appending leaves it).
    uint64_t Generation() const { return generation_; }
    std::string Caption() const;
    std::string SaveButtonText() const;
    // The question to ask before the main window closes, empty for none.
    std::string MainCloseQuestion() const;

private:
    bool Start(const TMeterInfo& meter, uint32_t tick, double nowDays);
    void Stop();
    void AverNote(const TMeterInfo& meter);
    void ResetHistory(double nowDays, bool withComment);
    bool AskClear(bool withComment);
    std::optional<std::string> SaveTarget(THistTarget target);
    bool Write(THistTarget target, const std::string& path);
    void Exported(const std::string& path);
    void Long(const std::function<void()>& work);
    std::string Text(const TText& t) const { return std::string(t(lang_)); }

    TProgramSettings& settings_;
    THistChecks& checks_;
    THistPrompts prompts_;
    const TLanguage lang_;
    const char decimal_;
    THistSampler sampler_;
    std::string comment_;
    bool changed_ = false;        // records added or deleted since the last save
    bool commentChanged_ = false; // the comment was edited since the last save
    int averField_ = 1;
    uint64_t generation_ = 0;
};

} // namespace k730
