// TComm32KX: construction, properties, opening and closing, port selection,
// the port list and the release announcements. Sending, the timers and the
// delivery of received blocks are in Comm32KXTraffic.cpp.
#include "comm/Comm32KX.h"

#include "comm/CommLink.h"
#include "comm/CommTexts.h"
#include "comm/PortList.h"
#include "comm/PortWatcher.h"
#include "comm/ReadThread.h"
#include "comm/WriteThread.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <system_error>

namespace k730 {

namespace {

// What all instances of the process share, by the meter program's design: the
// ports found twice, the ports already warned about (one warning per process)
// and whether a port-list refresh is running.
struct TProcessPorts {
    std::mutex mutex; // guards all three
    std::set<std::string> duplicated;
    std::set<std::string> warned;
    int refreshing = 0;
};

TProcessPorts& ProcessPorts() {
    static TProcessPorts ports;
    return ports;
}

} // namespace

TComm32KX::TComm32KX(TCommEventLoop& owner, int language, TPortFactory portFactory)
    : loop_(owner), language_(language == langPolish ? langPolish : langEnglish),
      portFactory_(portFactory ? std::move(portFactory) : TPortFactory(CreateSerialPort)),
      alive_(std::make_shared<int>(0)), comPort_(NoPortName(language_)),
      link_(std::make_shared<TCommLink>()) {
    RefreshPortList();
    const std::weak_ptr<int> alive = alive_;
    TPortWatcherCallbacks callbacks;
    callbacks.devicesChanged = [this, alive] {
        loop_.Post([this, alive] {
            if (alive.lock()) RequestPortListRefresh();
        });
    };
    callbacks.portReleased = [this, alive](const std::string& port) {
        loop_.Post([this, alive, port] {
            if (alive.lock()) PortFreedElsewhere(port);
        });
    };
    watcher_ = std::make_unique<TPortWatcher>(std::move(callbacks));
}

TComm32KX::~TComm32KX() {
    destroying_ = true;
    StopTimer(portFreedTimer_);
    TComm32KX::ClosePort();
    if (!IsNoPortName(lastPortName_)) AnnounceReleased(lastPortName_);
    watcher_.reset(); // joins its thread: nothing posts for this instance any more
    alive_.reset();   // functions still queued in the loop see that and do nothing
}

// --- Properties ------------------------------------------------------------

void TComm32KX::SetCOMPort(const std::string& name) {
    SelectPort(name, true);
}

void TComm32KX::ReopenWith(const std::function<void()>& store) {
    store();
    ClosePort();
    OpenPort();
}

void TComm32KX::SetBaudRate(TBaudRate value) {
    if (IsOpen() && line_.baud == value) return;
    ReopenWith([&] { line_.baud = value; });
}

void TComm32KX::SetParity(TParityBit value) {
    if (IsOpen() && line_.parity == value) return;
    ReopenWith([&] { line_.parity = value; });
}

void TComm32KX::SetDataBits(TDataBits value) {
    if (IsOpen() && line_.dataBits == value) return;
    ReopenWith([&] { line_.dataBits = value; });
}

void TComm32KX::SetStopBits(TStopBits value) {
    if (IsOpen() && line_.stopBits == value) return;
    ReopenWith([&] { line_.stopBits = value; });
}

void TComm32KX::SetTimeOut(uint16_t ms) {
    timeOut_ = std::max<uint16_t>(ms, 1);
    link_->timeOut = timeOut_;
}

// A buffer of 0 bytes could never hold a byte; 1 is the least that works.
void TComm32KX::SetSizeBufTXD(uint16_t bytes) {
    ClosePort();
    sizeBufTXD_ = std::max<uint16_t>(bytes, 1);
    OpenPort();
}

void TComm32KX::SetSizeBufRXD(uint16_t bytes) {
    ClosePort();
    sizeBufRXD_ = std::max<uint16_t>(bytes, 1);
    OpenPort();
}

void TComm32KX::ChangeControl(bool TPortConfig::*field, bool on) {
    if (control_.*field == on) return;
    ClosePort();
    control_.*field = on;
    OpenPort();
}

void TComm32KX::SetDTRCtrlEnable(bool on) {
    ChangeControl(&TPortConfig::dtrCtrlEnable, on);
}
void TComm32KX::SetDTRCtrlHandshake(bool on) {
    ChangeControl(&TPortConfig::dtrCtrlHandshake, on);
}
void TComm32KX::SetRTSCtrlEnable(bool on) {
    ChangeControl(&TPortConfig::rtsCtrlEnable, on);
}
void TComm32KX::SetRTSCtrlHandshake(bool on) {
    ChangeControl(&TPortConfig::rtsCtrlHandshake, on);
}
void TComm32KX::SetRTSCtrlToggle(bool on) {
    ChangeControl(&TPortConfig::rtsCtrlToggle, on);
}
void TComm32KX::SetFlowDTR_DSR(bool on) {
    ChangeControl(&TPortConfig::flowDtrDsr, on);
}
void TComm32KX::SetFlowRTS_CTS(bool on) {
    ChangeControl(&TPortConfig::flowRtsCts, on);
}

void TComm32KX::SetRTSState(bool on) {
    rtsState_ = on;
    if (port_ && !control_.flowRtsCts) port_->SetRTS(on);
}

void TComm32KX::SetDTRState(bool on) {
    dtrState_ = on;
    if (port_ && !control_.flowDtrDsr) port_->SetDTR(on);
}

int TComm32KX::HoldCount() const {
    return link_->hold;
}
bool TComm32KX::LockFlag() const {
    return link_->lockFlag;
}
void TComm32KX::SetLockFlag(bool on) {
    link_->lockFlag = on;
}
bool TComm32KX::StopSet() const {
    return link_->gate.StopSet();
}

void TComm32KX::HoldReceive() {
    ++link_->hold;
}

void TComm32KX::ReleaseReceive() {
    if (link_->hold > 0) --link_->hold;
}

TLineSettings TComm32KX::CurrentLineSettings() const {
    TLineSettings line; // 9600 8N1 unless the open port says otherwise
    if (port_ && !port_->ReadLineSettings(line)) line = TLineSettings{};
    return line;
}

// --- Opening and closing -----------------------------------------------------

TPortConfig TComm32KX::MakeConfig() const {
    TPortConfig config = control_;
    config.line = line_;
    config.rxBufferSize = sizeBufRXD_;
    config.txBufferSize = sizeBufTXD_;
    return config;
}

bool TComm32KX::FailOpen(int code) {
    SetStatus(code);
    return false;
}

bool TComm32KX::OpenPort() {
    if (portIndex_ == 0) {
        ClosePort();
        return false;
    }
    if (port_) return true;
    lastPortName_ = comPort_;
    std::unique_ptr<TSerialPort> port = portFactory_();
    switch (port->Open(comPort_)) {
    case TPortOpenResult::ok:
        break;
    case TPortOpenResult::busy:
        return FailOpen(csBusy);
    case TPortOpenResult::accessDenied:
        return FailOpen(csAccessDenied);
    case TPortOpenResult::notFound:
        portIndex_ = 0; // remembered as absent: it opens by itself when it appears
        return FailOpen(csPortNotFound);
    case TPortOpenResult::failed:
        return FailOpen(csPortError);
    }
    if (!port->Configure(MakeConfig())) {
        port->Close();
        return FailOpen(csPortError);
    }
    port_ = std::move(port);
    DriveLines(rtsState_, dtrState_);
    queue_.clear();
    sendingAllowed_ = true;
    port_->PurgeInput();
    port_->PurgeOutput();
    if (!StartThreads()) {
        ClosePort();
        return FailOpen(csPortError);
    }
    SetStatus(csConnected);
    return true;
}

bool TComm32KX::StartThreads() {
    ++generation_;
    link_->gate.ClearStop();
    const uint64_t generation = generation_;
    const std::weak_ptr<int> alive = alive_;
    auto post = [this, alive](std::function<void()> fn) {
        loop_.Post([alive, fn = std::move(fn)] {
            if (alive.lock()) fn();
        });
    };
    link_->postReceived = [this, post, generation](std::vector<uint8_t> block) {
        post([this, generation, block = std::move(block)]() mutable {
            BlockArrived(generation, std::move(block));
        });
    };
    link_->postWritten = [this, post, generation](std::vector<uint8_t> block) {
        post([this, generation, block = std::move(block)] { BytesWritten(generation, block); });
    };
    link_->postLineError = [this, post, generation] {
        post([this, generation] { LineErrorSeen(generation); });
    };
    link_->postReopen = [this, post, generation] { post([this, generation] { PortVanished(generation); }); };
    const uint32_t slack = BytesInTimeFor(CurrentLineSettings(), timeOut_) * 3 / 2;
    try {
        reader_ = std::make_unique<TReadThread>(*port_, *link_, sizeBufRXD_, slack);
        writer_ = std::make_unique<TWriteThread>(*port_, *link_, sizeBufTXD_, static_cast<bool>(OnTxdEmpty));
        reader_->Start();
        writer_->Start();
    } catch (const std::system_error&) {
        return false; // ClosePort stops whichever thread did start
    }
    return true;
}

void TComm32KX::StopThreads() {
    link_->gate.SetStop();
    if (port_) port_->Cancel();
    if (writer_) writer_->Wake();
    // Both threads end before the port and their buffers go: a close during
    // traffic never leaves a thread on a closed descriptor.
    if (reader_) reader_->Join();
    if (writer_) writer_->Join();
    reader_.reset();
    writer_.reset();
}

void TComm32KX::DriveLines(bool rts, bool dtr) {
    if (!port_) return;
    if (!control_.flowRtsCts) port_->SetRTS(rts);
    if (!control_.flowDtrDsr) port_->SetDTR(dtr);
}

bool TComm32KX::ClosePort() {
    sendingAllowed_ = false;
    queue_.clear();
    StopTimer(sendRetryTimer_);
    StopTimer(answerTimer_);
    if (port_ || reader_ || writer_) {
        StopThreads();
        DriveLines(false, false);
        if (port_) port_->Close();
        port_.reset();
    }
    heldBlocks_.clear();
    SetStatus(csDisconnected);
    return true;
}

// --- Selecting a port ----------------------------------------------------------

void TComm32KX::SelectPort(const std::string& name, bool announce) {
    const bool hadHandle = IsOpen();
    const std::string previous = comPort_;
    const uint16_t previousIndex = portIndex_;
    const std::string wanted = IsNoPortName(name) ? std::string(NoPortName(language_)) : name;
    const auto found = std::find_if(portList_.begin(), portList_.end(),
                                    [&](const std::string& entry) { return SamePortName(entry, wanted); });
    if (portList_.empty()) {
        portIndex_ = 0;
        comPort_ = NoPortName(language_);
    } else if (found == portList_.end()) {
        portIndex_ = 0;
        comPort_ = wanted;
    } else {
        portIndex_ = static_cast<uint16_t>(found - portList_.begin());
        comPort_ = *found;
    }
    if (portIndex_ == 0 && found != portList_.end()) {
        OpenPort(); // the no-port entry: this closes
    } else if (portIndex_ == 0) {
        ClosePort();
        SetStatus(csPortNotFound);
    } else if (comPort_ != previous || previousIndex == 0) {
        // A new port, or a remembered absent one that is present now.
        CheckDuplicate();
        ClosePort();
        OpenPort();
        if (OnPortChange) OnPortChange(*this);
    }
    const bool stillHeld = IsOpen() && comPort_ == previous;
    if (announce && hadHandle && !stillHeld && !IsNoPortName(previous)) AnnounceReleased(previous);
}

void TComm32KX::ApplyLineSettings(const std::optional<std::string>& port, std::optional<TBaudRate> baud,
                                  std::optional<TStopBits> stopBits, std::optional<TDataBits> dataBits,
                                  std::optional<TParityBit> parity) {
    bool changed = false;
    const auto store = [&changed](auto& field, const auto& value) {
        if (value && *value != field) {
            field = *value;
            changed = true;
        }
    };
    store(line_.baud, baud);
    store(line_.stopBits, stopBits);
    store(line_.dataBits, dataBits);
    store(line_.parity, parity);
    if (port) {
        const std::string before = comPort_;
        const uint16_t beforeIndex = portIndex_;
        SelectPort(*port, true);
        if (comPort_ != before || portIndex_ != beforeIndex) return;
    }
    if (changed) {
        muteStatus_ = true;
        ClosePort();
        muteStatus_ = false;
        OpenPort();
    } else if (!port && portIndex_ > 0 && OnPortChange) {
        OnPortChange(*this);
    }
}

void TComm32KX::ApplySearchSettings(const std::optional<std::string>& port, TBaudRate baud,
                                    TStopBits stopBits, TDataBits dataBits, TParityBit parity) {
    const TLineSettings wanted{baud, dataBits, parity, stopBits};
    const bool changed = wanted != line_;
    line_ = wanted;
    const uint32_t gap = std::max<uint32_t>(TransferTimeMsFor(wanted, 64), 1);
    SetTimeOut(static_cast<uint16_t>(std::min<uint32_t>(gap, UINT16_MAX)));
    SetSendRetryPeriod(gap);
    if (port) {
        const std::string before = comPort_;
        const uint16_t beforeIndex = portIndex_;
        SelectPort(*port, true);
        if (comPort_ != before || portIndex_ != beforeIndex) return; // selecting reopened it already
    }
    if (changed) {
        ClosePort();
        OpenPort();
    }
}

// --- Port list -----------------------------------------------------------------

void TComm32KX::RefreshPortList() {
    TPortScan scan = ScanPorts();
    auto& process = ProcessPorts();
    {
        std::lock_guard lock(process.mutex);
        process.duplicated = std::set<std::string>(scan.duplicates.begin(), scan.duplicates.end());
        for (auto it = process.warned.begin(); it != process.warned.end();)
            it = std::find(scan.names.begin(), scan.names.end(), *it) == scan.names.end()
                     ? process.warned.erase(it)
                     : std::next(it);
    }
    const std::string noPort(NoPortName(language_));
    const bool headed = !portList_.empty() && portList_.front() == noPort;
    const std::vector<std::string> current(portList_.begin() + (headed ? 1 : 0), portList_.end());
    const bool changed = current != scan.names;
    if (changed) portList_ = std::move(scan.names);
    if (portList_.empty() || portList_.front() != noPort) portList_.insert(portList_.begin(), noPort);
    // The chosen port may have failed to open while its name stayed listed (a
    // virtual port whose peer died left its link behind) and be back now under
    // the same name: the list did not change, but it is taken up again.
    const bool absentBack =
        portIndex_ == 0 && !IsNoPortName(comPort_) &&
        std::any_of(portList_.begin() + 1, portList_.end(),
                    [this](const std::string& entry) { return SamePortName(entry, comPort_); });
    if (changed || absentBack) SelectPort(comPort_, true);
    if (changed && OnPortListChange) OnPortListChange(*this);
    CheckDuplicate();
}

void TComm32KX::RequestPortListRefresh() {
    auto& process = ProcessPorts();
    {
        std::lock_guard lock(process.mutex);
        if (process.refreshing > 0) {
            PostToSelf([this] { RequestPortListRefresh(); });
            return;
        }
        ++process.refreshing;
    }
    RefreshPortList();
    std::lock_guard lock(process.mutex);
    --process.refreshing;
}

void TComm32KX::GetSerialPortList(std::vector<std::string>& list, int /*language*/) {
    list = ScanPorts().names;
}

void TComm32KX::CheckDuplicate() {
    if (portIndex_ == 0) return;
    auto& process = ProcessPorts();
    {
        std::lock_guard lock(process.mutex);
        if (!process.duplicated.contains(comPort_) || process.warned.contains(comPort_)) return;
        process.warned.insert(comPort_);
    }
    PostToSelf([this, text = DuplicatePortWarning(language_, comPort_)] {
        if (OnWarning) OnWarning(*this, text);
    });
}

// --- Release announcements -----------------------------------------------------

void TComm32KX::AnnounceReleased(const std::string& port) {
    if (broadCastPortOFF_ && watcher_) watcher_->Announce(port);
}

void TComm32KX::PortFreedElsewhere(const std::string& port) {
    if (destroying_ || (lastStatus_ != csAccessDenied && lastStatus_ != csBusy)) return;
    if (port == lastPortName_) PostToSelf([this] { ReopenAfterPortFreed(); });
}

// The other program has just closed the port; give its driver a moment before opening.
void TComm32KX::ReopenAfterPortFreed() {
    constexpr uint32_t SETTLE_MS = 100;
    ClosePort();
    StopTimer(portFreedTimer_);
    portFreedTimer_ = loop_.StartTimer(SETTLE_MS, [this] {
        StopTimer(portFreedTimer_);
        OpenPort();
        if (OnPortChange) OnPortChange(*this);
    });
}

} // namespace k730
