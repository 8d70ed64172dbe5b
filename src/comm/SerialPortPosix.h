// TSerialPortPosix: TSerialPort on a POSIX tty (termios). Waits with poll on
// the port and on a wake-up pipe, so Cancel ends any blocked wait at once.
#pragma once

#include "comm/LineMarks.h"
#include "comm/SerialPort.h"

namespace k730 {

class TSerialPortPosix : public TSerialPort {
public:
    TSerialPortPosix() = default;
    ~TSerialPortPosix() override;
    TSerialPortPosix(const TSerialPortPosix&) = delete;
    TSerialPortPosix& operator=(const TSerialPortPosix&) = delete;

    TPortOpenResult Open(const std::string& portName) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool Configure(const TPortConfig& config) override;
    bool ReadLineSettings(TLineSettings& line) const override;
    TPortEvent WaitEvent() override;
    bool WaitCancelled(uint32_t ms) override;
    size_t BytesWaiting() override;
    long Read(uint8_t* buf, size_t max, bool& lineError) override;
    size_t Write(const uint8_t* buf, size_t count) override;
    void PurgeInput() override;
    void PurgeOutput() override;
    void Cancel() override;
    void ResetCancel() override;
    void SetRTS(bool on) override;
    void SetDTR(bool on) override;
    TModemStatus ModemStatus() override;

private:
    TPortOpenResult OpenDevice(const std::string& path);
    bool WaitWritable();
    void SetModemLine(int line, bool on);

    int fd_ = -1;
    int wake_[2] = {-1, -1}; // a byte in the pipe means "cancelled"
    TLineMarks marks_;       // only the read thread touches it (and PurgeInput, also the read thread)
};

} // namespace k730
