// THistMeasThread: paces the status requests while the measurement history
// window is open. After a first wait of 160 ms it ticks every 144 ms for a
// meter with new firmware (which marks fresh results, so polling a little
// faster than the converter loses none) and every 160 ms otherwise; a
// trigger makes it tick at once. It only waits and hands the tick to the
// main thread; everything else happens there.
#pragma once

#include "main/StopWakeWait.h"

#include <cstdint>
#include <functional>
#include <thread>

namespace k730 {

constexpr uint32_t HIST_TICK_MS = 160;
constexpr uint32_t HIST_TICK_NEW_FIRMWARE_MS = 144;

// The period of one round: 144 ms with new firmware, else 160 ms.
constexpr uint32_t HistTickPeriod(bool newFirmware) {
    return newFirmware ? HIST_TICK_NEW_FIRMWARE_MS : HIST_TICK_MS;
}

class THistMeasThread {
public:
    using TNewFirmware = std::function<bool()>; // read on the thread each round
    using TNow = std::function<uint32_t()>;     // millisecond tick
    using TPost = std::function<void()>;        // hands a tick to the main thread

    THistMeasThread(TNewFirmware newFirmware, TNow now, TPost post);
    ~THistMeasThread(); // stops and joins
    THistMeasThread(const THistMeasThread&) = delete;
    THistMeasThread& operator=(const THistMeasThread&) = delete;

    // A tick at once (an automatic range change is wanted). Any thread.
    void Trigger();
    // Ends the thread, also in the middle of a wait. Any thread.
    void Stop();

private:
    void Run();

    TNewFirmware newFirmware_;
    TNow now_;
    TPost post_;
    TStopWakeWait wait_; // woken by Trigger
    std::thread thread_; // last: starts once everything above exists
};

} // namespace k730
