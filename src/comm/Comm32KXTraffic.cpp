// TComm32KX: the send queue and send step, the answer and send-retry timers,
// the delivery of received blocks and the status reports.
#include "comm/Comm32KX.h"

#include "comm/CommLink.h"
#include "comm/CommTexts.h"
#include "comm/WriteThread.h"

#include <algorithm>

namespace k730 {

namespace {

constexpr uint32_t ANSWER_TIMER_MS = 100;
// Added to every computed answer time limit: the meter's own reaction time
// varies with what it is doing, and a late answer is better than a lost one.
constexpr uint32_t ANSWER_ALLOWANCE_MS = 1000;

} // namespace

void TComm32KX::PostToSelf(std::function<void()> fn) {
    loop_.Post([alive = std::weak_ptr<int>(alive_), fn = std::move(fn)] {
        if (alive.lock()) fn();
    });
}

void TComm32KX::StartTimer(TCommEventLoop::TTimerId& id, uint32_t interval, void (TComm32KX::*tick)()) {
    if (id == 0) id = loop_.StartTimer(interval, [this, tick] { (this->*tick)(); });
}

void TComm32KX::StopTimer(TCommEventLoop::TTimerId& id) {
    if (id != 0) loop_.StopTimer(id);
    id = 0;
}

void TComm32KX::SetSendRetryPeriod(uint32_t ms) {
    sendRetryPeriod_ = std::max<uint32_t>(ms, 1);
    if (sendRetryTimer_ != 0) {
        StopTimer(sendRetryTimer_);
        StartTimer(sendRetryTimer_, sendRetryPeriod_, &TComm32KX::SendRetryTick);
    }
}

// --- Sending -------------------------------------------------------------------

bool TComm32KX::Send(const uint8_t* bytes, size_t length, bool waitForAnswer) {
    // An empty block or a closed port: nothing that could ever be written.
    if (bytes == nullptr || length == 0 || !IsOpen() || !writer_) return false;
    const bool added = queueMode_ || queue_.empty();
    if (added) {
        const size_t n = std::min<size_t>(length, sizeBufTXD_);
        queue_.push_back({waitForAnswer, std::vector<uint8_t>(bytes, bytes + n)});
    }
    const bool accepted = added && sendingAllowed_;
    if (accepted && queue_.size() == 1) SendStep();
    if (!queue_.empty()) StartTimer(sendRetryTimer_, sendRetryPeriod_, &TComm32KX::SendRetryTick);
    return accepted;
}

void TComm32KX::SendStep() {
    const uint64_t now = loop_.TickMs();
    const bool gapPassed = !lastWriteTick_ || now - *lastWriteTick_ > timeOut_;
    if (!IsOpen() || StopSet() || queue_.empty() || !gapPassed || sendStepRunning_) return;
    sendStepRunning_ = true;
    sendingAllowed_ = false;
    const TModemStatus lines =
        (control_.flowDtrDsr || control_.flowRtsCts) ? port_->ModemStatus() : TModemStatus{true, true};
    const bool blocked = (control_.flowDtrDsr && !lines.dsr) || (control_.flowRtsCts && !lines.cts);
    const bool waitForAnswer = queue_.front().waitForAnswer;
    const auto length = static_cast<uint32_t>(queue_.front().bytes.size());
    bool handedOver = true;
    if (!blocked) {
        const std::vector<uint8_t> bytes = std::move(queue_.front().bytes);
        queue_.pop_front();
        handedOver = writer_->Write(bytes.data(), bytes.size());
    }
    if (handedOver) {
        waitingForAnswer_ = waitForAnswer;
        if (answerTimer_ == 0) answerStart_.reset();
        answerTimeLimit_ = fixedAnswerTime_ != 0 ? fixedAnswerTime_
                                                 : TransferTimeMs(length + sizeBufRXD_) + maxRespTime_ +
                                                       timeOut_ + ANSWER_ALLOWANCE_MS;
    }
    lastWriteTick_ = now;
    StartTimer(answerTimer_, ANSWER_TIMER_MS, &TComm32KX::AnswerTick);
    sendStepRunning_ = false;
    sendingAllowed_ = IsOpen();
    if (queue_.empty())
        StopTimer(sendRetryTimer_);
    else
        StartTimer(sendRetryTimer_, sendRetryPeriod_, &TComm32KX::SendRetryTick);
}

void TComm32KX::SendRetryTick() {
    if (queue_.empty()) {
        StopTimer(sendRetryTimer_);
        return;
    }
    if (!lastWriteTick_ || loop_.TickMs() - *lastWriteTick_ > timeOut_) SendStep();
}

void TComm32KX::ClearQueue() {
    answerStart_.reset();
    StopTimer(sendRetryTimer_);
    if (!sendStepRunning_) {
        queue_.clear();
    } else if (queue_.size() > 1) {
        queue_.erase(queue_.begin() + 1, queue_.end());
    }
}

void TComm32KX::AnswerTick() {
    const uint64_t now = loop_.TickMs();
    if (!answerStart_) {
        answerStart_ = now; // timing starts at the first tick after the write
        return;
    }
    if (now - *answerStart_ < answerTimeLimit_) return;
    StopTimer(answerTimer_);
    if (OnCOMStatus && waitToResponse_ && waitingForAnswer_) {
        waitingForAnswer_ = false;
        if (IsOpen()) SetStatus(csNoAnswer);
    }
    if (OnRespTimeOver) OnRespTimeOver(*this);
}

// --- Receiving -------------------------------------------------------------------

void TComm32KX::BlockArrived(uint64_t generation, std::vector<uint8_t> block) {
    if (destroying_ || generation != generation_) return; // a block of an earlier open
    if (delivering_ && link_->hold > 0) {
        // A handler pumped the loop while the receive buffer is held: waiting for
        // the ready event here would wait for ourselves. Keep the block for later.
        heldBlocks_.push_back(std::move(block));
        return;
    }
    if ((link_->hold != 0 || StopSet()) && !link_->gate.WaitReadyOrStop()) return;
    DeliverBlock(block);
    while (!delivering_ && !heldBlocks_.empty() && generation == generation_ && !StopSet()) {
        const std::vector<uint8_t> held = std::move(heldBlocks_.front());
        heldBlocks_.pop_front();
        DeliverBlock(held);
    }
}

void TComm32KX::DeliverBlock(const std::vector<uint8_t>& block) {
    struct TDeliveryScope {
        TComm32KX& comm;
        bool outer;
        explicit TDeliveryScope(TComm32KX& c) : comm(c), outer(!c.delivering_) {
            comm.link_->gate.ResetReady();
            comm.delivering_ = true;
        }
        ~TDeliveryScope() {
            if (outer) comm.delivering_ = false;
            comm.link_->gate.SetReady();
        }
    } scope(*this);
    DoReceive(block.data(), static_cast<uint32_t>(block.size()));
}

void TComm32KX::DoReceive(const uint8_t* buf, uint32_t size) {
    if (size == 0) return;
    answerStart_.reset();
    StopTimer(answerTimer_);
    if (statusONifReceive_) SetStatus(csConnected);
    if (OnReceive) OnReceive(*this, buf, size);
}

void TComm32KX::BytesWritten(uint64_t generation, const std::vector<uint8_t>& block) {
    if (destroying_ || generation != generation_ || StopSet() || block.empty()) return;
    if (OnTxdEmpty) OnTxdEmpty(*this, block.data(), static_cast<uint32_t>(block.size()));
}

void TComm32KX::LineErrorSeen(uint64_t generation) {
    if (!destroying_ && generation == generation_ && !StopSet()) SetStatus(csLineError);
}

// The device went away under the read thread: close, then open. The open
// fails with "Port not found" until it is back.
void TComm32KX::PortVanished(uint64_t generation) {
    if (destroying_ || generation != generation_ || !IsOpen()) return;
    ClosePort();
    OpenPort();
}

// --- Status ------------------------------------------------------------------------

void TComm32KX::SetStatus(int code) {
    if (destroying_) return;
    if (OnCOMStatus && !muteStatus_) {
        try {
            if (code > csDisconnected && soundOnError_) loop_.Beep();
            OnCOMStatus(*this, code, std::string(CommStatusText(language_, code)));
        } catch (...) {
            // A failing status handler must not take the component down with it.
        }
    }
    lastStatus_ = code;
}

} // namespace k730
