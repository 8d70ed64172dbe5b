// TTriggerThread: paces polling. It wakes every 100 ms, or earlier when the
// next status request falls due, and asks the main thread for a tick while
// polling runs or an alternate due tick is set. It reads only what the
// controller publishes for it (the polling flag and the status request's two
// due ticks); the tick itself is handled on the main thread.
#pragma once

#include "main/StopWakeWait.h"

#include <cstdint>
#include <functional>
#include <thread>

namespace k730 {

// What the thread reads on each wake-up; due ticks of 0 are not set.
struct TTriggerState {
    bool running = false;
    uint32_t statusDueTick = 0;
    uint32_t statusAltDueTick = 0;
};

class TTriggerThread {
public:
    using TRead = std::function<TTriggerState()>; // called on the trigger thread
    using TNow = std::function<uint32_t()>;       // millisecond tick, wraps at 2^32
    using TPost = std::function<void()>;          // hands a tick to the main thread

    static constexpr uint32_t DefaultPeriodMs = 100;

    TTriggerThread(TRead read, TNow now, TPost post, uint32_t periodMs = DefaultPeriodMs);
    ~TTriggerThread(); // stops and joins
    TTriggerThread(const TTriggerThread&) = delete;
    TTriggerThread& operator=(const TTriggerThread&) = delete;

    // An immediate tick (end of busy time, a new due tick). Any thread.
    void Wake();
    // Ends the thread at once, also in the middle of a wait. Any thread.
    void Stop();

    // The next wait: until the due tick when it lies ahead, else until the
    // alternate due tick when that lies ahead, else one period; less the
    // overrun of the start-up wait when that is shorter.
    static uint32_t NextWait(uint32_t now, const TTriggerState& state, uint32_t period, uint32_t overrun);

private:
    void Run();

    TRead read_;
    TNow now_;
    TPost post_;
    uint32_t period_;
    TStopWakeWait wait_;
    std::thread thread_; // last: starts once everything above exists
};

} // namespace k730
