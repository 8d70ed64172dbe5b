// The measurement history window's views at a day of 160 ms records
// (540,000), on the offscreen platform: opening the file into the window's
// history, the grid's first paint, scrolling it to the end, and a chart redraw.
#include "history/HistChart.h"
#include "history/HistDayData.h"
#include "history/HistRecorder.h"
#include "history/HistTableModel.h"
#include "files/HistFile.h"
#include "main/K730Settings.h"

#include <benchmark/benchmark.h>

#include <QTableView>

#include <filesystem>
#include <unistd.h>

namespace k730 {
namespace {

const std::string& DayFile() {
    static const std::string path = [] {
        const auto dir =
            std::filesystem::temp_directory_path() / ("k730-hist-ui-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        THistData d = bench::HistDay();
        const std::string file = (dir / "day.dat").string();
        WriteHistFile(file, d, hwHistoryFile, "day", {});
        return file;
    }();
    return path;
}

struct TOpened {
    TProgramSettings settings;
    THistChecks checks;
    THistRecorder recorder;
    TOpened() : recorder(settings, checks, Prompts(), langEnglish, ',') {}
    static THistPrompts Prompts() {
        THistPrompts p;
        p.ChooseOpen = [](const std::string&) { return std::optional<std::string>(DayFile()); };
        p.YesNo = [](const std::string&, unsigned) { return true; };
        return p;
    }
};

void HistWindowOpenDay(benchmark::State& state) {
    DayFile();
    for (auto _ : state) {
        TOpened o;
        THistTableModel model(o.recorder, langEnglish, ',');
        benchmark::DoNotOptimize(o.recorder.Open());
        model.Sync();
    }
}
BENCHMARK(HistWindowOpenDay)->Unit(benchmark::kMillisecond);

void HistGridFirstPaint(benchmark::State& state) {
    TOpened o;
    o.recorder.Open();
    for (auto _ : state) {
        THistTableModel model(o.recorder, langEnglish, ',');
        QTableView view;
        view.resize(560, 260);
        view.setModel(&model);
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(HistGridFirstPaint)->Unit(benchmark::kMillisecond);

void HistGridScrollToEnd(benchmark::State& state) {
    TOpened o;
    o.recorder.Open();
    THistTableModel model(o.recorder, langEnglish, ',');
    QTableView view;
    view.resize(560, 260);
    view.setModel(&model);
    view.grab();
    for (auto _ : state) {
        view.scrollToTop();
        view.scrollToBottom();
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(HistGridScrollToEnd)->Unit(benchmark::kMillisecond);

// Decimation, the series replaced and the chart drawn, 800 px wide.
void HistChartRedrawDay(benchmark::State& state) {
    TOpened o;
    o.recorder.Open();
    THistChart chart(o.recorder.Data(), langEnglish);
    chart.resize(900, 320);
    chart.grab();
    for (auto _ : state) {
        chart.Refresh();
        benchmark::DoNotOptimize(chart.grab());
    }
    state.counters["points"] = chart.AveragePointCount();
}
BENCHMARK(HistChartRedrawDay)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace k730
