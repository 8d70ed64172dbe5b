// The serial component behind the controller's port interface.
#include "main/CommMeterPort.h"

namespace k730 {

TLineSettings TCommMeterPort::LineSettings() const {
    return TLineSettings{comm_.BaudRate(), comm_.DataBits(), comm_.Parity(), comm_.StopBits()};
}

void TCommMeterPort::ApplyLineSettings(const std::string& port, const TLineSettings& line) {
    comm_.ApplyLineSettings(port, line.baud, line.stopBits, line.dataBits, line.parity);
}

void TCommMeterPort::ApplySearchSettings(const std::string& port, const TLineSettings& line) {
    comm_.ApplySearchSettings(port, line.baud, line.stopBits, line.dataBits, line.parity);
}

TPortTimes TCommMeterPort::Times() const {
    return TPortTimes{comm_.SizeBufTXD(), comm_.SizeBufRXD(), comm_.MaxRespTime(), comm_.TimeOut()};
}

void SetUpMainComm(TComm32KX& comm) {
    comm.SetTimeOut(5);
    comm.SetLockFlag(true);
    comm.SetQueueMode(true);
    comm.SetBaudRate(br009600);
    comm.SetParity(pbNone);
    comm.SetDataBits(dbEight);
    comm.SetStopBits(sbOne);
    comm.SetRTSState(true);
    comm.SetDTRState(true);
}

void ConnectController(TComm32KX& comm, TCommEventLoop& loop, TMeterController& controller) {
    auto tick = [&loop] { return static_cast<uint32_t>(loop.TickMs()); };
    comm.OnReceive = [&controller, tick](TComm32KX&, const uint8_t* buf, uint32_t size) {
        controller.OnReceive(TBytes(buf, buf + size), tick());
    };
    comm.OnTxdEmpty = [&controller](TComm32KX&, const uint8_t* buf, uint32_t size) {
        controller.OnTxdEmpty(TBytes(buf, buf + size));
    };
    comm.OnCOMStatus = [&controller](TComm32KX&, int code, const std::string& text) {
        controller.OnComStatus(code, text);
    };
    comm.OnPortListChange = [&controller, tick](TComm32KX&) { controller.OnPortListChange(tick()); };
}

} // namespace k730
