// TPageFactors: the service window's correction page — a result correction
// factor per measuring range with the resistance calculator that computes
// one, and the temperature coefficient. It shows what TConstantsEditor holds
// and forwards every edit and click to it.
#pragma once

#include "protocol/RequestScheduler.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace k730 {

class TConstantsEditor;

class TPageFactors : public QWidget {
    Q_OBJECT
public:
    using TQueue = std::function<void(std::vector<TQueueItem> items)>;
    TPageFactors(TConstantsEditor& rules, TQueue queue, QWidget* parent = nullptr);

    void Render();
    // The paste targets name the meter's ranges ("Zakres 1: 2000").
    void SetRangeTexts(const std::array<std::string, 3>& texts);

private:
    void BuildFactors(QGridLayout* grid);
    void BuildCalculator(QGridLayout* grid);
    void BuildTempCoefficient(QGridLayout* grid);

    TConstantsEditor& rules_;
    TQueue queue_;
    std::array<QLineEdit*, 3> editRF_{};
    std::array<QLabel*, 3> labelReadRF_{};
    QPushButton* btnSetKRange_ = nullptr;
    std::array<QLineEdit*, 3> editCalc_{}; // required, actual, switch
    QLineEdit* editRangeFactor_ = nullptr;
    QComboBox* cbRFPaste_ = nullptr;
    QPushButton* btnRFPaste_ = nullptr;
    QLabel* labelValTC_ = nullptr;
    QLineEdit* editValTC_ = nullptr;
    QPushButton* btnSetTC_ = nullptr;
};

} // namespace k730
