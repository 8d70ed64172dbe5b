#include "service/ServiceLink.h"

#include "main/K730Main.h"
#include "main/MeterController.h"
#include "service/K730Service.h"
#include "service/ServiceInfo.h"
#include "ui/LocaleSeparator.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace k730 {

TServiceLink::TServiceLink(TMainForm& main, TMeterController& controller, TProgramSettings& settings,
                           int language, std::string libraryPath, std::function<uint32_t()> now)
    : main_(main), controller_(controller), settings_(settings), lang_(language),
      libraryPath_(std::move(libraryPath)), now_(std::move(now)) {
    if (QAction* item = main_.Action("MenuService"))
        connect(item, &QAction::triggered, this, &TServiceLink::Open);
    // Opening the View menu shows whether the service window is open.
    if (auto* view = main_.findChild<QMenu*>("MenuView"))
        connect(view, &QMenu::aboutToShow, this, [this] {
            if (QAction* item = main_.Action("MenuService")) item->setChecked(!form_.isNull());
        });
}

TServiceLink::~TServiceLink() {
    if (form_) {
        form_->disconnect(this);
        delete form_.data();
    }
}

TFormService* TServiceLink::Form() const {
    return form_.data();
}

void TServiceLink::Open() {
    if (QAction* item = main_.Action("MenuService")) item->setChecked(true);
    if (form_) {
        form_->setWindowState((form_->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        form_->show();
        form_->raise();
        form_->activateWindow();
        return;
    }
    TServiceContext ctx;
    ctx.language = lang_;
    ctx.decimalSeparator = LocaleDecimalSeparator();
    ctx.libraryPath = libraryPath_;
    ctx.settings = &settings_;
    ctx.Program = [this](std::vector<TQueueItem> items) {
        // The writes in order, then the periodic reads afresh behind them and
        // a status request at once, so that the answers read everything back.
        const uint32_t now = now_();
        for (auto& item : items)
            controller_.QueueItem(std::move(item), false, false, now);
        controller_.Scheduler().ResetSlots(true, false);
        runActive_ = true;
        controller_.QueueItem(TQueueItem{{CMD_STATUS}, {}}, false, true, now);
    };
    ctx.Refresh = [this] {
        controller_.Scheduler().ResetSession();
        controller_.ScanNow(now_());
    };
    ctx.Closed = [this] { Closed(); };
    ctx.Queue = [this](std::vector<TQueueItem> items) {
        const uint32_t now = now_();
        for (size_t i = 0; i < items.size(); ++i)
            controller_.QueueItem(std::move(items[i]), false, i + 1 == items.size(), now);
    };
    ctx.SendRaw = [this](const TQueueItem& item) -> std::optional<TBytes> {
        // One hand-typed request at a time: it replaces whatever waits.
        auto frame = TRequestScheduler::RequestForItem(item.bytes, controller_.MerBusAddress());
        if (!frame) return std::nullopt;
        controller_.Scheduler().ClearQueue();
        if (!controller_.QueueItem(item, false, true, now_())) return std::nullopt;
        return frame;
    };
    ctx.Averages = [this]() -> const TMinMaxAv* { return averages_ ? averages_() : nullptr; };
    form_ = new TFormService(std::move(ctx));
    form_->AddressAndMode(controller_.MerBusAddress(), controller_.MeterMode());
    Place();
    form_->show();
    controller_.ServiceOpened(now_());
}

// Beside the main window, which moves left when the two do not fit.
void TServiceLink::Place() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect work = screen->availableGeometry();
    const QRect main = main_.frameGeometry();
    const QSize size = form_->sizeHint().expandedTo(form_->minimumSizeHint());
    const TServicePlacement p =
        PlaceServiceWindow({main.x(), main.y(), main.width(), main.height()}, size.width(), size.height(),
                           {work.x(), work.y(), work.width(), work.height()});
    if (p.mainX != main.x()) main_.move(p.mainX, main_.y());
    form_->move(p.x, p.y);
}

void TServiceLink::Closed() {
    controller_.ServiceClosed(now_());
    if (QAction* item = main_.Action("MenuService")) item->setChecked(false);
}

void TServiceLink::Notify(TServiceNotice notice) {
    runActive_ = false; // the queue is emptied with every notice
    if (form_) form_->Notify(notice);
}

void TServiceLink::AddressAndMode(uint16_t merBusAddress, uint8_t mode) {
    if (form_) form_->AddressAndMode(merBusAddress, mode);
}

void TServiceLink::Identity(const TMeterInfo& info) {
    if (form_) form_->Identity(info, controller_.IdentityText());
}

void TServiceLink::Config(uint8_t config) {
    if (form_) form_->Config(config);
}

void TServiceLink::DefaultRange(uint8_t index) {
    if (form_) form_->DefaultRange(index, controller_.Info());
}

void TServiceLink::ModBusAddress(uint8_t address) {
    if (form_) form_->ModBusAddress(address);
}

void TServiceLink::ForcingValue(uint32_t dac) {
    if (form_) form_->ForcingValue(dac);
}

void TServiceLink::CalibrationSaved(const TCalibrationSavedAnswer& saved) {
    if (form_) form_->CalibrationSaved(saved);
}

void TServiceLink::RangeFactors(const std::array<float, 3>& factors) {
    if (form_) form_->RangeFactors(factors);
}

void TServiceLink::TempCoefficient(float fractionPerKelvin) {
    if (form_) form_->TempCoefficient(fractionPerKelvin);
}

void TServiceLink::Frame(const TBytes& frame) {
    if (form_) form_->Frame(frame);
}

void TServiceLink::Status(const TBytes& frame) {
    if (!form_) return;
    form_->Status(frame);
    // The run ends with a status request: once the queue is empty every write
    // has been answered, and the reads that follow show what the meter holds.
    if (runActive_ && controller_.Scheduler().QueueEmpty()) {
        runActive_ = false;
        form_->RunAnswered();
    }
}

} // namespace k730
