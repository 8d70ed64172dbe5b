#include "main/StopWakeWait.h"

#include <chrono>

namespace k730 {

void TStopWakeWait::Wake() {
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    cv_.notify_all();
}

void TStopWakeWait::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
}

bool TStopWakeWait::Wait(uint32_t ms, bool wakeable) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stop_ || (wakeable && wake_); });
    if (wakeable) wake_ = false;
    return stop_;
}

} // namespace k730
