// Window tests wait for what the event loop brings about (answers from a
// simulated meter, timers, posted ticks) with a deadline, never a sleep.
#pragma once

#include <chrono>
#include <functional>

class QString;
class QWidget;

namespace k730::test {

// Runs the event loop until `done` is true or `limit` passes; its last value.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// Chooses the port `name` in the main window's port list as a user would;
// false when the list does not offer it.
bool ChoosePort(QWidget& mainForm, const QString& name);

} // namespace k730::test
