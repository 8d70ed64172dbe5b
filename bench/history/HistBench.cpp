// The measurement history's files and chart at a day of 160 ms records
// (540,000): opening, saving whole, saving the records of the last second
// onto such a file, the text and CSV exports, and the chart's decimation.
#include "files/HistCsv.h"
#include "files/HistFile.h"
#include "history/HistDayData.h"
#include "history/HistDecimate.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace k730 {
namespace {

std::string BenchFile(const char* name) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("k730-hist-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

const THistData& Day() {
    static const THistData day = bench::HistDay();
    return day;
}

void HistOpenDay(benchmark::State& state) {
    const std::string path = BenchFile("day.dat");
    THistData d = Day();
    WriteHistFile(path, d, hwHistoryFile, "day", {});
    for (auto _ : state) {
        THistData read;
        std::string comment;
        benchmark::DoNotOptimize(ReadHistFile(path, read, comment));
    }
}
BENCHMARK(HistOpenDay)->Unit(benchmark::kMillisecond);

void HistSaveDay(benchmark::State& state) {
    const std::string path = BenchFile("save.dat");
    THistData d = Day();
    for (auto _ : state) {
        d.SavedCount = 0; // from the head, as the first save of a history
        benchmark::DoNotOptimize(WriteHistFile(path, d, hwHistoryFile, "day", {}));
    }
}
BENCHMARK(HistSaveDay)->Unit(benchmark::kMillisecond);

// Saving while recording: the day is on disk, six new records go after it.
void HistSaveAppend(benchmark::State& state) {
    const std::string path = BenchFile("append.dat");
    THistData d = Day();
    WriteHistFile(path, d, hwHistoryFile, "day", {});
    for (auto _ : state) {
        state.PauseTiming();
        d.SavedCount -= 6;
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - 6 * HIST_SAMPLE_SIZE);
        state.ResumeTiming();
        benchmark::DoNotOptimize(WriteHistFile(path, d, hwHistoryFile, "day", {}));
    }
}
BENCHMARK(HistSaveAppend)->Unit(benchmark::kMillisecond);

void HistExportTextDay(benchmark::State& state) {
    const std::string path = BenchFile("day.txt");
    THistData d = Day();
    THistTextFormat f;
    f.decimal = ',';
    for (auto _ : state) {
        d.ExportedCount = 0;
        benchmark::DoNotOptimize(WriteHistFile(path, d, hwTextExport, "day", f));
    }
}
BENCHMARK(HistExportTextDay)->Unit(benchmark::kMillisecond);

void HistExportCsvDay(benchmark::State& state) {
    const std::string path = BenchFile("day.csv");
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteHistCsv(path, Day()));
}
BENCHMARK(HistExportCsvDay)->Unit(benchmark::kMillisecond);

// One redraw's worth of decimation for a plot of `columns` pixels.
void HistDecimateDay(benchmark::State& state) {
    const auto columns = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const auto c = DecimateHistory(Day(), 0, Day().Samples.size() - 1, columns);
        benchmark::DoNotOptimize(c.data());
    }
}
BENCHMARK(HistDecimateDay)->Arg(800)->Arg(1920)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace k730
