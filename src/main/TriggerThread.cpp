#include "main/TriggerThread.h"

#include "main/TriggerPacing.h"

namespace k730 {

TTriggerThread::TTriggerThread(TRead read, TNow now, TPost post, uint32_t periodMs)
    : read_(std::move(read)), now_(std::move(now)), post_(std::move(post)), period_(periodMs),
      thread_(&TTriggerThread::Run, this) {}

TTriggerThread::~TTriggerThread() {
    Stop();
    thread_.join();
}

void TTriggerThread::Wake() {
    wait_.Wake();
}

void TTriggerThread::Stop() {
    wait_.Stop();
}

uint32_t TTriggerThread::NextWait(uint32_t now, const TTriggerState& state, uint32_t period,
                                  uint32_t overrun) {
    return TriggerNextWait(now, state.statusDueTick, state.statusAltDueTick, period, overrun);
}

void TTriggerThread::Run() {
    // The first period is waited out whole; how far that wait overran is
    // taken off every later wait, so the ticks keep to the period.
    const uint32_t start = now_();
    if (wait_.Wait(period_, false)) return;
    const uint32_t waited = now_() - start;
    const uint32_t overrun = waited > period_ ? waited - period_ : 0;
    uint32_t d = TriggerFirstWait(period_, overrun);
    for (;;) {
        if (wait_.Wait(d, true)) return;
        const TTriggerState state = read_();
        if (state.running || state.statusAltDueTick != 0) post_();
        d = NextWait(now_(), state, period_, overrun);
    }
}

} // namespace k730
