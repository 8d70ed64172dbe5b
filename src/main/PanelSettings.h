// TPanelSettings: the inline settings panel that takes the place of the value
// display while a setting is edited. It shows the texts of the chosen setting
// and reports OK or Cancel; the main window keeps the settings-panel mode,
// sends the requests and closes the panel.
#pragma once

#include "main/SettingsOps.h"

#include <QFrame>

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace k730 {

class TPanelSettings : public QFrame {
    Q_OBJECT
public:
    static constexpr int EDIT_MAX_LENGTH = 6;
    static constexpr int RANGE_BUTTONS = 3;

    explicit TPanelSettings(TLanguage lang, QWidget* parent = nullptr);

    // Fills the panel for one of the value settings, selects the start text
    // and takes the focus.
    void OpenValuePanel(TPanelKind kind, const TPanelInputs& inputs);

    // Fills the panel for the default range: one radio button per range text
    // (with space), the default one checked; the unit is appended when the
    // texts still fit left of the buttons.
    void OpenRangePanel(const std::vector<std::string>& rangeTexts, const std::string& unit,
                        uint8_t defaultRange);

    // Recomputes the time label, for instance when the poll period changed.
    void UpdateInputs(const TPanelInputs& inputs);

    TPanelKind Kind() const { return kind_; }

    // Tops of `count` radio buttons of `buttonHeight` in `height`: evenly
    // spaced 1..4 px apart and centred as a group.
    static std::vector<int> RangeButtonTops(int height, int buttonHeight, int count);

signals:
    // OK on a value panel, with what the typed text leads to.
    void ValueApplied(const k730::TPanelApply& result);
    // OK on the range panel, with the checked range's index.
    void RangeApplied(int rangeIndex);
    // Cancel or Esc.
    void Cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OkClicked();
    void UpdateAverTime();
    void UpdateEditEnabled();
    void PlaceRangeButtons();
    void ShowValueControls(bool show);

    TLanguage lang_;
    TPanelKind kind_ = TPanelKind::pkMerBus;
    TPanelInputs inputs_;
    QLabel* title_ = nullptr;
    QLabel* editLabel_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QLabel* averTime_ = nullptr;
    QCheckBox* repeatAuto_ = nullptr;
    QWidget* rangeBox_ = nullptr;
    std::array<QRadioButton*, RANGE_BUTTONS> ranges_{};
    int rangeCount_ = 0;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace k730
