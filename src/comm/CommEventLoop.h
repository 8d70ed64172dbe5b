// The owner's event loop as the serial component sees it. TComm32KX never
// touches a GUI toolkit: every event it fires and every timer it runs goes
// through this small interface, so the program gives it a Qt implementation
// and the tests and k730-tool give it TPlainEventLoop.
#pragma once

#include <cstdint>
#include <functional>

namespace k730 {

class TCommEventLoop {
public:
    using TTimerId = uint64_t; // 0 is never a running timer

    virtual ~TCommEventLoop() = default;

    // Callable from any thread. Runs `fn` later on the owner's thread; functions
    // posted from one thread run in the order they were posted. Never runs `fn`
    // inside Post itself. Functions still queued when the loop is destroyed are
    // dropped without running.
    virtual void Post(std::function<void()> fn) = 0;

    // Owner's thread only. Calls `onTick` on the owner's thread every `intervalMs`
    // milliseconds (at least 1) until StopTimer; the first call comes one interval
    // after the start. Returns a non-zero id.
    virtual TTimerId StartTimer(uint32_t intervalMs, std::function<void()> onTick) = 0;

    // Owner's thread only. Once it returns, that timer's `onTick` is never called
    // again, not even when it was already due. An unknown id or 0 is ignored.
    virtual void StopTimer(TTimerId id) = 0;

    // Callable from any thread. A monotonic millisecond count (never goes back).
    virtual uint64_t TickMs() const = 0;

    // Owner's thread only. The system error sound; only called when the
    // component reports a failure with SoundOnError on. Silent by default.
    virtual void Beep() {}
};

} // namespace k730
