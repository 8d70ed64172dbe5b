// Delivery latency from the last byte written on the far side of a pty to
// OnReceive on the owner's thread, and the CPU an open port costs when idle
// and when a meter answers 64 bytes every 160 ms.
#include "comm/Comm32KX.h"
#include "comm/PlainEventLoop.h"
#include "comm/VirtualPorts.h"
#include "main/K730Lang.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <pty.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace k730 {
namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// A pty registered as BENCH1 in a folder of its own, and a component on it.
struct TBenchPort {
    TPlainEventLoop loop;
    int master = -1, slave = -1;
    std::filesystem::path folder;
    std::unique_ptr<TComm32KX> comm;
    std::atomic<size_t> received{0};

    explicit TBenchPort(uint16_t timeOut) {
        char pattern[] = "/tmp/k730-bench-XXXXXX";
        folder = mkdtemp(pattern);
        setenv("K730_PORTS_DIR", (folder / "ports").c_str(), 1);
        setenv("K730_INSTANCES_DIR", (folder / "instances").c_str(), 1);
        char path[256] = {};
        openpty(&master, &slave, path, nullptr, nullptr);
        std::string error;
        RegisterVirtualPort("BENCH1", path, error);
        comm = std::make_unique<TComm32KX>(loop, langEnglish);
        comm->SetTimeOut(timeOut);
        comm->OnReceive = [this](TComm32KX&, const uint8_t*, uint32_t size) { received += size; };
        comm->SetCOMPort("BENCH1");
    }
    ~TBenchPort() {
        comm.reset();
        close(master);
        close(slave);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

void BM_DeliveryLatency(benchmark::State& state) {
    TBenchPort port(5);
    const std::vector<uint8_t> answer(20, 0x42);
    std::vector<double> samples;
    for (auto _ : state) {
        const size_t before = port.received;
        static_cast<void>(write(port.master, answer.data(), answer.size()));
        const auto written = Clock::now();
        port.loop.RunUntil([&] { return port.received >= before + answer.size(); }, std::chrono::seconds(2));
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - written).count();
        samples.push_back(ms);
        state.SetIterationTime(ms / 1e3);
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["p99_ms"] = samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
}
BENCHMARK(BM_DeliveryLatency)->UseManualTime()->Iterations(500)->Unit(benchmark::kMillisecond);

void BM_IdlePortCpu(benchmark::State& state) {
    TBenchPort port(5);
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        port.loop.RunFor(std::chrono::seconds(10));
        state.counters["cpu_ms_per_10s"] = ProcessCpuMs() - before;
    }
}
BENCHMARK(BM_IdlePortCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PolledPortCpu(benchmark::State& state) {
    TBenchPort port(5);
    for (auto _ : state) {
        std::atomic<bool> running{true};
        std::thread meter([&] {
            const std::vector<uint8_t> answer(64, 0x37);
            auto next = Clock::now();
            while (running) {
                static_cast<void>(write(port.master, answer.data(), answer.size()));
                next += std::chrono::milliseconds(160);
                std::this_thread::sleep_until(next);
            }
        });
        const double before = ProcessCpuMs();
        port.loop.RunFor(std::chrono::seconds(30));
        state.counters["cpu_ms_per_30s"] = ProcessCpuMs() - before;
        running = false;
        meter.join();
        state.counters["bytes"] = static_cast<double>(port.received);
    }
}
BENCHMARK(BM_PolledPortCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace k730
