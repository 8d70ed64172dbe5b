// TPageCal: the service window's calibration page — the calibration
// constants the meter holds (4 mA value, KE, KL, calibration temperature)
// and their programming, as typed or as the defaults. The question before a
// write goes through the window's confirmation.
#pragma once

#include "protocol/RequestScheduler.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace k730 {

class TConstantsEditor;

class TPageCal : public QWidget {
    Q_OBJECT
public:
    using TQueue = std::function<void(std::vector<TQueueItem> items)>;
    using TConfirm = std::function<bool(const std::string& question)>;
    TPageCal(TConstantsEditor& rules, int language, char decimalSeparator, TQueue queue, TConfirm confirm,
             QWidget* parent = nullptr);

    void Render();

private:
    void SetCalClicked();

    TConstantsEditor& rules_;
    const int lang_;
    const char sep_;
    TQueue queue_;
    TConfirm confirm_;
    QLabel* labelDAC0_ = nullptr;
    QLabel* labelValKE_ = nullptr;
    QLabel* labelValKL_ = nullptr;
    QLabel* labelTCal_ = nullptr;
    QRadioButton* rbProgramSet_ = nullptr;
    QRadioButton* rbProgramDef_ = nullptr;
    QLineEdit* editKE_ = nullptr;
    QLineEdit* editKL_ = nullptr;
    QPushButton* btnSqrt2KE_ = nullptr;
    QPushButton* btnSqrt2KL_ = nullptr;
    QPushButton* btnSetCAL_ = nullptr;
};

} // namespace k730
