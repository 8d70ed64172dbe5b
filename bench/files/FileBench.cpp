// The file layer at a lab's scale: 100,000 calibration records read, rewritten
// and merged into another 100,000; a day of 160 ms history records written, read
// and exported; RecordAt over a million traffic records.
#include "files/CalLog.h"
#include "files/CalMerge.h"
#include "files/HistFile.h"
#include "traffic/TrafficBuffers.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace k730 {
namespace {

std::string BenchFile(const char* name) {
    const auto dir = std::filesystem::temp_directory_path() / ("k730-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

TCalLogList CalRecords(size_t count, double firstDay) {
    TCalLogList list;
    list.reserve(count);
    for (size_t i = count; i-- > 0;) {
        TCalLogRecord r;
        r.Comment = "calibration " + std::to_string(i);
        r.MeterType = "K-730/V/2M/L1/3/A1";
        r.SerialNumber = static_cast<uint16_t>(i % 5000);
        r.CalDateTime = firstDay + static_cast<double>(i) / 100.0;
        r.NewLoopFactor = 1.0f;
        list.push_back(std::move(r));
    }
    return list;
}

void CalLogReadRewrite(benchmark::State& state) {
    const std::string path = BenchFile("K730_CAL.dat");
    WriteCalLog(path, CalRecords(100'000, 40000));
    for (auto _ : state) {
        TCalLogRead read = ReadCalLog(path);
        benchmark::DoNotOptimize(read.records.data());
        WriteCalLog(path, read.records);
    }
    state.counters["records/s"] =
        benchmark::Counter(100'000.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(CalLogReadRewrite)->Unit(benchmark::kMillisecond);

void CalLogMerge(benchmark::State& state) {
    // Half of the imported records interleave with the log, half duplicate it.
    const TCalLogList log = CalRecords(100'000, 40000);
    TCalLogList imported = CalRecords(50'000, 40000.005);
    const TCalLogList dupes = CalRecords(50'000, 40000);
    imported.insert(imported.end(), dupes.begin(), dupes.end());
    for (auto _ : state) {
        TCalLogList into = log;
        const auto r =
            MergeCalLogs(into, imported, [](const TFileMessage&, const TCalLogRecord&) { return aaNoToAll; });
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(CalLogMerge)->Unit(benchmark::kMillisecond);

THistData Day() {
    THistData d;
    d.MeterKind = 1;
    d.IntervalMs = 160;
    d.StartDateTime = 45000;
    d.Samples.reserve(540'000);
    for (int32_t i = 0; i < 540'000; ++i)
        d.Samples.push_back(HistSample{160 * (i + 1), 3, 0, 100.0f + static_cast<float>(i % 97), 99, 201, 200,
                                       200, 2000, 235});
    return d;
}

void HistWriteRead(benchmark::State& state) {
    const std::string path = BenchFile("day.dat");
    THistData d = Day();
    for (auto _ : state) {
        d.SavedCount = 0;
        WriteHistFile(path, d, hwHistoryFile, "day", {});
        THistData back;
        std::string comment;
        ReadHistFile(path, back, comment);
        benchmark::DoNotOptimize(back.Samples.data());
    }
}
BENCHMARK(HistWriteRead)->Unit(benchmark::kMillisecond);

void HistExport(benchmark::State& state) {
    const std::string path = BenchFile("day.txt");
    THistData d = Day();
    for (auto _ : state) {
        d.ExportedCount = 0;
        WriteHistFile(path, d, hwTextExport, "day", {});
    }
}
BENCHMARK(HistExport)->Unit(benchmark::kMillisecond);

void TrafficRecordAt(benchmark::State& state) {
    TTrafficBuffers b;
    const uint8_t block[16] = {0x68, 0x10};
    std::mt19937 random(1);
    for (int i = 0; i < 1'000'000; ++i)
        b.AddRecord(static_cast<int>(random() % 3), std::span(block, 8 + i % 8));
    uint32_t s = 0;
    for (auto _ : state) {
        s = s % 1'000'000 + 1;
        benchmark::DoNotOptimize(b.RecordAt(s));
    }
}
BENCHMARK(TrafficRecordAt);

} // namespace
} // namespace k730
