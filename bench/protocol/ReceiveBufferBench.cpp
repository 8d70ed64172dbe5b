// Throughput of TReceiveBuffer: a clean stream of status answers, and hostile
// garbage full of 0x68 with long length fields, both in 64-byte blocks. The
// garbage blocks end in 0x16 so that every block runs the search for a frame
// ending there, the costly case.
#include "protocol/MerBusFrames.h"
#include "protocol/ReceiveBuffer.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using k730::TBytes;

constexpr size_t kBlock = 64;

TBytes CleanStream(size_t size) {
    TBytes data(55, 0x00);
    data[1] = 0x41;
    const TBytes answer = k730::BuildAnswer(0x84, 0x06, 0x0012, 0, data);
    TBytes stream;
    while (stream.size() < size)
        stream.insert(stream.end(), answer.begin(), answer.end());
    return stream;
}

TBytes HostileStream(size_t size) {
    std::mt19937 random(730);
    TBytes stream(size);
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] = (random() % 3 == 0) ? 0x68 : static_cast<uint8_t>(0xC0 + random() % 0x40);
    for (size_t i = kBlock - 1; i < stream.size(); i += kBlock)
        stream[i] = 0x16;
    return stream;
}

void Run(benchmark::State& state, const TBytes& stream) {
    size_t frames = 0;
    for (auto _ : state) {
        k730::TReceiveBuffer buffer;
        for (size_t at = 0; at < stream.size(); at += kBlock) {
            buffer.Append(std::span<const uint8_t>(stream).subspan(at, std::min(kBlock, stream.size() - at)));
            while (const size_t length = buffer.ExtractFrame()) {
                benchmark::DoNotOptimize(buffer.TakeFrame(length));
                ++frames;
            }
        }
        benchmark::DoNotOptimize(buffer.Size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    state.counters["frames"] =
        benchmark::Counter(static_cast<double>(frames) / static_cast<double>(state.iterations()));
}

// The argument is the stream size; time should grow in proportion to it.
void BM_CleanAnswers(benchmark::State& state) {
    Run(state, CleanStream(static_cast<size_t>(state.range(0))));
}

void BM_HostileStarts(benchmark::State& state) {
    Run(state, HostileStream(static_cast<size_t>(state.range(0))));
}

BENCHMARK(BM_CleanAnswers)->Arg(1 << 20)->Arg(1 << 22)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostileStarts)->Arg(1 << 20)->Arg(1 << 22)->Unit(benchmark::kMillisecond);

} // namespace
