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
    const uint32_t waited = now_() - start;
    const uint32_t late = waited > HIST_TICK_MS ? waited - HIST_TICK_MS : 0;
    // Recording or not, a tick comes every round, and at once on a trigger.
    for (;;) {
        if (wait_.Wait(TriggerFirstWait(HistTickPeriod(newFirmware_()), late), true)) return;
        post_();
    }
}

} // namespace k730
