// TComm32KX: the serial port component. Owns one port, its line settings,
// the list of ports present, a send queue handed one block at a time to the
// write thread, the answer timer, and a read thread whose blocks arrive on
// the owner's thread. Every event fires on the owner's thread, through the
// TCommEventLoop given to the constructor.
//
// All members are for the owner's thread only. The event loop must outlive
// the component.
#pragma once

#include "comm/CommEventLoop.h"
#include "comm/CommTypes.h"
#include "comm/SerialPort.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace k730 {

struct TCommLink;
class TReadThread;
class TWriteThread;
class TPortWatcher;

class TComm32KX {
public:
    // Buf/Size: the received block (OnReceive) or the bytes just written (OnTxdEmpty).
    using TReceive = std::function<void(TComm32KX& sender, const uint8_t* buf, uint32_t size)>;
    using TStatus = std::function<void(TComm32KX& sender, int code, const std::string& txt)>;
    using TNotify = std::function<void(TComm32KX& sender)>;
    using TWarning = std::function<void(TComm32KX& sender, const std::string& text)>;
    using TPortFactory = std::function<std::unique_ptr<TSerialPort>()>;

    // language: 0 Polish, 1 English (no-port name and status texts). The port
    // list is built at once; no port is selected, the port is closed, the last
    // status is 1 and no event fires. `portFactory` replaces the platform port
    // (tests); empty means CreateSerialPort.
    TComm32KX(TCommEventLoop& owner, int language, TPortFactory portFactory = {});
    // Closes the port (joining both threads) and announces the last used port as released.
    virtual ~TComm32KX();
    TComm32KX(const TComm32KX&) = delete;
    TComm32KX& operator=(const TComm32KX&) = delete;

    // --- Published properties (defaults as set by the constructor) ---------
    const std::string& COMPort() const { return comPort_; } // no-port name
    void SetCOMPort(const std::string& name);
    // The four line settings: setting the value the open port already has does
    // nothing; otherwise store, close, open.
    TBaudRate BaudRate() const { return line_.baud; } // br009600
    void SetBaudRate(TBaudRate value);
    TParityBit Parity() const { return line_.parity; } // pbNone
    void SetParity(TParityBit value);
    TDataBits DataBits() const { return line_.dataBits; } // dbEight
    void SetDataBits(TDataBits value);
    TStopBits StopBits() const { return line_.stopBits; } // sbOne
    void SetStopBits(TStopBits value);
    // Gap in ms that ends a received block; 0 is stored as 1; a running read thread takes it at once.
    uint16_t TimeOut() const { return timeOut_; } // 50
    void SetTimeOut(uint16_t ms);
    uint32_t MaxRespTime() const { return maxRespTime_; } // 250 ms, part of the answer time limit
    void SetMaxRespTime(uint32_t ms) { maxRespTime_ = ms; }
    uint16_t SizeBufTXD() const { return sizeBufTXD_; } // 1024; close, store, open
    void SetSizeBufTXD(uint16_t bytes);
    uint16_t SizeBufRXD() const { return sizeBufRXD_; } // 1024; close, store, open
    void SetSizeBufRXD(uint16_t bytes);
    bool StatusONifReceive() const { return statusONifReceive_; } // true: each block reports status 0
    void SetStatusONifReceive(bool on) { statusONifReceive_ = on; }
    // Line control (all false); changing one closes, stores, opens.
    bool DTRCtrlEnable() const { return control_.dtrCtrlEnable; }
    void SetDTRCtrlEnable(bool on);
    bool DTRCtrlHandshake() const { return control_.dtrCtrlHandshake; }
    void SetDTRCtrlHandshake(bool on);
    bool RTSCtrlEnable() const { return control_.rtsCtrlEnable; }
    void SetRTSCtrlEnable(bool on);
    bool RTSCtrlHandshake() const { return control_.rtsCtrlHandshake; }
    void SetRTSCtrlHandshake(bool on);
    bool RTSCtrlToggle() const { return control_.rtsCtrlToggle; }
    void SetRTSCtrlToggle(bool on);
    bool FlowDTR_DSR() const { return control_.flowDtrDsr; }
    void SetFlowDTR_DSR(bool on);
    bool FlowRTS_CTS() const { return control_.flowRtsCts; }
    void SetFlowRTS_CTS(bool on);
    // Stored and driven at once (RTS unless FlowRTS_CTS, DTR unless FlowDTR_DSR). Both false.
    bool RTSState() const { return rtsState_; }
    void SetRTSState(bool on);
    bool DTRState() const { return dtrState_; }
    void SetDTRState(bool on);
    bool WaitToResponse() const { return waitToResponse_; } // true: a missing answer reports status 2
    void SetWaitToResponse(bool on) { waitToResponse_ = on; }
    bool SoundOnError() const { return soundOnError_; } // false: status codes above 1 beep
    void SetSoundOnError(bool on) { soundOnError_ = on; }
    bool BroadCastPortOFF() const { return broadCastPortOFF_; } // true: released ports are announced
    void SetBroadCastPortOFF(bool on) { broadCastPortOFF_ = on; }

    // --- Published events (all fire on the owner's thread) -----------------
    TReceive OnReceive;     // a received block
    TReceive OnTxdEmpty;    // bytes just written; only when assigned before the port opened
    TStatus OnCOMStatus;    // status code 0..9 with its text
    TNotify OnRespTimeOver; // the answer time limit ran out
    TNotify OnPortListChange;
    TNotify OnPortChange; // another port was taken into use
    // The duplicate-port warning box (the owner shows it with a warning icon).
    TWarning OnWarning;

    // --- Operations ---------------------------------------------------------
    virtual bool OpenPort();
    virtual bool ClosePort();

    // Truncates the block to SizeBufTXD and queues it. True when it was queued
    // while the port was ready to send. With queue mode off a block is refused
    // while another one waits.
    bool Send(const uint8_t* bytes, size_t length, bool waitForAnswer = true);
    bool Send(std::span<const uint8_t> bytes, bool waitForAnswer = true) {
        return Send(bytes.data(), bytes.size(), waitForAnswer);
    }
    // Drops the queued blocks (all but the one a running send step holds).
    void ClearQueue();

    // Stores the given values and selects the given port; reopens when needed
    // (OnCOMStatus muted for the close); with nothing changed and no port given
    // fires OnPortChange when a real port is selected.
    void ApplyLineSettings(const std::optional<std::string>& port, std::optional<TBaudRate> baud,
                           std::optional<TStopBits> stopBits, std::optional<TDataBits> dataBits,
                           std::optional<TParityBit> parity);
    // For the meter search: stores all four values, sets TimeOut and the
    // send-retry period to the transfer time of 64 bytes (at least 1 ms),
    // selects the port if given, reopens when anything changed.
    void ApplySearchSettings(const std::optional<std::string>& port, TBaudRate baud, TStopBits stopBits,
                             TDataBits dataBits, TParityBit parity);

    void SetStatus(int code);
    void RepeatStatus() { SetStatus(lastStatus_); }
    // The hold counter delays the delivery of received blocks (see the read thread).
    void HoldReceive();
    void ReleaseReceive();

    void RefreshPortList();
    void RequestPortListRefresh();
    // The ports present, without the no-port entry.
    static void GetSerialPortList(std::vector<std::string>& list, int language);

    // --- Public state --------------------------------------------------------
    int Language() const { return language_; }
    // Always headed by the no-port name of the component's language.
    const std::vector<std::string>& PortList() const { return portList_; }
    uint16_t PortIndex() const { return portIndex_; } // 0: none selected
    const std::string& LastPortName() const { return lastPortName_; }
    bool IsOpen() const { return port_ != nullptr; }
    int LastStatus() const { return lastStatus_; }
    int HoldCount() const;
    bool LockFlag() const;
    void SetLockFlag(bool on); // threads run their port passes under the component's lock
    bool QueueMode() const { return queueMode_; }
    void SetQueueMode(bool on) { queueMode_ = on; }
    uint32_t FixedAnswerTime() const { return fixedAnswerTime_; } // 0: computed
    void SetFixedAnswerTime(uint32_t ms) { fixedAnswerTime_ = ms; }
    uint32_t SendRetryPeriod() const { return sendRetryPeriod_; } // 100 ms
    void SetSendRetryPeriod(uint32_t ms);
    size_t QueueSize() const { return queue_.size(); }
    // The answer time limit computed by the last send step, in ms.
    uint32_t AnswerTimeLimit() const { return answerTimeLimit_; }
    // The line settings of the open port (9600 8N1 when closed or unreadable).
    TLineSettings CurrentLineSettings() const;

    uint32_t BytesPerSecond() const { return BytesPerSecondFor(CurrentLineSettings()); }
    uint32_t TransferTimeMs(uint32_t n) const { return TransferTimeMsFor(CurrentLineSettings(), n); }
    uint32_t BytesInTime(uint32_t ms) const { return BytesInTimeFor(CurrentLineSettings(), ms); }

protected:
    // Every delivered block passes here on the owner's thread.
    virtual void DoReceive(const uint8_t* buf, uint32_t size);

private:
    struct TQueueItem {
        bool waitForAnswer;
        std::vector<uint8_t> bytes;
    };

    void SelectPort(const std::string& name, bool announce);
    void ReopenWith(const std::function<void()>& store);
    void ChangeControl(bool TPortConfig::*field, bool on);
    TPortConfig MakeConfig() const;
    bool FailOpen(int code);
    bool StartThreads();
    void StopThreads();
    void DriveLines(bool rts, bool dtr);
    void SendStep();
    void SendRetryTick();
    void AnswerTick();
    void StartTimer(TCommEventLoop::TTimerId& id, uint32_t interval, void (TComm32KX::*tick)());
    void StopTimer(TCommEventLoop::TTimerId& id);
    void PostToSelf(std::function<void()> fn);
    void BlockArrived(uint64_t generation, std::vector<uint8_t> block);
    void DeliverBlock(const std::vector<uint8_t>& block);
    void BytesWritten(uint64_t generation, const std::vector<uint8_t>& block);
    void PortVanished(uint64_t generation);
    void LineErrorSeen(uint64_t generation);
    void CheckDuplicate();
    void AnnounceReleased(const std::string& port);
    void PortFreedElsewhere(const std::string& port);
    void ReopenAfterPortFreed();
    bool StopSet() const;

    TCommEventLoop& loop_;
    const int language_;
    TPortFactory portFactory_;
    std::shared_ptr<int> alive_; // posted functions run only while it lives

    std::string comPort_;
    TLineSettings line_;
    uint16_t timeOut_ = 50;
    uint32_t maxRespTime_ = 250;
    uint16_t sizeBufTXD_ = 1024;
    uint16_t sizeBufRXD_ = 1024;
    bool statusONifReceive_ = true;
    TPortConfig control_; // the line-control flags; line and buffers are filled in at open
    bool rtsState_ = false;
    bool dtrState_ = false;
    bool waitToResponse_ = true;
    bool soundOnError_ = false;
    bool broadCastPortOFF_ = true;

    std::vector<std::string> portList_;
    uint16_t portIndex_ = 0;
    std::string lastPortName_;
    bool queueMode_ = false;
    uint32_t fixedAnswerTime_ = 0;
    uint32_t sendRetryPeriod_ = 100;
    int lastStatus_ = csDisconnected;
    bool muteStatus_ = false;
    bool destroying_ = false;

    std::shared_ptr<TCommLink> link_;     // shared with the threads; lives as long as the component
    std::unique_ptr<TSerialPort> port_;   // null while closed
    std::unique_ptr<TReadThread> reader_; // both threads are joined before port_ goes
    std::unique_ptr<TWriteThread> writer_;
    uint64_t generation_ = 0; // counts opens; blocks of an earlier open are dropped
    TLineSettings openLine_;  // what the open port was configured with

    std::deque<TQueueItem> queue_;
    bool sendingAllowed_ = false;
    bool sendStepRunning_ = false;
    std::optional<uint64_t> lastWriteTick_;
    std::optional<uint64_t> answerStart_;
    uint32_t answerTimeLimit_ = 0;
    bool waitingForAnswer_ = false;
    TCommEventLoop::TTimerId sendRetryTimer_ = 0;
    TCommEventLoop::TTimerId answerTimer_ = 0;
    TCommEventLoop::TTimerId portFreedTimer_ = 0;

    bool delivering_ = false;
    std::deque<std::vector<uint8_t>> heldBlocks_; // blocks that arrived during a held delivery
    std::unique_ptr<TPortWatcher> watcher_;
};

} // namespace k730
