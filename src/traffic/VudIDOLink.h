// TVudIDOLink: the main window's side of the traffic viewer. "Show COM
// buffer" and BtnVudIDO open and close the viewer; while it is open the
// connection controller hands it every received block, accepted frame and
// written block, stamped when they reach the main window and posted so that
// recording stays out of the receive processing; the viewer's title follows
// the port choice; closing it releases the button and the menu check.
#pragma once

#include "protocol/MerBusFun.h"

#include <QObject>
#include <QPointer>

#include <string>

class QAction;
class QToolButton;

namespace k730 {

class TFormVudIDO;
class TMainForm;
class TMeterController;

class TVudIDOLink : public QObject {
    Q_OBJECT
public:
    TVudIDOLink(TMainForm& form, TMeterController& controller);
    ~TVudIDOLink() override;

    TFormVudIDO* Viewer() const;

    // --- from the controller's hooks ----------------------------------------
    void Received(const TBytes& block);
    void ValidFrame(const TBytes& frame);
    void Written(const TBytes& block);
    void PortName(const std::string& name);

private:
    void Switched(bool on);
    void Open();
    void ViewerClosed();
    void Post(int buffer, const TBytes& block);
    bool PortChosen() const;

    TMainForm& form_;
    TMeterController& controller_;
    QAction* menu_ = nullptr;
    QToolButton* button_ = nullptr;
    QPointer<TFormVudIDO> viewer_;
};

} // namespace k730
