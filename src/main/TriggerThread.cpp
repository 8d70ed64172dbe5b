#include "main/TriggerThread.h"

#include <chrono>

namespace k730 {

namespace {

// Milliseconds until `tick`, 0 when it is not set or not ahead (ticks wrap).
uint32_t Ahead(uint32_t now, uint32_t tick) {
    if (tick == 0) return 0;
    const auto d = static_cast<int32_t>(tick - now);
    return d > 0 ? static_cast<uint32_t>(d) : 0;
}

} // namespace

TTriggerThread::TTriggerThread(TRead read, TNow now, TPost post, uint32_t periodMs)
    : read_(std::move(read)), now_(std::move(now)), post_(std::move(post)), period_(periodMs),
      thread_(&TTriggerThread::Run, this) {}

TTriggerThread::~TTriggerThread() {
    Stop();
    thread_.join();
}

void TTriggerThread::Wake() {
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    cv_.notify_all();
}

void TTriggerThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
}

uint32_t TTriggerThread::NextWait(uint32_t now, const TTriggerState& state, uint32_t period,
                                  uint32_t overrun) {
    uint32_t d = Ahead(now, state.statusDueTick);
    if (d == 0) d = Ahead(now, state.statusAltDueTick);
    if (d == 0) d = period;
    if (overrun < d) d -= overrun;
    return d;
}

bool TTriggerThread::Wait(uint32_t ms, bool wakeable) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stop_ || (wakeable && wake_); });
    // A wake during the start-up wait stays pending for the first loop wait.
    if (wakeable) wake_ = false;
    return stop_;
}

void TTriggerThread::Run() {
    // The first period is waited out whole; how far that wait overran is
    // taken off every later wait, so the ticks keep to the period.
    const uint32_t start = now_();
    if (Wait(period_, false)) return;
    const uint32_t waited = now_() - start;
    const uint32_t overrun = waited > period_ ? waited - period_ : 0;
    uint32_t d = overrun < period_ ? period_ - overrun : period_;
    for (;;) {
        if (Wait(d, true)) return;
        const TTriggerState state = read_();
        if (state.running || state.statusAltDueTick != 0) post_();
        d = NextWait(now_(), state, period_, overrun);
    }
}

} // namespace k730
