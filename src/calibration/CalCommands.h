// TCalCommands: the main window's side of the calibration — the menu items
// "Run" (the wizard), "Calibration history log", "Import history log" and
// "Export history log", the answers the connection controller hands to an
// open wizard, and the history record added when the meter confirms a save.
// It keeps what outlives one window: the factor labels, the last reference,
// comment and check-box states, the search strings and the folders.
#pragma once

#include "calibration/CalOpening.h"
#include "calibration/K730HistCAL.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>

namespace k730 {

class TFormCAL;
class TMainForm;
class TMeterController;
struct TProgramSettings;

// The file dialogs, replaceable by tests.
struct TCalFilePrompts {
    std::function<QString(QWidget* owner, const QString& title, const QString& filter, const QString& folder)>
        openFile;
    std::function<QString(QWidget* owner, const QString& title, const QString& filter, int filterIndex,
                          const QString& folder, const QString& name)>
        saveFile;
    std::function<void(const QString& path)> openDocument;    // with the desktop's program
    std::function<void(const QString& path)> openSpreadsheet; // empty: no spreadsheet program
};

class TCalCommands : public QObject {
    Q_OBJECT

public:
    TCalCommands(TMainForm& form, TMeterController& controller, TProgramSettings& settings, TLanguage lang,
                 char decimal, std::function<uint32_t()> now);
    ~TCalCommands() override;

    // The main window closes: an open wizard goes without its callback (the
    // window itself returns the meter to normal mode).
    void Shutdown();

    // Where the log and its backup are; the menu follows the log.
    void SetLogPaths(std::string log, std::string backup);
    const std::string& LogPath() const { return logPath_; }
    void SetFilePrompts(TCalFilePrompts prompts);

    // --- from the connection controller ----------------------------------------------
    void CalStatus(const TBytes& frame);
    void CalModeSet();
    void CalForcingValue(uint32_t dac);
    void CalParameter(const TBytes& frame);
    void CalSuperviseMode(uint8_t mode);
    void CalClose();
    // The meter stored the factors: the wizard closes, the record is added;
    // the confirmation text to show.
    std::string CalSaved(const TCalibrationSavedAnswer& saved, const std::string& comment);

    // --- menu commands -------------------------------------------------------------------
    void OpenWizard();  // MenuCalMeterClick
    void OpenHistory(); // MenuHistCAL
    void ImportLog();   // MenuCalImportClick
    void ExportLog();   // MenuCalExportClick
    // MenuHistCAL visible while the log exists; MenuCalExport enabled with it.
    void UpdateHistoryItems();

    TFormCAL* Wizard() const;
    TFormHistCAL* History() const { return history_; }
    TCalMemory& Memory() { return memory_; }
    TCalProgramState& ProgramState() { return state_; }

private:
    void CloseWizard();
    void WizardDestroyed();
    void ProgramRecord(const TCalLogRecord& record);
    TCalHistoryHost HistoryHost();
    TConnectedMeter ConnectedMeter() const;
    QString Shortened(const std::string& path) const;
    void Tell(const QString& text, unsigned style);

    TMainForm& form_;
    TMeterController& controller_;
    TProgramSettings& settings_;
    const TLanguage lang_;
    const char decimal_;
    std::function<uint32_t()> now_;
    TControllerCalLink link_;
    TCalFilePrompts prompts_;
    std::string logPath_, backupPath_;
    TCalMemory memory_;
    TCalProgramState state_;
    QPointer<TFormCAL> wizard_;
    QPointer<TFormHistCAL> history_;
    bool historyAddToHistory_ = false; // answered in the history window's save dialog
};

} // namespace k730
