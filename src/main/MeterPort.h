// What the connection controller needs from the serial component. The real
// component is adapted to this interface by the program; tests use a fake.
#pragma once

#include "comm/CommTypes.h"
#include "protocol/MerBusFun.h"

#include <cstdint>
#include <string>
#include <vector>

namespace k730 {

// Buffer sizes and times of the component that make up the answer time limit.
struct TPortTimes {
    uint32_t sizeBufTXD = 1024; // bytes
    uint32_t sizeBufRXD = 1024; // bytes
    uint32_t maxRespTime = 250; // ms the meter may take to start its answer
    uint32_t timeOut = 5;       // ms gap that ends a received block
};

class IMeterPort {
public:
    virtual ~IMeterPort() = default;

    // Queues a block for the write thread; false when it was not accepted.
    virtual bool Send(const TBytes& frame, bool waitForAnswer) = 0;
    virtual void ClearQueue() = 0;

    // Ports present, headed by the no-port name of the component's language.
    virtual std::vector<std::string> PortList() const = 0;
    // Position of the selected port in PortList(); 0 = none selected.
    virtual int PortIndex() const = 0;
    // Selects (and opens) a port by name; the no-port name closes.
    virtual void SelectPort(const std::string& name) = 0;
    virtual TLineSettings LineSettings() const = 0;
    // Stores the settings and reopens an open port when something changed.
    virtual void ApplyLineSettings(const std::string& port, const TLineSettings& line) = 0;
    // As ApplyLineSettings, with the short gap times the meter search uses.
    virtual void ApplySearchSettings(const std::string& port, const TLineSettings& line) = 0;
    virtual TPortTimes Times() const = 0;

    // Delivery of received blocks waits while the hold counter is above 0.
    virtual void HoldReceive() = 0;
    virtual void ReleaseReceive() = 0;
    // An answer arrived: the component stops waiting for it.
    virtual void ClearWaitingForAnswer() = 0;
    // Reports status code 0..9 through the component's status event.
    virtual void SetStatus(int code) = 0;
    virtual void RepeatStatus() = 0;
};

} // namespace k730
