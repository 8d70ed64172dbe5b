// TFormAutoCom: the meter search dialog. Starts searching every serial port
// as soon as it is first shown, lists what each port answered, and hands one
// port with its line settings back to the main window.
#pragma once

#include "main/K730Lang.h"
#include "search/MeterSearch.h"
#include "search/SearchCriteria.h"
#include "ui/QtEventLoop.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace k730 {

class TFormAutoCom : public QDialog {
    Q_OBJECT

public:
    // `criteria` is the program-wide record shared by every search dialog.
    TFormAutoCom(QWidget* owner, int language, TStopBits stopBits, TDataBits dataBits, TParityBit parity,
                 TBaudRate baud, TSearchCriteria& criteria);
    ~TFormAutoCom() override;

    // With Accepted: the chosen port and its line settings.
    const std::string& ResultPort() const { return resultPort_; }
    const TLineSettings& ResultSettings() const { return resultSettings_; }

    // For tests and screenshots: the search itself.
    const TMeterSearch* Search() const { return search_.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void CreateCriteriaPanel();
    void StartSearch();
    void LineChanged(size_t port);
    void SearchFinished(TSearchState result);
    void ShowChoice();
    void ChooseRow(int row);
    void EndWith(size_t port);
    void FailWith(const TText& message);
    void BtnStopClick();
    void ListPortsDoubleClicked();
    void BtnCriteriaOKClick();
    void BtnCriteriaDefaultClick();
    void CriteriaToBoxes();
    void NameControls();
    void BoxesToCriteria();
    bool LineFits(const std::string& line) const;

    const int lang_;
    const TLineSettings initial_;
    TSearchCriteria& criteria_;
    TQtEventLoop loop_;
    std::unique_ptr<TMeterSearch> search_;
    std::vector<size_t> choice_; // list row -> port, once the user chooses
    bool activated_ = false;
    bool choosing_ = false;
    std::string resultPort_;
    TLineSettings resultSettings_;

    QLabel* LabelInfo = nullptr;
    QListWidget* ListPorts = nullptr;
    QPushButton* BtnStop = nullptr;
    QToolButton* BtnCriteria = nullptr;
    QStatusBar* StatusBar = nullptr;
    QGroupBox* PanelCriteria = nullptr;
    std::vector<std::pair<int, QCheckBox*>> baudBoxes_, parityBoxes_, dataBoxes_, stopBoxes_;
};

} // namespace k730
