// TFormHistCAL: the calibration history window. A grid over the log's
// records (newest first) with meter and date filters, a search, exports of
// the shown rows as text and spreadsheet text, a one-page certificate of a
// record, and programming a record's factors back into the connected meter.
// The rules are TCalHistory's; this window arranges and forwards.
#pragma once

#include "calibration/CalHistory.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QVBoxLayout;

namespace k730 {

class TCalHistModel;

// What lives for the whole program run, shared by every history window.
struct TCalProgramState {
    std::vector<std::string> searchStrings; // typed into the search box, merged at each close
    std::string lastSearch;                 // the last text searched for
    bool openInNotepad = true;
    bool openInExcel = true;
    QString exportFolder; // of the last export of a grid; empty until there was one
    QString importFolder; // of the last log import or export
};

// What the window needs from the main window.
struct TCalHistoryHost {
    TLanguage lang = langEnglish;
    TCalTextFormat format;
    std::string logPath;
    TCalProgramState* state = nullptr;
    QString configuredExportFolder; // the settings' calibration-history export folder
    bool spreadsheetProgram = false;
    std::function<TConnectedMeter()> meter;
    std::function<void(const TCalLogRecord& record)> program;
    std::function<double()> today;
    std::function<QString(QWidget* owner, const QString& title, const QString& filter, int filterIndex,
                          const QString& folder, const QString& name)>
        saveFile;
    std::function<void(const QString& path)> openDocument;
    std::function<void(const QString& path)> openSpreadsheet;
    std::function<void(const QString& folder)> exportFolderChosen;
    std::function<bool(const TCalLogRecord& record, const QString& path)> writeCertificate;
};

class TFormHistCAL : public QDialog {
    Q_OBJECT

public:
    TFormHistCAL(TCalHistoryHost host, QWidget* mainWindow);
    ~TFormHistCAL() override;

    // The log was appended to while the window is open.
    void Reload();
    TCalHistory& History() { return history_; }
    // Where the next export starts; remembered by the main window on close.
    const QString& ExportFolder() const { return exportFolder_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildTop(QVBoxLayout* column);
    void BuildFilters(QVBoxLayout* column);
    void BuildGrid(QVBoxLayout* column);
    void BuildBottom(QVBoxLayout* column);
    QPushButton* NewButton(const char* name, TText caption);
    void SizeColumns();
    void SizeWindow();

    void Refilled();
    void ShowSelection();
    void RowClicked(int row);
    void UpdateButtons();
    void MeterFilterClicked(TCalMeterFilter filter);
    void DateLimitClicked(bool on);
    void ChangeDateRange();
    void SearchClicked();
    void SearchMeterClicked();
    void ShowSearchResult(const TCalSearchResult& result);
    void RememberSearchText(const QString& text);
    void ProgramClicked();

    // K730HistCALExport.cpp
    void ExportText();
    void ExportSpreadsheet();
    QString AskExportFile(const QString& filter, const QString& name);
    bool WriteOffThread(const std::function<bool()>& job);
    void CertificateClicked();

    TCalHistoryHost host_;
    QWidget* mainWindow_;
    TCalHistory history_;
    TCalHistModel* model_ = nullptr;
    QString exportFolder_;
    bool syncing_ = false; // the view follows the history; no click to forward
    bool sized_ = false;

    QComboBox* CBSearch = nullptr;
    QPushButton* BtnSearch = nullptr;
    QPushButton* BtnCurSearch = nullptr;
    QLabel* LabelCount = nullptr;
    QRadioButton* RBAllMeters = nullptr;
    QRadioButton* RBAllSelMeters = nullptr;
    QRadioButton* RBOneMeter = nullptr;
    QCheckBox* ChBDateRange = nullptr;
    QLabel* LabelDateRange = nullptr;
    QPushButton* BtnDateRange = nullptr;
    QTableView* SGData = nullptr;
    QPlainTextEdit* MemoComment = nullptr;
    QPushButton* BtnExport = nullptr;
    QMenu* MenuExport = nullptr;
    QPushButton* BtnCertificate = nullptr;
    QPushButton* BtnSet = nullptr;
    QPushButton* BtnCancel = nullptr;
};

} // namespace k730
