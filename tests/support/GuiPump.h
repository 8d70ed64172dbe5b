// Window tests wait for what the event loop brings about (answers from a
// simulated meter, timers, posted ticks) with a deadline, never a sleep.
#pragma once

#include <chrono>
#include <functional>

namespace k730::test {

// Runs the event loop until `done` is true or `limit` passes; its last value.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

} // namespace k730::test
