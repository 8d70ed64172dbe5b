// The traffic viewer's core over a million records: opening a buffer file,
// saving it, indexing the lines of a view, jumping to the last record and
// paging down, and the memory a record takes.
#include "TrafficBenchFile.h"

#include "traffic/BufLines.h"
#include "traffic/BufferFile.h"
#include "traffic/TrafficViewer.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace k730 {
namespace {

constexpr int COLUMNS = 24;
constexpr int PAGE = 40;

// Opening: read and parse off the GUI thread, then hand the buffers over.
void OpenFile(benchmark::State& state) {
    const std::string& file = bench::MillionRecordFile();
    for (auto _ : state) {
        TTrafficViewer viewer;
        TBufferFileLoad load = ReadBufferFile(file, file);
        viewer.Buffers().AppendAll(std::move(load.buffers));
        benchmark::DoNotOptimize(viewer.Buffers().LastSequence());
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}
BENCHMARK(OpenFile)->Unit(benchmark::kMillisecond);

TTrafficViewer& Loaded() {
    static TTrafficViewer viewer = [] {
        TTrafficViewer v;
        v.Buffers().AppendAll(std::move(ReadBufferFile(bench::MillionRecordFile(), "").buffers));
        return v;
    }();
    return viewer;
}

void SaveFile(benchmark::State& state) {
    const std::string path = bench::MillionRecordFile() + ".saved";
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveBufferFile(path, path, Loaded().Buffers()).success);
    std::filesystem::remove(path);
}
BENCHMARK(SaveFile)->Unit(benchmark::kMillisecond);

// What the first paint of the largest buffer waits for: its line index.
void IndexLines(benchmark::State& state) {
    const TTrafficBuffer& b = Loaded().Buffers().Buffer(tbReceived);
    for (auto _ : state) {
        TBufLines lines;
        lines.SetColumns(COLUMNS);
        lines.Sync(b);
        benchmark::DoNotOptimize(lines.LineCount());
    }
    state.counters["records"] = static_cast<double>(b.Count());
}
BENCHMARK(IndexLines)->Unit(benchmark::kMillisecond);

void JumpToLast(benchmark::State& state) {
    TTrafficViewer& v = Loaded();
    TBufLines lines;
    lines.SetColumns(COLUMNS);
    lines.Sync(v.Buffers().Buffer(tbValidFrames));
    for (auto _ : state) {
        v.Go(goFirst);
        v.Go(goLast);
        const TTrafficBuffer& b = v.Buffers().Buffer(v.Focus());
        const uint64_t line = lines.LineOf(b, v.Cursor(v.Focus()).pos);
        benchmark::DoNotOptimize(RowsFrom(b, COLUMNS, lines.PosOfLine(b, line), PAGE));
        benchmark::DoNotOptimize(v.PanelTexts('.'));
    }
}
BENCHMARK(JumpToLast)->Unit(benchmark::kMicrosecond);

void ScrollPage(benchmark::State& state) {
    const TTrafficBuffer& b = Loaded().Buffers().Buffer(tbReceived);
    TBufLines lines;
    lines.SetColumns(COLUMNS);
    lines.Sync(b);
    uint64_t top = 0;
    for (auto _ : state) {
        const uint64_t line = lines.LineOf(b, top) + PAGE;
        top = line >= lines.LineCount() ? 0 : lines.PosOfLine(b, line);
        benchmark::DoNotOptimize(RowsFrom(b, COLUMNS, top, PAGE));
    }
}
BENCHMARK(ScrollPage)->Unit(benchmark::kMicrosecond);

// Bytes a record costs beyond its own bytes: descriptor, time stamp and the
// main view's line index.
void MemoryPerRecord(benchmark::State& state) {
    const TTrafficBuffers& buffers = Loaded().Buffers();
    size_t memory = 0, bytes = 0, records = 0;
    for (auto _ : state) {
        memory = bytes = records = 0;
        for (int id = 0; id < TRAFFIC_BUFFER_COUNT; ++id) {
            const TTrafficBuffer& b = buffers.Buffer(id);
            TBufLines lines;
            lines.SetColumns(COLUMNS);
            lines.Sync(b);
            memory += b.MemoryBytes() + lines.MemoryBytes();
            bytes += b.TotalBytes();
            records += b.Count();
        }
    }
    state.counters["overhead_per_record"] =
        static_cast<double>(memory - bytes) / static_cast<double>(records);
    state.counters["total_per_record"] = static_cast<double>(memory) / static_cast<double>(records);
}
BENCHMARK(MemoryPerRecord)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace k730
