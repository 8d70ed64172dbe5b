// The wait of a pacing thread: up to a given time, ended at once by Stop
// and, when the caller allows it, by Wake. Stop and Wake may come from any
// thread; a stop stays, a wake is taken by the wait it ends.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace k730 {

class TStopWakeWait {
public:
    void Wake();
    void Stop();
    // Waits up to ms for Stop (and for Wake when `wakeable`); true when
    // stopped. A wake during a wait that cannot be woken stays for the next.
    bool Wait(uint32_t ms, bool wakeable);

private:
    std::mutex mutex_;           // guards stop_ and wake_
    std::condition_variable cv_; // signalled by Wake and Stop
    bool stop_ = false;
    bool wake_ = false;
};

} // namespace k730
