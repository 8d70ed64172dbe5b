#include "support/TestSupport.h"

#include <cstdio>
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace k730::test {

TBytes Hex(const std::string& text) {
    TBytes out;
    int high = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10);
        if (d < 0 || d > 15) throw std::invalid_argument("bad hex text: " + text);
        if (high < 0) {
            high = d;
        } else {
            out.push_back(static_cast<uint8_t>(high * 16 + d));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd hex text: " + text);
    return out;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TCommandRun RunCommand(const std::string& command) {
    TCommandRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[4096];
    while (const size_t n = fread(chunk, 1, sizeof chunk, pipe))
        run.out.append(chunk, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

std::string BuildDir() {
    const char* dir = std::getenv("K730_BUILD_DIR");
    return dir ? dir : ".";
}

} // namespace k730::test
