#include "history/HistLink.h"

#include "history/K730HistMeas.h"
#include "main/K730Main.h"
#include "main/MeterController.h"

#include <QAction>

namespace k730 {

THistLink::THistLink(TMainForm& form, TMeterController& controller, TProgramSettings& settings,
                     TLanguage lang, char decimal, std::function<uint32_t()> now,
                     std::function<void()> openChanged)
    : form_(form), controller_(controller), settings_(settings), lang_(lang), decimal_(decimal),
      now_(std::move(now)), openChanged_(std::move(openChanged)), sheet_(FindSpreadsheetProgram()) {
    if (QAction* autoRange = form_.Action("MenuAutoRange"))
        connect(autoRange, &QAction::toggled, this, [this](bool on) {
            if (window_) window_->SetAutoRange(on);
        });
}

THistLink::~THistLink() {
    Close();
}

void THistLink::Open() {
    if (window_) return window_->BringToFront();
    THistWindowHost host;
    host.Now = now_;
    host.Meter = [this]() -> const TMeterInfo& { return controller_.Info(); };
    host.Send = [this](const THistRequest& r) { controller_.HistoryRequest(r.range, now_()); };
    host.AutoRangeSet = [this](bool on) {
        QAction* menu = form_.Action("MenuAutoRange");
        if (menu && menu->isChecked() != on) menu->trigger(); // the main window's own toggle runs
    };
    host.Destroyed = [this] {
        controller_.SetHistoryOpen(false);
        if (openChanged_) openChanged_();
    };
    QAction* autoRange = form_.Action("MenuAutoRange");
    window_ = new TFormHistory(lang_, decimal_, settings_, checks_, std::move(host),
                               autoRange && autoRange->isChecked(), sheet_);
    controller_.SetHistoryOpen(true);
    if (openChanged_) openChanged_();
    window_->ShowBeside(&form_);
}

void THistLink::Status(const TBytes& frame) {
    if (window_) window_->OnStatus(frame);
}

void THistLink::Range(const TBytes& frame) {
    if (window_) window_->OnRange(frame);
}

TFormHistory* THistLink::Form() const {
    return window_.data();
}

bool THistLink::Recording() const {
    return window_ && window_->Recorder().Recording();
}

std::string THistLink::CloseQuestion() const {
    return window_ ? window_->Recorder().MainCloseQuestion() : std::string();
}

void THistLink::Close() {
    if (!window_) return;
    window_->CloseWithoutAsking();
    delete window_.data(); // at once: the controller must not hand it answers any more
}

} // namespace k730
