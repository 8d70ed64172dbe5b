// THistLink: the main window's side of the measurement history window. It
// opens the window from MenuHistMeas (or brings it to the front), keeps the
// controller's history-window-open flag while the window exists, hands it
// the status and range answers, sends its requests through the controller,
// keeps its auto-range box and MenuAutoRange in step, and answers the main
// window's closing question.
#pragma once

#include "history/HistRecorder.h"
#include "main/K730Settings.h"
#include "protocol/MerBusFun.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

namespace k730 {

class TFormHistory;
class TMainForm;
class TMeterController;

class THistLink : public QObject {
    Q_OBJECT
public:
    // `openChanged` runs when the window comes and goes (the poll period changes with it).
    THistLink(TMainForm& form, TMeterController& controller, TProgramSettings& settings, TLanguage lang,
              char decimal, std::function<uint32_t()> now, std::function<void()> openChanged);
    ~THistLink() override;

    void Open();
    void Status(const TBytes& frame);
    void Range(const TBytes& frame);
    bool Recording() const;
    // The question before the main window closes; empty when nothing would be lost.
    std::string CloseQuestion() const;
    // The main window goes: the history window closes without asking again.
    void Close();

    TFormHistory* Form() const;

private:
    TMainForm& form_;
    TMeterController& controller_;
    TProgramSettings& settings_;
    const TLanguage lang_;
    const char decimal_;
    std::function<uint32_t()> now_;
    std::function<void()> openChanged_;
    THistChecks checks_; // the questions' check boxes, kept for the program run
    TSpreadsheetProgram sheet_;
    QPointer<TFormHistory> window_;
};

} // namespace k730
