// Wall time of a meter search over eight virtual ports (three simulated
// meters, five silent lines) against one silent port alone. Ports are searched
// at once, so the ratio stays near 1 however many ports there are.
//   bench_search_parallel [path/to/k730-sim]
#include "comm/PlainEventLoop.h"
#include "main/K730Lang.h"
#include "comm/VirtualPorts.h"
#include "search/MeterSearch.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace k730;
using TClock = std::chrono::steady_clock;

struct TSilentPort {
    int master = -1, slave = -1;
};

TSilentPort AddSilentPort(const std::string& name) {
    TSilentPort port;
    char path[256];
    if (openpty(&port.master, &port.slave, path, nullptr, nullptr) != 0) std::exit(1);
    std::string error;
    if (!RegisterVirtualPort(name, path, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return port;
}

double SearchSeconds(int& found) {
    TSearchCriteria criteria;
    PrepareCriteria(criteria, TLineSettings{});
    TPlainEventLoop loop;
    bool finished = false;
    TMeterSearch::TEvents events;
    events.onFinished = [&](TSearchState) { finished = true; };
    TMeterSearch search(loop, langEnglish, SearchValues(criteria), events);
    const auto start = TClock::now();
    search.Start();
    loop.RunUntil([&] { return finished; }, std::chrono::seconds(60));
    found = static_cast<int>(search.FoundPorts().size());
    return std::chrono::duration<double>(TClock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    // Default: the simulator of the same build tree (bench/search/ -> src/sim/).
    const auto self = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const std::string sim =
        argc > 1 ? argv[1] : (self / "../../src/sim/k730-sim").lexically_normal().string();
    const auto dir =
        std::filesystem::temp_directory_path() / ("k730-bench-search-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    setenv("K730_PORTS_DIR", dir.c_str(), 1);
    setenv("K730_SYSTEM_PORTS", "0", 1);

    TSilentPort alone = AddSilentPort("QUIET1");
    int found = 0;
    const double one = SearchSeconds(found);

    std::vector<TSilentPort> silent;
    for (int i = 2; i <= 5; ++i)
        silent.push_back(AddSilentPort("QUIET" + std::to_string(i)));
    std::vector<std::string> args{sim, "--name", "SIM1", "--count", "3", "--control", "none"};
    std::vector<char*> argvSim;
    for (auto& a : args)
        argvSim.push_back(a.data());
    argvSim.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, sim.c_str(), nullptr, nullptr, argvSim.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", sim.c_str());
        return 1;
    }
    for (int i = 0; i < 100 && !std::filesystem::exists(dir / "SIM3"); ++i)
        usleep(20000); // the simulator registers its ports as it comes up
    usleep(100000);
    const double eight = SearchSeconds(found);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::filesystem::remove_all(dir);

    std::printf("one silent port:                 %.3f s\n", one);
    std::printf("8 ports (3 meters, %d found, 5 silent): %.3f s\n", found, eight);
    std::printf("ratio:                           %.3f\n", eight / one);
    (void)alone;
    return found == 3 ? 0 : 1;
}
