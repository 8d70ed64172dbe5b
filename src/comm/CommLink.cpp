#include "comm/CommLink.h"

namespace k730 {

void TCommGate::SetStop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
}

void TCommGate::ClearStop() {
    std::lock_guard lock(mutex_);
    stop_ = false;
}

bool TCommGate::StopSet() const {
    std::lock_guard lock(mutex_);
    return stop_;
}

void TCommGate::SetReady() {
    {
        std::lock_guard lock(mutex_);
        ready_ = true;
    }
    changed_.notify_all();
}

void TCommGate::ResetReady() {
    std::lock_guard lock(mutex_);
    ready_ = false;
}

bool TCommGate::WaitReadyOrStop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_ || stop_; });
    return ready_ && !stop_;
}

} // namespace k730
