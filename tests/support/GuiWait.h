// Waiting in window tests: the event loop runs while a condition is awaited,
// so timers, queued calls and a peer's answers get through.
#pragma once

#include "support/TestSupport.h"

#include <QApplication>

#include <chrono>
#include <functional>

namespace k730::test {

// Runs pending events until `done` is true or `limit` passes; returns `done`'s last value.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return WaitFor(
        [&] {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
            return done();
        },
        limit);
}

} // namespace k730::test
