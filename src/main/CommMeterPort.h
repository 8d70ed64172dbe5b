// The serial component as the connection controller sees it, and the wiring
// of the component's events to the controller. The main window sets its
// component up once with SetUpMainComm and connects it with ConnectController.
#pragma once

#include "comm/Comm32KX.h"
#include "comm/CommEventLoop.h"
#include "main/MeterController.h"
#include "main/MeterPort.h"

namespace k730 {

class TCommMeterPort : public IMeterPort {
public:
    explicit TCommMeterPort(TComm32KX& comm) : comm_(comm) {}

    bool Send(const TBytes& frame, bool waitForAnswer) override { return comm_.Send(frame, waitForAnswer); }
    void ClearQueue() override { comm_.ClearQueue(); }
    std::vector<std::string> PortList() const override { return comm_.PortList(); }
    int PortIndex() const override { return comm_.PortIndex(); }
    void SelectPort(const std::string& name) override { comm_.SetCOMPort(name); }
    TLineSettings LineSettings() const override;
    void ApplyLineSettings(const std::string& port, const TLineSettings& line) override;
    void ApplySearchSettings(const std::string& port, const TLineSettings& line) override;
    TPortTimes Times() const override;
    void HoldReceive() override { comm_.HoldReceive(); }
    void ReleaseReceive() override { comm_.ReleaseReceive(); }
    // Every delivered block already ends the component's answer timing.
    void ClearWaitingForAnswer() override {}
    void SetStatus(int code) override { comm_.SetStatus(code); }
    void RepeatStatus() override { comm_.RepeatStatus(); }

private:
    TComm32KX& comm_;
};

// The main window's component: gap time 5 ms, lock flag and queue mode on,
// 9600 bit/s 8N1, RTS and DTR on.
void SetUpMainComm(TComm32KX& comm);

// Routes the component's events to the controller, stamped with the loop's tick.
void ConnectController(TComm32KX& comm, TCommEventLoop& loop, TMeterController& controller);

} // namespace k730
