// TPlainEventLoop: a toolkit-free TCommEventLoop for tests and command-line
// tools. The thread that calls Run/RunUntil/RunFor is the owner's thread.
#pragma once

#include "comm/CommEventLoop.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace k730 {

class TPlainEventLoop : public TCommEventLoop {
public:
    TPlainEventLoop() = default;
    TPlainEventLoop(const TPlainEventLoop&) = delete;
    TPlainEventLoop& operator=(const TPlainEventLoop&) = delete;

    void Post(std::function<void()> fn) override;
    TTimerId StartTimer(uint32_t intervalMs, std::function<void()> onTick) override;
    void StopTimer(TTimerId id) override;
    uint64_t TickMs() const override;

    // Runs posted functions and due timers until `done` returns true (checked
    // after each of them and at the start) or `timeout` passes; returns done().
    // Sleeps on a condition variable in between, never spins. May be nested
    // (a handler that pumps the loop).
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // Runs the loop for `duration`.
    void RunFor(std::chrono::milliseconds duration);

    // Runs until Quit is called (from any thread, also before Run).
    void Run();
    void Quit();

private:
    struct TTimer {
        uint32_t interval;
        std::chrono::steady_clock::time_point due;
        std::shared_ptr<std::function<void()>> onTick;
    };
    using TClock = std::chrono::steady_clock;

    // Runs one posted function or one due timer; false when there was none.
    bool RunOne();
    void WaitForWork(TClock::time_point deadline);

    mutable std::mutex mutex_;     // guards posted_, timers_, nextId_, quit_
    std::condition_variable wake_; // signalled by Post, StartTimer and Quit
    std::deque<std::function<void()>> posted_;
    std::map<TTimerId, TTimer> timers_;
    TTimerId nextId_ = 1;
    bool quit_ = false;
};

} // namespace k730
