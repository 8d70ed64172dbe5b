#include "history/HistMeasThread.h"

#include "main/TriggerPacing.h"

#include <chrono>

namespace k730 {

THistMeasThread::THistMeasThread(TNewFirmware newFirmware, TNow now, TPost post)
    : newFirmware_(std::move(newFirmware)), now_(std::move(now)), post_(std::move(post)),
      thread_(&THistMeasThread::Run, this) {}

THistMeasThread::~THistMeasThread() {
    Stop();
    thread_.join();
}

void THistMeasThread::Trigger() {
    {
        std::lock_guard lock(mutex_);
        trigger_ = true;
    }
    cv_.notify_all();
}

void THistMeasThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
}

bool THistMeasThread::Wait(uint32_t ms, bool triggerable) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stop_ || (triggerable && trigger_); });
    // A trigger during the first wait stays set for the first round.
    if (triggerable) trigger_ = false;
    return stop_;
}

void THistMeasThread::Run() {
    const uint32_t start = now_();
    if (Wait(HIST_TICK_MS, false)) return;
    const uint32_t waited = now_() - start;
    const uint32_t late = waited > HIST_TICK_MS ? waited - HIST_TICK_MS : 0;
    // Recording or not, a tick comes every round, and at once on a trigger.
    for (;;) {
        if (Wait(TriggerFirstWait(HistTickPeriod(newFirmware_()), late), true)) return;
        post_();
    }
}

} // namespace k730
