// TFormHistory: the measurement history window. It arranges the recording
// buttons, the averaging field, the grid, the chart and the comment, forwards
// what the user does to its THistRecorder and shows what that returns. While
// it exists, its THistMeasThread paces the status requests: each tick goes
// through the host to the connection controller, and each status and range
// answer comes back through OnStatus and OnRange.
#pragma once

#include "history/HistMeasThread.h"
#include "history/HistRecorder.h"
#include "main/K730Settings.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;

namespace k730 {

class THistChart;
class THistTableModel;

// What the window needs from the main window.
struct THistWindowHost {
    std::function<uint32_t()> Now;                 // millisecond tick
    std::function<const TMeterInfo&()> Meter;      // the connected meter's record
    std::function<void(const THistRequest&)> Send; // a tick's request, through the controller
    std::function<void(bool on)> AutoRangeSet;     // ChBAutoRange sets MenuAutoRange
    std::function<void()> Destroyed;               // the window is gone
};

class TFormHistory : public QWidget {
    Q_OBJECT
public:
    TFormHistory(TLanguage lang, char decimal, TProgramSettings& settings, THistChecks& checks,
                 THistWindowHost host, bool autoRange, const TSpreadsheetProgram& sheet,
                 THistPrompts prompts = {});
    ~TFormHistory() override;

    // Answers handed on by the connection controller.
    void OnStatus(const TBytes& frame);
    void OnRange(const TBytes& frame);
    // MenuAutoRange was toggled in the main window.
    void SetAutoRange(bool on);
    // Placed with its left edge at the right edge of `beside`, shown, to the front.
    void ShowBeside(const QWidget* beside);
    void BringToFront();
    // Closes without the loss question (the main window asked its own).
    void CloseWithoutAsking();

    const THistRecorder& Recorder() const { return recorder_; }
    QTableView* Grid() const { return grid_; }
    THistChart* Chart() const { return chart_; }
    THistSelection Selection() const { return selection_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildTopRow();
    QWidget* BuildFileRow();
    QWidget* BuildLabelRow();
    void ApplyTexts();
    void SizeToTenRows();

    void Tick();
    void StartStopClicked();
    void ClearClicked();
    void DeleteClicked();
    void OpenClicked();
    void Save(THistTarget target);
    void AverFieldEdited(const QString& text);
    void CommentChanged();
    void ShowComment();

    // After a change of the records: grid rows, selection, labels, buttons.
    void Refresh();
    void RecordAdded();
    void ScheduleChart();
    void Select(THistSelection selection);
    void CurrentRowChanged(int row);
    bool GridMouse(QEvent* event);

    const TLanguage lang_;
    const char decimal_;
    THistWindowHost host_;
    THistRecorder recorder_;
    std::unique_ptr<THistMeasThread> thread_;
    std::atomic<bool> newFirmware_{false}; // read by the thread
    THistSelection selection_;
    bool dragging_ = false;
    bool settingComment_ = false;
    bool closeWithoutAsking_ = false;
    bool chartPending_ = false;

    QPushButton* btnStartStop_ = nullptr;
    QPushButton* btnClearData_ = nullptr;
    QPushButton* btnClearSample_ = nullptr;
    QLabel* labelStrAverTime_ = nullptr;
    QLineEdit* editAverTime_ = nullptr;
    QLabel* labelAverTime_ = nullptr;
    QCheckBox* chbAutoRange_ = nullptr;
    QPushButton* btnOpen_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QToolButton* btnExport_ = nullptr;
    QCheckBox* chbChart_ = nullptr;
    QLabel* labelMeterName_ = nullptr;
    QLabel* labelStartDT_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTableView* grid_ = nullptr;
    THistTableModel* model_ = nullptr;
    THistChart* chart_ = nullptr;
    QPlainTextEdit* memoComment_ = nullptr;
};

} // namespace k730
