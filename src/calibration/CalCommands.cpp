#include "calibration/CalCommands.h"

#include "calibration/CalCertificatePdf.h"
#include "calibration/CalTexts.h"
#include "calibration/K730CAL.h"
#include "calibration/K730SaveCAL.h"
#include "files/CalLogBackup.h"
#include "files/CalMerge.h"
#include "files/DayCount.h"
#include "files/FileIo.h"
#include "files/K730Disk.h"
#include "files/K730DiskRules.h"
#include "main/K730Main.h"
#include "main/K730Settings.h"
#include "main/MeterController.h"
#include "ui/ConfBox.h"
#include "ui/FileDialogs.h"
#include "protocol/MerBusCommands.h"
#include "ui/OtherObjects.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <filesystem>

namespace k730 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr TText logFilter{"Pliki historii kalibracji (*.dat)|*.dat|Wszystkie pliki (*.*)|*.*",
                          "History log files (*.dat)|*.dat|All files (*.*)|*.*"};
constexpr TText notValidLog{"Plik %s\r\nnie jest plikiem historii kalibracji.",
                            "File %s\r\nis not valid calibration history log file."};
constexpr TText logExists{"Plik historii kalibracji już istnieje.\r\nWybierz sposób postępowania:",
                          "Calibration history log file already exists."};
constexpr TText synchronize{"Synchronizuj", "Synchronize"};
constexpr TText overwrite{"Nadpisz", "Overwrite"};
constexpr TText exportName{"K730_HistoriaKalibracji.dat", "K730_CalLog.dat"};
constexpr TText logExported{"Wyeksportowano historię kalibracji do pliku: \r\n%s",
                            "Calibration history log was exported to file: \r\n%s"};
constexpr TText logExportFailed{"Nie udało się wyeksportować historii kalibracji.",
                                "Failed to export calibration history log."};
constexpr TText programPrefix{"UWAGA\r\nWybrany wpis historii kalibracji dotyczy aktualnie podłączonego "
                              "miernika.\r\nMożna zaprogramować "
                              "współczynniki kalibracji z historii.\r\n\r\n",
                              "NOTE\r\nSelected record relates to currently connected meter.\r\nYou can "
                              "program the calibration factors "
                              "from the history log.\r\n\r\n"};
constexpr TText copyFrom{"Kopia kalibracji z dn. ", "Calibration copy from "};

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

TCalFilePrompts DialogPrompts(const TSpreadsheetProgram& sheet) {
    TCalFilePrompts p;
    p.openFile = [](QWidget* owner, const QString& title, const QString& filter, const QString& folder) {
        return AskOpenFileName(owner, title, filter, 1, folder);
    };
    p.saveFile = [](QWidget* owner, const QString& title, const QString& filter, int index,
                    const QString& folder, const QString& name) {
        return AskSaveFileName(owner, title, filter, index, folder, name);
    };
    p.openDocument = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    if (!sheet.Program.empty())
        p.openSpreadsheet = [sheet](const QString& path) {
            QStringList arguments;
            for (const std::string& a : sheet.Arguments)
                arguments << QString::fromStdString(a);
            QProcess::startDetached(QString::fromStdString(sheet.Program), arguments << path);
        };
    return p;
}

} // namespace

TCalCommands::TCalCommands(TMainForm& form, TMeterController& controller, TProgramSettings& settings,
                           TLanguage lang, char decimal, std::function<uint32_t()> now)
    : form_(form), controller_(controller), settings_(settings), lang_(lang), decimal_(decimal), now_(now),
      link_(controller, now), prompts_(DialogPrompts(FindSpreadsheetProgram())) {
    memory_.FactorLabels = BuildFactorLabels(
        lang_, [this](const std::string& text) { return TextWidth(form_.font(), Q(text)); });
    state_.importFolder = DocumentsFolder();
    const std::pair<const char*, void (TCalCommands::*)()> items[] = {
        {"MenuCalMeter", &TCalCommands::OpenWizard},
        {"MenuHistCAL", &TCalCommands::OpenHistory},
        {"MenuCalImport", &TCalCommands::ImportLog},
        {"MenuCalExport", &TCalCommands::ExportLog}};
    for (const auto& [name, handler] : items)
        if (QAction* a = form_.Action(name)) connect(a, &QAction::triggered, this, handler);
    const std::string userData =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    const std::string folder = DataFolder({}, userData, QCoreApplication::applicationDirPath().toStdString());
    SetLogPaths(CalHistoryPath(folder), CalHistoryBackupPath(folder));
}

TCalCommands::~TCalCommands() {
    Shutdown();
}

void TCalCommands::Shutdown() {
    if (!wizard_) return;
    wizard_->OnDestroyed = nullptr;
    delete wizard_.data();
    controller_.SetCalibrationOpen(false);
}

TFormCAL* TCalCommands::Wizard() const {
    return wizard_.data();
}

void TCalCommands::SetLogPaths(std::string log, std::string backup) {
    logPath_ = std::move(log);
    backupPath_ = std::move(backup);
    UpdateHistoryItems();
}

void TCalCommands::SetFilePrompts(TCalFilePrompts prompts) {
    prompts_ = std::move(prompts);
}

void TCalCommands::UpdateHistoryItems() {
    const bool present = FileExists(logPath_);
    if (QAction* history = form_.Action("MenuHistCAL")) history->setVisible(present);
    if (QAction* exportLog = form_.Action("MenuCalExport")) exportLog->setEnabled(present);
}

void TCalCommands::Tell(const QString& text, unsigned style) {
    ConfMessage(&form_, text, "K730", style);
}

QString TCalCommands::Shortened(const std::string& path) const {
    return ShortenPath(QString::fromStdString(path));
}

TConnectedMeter TCalCommands::ConnectedMeter() const {
    const TMeterInfo& info = controller_.Info();
    return TConnectedMeter{controller_.PortListIndex() > 0, info.ModelDescriptor, info.SerialNumber,
                           info.ProductionYear};
}

// --- the wizard ---------------------------------------------------------------------------------

void TCalCommands::OpenWizard() {
    if (wizard_) {
        if (wizard_->isMinimized()) wizard_->showNormal();
        wizard_->show();
        wizard_->raise();
        wizard_->activateWindow();
        return;
    }
    const TCalOpenCheck check = CheckCalibrationOpening(CalOpenStateOf(controller_), lang_);
    if (check.closePanel) controller_.CloseSettingsPanel();
    if (!check.pass) {
        Tell(Q(check.message.value_or("")), check.icon == miWarning ? MB_ICONWARNING : MB_ICONINFORMATION);
        return;
    }
    if (!ConfYesNoDefault(&form_, Q(calStartWarning(lang_)), "K730", MB_ICONWARNING, 1)) return;
    const TMeterInfo& info = controller_.Info();
    controller_.SetCalibrationOpen(true);
    auto* wizard = new TFormCAL(info.MeterKind, info.LumMode, lang_, decimal_, link_, memory_, &form_);
    wizard->OnDestroyed = [this] { WizardDestroyed(); };
    wizard_ = wizard;
    wizard->Start();
}

void TCalCommands::CloseWizard() {
    if (wizard_) wizard_->close(); // freed once the present processing is over
}

void TCalCommands::WizardDestroyed() {
    wizard_ = nullptr;
    controller_.CalibrationClosed(now_());
}

void TCalCommands::CalStatus(const TBytes& frame) {
    if (wizard_) wizard_->Wizard().OnStatus(frame);
}

void TCalCommands::CalModeSet() {
    if (wizard_) wizard_->Wizard().OnModeSet();
}

void TCalCommands::CalForcingValue(uint32_t dac) {
    if (wizard_) wizard_->Wizard().OnForcingValue(dac);
}

void TCalCommands::CalParameter(const TBytes& frame) {
    if (wizard_) wizard_->Wizard().OnParameter(frame);
}

void TCalCommands::CalSuperviseMode(uint8_t mode) {
    if (wizard_) wizard_->Wizard().SuperviseMode(mode);
}

void TCalCommands::CalClose() {
    CloseWizard();
}

std::string TCalCommands::CalSaved(const TCalibrationSavedAnswer& saved, const std::string& comment) {
    const bool wizardAdds = wizard_ && wizard_->Wizard().AddToHistory();
    const bool add = (wizardAdds || historyAddToHistory_) && memory_.AddToHistoryDefault;
    historyAddToHistory_ = false;
    CloseWizard();
    std::string outcome;
    if (add) {
        // The "before" values are the model's: it is not updated outside normal mode.
        const TCalLogRecord record = CalLogRecordFor(controller_.Info(), saved.forcingValue4mA,
                                                     static_cast<uint16_t>(saved.calTempCode), comment,
                                                     saved.loopFactor, saved.resultFactor);
        const bool appended = AppendCalLog(logPath_, record);
        outcome = std::string((appended ? calHistoryAdded : calHistoryNotAdded)(lang_));
        if (appended) {
            UpdateHistoryItems();
            if (history_) history_->Reload();
        }
    }
    return FactorsSavedText(saved, memory_.FactorLabels, lang_, decimal_, outcome);
}

// --- the history window ---------------------------------------------------------------------------

TCalHistoryHost TCalCommands::HistoryHost() {
    TCalHistoryHost host;
    host.lang = lang_;
    host.format = TCalTextFormat{lang_, decimal_, LocaleDateSeparator(), LocaleTimeSeparator()};
    host.logPath = logPath_;
    host.state = &state_;
    host.configuredExportFolder = QString::fromStdString(settings_.DirHistCALExport);
    host.spreadsheetProgram = static_cast<bool>(prompts_.openSpreadsheet);
    host.meter = [this] { return ConnectedMeter(); };
    host.program = [this](const TCalLogRecord& record) { ProgramRecord(record); };
    host.today = [] { return NowDays(); };
    host.saveFile = prompts_.saveFile;
    host.openDocument = prompts_.openDocument;
    host.openSpreadsheet = prompts_.openSpreadsheet;
    host.exportFolderChosen = [this](const QString& folder) {
        settings_.DirHistCALExport = folder.toStdString();
    };
    host.writeCertificate = [format = host.format](const TCalLogRecord& record, const QString& path) {
        return WriteCalCertificatePdf(MakeCalCertificate(record, format, NowDays()), path.toStdString());
    };
    return host;
}

void TCalCommands::OpenHistory() {
    historyAddToHistory_ = false;
    auto* window = new TFormHistCAL(HistoryHost(), &form_);
    history_ = window;
    window->exec();
    if (!history_) return;
    state_.exportFolder = window->ExportFolder();
    delete window;
}

void TCalCommands::ProgramRecord(const TCalLogRecord& r) {
    const TCalSaveValues values{r.NewForcingValue4mA, r.NewResultFactor, r.NewLoopFactor, r.CalTempCode};
    const std::string text =
        SaveQuestionText(values, memory_.FactorLabels, lang_, decimal_, programPrefix(lang_));
    const TCalTextFormat format{lang_, decimal_, LocaleDateSeparator(), LocaleTimeSeparator()};
    const std::string memo = std::string(copyFrom(lang_)) + CalDateTimeText(r, format) + "\r\n" + r.Comment;
    QWidget* owner = history_ ? static_cast<QWidget*>(history_.data()) : &form_;
    const auto choice =
        TFormSaveCAL::Execute(owner, Q(text), MB_ICONWARNING, memory_.AddToHistoryDefault, Q(memo), lang_);
    if (!choice) return;
    historyAddToHistory_ = memory_.AddToHistoryDefault = choice->addToHistory;
    std::string comment;
    if (choice->addToHistory && choice->addComment && !choice->comment.empty()) comment = choice->comment;
    const uint32_t now = now_();
    controller_.QueueItem(SetModeItem(mmCalibration), false, false, now);
    controller_.QueueItem(SaveItem(values, std::move(comment)), false, false, now);
    controller_.QueueItem(SetModeItem(mmNormal), false, false, now);
    controller_.QueueItem(StatusItem(), false, false, now);
    controller_.QueueItem(StatusItem(), false, true, now);
}

// --- import and export of the whole log -----------------------------------------------------------

void TCalCommands::ImportLog() {
    const QString path = prompts_.openFile(&form_, {}, Q(logFilter(lang_)), state_.importFolder);
    if (path.isEmpty()) return;
    state_.importFolder = QFileInfo(path).absolutePath();
    const std::string file = path.toStdString();
    if (SameFile(file, logPath_)) return;
    if (!ValidateCalLog(file)) {
        Tell(Q(FillText(notValidLog(lang_), {Shortened(file).toStdString()})), MB_ICONWARNING);
        return;
    }
    int choice = 1; // a missing or damaged log is overwritten without asking
    if (ValidateCalLog(logPath_)) {
        choice = 0;
        if (!ConfChoice(&form_, Q(logExists(lang_)), "K730", MB_ICONQUESTION, 0, choice,
                        {Q(synchronize(lang_)), Q(overwrite(lang_))}))
            return;
    }
    const std::string shown = Shortened(file).toStdString();
    const auto ask = [this](const TFileMessage& question, const TCalLogRecord&) {
        switch (ConfAsk(&form_, Q(question(lang_)), "K730", MB_ICONQUESTION, true, false)) {
        case crYes:
            return aaYes;
        case crNo:
        case crSkip:
            return aaNo;
        case crYesAll:
            return aaYesToAll;
        case crNoAll:
            return aaNoToAll;
        default:
            return aaCancel;
        }
    };
    const TCalImport result = choice == 0 ? SynchronizeCalLog(file, logPath_, backupPath_, shown, ask)
                                          : OverwriteCalLog(file, logPath_, backupPath_, shown);
    if (result.success) UpdateHistoryItems();
    Tell(Q(result.message(lang_)), ConfStyle(result.message.style));
}

void TCalCommands::ExportLog() {
    if (!FileExists(logPath_)) return;
    const QString path =
        prompts_.saveFile(&form_, {}, Q(logFilter(lang_)), 1, state_.importFolder, Q(exportName(lang_)));
    if (path.isEmpty()) return;
    const std::string target = path.toStdString();
    if (!CopyFileOver(logPath_, target, ReadMountTable())) {
        Tell(Q(logExportFailed(lang_)), MB_ICONWARNING);
        return;
    }
    SetWritable(target); // the copy is an ordinary file, not the program's read-only log
    state_.importFolder = QFileInfo(path).absolutePath();
    Tell(Q(FillText(logExported(lang_), {Shortened(target).toStdString()})), MB_ICONINFORMATION);
}

} // namespace k730
