#include "comm/PlainEventLoop.h"

#include <algorithm>

namespace k730 {

void TPlainEventLoop::Post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(fn));
    }
    wake_.notify_all();
}

TCommEventLoop::TTimerId TPlainEventLoop::StartTimer(uint32_t intervalMs, std::function<void()> onTick) {
    const uint32_t interval = std::max<uint32_t>(intervalMs, 1);
    std::lock_guard lock(mutex_);
    const TTimerId id = nextId_++;
    timers_[id] = TTimer{interval, TClock::now() + std::chrono::milliseconds(interval),
                         std::make_shared<std::function<void()>>(std::move(onTick))};
    wake_.notify_all();
    return id;
}

void TPlainEventLoop::StopTimer(TTimerId id) {
    std::lock_guard lock(mutex_);
    timers_.erase(id);
}

uint64_t TPlainEventLoop::TickMs() const {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now().time_since_epoch()).count());
}

bool TPlainEventLoop::RunOne() {
    std::unique_lock lock(mutex_);
    if (!posted_.empty()) {
        auto fn = std::move(posted_.front());
        posted_.pop_front();
        lock.unlock();
        fn();
        return true;
    }
    const auto now = TClock::now();
    for (auto& [id, timer] : timers_) {
        if (timer.due > now) continue;
        timer.due = now + std::chrono::milliseconds(timer.interval);
        const auto onTick = timer.onTick; // the timer may be stopped by its own tick
        lock.unlock();
        (*onTick)();
        return true;
    }
    return false;
}

void TPlainEventLoop::WaitForWork(TClock::time_point deadline) {
    std::unique_lock lock(mutex_);
    if (!posted_.empty() || quit_) return;
    auto until = deadline;
    for (const auto& entry : timers_)
        until = std::min(until, entry.second.due);
    wake_.wait_until(lock, until);
}

bool TPlainEventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = TClock::now() + timeout;
    while (!done()) {
        if (RunOne()) continue;
        if (TClock::now() >= deadline) return done();
        WaitForWork(deadline);
    }
    return true;
}

void TPlainEventLoop::RunFor(std::chrono::milliseconds duration) {
    RunUntil([] { return false; }, duration);
}

void TPlainEventLoop::Run() {
    const auto quitting = [this] {
        std::lock_guard lock(mutex_);
        return quit_;
    };
    while (!quitting())
        RunUntil(quitting, std::chrono::hours(24));
}

void TPlainEventLoop::Quit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
}

} // namespace k730
