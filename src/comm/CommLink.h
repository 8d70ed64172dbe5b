// What TComm32KX shares with its read and write threads: the stop and ready
// events, the hold counter, the lock and its flag, the gap time, and the
// functions through which the threads post to the owner's thread. It lives
// as long as the component; the threads are joined before the port goes.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace k730 {

// The stop event (set by ClosePort, cleared by the next open once both threads
// have ended) and the ready event of the delivery handshake, under one mutex so
// that a wait can end on either.
class TCommGate {
public:
    void SetStop();
    void ClearStop();
    bool StopSet() const;

    void SetReady();
    void ResetReady();
    // Waits without limit until ready or stop is set; true when it was ready.
    bool WaitReadyOrStop();

private:
    mutable std::mutex mutex_; // guards stop_ and ready_
    std::condition_variable changed_;
    bool stop_ = false;
    bool ready_ = true; // created signalled
};

struct TCommLink {
    TCommGate gate;
    std::atomic<int> hold{0};          // the hold counter
    std::atomic<bool> lockFlag{false}; // run port passes under `lock`
    std::mutex lock;                   // the component's lock: one read pass or one block write at a time
    std::atomic<uint16_t> timeOut{50}; // gap time in ms, copied from the property at once

    // Set by the component for each open, before the threads start; called from the threads.
    std::function<void(std::vector<uint8_t>)> postReceived; // a gathered block
    std::function<void(std::vector<uint8_t>)> postWritten;  // bytes just written
    std::function<void()> postLineError;                    // status 4
    std::function<void()> postReopen;                       // the device has gone
};

} // namespace k730
