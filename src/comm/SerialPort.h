// The operating system's serial port behind one small interface. TComm32KX
// and its threads use only this; the POSIX (termios) implementation lives in
// SerialPortPosix.cpp and a Win32 one slots in beside it, chosen by CMake.
//
// Threading: Open, Configure, Close and the modem-line calls run on the
// owner's thread while no worker thread runs, or (modem lines) under the
// component's own ordering. WaitEvent/Read/PurgeInput belong to the read
// thread, Write/PurgeOutput to the write thread; Cancel may be called from
// any thread and makes every blocked or later wait return at once until
// ResetCancel.
#pragma once

#include "comm/CommTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace k730 {

enum class TPortOpenResult { ok, busy, accessDenied, notFound, failed };

// Everything the open port is configured with.
struct TPortConfig {
    TLineSettings line;
    bool dtrCtrlEnable = false;
    bool dtrCtrlHandshake = false;
    bool rtsCtrlEnable = false;
    bool rtsCtrlHandshake = false;
    bool rtsCtrlToggle = false;
    bool flowDtrDsr = false; // DSR gates output, DTR is the handshake line
    bool flowRtsCts = false; // CTS gates output, RTS is the handshake line
    uint16_t rxBufferSize = 1024;
    uint16_t txBufferSize = 1024;
};

enum class TPortEvent {
    received,  // bytes wait in the input queue
    lineError, // break, framing or parity error (the input was purged)
    gone,      // the device disappeared or its other side hung up
    cancelled, // Cancel was called
};

struct TModemStatus {
    bool dsr = false;
    bool cts = false;
};

class TSerialPort {
public:
    virtual ~TSerialPort() = default;

    // Opens the port exclusively; a second opener of the same device gets busy.
    virtual TPortOpenResult Open(const std::string& portName) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Applies the whole configuration; false when the driver cannot do exactly
    // that (the port is left open, the caller closes it).
    virtual bool Configure(const TPortConfig& config) = 0;
    // The line settings the driver reports now; false when they cannot be read.
    virtual bool ReadLineSettings(TLineSettings& line) const = 0;

    // Blocks until one of TPortEvent happens. Never returns `received` while
    // nothing waits, so a caller looping on it cannot spin.
    virtual TPortEvent WaitEvent() = 0;
    // Sleeps `ms` milliseconds or until Cancel; true when cancelled.
    virtual bool WaitCancelled(uint32_t ms) = 0;
    // Bytes waiting in the input queue now.
    virtual size_t BytesWaiting() = 0;
    // Reads what is there, at most `max` bytes, without blocking. Returns the
    // count (0 when nothing waited) or -1 on failure. A line error found in the
    // data sets `lineError`; the bytes of that read are then not valid.
    virtual long Read(uint8_t* buf, size_t max, bool& lineError) = 0;
    // Writes all `count` bytes unless cancelled or failing; returns the count
    // written (less than `count` after a cancel or failure).
    virtual size_t Write(const uint8_t* buf, size_t count) = 0;

    virtual void PurgeInput() = 0;
    virtual void PurgeOutput() = 0;

    virtual void Cancel() = 0;
    virtual void ResetCancel() = 0;

    // Modem lines. Driving them on a port without modem lines (a pseudo-terminal)
    // is not an error; the status then reads all lines on.
    virtual void SetRTS(bool on) = 0;
    virtual void SetDTR(bool on) = 0;
    virtual TModemStatus ModemStatus() = 0;
};

// The port implementation of this platform.
std::unique_ptr<TSerialPort> CreateSerialPort();

} // namespace k730
