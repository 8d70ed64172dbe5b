// Waiting in window tests: the event loop keeps running while a condition is
// polled, so that answers from a peer reach the windows.
#pragma once

#include <chrono>
#include <functional>

namespace k730::test {

// Runs the event loop until `done` holds or `limit` passes; returns its last value.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

} // namespace k730::test
