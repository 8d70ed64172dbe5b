// The traffic viewer window over a million records (offscreen): the first
// paint after a file has been opened, a jump to the last record and a page
// down, each up to the drawn window.
#include "TrafficBenchFile.h"

#include "traffic/BufView.h"
#include "traffic/BufferFile.h"
#include "traffic/DualBuf.h"
#include "traffic/VudIDO.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>

namespace k730 {
namespace {

TFormVudIDO& Window() {
    static TFormVudIDO* form = [] {
        auto* f = new TFormVudIDO;
        f->resize(900, 700);
        f->show();
        QApplication::processEvents();
        return f;
    }();
    return *form;
}

// Draws the whole window into an image, as the screen would get it.
void Draw(TFormVudIDO& form) {
    QImage image(form.size(), QImage::Format_ARGB32_Premultiplied);
    form.render(&image);
    benchmark::DoNotOptimize(image.bits());
}

// Opening ends with the views indexing their lines and drawing: measured
// from the loaded buffers handed over to the first drawn window.
void FirstPaint(benchmark::State& state) {
    TFormVudIDO& form = Window();
    for (auto _ : state) {
        state.PauseTiming();
        form.Viewer().ClearAll();
        TBufferFileLoad load = ReadBufferFile(bench::MillionRecordFile(), "");
        state.ResumeTiming();
        form.Viewer().Buffers().AppendAll(std::move(load.buffers));
        for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
            form.Buffer(b)->RecordsAdded();
        Draw(form);
    }
}
BENCHMARK(FirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

void JumpToLast(benchmark::State& state) {
    TFormVudIDO& form = Window();
    for (auto _ : state) {
        form.Action("MenuFirst")->trigger();
        form.Action("MenuLast")->trigger();
        Draw(form);
    }
}
BENCHMARK(JumpToLast)->Unit(benchmark::kMillisecond);

void ScrollPage(benchmark::State& state) {
    TFormVudIDO& form = Window();
    TDualBuf* received = form.Buffer(tbReceived);
    received->ScrollToStart();
    TBufView* view = received->MainView();
    for (auto _ : state) {
        received->ScrollLines(view->PageLines());
        QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
        view->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(ScrollPage)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace k730
