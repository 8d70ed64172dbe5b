// TMainCommands: the main window's commands that change what the meter does
// or how the program polls it — zeroing, addresses, conversions, default and
// manual range, automatic range and zeroing, moving average, refresh rate —
// and the view commands around them (statistics, status icons, stay on top).
// It runs the guards, fills and reads the inline settings panel, sends
// through the connection controller and keeps the program settings' check
// marks in step with the menu.
#pragma once

#include "main/K730Lang.h"
#include "main/MinMaxAv.h"
#include "main/SettingsOps.h"

#include <QObject>

#include <functional>
#include <string>

class QAction;

namespace k730 {

class TMainForm;
class TMeterController;
struct TMeterInfo;
struct TProgramSettings;
struct TStatusAnswer;

// How the commands ask and tell the user; the defaults use the confirmation
// dialog. Tests put recorders in.
struct TCommandPrompts {
    std::function<void(const std::string& text, TMessageIcon icon)> Message;
    // OK/Cancel with a check box; true for OK, the box written back.
    std::function<bool(const std::string& text, const std::string& checkText, bool& checked)> OkCancelCheck;
};

// What the commands need from the session that owns them.
struct TCommandHost {
    std::function<uint32_t()> Now;
    std::function<void()> ShowCollectedMessages; // answers' messages, shown after processing
    std::function<void()> RefreshIcons;          // the status icon strip from the settings
    std::function<void(int row)> RefreshSettingsDialog;
    std::function<bool()> HistoryRecording; // the history window ranges by itself while it records
};

class TMainCommands : public QObject {
    Q_OBJECT
public:
    TMainCommands(TMainForm& form, TMeterController& controller, TProgramSettings& settings, TLanguage lang,
                  char decimalSeparator, TCommandHost host, TCommandPrompts prompts = {});

    // The check marks, the statistics and the window state as loaded.
    void ApplyStoredSettings();

    // --- from the connection controller -----------------------------------------
    void StatusShown(const TStatusAnswer& status);
    // Automatic range change, then the drift test when no range change was
    // asked for. True when a range change was asked for.
    bool AfterStatus(const TMeterInfo& info, const TStatusAnswer& status);
    void ResetStats();
    // The controller closed the settings panel (mode already 0).
    void PanelClosed();
    // The poll period changed (the history window came or went): an open
    // panel shows its times again.
    void PollPeriodChanged();

    const TMinMaxAv& Stats() const { return stats_; }
    // The statistics while their view is on (the service window logs its averages then).
    const TMinMaxAv* ShownAverages() const { return Checked("MenuViewMinMaxAv") ? &stats_ : nullptr; }

private:
    void Connect(const char* action, void (TMainCommands::*handler)());
    QAction* Action(const char* name) const;
    bool Checked(const char* name) const;

    // Runs the guards; false (after any message) when the operation stops.
    bool PassGuards(TSettingsOperation op);
    void Tell(TSettingsMessage message);
    void Tell(const std::string& text, TMessageIcon icon);

    void ZeroDetector();
    void ZeroSystemOnly() { ZeroSystem(false); }
    void ZeroSystemAndSave() { ZeroSystem(true); }
    void ZeroSystem(bool store);
    void AutoZeroToggled();
    void RunDriftTest(const TMeterInfo& info);

    void OpenMerBus() { OpenValuePanel(TPanelKind::pkMerBus, TSettingsOperation::soMerBusAddress); }
    void OpenModBus() { OpenValuePanel(TPanelKind::pkModBus, TSettingsOperation::soModBusAddress); }
    void OpenConvCount() { OpenValuePanel(TPanelKind::pkConvCount, TSettingsOperation::soConvCount); }
    void OpenAverCount() { OpenValuePanel(TPanelKind::pkAverCount, TSettingsOperation::soAverCount); }
    void OpenRefresh() { OpenValuePanel(TPanelKind::pkRefresh, TSettingsOperation::soRefreshRate); }
    void OpenValuePanel(TPanelKind kind, TSettingsOperation op);
    void OpenRangePanel();
    TPanelInputs PanelInputs() const;
    void ValueApplied(const TPanelApply& result);
    void ApplyAverCount(int32_t count);
    void ApplyRefresh(bool repeatAuto, int32_t time);
    void RangeApplied(int index);
    void CancelPanel();

    void RangeChosen(int index);
    void AutoRangeToggled();

    void StatsToggled();
    void ShowStats();
    void IconStripToggled();
    void StayOnTopToggled();

    TMainForm& form_;
    TMeterController& controller_;
    TProgramSettings& settings_;
    const TLanguage lang_;
    const char separator_;
    TCommandHost host_;
    TCommandPrompts prompts_;
    TMinMaxAv stats_;
};

} // namespace k730
