// Small helpers shared by the test suites.
#pragma once

#include "protocol/MerBusFun.h"

#include <chrono>
#include <functional>
#include <string>

namespace k730::test {

// Bytes from a hex text such as "68 08 00 04"; aborts the test program on bad text.
TBytes Hex(const std::string& text);

// Polls `done` until it is true or `timeout` passes; returns its last value.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// What a shell command printed on standard output, and its exit status (-1
// when it did not exit normally).
struct TCommandRun {
    int status = -1;
    std::string out;
};
TCommandRun RunCommand(const std::string& command);

// Folder of the build tree (programs such as k730-sim and k730-tool live under it).
std::string BuildDir();

} // namespace k730::test
