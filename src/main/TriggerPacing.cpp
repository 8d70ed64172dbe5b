// Trigger thread wait times.
#include "main/TriggerPacing.h"

namespace k730 {

namespace {

// Milliseconds until tick, or 0 when it is not set or not in the future.
uint32_t Ahead(uint32_t now, uint32_t tick) {
    if (tick == 0) return 0;
    const int32_t d = static_cast<int32_t>(tick - now);
    return d > 0 ? static_cast<uint32_t>(d) : 0;
}

} // namespace

uint32_t TriggerFirstWait(uint32_t period, uint32_t overrun) {
    return overrun < period ? period - overrun : period;
}

uint32_t TriggerNextWait(uint32_t now, uint32_t dueTick, uint32_t altDueTick, uint32_t period,
                         uint32_t overrun) {
    uint32_t d = Ahead(now, dueTick);
    if (d == 0) d = Ahead(now, altDueTick);
    if (d == 0) d = period;
    if (overrun < d) d -= overrun;
    return d;
}

} // namespace k730
