#include "traffic/VudIDOLink.h"

#include "main/K730Main.h"
#include "main/MeterController.h"
#include "traffic/VudIDO.h"

#include <QAction>
#include <QToolButton>

namespace k730 {

TVudIDOLink::TVudIDOLink(TMainForm& form, TMeterController& controller)
    : form_(form), controller_(controller) {
    menu_ = form_.Action("MenuVudIDO");
    button_ = form_.findChild<QToolButton*>("BtnVudIDO");
    if (button_) {
        // The button stays down while the viewer is open, like the menu's check.
        button_->setCheckable(true);
        button_->setAccessibleName(button_->toolTip());
        if (menu_) connect(menu_, &QAction::toggled, button_, &QToolButton::setChecked);
    }
    if (menu_) connect(menu_, &QAction::toggled, this, &TVudIDOLink::Switched);
}

TVudIDOLink::~TVudIDOLink() {
    controller_.SetTrafficOpen(false);
    delete viewer_.data();
}

TFormVudIDO* TVudIDOLink::Viewer() const {
    return viewer_;
}

void TVudIDOLink::Switched(bool on) {
    if (on && !viewer_) Open();
    if (!on && viewer_) viewer_->close();
}

void TVudIDOLink::Open() {
    viewer_ = new TFormVudIDO(&form_);
    viewer_->setWindowFlag(Qt::Window);
    connect(viewer_, &TFormVudIDO::Closed, this, &TVudIDOLink::ViewerClosed);
    PortName(controller_.PortListIndex() >= 0 &&
                     controller_.PortListIndex() < static_cast<int>(controller_.PortItems().size())
                 ? controller_.PortItems()[static_cast<size_t>(controller_.PortListIndex())]
                 : std::string());
    controller_.SetTrafficOpen(true);
    viewer_->show();
}

void TVudIDOLink::ViewerClosed() {
    controller_.SetTrafficOpen(false);
    if (viewer_) viewer_->deleteLater();
    viewer_.clear();
    if (menu_) menu_->setChecked(false);
    if (button_) button_->setChecked(false);
}

bool TVudIDOLink::PortChosen() const {
    return controller_.PortListIndex() > 0;
}

void TVudIDOLink::PortName(const std::string& name) {
    if (viewer_) viewer_->SetPortName(QString::fromStdString(name), PortChosen());
}

void TVudIDOLink::Received(const TBytes& block) {
    Post(tbReceived, block);
}

void TVudIDOLink::ValidFrame(const TBytes& frame) {
    Post(tbValidFrames, frame);
}

void TVudIDOLink::Written(const TBytes& block) {
    Post(tbTransmitted, block);
}

// Stamped now, added when the event loop comes round: the receive processing
// does not wait for the viewer.
void TVudIDOLink::Post(int buffer, const TBytes& block) {
    if (!viewer_ || block.empty()) return;
    const TStamp stamp = TFormVudIDO::NowStamp();
    QMetaObject::invokeMethod(
        viewer_, [viewer = viewer_, buffer, block, stamp] { viewer->Feed(buffer, block, stamp); },
        Qt::QueuedConnection);
}

} // namespace k730
