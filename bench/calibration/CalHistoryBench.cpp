// The calibration history window's work with 100,000 records: opening the
// log (read and first fill), refiltering on a radio button, a full-text
// search through every row (the first one builds the search texts, the next
// reuse them), and the spreadsheet export of all rows written to disk.
#include "calibration/CalHistory.h"
#include "files/CalExport.h"
#include "files/CalLog.h"
#include "files/DayCount.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace k730 {
namespace {

constexpr size_t RECORDS = 100'000;
const TCalTextFormat format{langPolish, ',', '.', ':'};

std::string BenchFile(const char* name) {
    const auto dir = std::filesystem::temp_directory_path() / ("k730-calbench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

// Newest first: 50 meter types of 200 meters each, a calibration every 20 minutes.
TCalLogList Records() {
    TCalLogList list;
    list.reserve(RECORDS);
    const double first = EncodeDays({2020, 1, 1});
    for (size_t i = RECORDS; i-- > 0;) {
        TCalLogRecord r;
        r.MeterType = "K-730/V/" + std::to_string(i % 50) + "k/E/0";
        r.SerialNumber = static_cast<uint16_t>(1000 + i % 200);
        r.ProductionYear = 2020;
        r.CalDateTime = first + static_cast<double>(i) / 72.0;
        r.OldForcingValue4mA = 0x4000;
        r.NewForcingValue4mA = static_cast<uint32_t>(0x3F00 + i % 512);
        r.OldLoopFactor = 1.4142135f;
        r.NewLoopFactor = 1.0f + static_cast<float>(i % 1000) / 1000.0f;
        r.OldResultFactor = 1.4142135f;
        r.NewResultFactor = 1.0f + static_cast<float>(i % 997) / 997.0f;
        r.CalTempCode = 680 + i % 40;
        r.Comment = i % 3 == 0 ? "lamp " + std::to_string(i % 17) + "\r\nbench " + std::to_string(i % 5) : "";
        list.push_back(std::move(r));
    }
    return list;
}

const std::string& LogFile() {
    static const std::string path = [] {
        const std::string p = BenchFile("K730_CAL.dat");
        WriteCalLog(p, Records());
        return p;
    }();
    return path;
}

void Open(benchmark::State& state) {
    for (auto _ : state) {
        TCalHistory history(format);
        history.SetToday(EncodeDays({2024, 3, 20}));
        history.SetRecords(ReadCalLog(LogFile()).records);
        benchmark::DoNotOptimize(history.RowCount());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * RECORDS));
}
BENCHMARK(Open)->Unit(benchmark::kMillisecond);

void Refilter(benchmark::State& state) {
    TCalHistory history(format);
    history.SetRecords(ReadCalLog(LogFile()).records);
    history.SelectRow(12345);
    bool sameType = false;
    for (auto _ : state) {
        sameType = !sameType;
        history.SetMeterFilter(sameType ? cfSameType : cfAllMeters);
        benchmark::DoNotOptimize(history.RowCount());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * RECORDS));
}
BENCHMARK(Refilter)->Unit(benchmark::kMillisecond);

// A text in no row: every row is looked at, and the search is offered again.
void SearchFirst(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        TCalHistory history(format);
        history.SetRecords(ReadCalLog(LogFile()).records);
        state.ResumeTiming();
        benchmark::DoNotOptimize(history.Search("no such lamp", 2024).row);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * RECORDS));
}
BENCHMARK(SearchFirst)->Unit(benchmark::kMillisecond);

void SearchAgain(benchmark::State& state) {
    TCalHistory history(format);
    history.SetRecords(ReadCalLog(LogFile()).records);
    history.Search("warm up", 2024);
    bool other = false;
    for (auto _ : state) {
        other = !other;
        benchmark::DoNotOptimize(history.Search(other ? "no such lamp" : "no such bench", 2024).row);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * RECORDS));
}
BENCHMARK(SearchAgain)->Unit(benchmark::kMillisecond);

void SpreadsheetExport(benchmark::State& state) {
    TCalHistory history(format);
    history.SetRecords(ReadCalLog(LogFile()).records);
    const std::string out = BenchFile("export.txt");
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteTextFile(out, CalExportSpreadsheet(history.ShownRecords(), format)));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * RECORDS));
}
BENCHMARK(SpreadsheetExport)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace k730
