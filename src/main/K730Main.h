// TMainForm: the program's main window. It arranges the port and range
// choosers, the value display with its marks, the inline settings panel and
// the status line, forwards what the user does as signals and shows what the
// connection controller hands it. The language is fixed at creation.
#pragma once

#include "main/DisplayReading.h"
#include "main/K730Lang.h"

#include <QDesktopServices>
#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <string_view>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace k730 {

class TDiodeLED2;
class TFrameDisplay;
class TPanelSettings;
struct TMinMaxAv;
class TStatusIconStrip;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(int language, QWidget* parent = nullptr);
    ~TMainForm() override;

    int Language() const { return language_; }

    // --- what the controller shows --------------------------------------
    // One status answer: value, unit, marks, lamp flash; a meter reset shows
    // "DEVICE RESET" in place of the value.
    void ShowReading(const TDisplayReading& reading);
    // Empties the value and hides every mark (meter or port changed).
    void ClearDisplay();
    // The reading on show is no longer current: value, unit and temperature
    // turn grey until the next ShowReading.
    void ShowReadingStale();
    void ShowIcons(const TIconInputs& inputs);
    // A message in place of the value (zeroing); an empty text brings the value back.
    void ShowDisplayMessage(const QString& text);
    // The serial component's status: red for codes above 1, navy otherwise.
    void ShowComStatus(int code, const QString& text);
    // Meter name and "serial/year"; empty texts show "-----".
    void ShowMeterName(const QString& name, const QString& number);
    // Port chooser items and selection; does not fire PortChosen.
    void SetDeviceItems(const QStringList& items, int selected);
    // Range chooser items (disabled when empty) and selection; no RangeChosen.
    void SetRangeItems(const QStringList& items, int selected);
    void SelectRange(int index);
    // The range entry last applied: set by the program's selections and by
    // a user's choice that passed the guards; a refused choice goes back to it.
    int AppliedRange() const { return appliedRange_; }
    void SetAppliedRange(int index) { appliedRange_ = index; }

    // Minimum, maximum and average labels; shown while `on` and a reading is.
    void ShowStats(const TMinMaxAv& stats, bool on);

    // The inline settings panel in place of the value display.
    TPanelSettings* SettingsPanel() const { return panelSettings_; }
    void OpenSettingsPanel();
    // Hides the panel and any display message; the value display is back.
    void CloseSettingsPanel();
    bool SettingsPanelOpen() const;

    void SetStayOnTop(bool on);

    const std::string& CopyText() const;
    TFrameDisplay* FrameDisplay() const { return frame_; }
    TDiodeLED2* Lamp() const { return lamp_; }
    // A menu item by its object name ("MenuZeroDet", ...); null when absent.
    QAction* Action(std::string_view name) const;

    // The maker's web page opened by MenuWWW and the logo.
    static QString WebAddress(int language);
    // What opens manuals and the web page (the desktop's handler; tests
    // put their own). False when nothing could open it.
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }

    // Asked before the window closes; false keeps it open.
    std::function<bool()> CloseQuery;

signals:
    void PortChosen(int index);
    void RangeChosen(int index);
    void AutoPollingSwitched(bool on);
    void EscapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildTopRow(QWidget* top);
    QWidget* BuildDisplayPanel();
    void SizeDisplayPanel(int leastWidth);
    void BuildMarks(QWidget* client);
    void BuildStatsLabels(QWidget* client);
    void UpdateStatsVisibility();
    void ApplyLanguage();
    void ApplyKeyboardAccess();
    void FitMessageFont();
    void PlaceMarks(bool iconsWanted);
    void CopyValue();
    void OpenProgramFile(const QString& fileName);

    int language_;
    QFrame* panelDisplay_ = nullptr;
    QWidget* panelDisplayClient_ = nullptr;
    QLabel* labelDisplay_ = nullptr;
    TPanelSettings* panelSettings_ = nullptr;
    QLabel* panelStatus_ = nullptr;
    QLabel* labelMeterName_ = nullptr;
    QLabel* labelMeterNumber_ = nullptr;
    QComboBox* cbDevice_ = nullptr;
    QComboBox* cbRange_ = nullptr;
    QToolButton* btnAuto_ = nullptr;
    TFrameDisplay* frame_ = nullptr;
    TDiodeLED2* lamp_ = nullptr;
    TStatusIconStrip* icons_ = nullptr;
    QLabel* labelTemperature_ = nullptr;
    QLabel* labelWarnings_[3] = {};
    QLabel* labelStats_[3] = {};
    bool statsOn_ = false;
    int appliedRange_ = -1;
    QLabel* logo_ = nullptr;
    bool logoPressed_ = false;
    bool marksShown_ = false;
    QList<QWidget*> hiddenWhileMinimised_;
    std::function<bool(const QUrl&)> urlOpener_ = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };
};

} // namespace k730
