#include "history/HistMeasThread.h"

#include "main/TriggerPacing.h"

namespace k730 {

THistMeasThread::THistMeasThread(TNewFirmware newFirmware, TNow now, TPost post)
    : newFirmware_(std::move(newFirmware)), now_(std::move(now)), post_(std::move(post)),
      thread_(&THistMeasThread::Run, this) {}

THistMeasThread::~THistMeasThread() {
    Stop();
    thread_.join();
}

void THistMeasThread::Trigger() {
    wait_.Wake();
}

void THistMeasThread::Stop() {
    wait_.Stop();
}

void THistMeasThread::Run() {
    const uint32_t start = now_();
    if (wait_.Wait(HIST_TICK_MS, false)) return;
    // Ticks keep to a grid of due ticks one period apart, counted from the
    // end of the first wait, so a late wake-up is not carried into the next
    // round; a trigger ticks at once and leaves the grid as it was.
    uint32_t due = start + HIST_TICK_MS + HistTickPeriod(newFirmware_());
    for (;;) {
        if (wait_.Wait(TriggerNextWait(now_(), due, 0, HistTickPeriod(newFirmware_()), 0), true)) return;
        post_();
        const uint32_t now = now_();
        if (static_cast<int32_t>(now - due) < 0) continue; // triggered before the due tick
        due += HistTickPeriod(newFirmware_());
        if (static_cast<int32_t>(due - now) <= 0) due = now + HistTickPeriod(newFirmware_()); // far behind
    }
}

} // namespace k730
