// The connection to one meter: turns received bytes into answers and
// dispatches them, paces polling from the ticks it is given, notices a
// different meter or a silent one and restarts identification. Toolkit-free:
// every entry point takes the present millisecond tick, the serial component
// is reached through IMeterPort and everything shown goes through the hooks.
#pragma once

#include "main/ControllerHooks.h"
#include "main/K730Fun.h"
#include "main/K730Lang.h"
#include "main/MeterPort.h"
#include "main/SettingsMode.h"
#include "protocol/MerBusAnswers.h"
#include "protocol/ReceiveBuffer.h"
#include "protocol/RequestScheduler.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k730 {

enum TConnectionState : uint8_t {
    stNoPort,      // no port chosen, the port vanished or did not open
    stIdentifying, // the identity request goes to the address in use or 0xFFFF
    stIdentified,  // an identity answer is stored; polling runs as scheduled
};

struct TControllerConfig {
    TLanguage language = langPolish;
    char decimalSeparator = ',';
    std::string savedPortName;  // "PortName" of the program settings
    bool autoPolling = true;    // no stored value: a chosen meter is polled at once
    bool repeatAuto = true;     // status period follows the conversion count
    uint32_t repeatTime = 1000; // ms, manual status period
};

// What TTriggerThread reads from the main thread, published after every entry point.
struct TTriggerShared {
    std::atomic<bool> running{false};
    std::atomic<uint32_t> statusDueTick{0};
    std::atomic<uint32_t> statusAltDueTick{0};
};

class TMeterController {
public:
    TMeterController(IMeterPort& port, TControllerHooks& hooks, TControllerConfig config);

    // Window creation: state reset, port chooser, reopening the last port.
    void Start(uint32_t now);
    // Window closing: a meter left in another mode is returned to mode 0.
    void Close(uint32_t now);

    // Serial component events.
    void OnReceive(const TBytes& block, uint32_t now);
    void OnComStatus(int code, const std::string& text);
    void OnPortListChange(uint32_t now);
    void OnTxdEmpty(const TBytes& written);

    // Trigger thread tick (WM_TRIGGER_TICK).
    void OnTick(uint32_t now);
    const TTriggerShared& Trigger() const { return trigger_; }

    // User actions.
    void ChoosePort(int index, uint32_t now);     // CBDeviceChange with the drop-down closed
    void SetAutoPolling(bool on, uint32_t now);   // BtnAuto
    void QueueRange(uint8_t range, uint32_t now); // set-range request (guards passed)
    void SetRepeat(bool repeatAuto, uint32_t repeatTime, uint32_t now);
    // Settings sent at once once the settings panel has validated them; the
    // panel stays open until the meter's answer confirms.
    void SendMerBusAddress(uint16_t address, uint32_t now);
    void SendModBusAddress(uint8_t address, uint32_t now);
    void SendConversions(uint8_t count, uint32_t now);
    void SendDefaultRange(uint8_t range, uint32_t now);
    // Detector (slotZeroDetector or slotSvcZeroDetector, which stores it) or
    // measuring-system zeroing (slotZeroSystem, save = store the factor after).
    void StartZeroing(TSlotIndex slot, bool save, uint32_t now);
    // Automatic zeroing: a measuring-system zeroing request goes out with the
    // next scan; the display follows once the meter answers that it zeroes.
    void ScheduleSystemZeroing(uint32_t now);

    // Direct sends and requests made by other parts.
    void SendRequest(const TBytes& frame, uint32_t now);
    void SendDirect(const TBytes& frame, uint32_t now); // between BeginBusy and EndBusy
    // False when no request can be built from the item (nothing is queued).
    bool QueueItem(TQueueItem item, bool atFront, bool sendNow, uint32_t now);
    // An answer-driven scan now: the queue head, or a pending slot, goes out.
    void RunScheduler(uint32_t now);
    void BeginBusy();
    void EndBusy(bool wake);

    // An answer-driven scan now, e.g. after the slots were armed again.
    void ScanNow(uint32_t now);

    // Other windows opening and closing.
    void SetServiceOpen(bool open);
    // The service window opened: the queue and every slot start afresh with
    // identification and the service reads, sent at once when a port is open.
    void ServiceOpened(uint32_t now);
    void ServiceClosed(uint32_t now);
    void SetCalibrationOpen(bool open);
    void CalibrationClosed(uint32_t now);
    void SetHistoryOpen(bool open);
    // The measurement history window's pacing tick: a set-range request, or a
    // status request unless one is still waiting for its answer. An answer
    // overdue restarts identification here too, since the window's requests
    // go out whether or not polling runs.
    void HistoryRequest(std::optional<uint8_t> range, uint32_t now);
    void SetTrafficOpen(bool open);

    // Settings panel and zeroing states, shared with the settings operations.
    uint8_t SettingsMode() const { return settingsMode_; }
    void SetSettingsMode(uint8_t mode) { settingsMode_ = mode; }
    void CloseSettingsPanel();

    // State.
    TConnectionState State() const;
    bool Zeroing() const { return (settingsMode_ & smZeroRunning) != 0; }
    uint16_t MerBusAddress() const { return merBusAddress_; }
    uint8_t ModBusAddress() const { return modBusAddress_; }
    uint8_t MeterMode() const { return meterMode_; }
    uint8_t PreviousMeterMode() const { return previousMeterMode_; }
    bool AutoPolling() const { return autoPolling_; }
    uint32_t RequestPendingSince() const { return requestPendingSince_; }
    uint32_t AnswerTimeLimit() const { return answerTimeLimit_; }
    uint32_t LastStatusRequestTick() const { return lastStatusRequestTick_; }
    int BusyCount() const { return busyCount_; }
    const std::string& SavedPortName() const { return savedPortName_; }
    int PortListIndex() const { return portListIndex_; }
    const std::vector<std::string>& PortItems() const { return portItems_; }
    const std::string& IdentityText() const { return identityText_; }
    const TMeterInfo& Info() const { return info_; }
    TMeterInfo& Info() { return info_; }
    TRequestScheduler& Scheduler() { return scheduler_; }
    const TRequestScheduler& Scheduler() const { return scheduler_; }
    size_t ReceiveBufferSize() const { return receiveBuffer_.Size(); }
    uint32_t PollPeriod() const;   // automatic period
    uint32_t StatusPeriod() const; // period in force
    TLanguage Language() const { return config_.language; }

private:
    // Port chooser.
    void RefreshPortChooser(uint32_t now);
    void SelectItem(int index, uint32_t now); // the selection handler
    void RunMeterSearch(uint32_t now);
    void ForgetMeter();
    bool PortSelected() const { return port_.PortIndex() > 0; }
    void EmptyReceiveBuffer();

    // No answer within the time limit: start identifying again. True when it was overdue.
    bool HandleOverdue(uint32_t now);

    // Receive processing.
    bool ProcessFrame(const TBytes& frame, uint32_t now);
    bool DetectMeterChange(const TAnswerHeader& header, const TBytes& frame) const;
    void DropMeter();
    uint8_t TakeAnsweredHead(const TAnswerHeader& header);
    void Dispatch(const TBytes& frame, bool changed, uint8_t removedType, uint32_t now);
    void QueueSetMode0(bool sendNow, uint32_t now);

    // Answers (one per row of the dispatch table).
    void OnRefusal(const TBytes& frame);
    void OnIdentity(const TBytes& frame);
    void OnAddressSet(const TBytes& frame);
    void OnModBusAddress(const TBytes& frame);
    void OnStatus(const TBytes& frame, uint32_t now);
    void OnRange(const TBytes& frame, uint32_t now);
    void OnDefaultRange(const TBytes& frame);
    void OnConversions(const TBytes& frame, uint32_t now);
    void OnZeroing(const TBytes& frame, size_t slot, uint32_t now);
    void OnCalibrationSaved(const TBytes& frame, uint8_t removedType);
    void OnCalibrationAnswer(const TBytes& frame);
    void OnOtherAnswer(const TBytes& frame);
    void StoreStatus(const TStatusAnswer& status);

    void ScheduleNextStatus(uint32_t now);
    void ShowMeterName();
    void RebuildRangeList();
    void SelectReportedRange(float fullScale);
    std::string RangeItemText(float fullScale) const;
    void Collect(std::string text, TMessageIcon icon);
    std::string Text(const TText& t) const { return std::string(t(config_.language)); }
    void Publish();
    void Wake();

    IMeterPort& port_;
    TControllerHooks& hooks_;
    TControllerConfig config_;
    TRequestScheduler scheduler_;
    TMeterInfo info_{};
    TTriggerShared trigger_;

    uint16_t merBusAddress_ = MERBUS_BROADCAST;
    uint8_t modBusAddress_ = 255;
    uint8_t meterMode_ = 0;
    uint8_t previousMeterMode_ = 0;
    bool autoPolling_ = true;
    bool running_ = false;
    uint32_t requestPendingSince_ = 0;
    uint32_t answerTimeLimit_ = 0;
    uint32_t lastStatusRequestTick_ = 0;
    int busyCount_ = 0;
    TReceiveBuffer receiveBuffer_;
    std::string savedPortName_;
    int portListIndex_ = -1;
    std::vector<std::string> portItems_;
    int chooserIndex_ = 0;
    bool hasSearchItem_ = false;
    std::string vanishedPort_; // chosen port that left the list, taken up again on return
    std::string identityText_;
    bool identified_ = false;
    uint8_t settingsMode_ = 0;
    std::vector<TDeferredMessage> collected_;
    std::optional<std::string> savedComment_; // travelled with the removed save request
    uint32_t now_ = 0;                        // tick of the entry point being run

    bool serviceOpen_ = false;
    bool calibrationOpen_ = false;
    bool historyOpen_ = false;
    bool historyOwed_ = false; // a history tick found its status request unanswered
    bool trafficOpen_ = false;
    bool closing_ = false;
    bool receiving_ = false; // frames of one received block are being processed
};

// Answer time limit: the transfer time of both buffers at 9600 bit/s 8N1 plus
// the meter's response time and the gap time (2388 ms for the defaults).
uint32_t ComputeAnswerTimeLimit(const TPortTimes& times);

} // namespace k730
