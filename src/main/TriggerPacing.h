// How long the trigger thread waits between ticks. The thread reads the
// status slot's two due ticks and the polling flag (TTriggerShared) and
// posts a tick to the main thread; these functions are its arithmetic.
#pragma once

#include <cstdint>

namespace k730 {

constexpr uint32_t TRIGGER_PERIOD_MS = 100;

// First wait of the loop, after the start-up wait of one period overran by c ms.
uint32_t TriggerFirstWait(uint32_t period, uint32_t overrun);

// Next wait: until the status request's due tick when it lies ahead, else
// until its alternate due tick when that lies ahead, else one period; less
// the start-up overrun when that is shorter. Ticks of 0 are not set.
uint32_t TriggerNextWait(uint32_t now, uint32_t dueTick, uint32_t altDueTick, uint32_t period,
                         uint32_t overrun);

// A tick is posted while polling runs or an alternate due tick is set.
constexpr bool TriggerShouldPost(bool running, uint32_t altDueTick) {
    return running || altDueTick != 0;
}

} // namespace k730
