// TPageDac: the service window's DAC page — driving the current-loop DAC by
// hand in five hexadecimal digits, computing the code that gives 4 mA from
// the current an ammeter shows, and programming it as the meter's 4 mA
// value.
#pragma once

#include "protocol/RequestScheduler.h"

#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace k730 {

class TConstantsEditor;

class TPageDac : public QWidget {
    Q_OBJECT
public:
    using TQueue = std::function<void(std::vector<TQueueItem> items)>;
    TPageDac(TConstantsEditor& rules, TQueue queue, QWidget* parent = nullptr);

    void Render();
    QLineEdit* SetBox() const { return editDACSet_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildSteps();
    void SetClicked();

    TConstantsEditor& rules_;
    TQueue queue_;
    QLabel* labelDACRead_ = nullptr;
    QLineEdit* editDACSet_ = nullptr;
    std::array<QPushButton*, 5> btnUp_{};
    std::array<QPushButton*, 5> btnDown_{};
    QLineEdit* editMeasured_ = nullptr;
    QPushButton* btnCalc_ = nullptr;
    QPushButton* btnDACSet_ = nullptr;
    QPushButton* btnSetDAC0_ = nullptr;
};

} // namespace k730
