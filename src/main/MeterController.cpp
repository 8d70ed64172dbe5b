// The connection controller: start sequence, port chooser, ticks, receive
// processing and meter-change detection. The answers themselves are handled
// in MeterDispatch.cpp.
#include "main/MeterController.h"

#include "main/ControllerTexts.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace k730 {

namespace {

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Tick 0 means "not set" wherever a tick is stored.
uint32_t NonZero(uint32_t tick) {
    return tick == 0 ? 1 : tick;
}

} // namespace

uint32_t ComputeAnswerTimeLimit(const TPortTimes& times) {
    // Computed before a port is open, so the component assumes 9600 bit/s 8N1:
    // 10 bits per character, 960 bytes/s.
    constexpr uint64_t bytesPerSecond = 960;
    const uint64_t bytes = uint64_t{times.sizeBufTXD} + times.sizeBufRXD;
    const uint64_t transferMs = (bytes * 1000 + bytesPerSecond / 2) / bytesPerSecond;
    return static_cast<uint32_t>(transferMs) + times.maxRespTime + times.timeOut;
}

TMeterController::TMeterController(IMeterPort& port, TControllerHooks& hooks, TControllerConfig config)
    : port_(port), hooks_(hooks), config_(std::move(config)),
      scheduler_([this](const TBytes& frame) { SendRequest(frame, now_); }),
      autoPolling_(config_.autoPolling), savedPortName_(config_.savedPortName) {}

void TMeterController::Start(uint32_t now) {
    now_ = now;
    merBusAddress_ = MERBUS_BROADCAST;
    modBusAddress_ = 255;
    meterMode_ = previousMeterMode_ = 0;
    scheduler_.ResetSession();
    busyCount_ = 0;
    answerTimeLimit_ = ComputeAnswerTimeLimit(port_.Times());
    lastStatusRequestTick_ = now;
    running_ = autoPolling_;
    RefreshPortChooser(now);
    port_.RepeatStatus();
    const int last = static_cast<int>(portItems_.size()) - (hasSearchItem_ ? 1 : 0);
    int found = -1;
    for (int i = 1; i < last && !savedPortName_.empty(); ++i)
        if (SameNameNoCase(portItems_[i], savedPortName_)) found = i;
    if (found >= 1) {
        chooserIndex_ = found;
        hooks_.ShowPortChooser(portItems_, found);
        SelectItem(found, now);
    } else {
        savedPortName_.clear();
    }
    Publish();
}

void TMeterController::Close(uint32_t now) {
    now_ = now;
    if (meterMode_ != 0) {
        QueueSetMode0(true, now);
        hooks_.Pause(250);
    }
    Publish();
}

void TMeterController::RefreshPortChooser(uint32_t now) {
    const std::string selected = chooserIndex_ >= 0 && chooserIndex_ < static_cast<int>(portItems_.size())
                                     ? portItems_[chooserIndex_]
                                     : std::string();
    const bool realSelected = chooserIndex_ > 0;
    portItems_ = port_.PortList();
    const int realCount = static_cast<int>(portItems_.size());
    hasSearchItem_ = realCount > 2;
    if (hasSearchItem_) portItems_.push_back(Text(txtSearchItem));
    auto find = [&](const std::string& name) {
        for (int i = 0; i < realCount; ++i)
            if (!name.empty() && portItems_[i] == name) return i;
        return -1;
    };
    const int keep = find(selected);
    if (keep < 0) {
        // The chosen port went away (adapter pulled): fall back to no port,
        // and take it up again when it comes back.
        if (realSelected) vanishedPort_ = selected;
        chooserIndex_ = 0;
        hooks_.ShowPortChooser(portItems_, 0);
        SelectItem(0, now);
        return;
    }
    chooserIndex_ = keep;
    const int back = keep == 0 ? find(vanishedPort_) : -1;
    if (back > 0) {
        vanishedPort_.clear();
        chooserIndex_ = back;
    }
    hooks_.ShowPortChooser(portItems_, chooserIndex_);
    if (back > 0) SelectItem(back, now);
}

void TMeterController::OnPortListChange(uint32_t now) {
    now_ = now;
    RefreshPortChooser(now);
    Publish();
}

void TMeterController::ChoosePort(int index, uint32_t now) {
    // The user's choice replaces a port that vanished and was waited for.
    vanishedPort_.clear();
    SelectItem(index, now);
}

void TMeterController::SelectItem(int index, uint32_t now) {
    now_ = now;
    if (index < 0 || index >= static_cast<int>(portItems_.size())) return;
    if (hasSearchItem_ && index == static_cast<int>(portItems_.size()) - 1) {
        chooserIndex_ = 0;
        hooks_.ShowPortChooser(portItems_, 0);
        SelectItem(0, now);
        RunMeterSearch(now);
        return;
    }
    chooserIndex_ = index;
    const bool changed = index != portListIndex_;
    const std::string name = portItems_[index];
    if (changed) {
        hooks_.LetEventsRun();
        if (meterMode_ != 0) {
            QueueSetMode0(true, now);
            hooks_.Pause(250);
        }
        EmptyReceiveBuffer();
        port_.SelectPort(name);
        portListIndex_ = index;
        if (index > 0) savedPortName_ = name;
    }
    if (trafficOpen_) hooks_.TrafficPortName(name);
    if (changed) {
        requestPendingSince_ = 0;
        if (serviceOpen_) hooks_.ServiceNotify(snPortChanged);
        if (settingsMode_ < smPanelAverage) CloseSettingsPanel();
        hooks_.ClearDisplay();
        ForgetMeter();
        if (index > 0) scheduler_.ScanNow(merBusAddress_, now);
        hooks_.SetTitle("..." + name);
        hooks_.ShowRangeList({});
    }
    Publish();
}

void TMeterController::RunMeterSearch(uint32_t now) {
    const auto found = hooks_.RunMeterSearch();
    if (!found) return;
    const std::vector<std::string> ports = port_.PortList();
    const int current = port_.PortIndex();
    const std::string currentName =
        current > 0 && current < static_cast<int>(ports.size()) ? ports[current] : std::string();
    if (SameNameNoCase(found->port, currentName) && found->line == port_.LineSettings()) return;
    EmptyReceiveBuffer();
    if (PortSelected())
        port_.ApplyLineSettings(found->port, found->line);
    else
        port_.ApplySearchSettings(found->port, found->line);
    for (size_t i = 1; i < portItems_.size(); ++i)
        if (SameNameNoCase(portItems_[i], found->port)) {
            chooserIndex_ = static_cast<int>(i);
            hooks_.ShowPortChooser(portItems_, chooserIndex_);
            SelectItem(chooserIndex_, now);
            return;
        }
}

TConnectionState TMeterController::State() const {
    if (!PortSelected()) return stNoPort;
    return identified_ ? stIdentified : stIdentifying;
}

void TMeterController::ForgetMeter() {
    identified_ = false;
    merBusAddress_ = MERBUS_BROADCAST;
    modBusAddress_ = 255;
    meterMode_ = previousMeterMode_ = 0;
    ClearMeterInfo(info_);
    hooks_.MeterInfoCleared();
    identityText_.clear();
    scheduler_.ResetSession();
}

void TMeterController::EmptyReceiveBuffer() {
    port_.HoldReceive();
    receiveBuffer_.Clear();
    port_.ReleaseReceive();
}

void TMeterController::CloseSettingsPanel() {
    settingsMode_ = 0;
    hooks_.CloseSettingsPanel();
}

void TMeterController::OnComStatus(int code, const std::string& text) {
    hooks_.ShowComStatus(text, code > 1);
    if (code > 1) hooks_.ReadingStale(); // no answer or a line fault: the reading is not current
}

void TMeterController::OnTxdEmpty(const TBytes& written) {
    if (trafficOpen_) hooks_.TrafficWritten(written);
}

// --- polling ------------------------------------------------------------------

void TMeterController::OnTick(uint32_t now) {
    now_ = now;
    const TRequestSlot& status = scheduler_.Slot(slotStatus);
    const bool active = autoPolling_ || (settingsMode_ & smZeroRunning) != 0 ||
                        status.alternateDueTick != 0 || calibrationOpen_;
    if (!active || HandleOverdue(now)) return;
    if (!scheduler_.QueueEmpty() || scheduler_.Slot(slotIdentify).pending || busyCount_ > 0) return;
    // One request at a time: a timed request waits for the answer to the one
    // on the line, whose scan or the next tick sends it. Sent beside it, each
    // would start another chain of requests and answers that clogs the line.
    if (requestPendingSince_ != 0) return;
    scheduler_.Scan(merBusAddress_, NonZero(now), now);
    Publish();
}

bool TMeterController::HandleOverdue(uint32_t now) {
    if (requestPendingSince_ == 0 || now - requestPendingSince_ < answerTimeLimit_) return false;
    scheduler_.ResetSlots(false, true);
    if (settingsMode_ < smPanelAverage) CloseSettingsPanel();
    if (serviceOpen_) hooks_.ServiceNotify(snAnswerOverdue);
    requestPendingSince_ = NonZero(now);
    identified_ = false;
    // Bytes older than the answer limit cannot belong to the answer awaited;
    // a stray start byte among them would hold every later one.
    EmptyReceiveBuffer();
    hooks_.ReadingStale();
    if (autoPolling_) merBusAddress_ = MERBUS_BROADCAST;
    SendRequest(BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false), now);
    Publish();
    return true;
}

void TMeterController::SetAutoPolling(bool on, uint32_t now) {
    now_ = now;
    autoPolling_ = on;
    running_ = on;
    if (on) {
        if (scheduler_.Slot(slotIdentify).pending) {
            merBusAddress_ = MERBUS_BROADCAST;
            SendRequest(BuildRequest(CMD_IDENTIFY, MERBUS_BROADCAST, {}, false), now);
        } else {
            scheduler_.ScanNow(merBusAddress_, now);
        }
    }
    Publish();
}

void TMeterController::QueueRange(uint8_t range, uint32_t now) {
    QueueItem(TQueueItem{{CMD_RANGE, range}, {}}, false, true, now);
}

void TMeterController::SetRepeat(bool repeatAuto, uint32_t repeatTime, uint32_t now) {
    config_.repeatAuto = repeatAuto;
    config_.repeatTime = repeatTime;
    scheduler_.Slot(slotStatus).dueTick = NonZero(now);
    Wake();
}

void TMeterController::SendMerBusAddress(uint16_t address, uint32_t now) {
    const TBytes data = {static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8)};
    SendDirect(BuildRequest(CMD_SET_MERBUS_ADDRESS, merBusAddress_, data, false), now);
}

void TMeterController::SendModBusAddress(uint8_t address, uint32_t now) {
    SendDirect(BuildRequest(CMD_MODBUS_ADDRESS, merBusAddress_, TBytes{address}, false), now);
}

void TMeterController::SendConversions(uint8_t count, uint32_t now) {
    SendDirect(BuildRequest(CMD_CONVERSIONS, merBusAddress_, TBytes{count}, false), now);
}

void TMeterController::SendDefaultRange(uint8_t range, uint32_t now) {
    SendDirect(BuildRequest(CMD_DEFAULT_RANGE, merBusAddress_, TBytes{range}, false), now);
}

void TMeterController::StartZeroing(TSlotIndex slot, bool save, uint32_t now) {
    now_ = now;
    settingsMode_ |= smZeroStarted | smZeroRunning;
    TRequestSlot& s = scheduler_.Slot(slot);
    s.pending = true; // sent with the start byte because it is pending
    if (slot == slotZeroSystem) s.save = save;
    BeginBusy();
    scheduler_.ScanNow(merBusAddress_, now);
    EndBusy(true);
    hooks_.Pause(250);
    Publish();
}

void TMeterController::ScheduleSystemZeroing(uint32_t now) {
    now_ = now;
    TRequestSlot& s = scheduler_.Slot(slotZeroSystem);
    s.pending = true;
    s.save = false;
    Wake();
}

uint32_t TMeterController::PollPeriod() const {
    if (historyOpen_) return 160;
    return info_.ConvCount != 0 ? info_.ConvCount * 160u : 6 * 160u;
}

uint32_t TMeterController::StatusPeriod() const {
    return config_.repeatAuto || historyOpen_ ? PollPeriod() : config_.repeatTime;
}

// --- sending ------------------------------------------------------------------

void TMeterController::SendRequest(const TBytes& frame, uint32_t now) {
    // Without a port nothing goes out, and no answer is awaited.
    if (!PortSelected()) return;
    if (frame.size() > 3 && frame[3] == CMD_STATUS) lastStatusRequestTick_ = now;
    // One request at a time: what is left in the receive buffer when a request
    // goes out with none outstanding came before it and cannot be its answer.
    // (Not while answers are being processed: a second frame may still wait.)
    if (requestPendingSince_ == 0 && !receiving_ && !receiveBuffer_.Empty()) EmptyReceiveBuffer();
    port_.Send(frame, true);
    if (requestPendingSince_ == 0) requestPendingSince_ = NonZero(now);
}

void TMeterController::SendDirect(const TBytes& frame, uint32_t now) {
    now_ = now;
    BeginBusy();
    SendRequest(frame, now);
    EndBusy(true);
    Publish();
}

bool TMeterController::QueueItem(TQueueItem item, bool atFront, bool sendNow, uint32_t now) {
    now_ = now;
    const bool queued = scheduler_.Queue(std::move(item), atFront);
    if (queued && sendNow) scheduler_.ScanNow(merBusAddress_, now);
    Publish();
    return queued;
}

void TMeterController::RunScheduler(uint32_t now) {
    now_ = now;
    // One request at a time: while an answer is processed, or awaited, the
    // scan that follows the answer sends; a scan here as well would send the
    // queue head twice.
    if (busyCount_ > 0 || requestPendingSince_ != 0) return;
    scheduler_.ScanNow(merBusAddress_, now);
    Publish();
}

void TMeterController::QueueSetMode0(bool sendNow, uint32_t now) {
    QueueItem(TQueueItem{{CMD_SET_MODE, 0}, {}}, true, sendNow, now);
}

void TMeterController::BeginBusy() {
    ++busyCount_;
}

void TMeterController::EndBusy(bool wake) {
    if (busyCount_ > 0) --busyCount_;
    if (busyCount_ == 0 && running_ && wake) Wake();
}

void TMeterController::Publish() {
    trigger_.running = running_;
    trigger_.statusDueTick = scheduler_.Slot(slotStatus).dueTick;
    trigger_.statusAltDueTick = scheduler_.Slot(slotStatus).alternateDueTick;
}

void TMeterController::Wake() {
    Publish();
    hooks_.WakeTrigger();
}

// --- other windows ------------------------------------------------------------

void TMeterController::SetServiceOpen(bool open) {
    serviceOpen_ = open;
    scheduler_.SetServiceWindowOpen(open);
}

void TMeterController::ServiceOpened(uint32_t now) {
    now_ = now;
    SetServiceOpen(true);
    scheduler_.ResetSession();
    if (PortSelected()) scheduler_.ScanNow(merBusAddress_, now);
    Publish();
}

void TMeterController::ScanNow(uint32_t now) {
    now_ = now;
    scheduler_.ScanNow(merBusAddress_, now);
    Publish();
}

void TMeterController::ServiceClosed(uint32_t now) {
    now_ = now;
    SetServiceOpen(false);
    scheduler_.ClearQueue();
    if (meterMode_ != 0) QueueSetMode0(false, now);
    QueueItem(TQueueItem{{CMD_STATUS}, {}}, false, true, now);
    Publish();
}

void TMeterController::SetCalibrationOpen(bool open) {
    calibrationOpen_ = open;
    // The wizard needs the status answers whether or not polling is switched on.
    if (open) running_ = true;
    Publish();
}

void TMeterController::CalibrationClosed(uint32_t now) {
    now_ = now;
    calibrationOpen_ = false;
    running_ = autoPolling_ || (settingsMode_ & smZeroRunning) != 0;
    scheduler_.ClearQueue();
    QueueSetMode0(false, now);
    QueueItem(TQueueItem{{CMD_STATUS}, {}}, false, true, now);
    Publish();
}

void TMeterController::SetHistoryOpen(bool open) {
    historyOpen_ = open;
    historyOwed_ = false;
    scheduler_.SetHistoryWindowOpen(open);
}

void TMeterController::HistoryRequest(std::optional<uint8_t> range, uint32_t now) {
    now_ = now;
    if (!PortSelected() || HandleOverdue(now)) return;
    if (range)
        QueueItem(TQueueItem{{CMD_RANGE, *range}, {}}, false, true, now);
    else if (!scheduler_.Holds(CMD_STATUS))
        QueueItem(TQueueItem{{CMD_STATUS}, {}}, false, true, now);
    else
        historyOwed_ = true; // goes out with that answer, not a whole period later
}

void TMeterController::SetTrafficOpen(bool open) {
    trafficOpen_ = open;
}

// --- receiving ----------------------------------------------------------------

void TMeterController::OnReceive(const TBytes& block, uint32_t now) {
    now_ = now;
    if (!PortSelected() || block.empty()) return;
    if (trafficOpen_) hooks_.TrafficReceived(block);
    BeginBusy();
    bool taken = false;
    bool first = true;
    receiving_ = true;
    do {
        port_.HoldReceive();
        if (first) receiveBuffer_.Append(block);
        first = false;
        const size_t length = receiveBuffer_.ExtractFrame();
        const TBytes frame = length != 0 ? receiveBuffer_.TakeFrame(length) : TBytes();
        port_.ReleaseReceive();
        if (length == 0) break;
        taken = true;
        if (!PortSelected()) break;
        ProcessFrame(frame, now);
        previousMeterMode_ = meterMode_;
        if (calibrationOpen_) hooks_.CalSuperviseMode(meterMode_);
    } while (!receiveBuffer_.Empty());
    receiving_ = false;
    if (taken) scheduler_.ScanNow(merBusAddress_, now);
    EndBusy(true);
    std::vector<TDeferredMessage> messages = std::move(collected_);
    collected_.clear();
    Publish();
    for (const TDeferredMessage& m : messages)
        hooks_.PostMessage(m);
}

void TMeterController::Collect(std::string text, TMessageIcon icon) {
    collected_.push_back({std::move(text), icon});
}

bool TMeterController::DetectMeterChange(const TAnswerHeader& header, const TBytes& frame) const {
    if (!header.address || merBusAddress_ == MERBUS_BROADCAST) return false;
    // An address-set answer comes from the new address and names the old one
    // in bytes 8..9: that is the same meter under its new address.
    if (header.code == ANS_SET_MERBUS_ADDRESS) {
        const auto set = DecodeAddressSet(frame);
        if (set && set->requestedAddress == merBusAddress_) return false;
    }
    return *header.address != merBusAddress_;
}

void TMeterController::DropMeter() {
    identified_ = false;
    merBusAddress_ = MERBUS_BROADCAST;
    identityText_.clear();
    ClearMeterInfo(info_);
    hooks_.MeterInfoCleared();
    if (serviceOpen_) hooks_.ServiceNotify(snMeterChanged);
    hooks_.ClearDisplay();
    scheduler_.ResetSession();
    hooks_.ClearMinMaxAv();
}

uint8_t TMeterController::TakeAnsweredHead(const TAnswerHeader& header) {
    if (!header.command) return 0;
    const auto item = scheduler_.TakeAnsweredHead(*header.command);
    if (!item) return 0;
    // A save request carries the operator's comment for the history log.
    savedComment_.reset();
    if (item->bytes[0] == CMD_SAVE_CALIBRATION && !item->message.empty()) savedComment_ = item->message;
    return item->bytes[0];
}

bool TMeterController::ProcessFrame(const TBytes& frame, uint32_t now) {
    const auto header = AcceptAnswer(frame);
    if (!header) return false; // not executed: dropped without effect
    requestPendingSince_ = 0;
    port_.ClearWaitingForAnswer();
    port_.SetStatus(0);
    if (trafficOpen_) hooks_.TrafficValidFrame(frame);
    const bool changed = DetectMeterChange(*header, frame);
    if (changed) DropMeter();
    if (header->mode) meterMode_ = *header->mode;
    const uint8_t removed = TakeAnsweredHead(*header);
    Dispatch(frame, changed, removed, now);
    if (serviceOpen_) {
        if (changed || header->code != ANS_STATUS) hooks_.ServiceAddressAndMode(merBusAddress_, meterMode_);
        if (header->code == ANS_MODBUS_ADDRESS) hooks_.ServiceModBusAddress(modBusAddress_);
        hooks_.ServiceFrame(frame);
    }
    if (changed && calibrationOpen_) {
        calibrationOpen_ = false;
        hooks_.CalClose();
        Collect(Text(txtMeterChanged), miInformation);
    }
    return true;
}

} // namespace k730
