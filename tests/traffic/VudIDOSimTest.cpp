// The traffic viewer from end to end: opened from the main window while it
// polls a simulated meter, it records requests, received blocks and accepted
// frames in the order they happen; a saved recording opens again unchanged.
#include "files/TempFolder.h"
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MemorySettingsStore.h"
#include "support/GuiPump.h"
#include "support/Screenshot.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"
#include "traffic/VudIDO.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include <filesystem>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every record as (buffer, bytes), in sequence order.
std::vector<std::pair<int, TBytes>> InOrder(const TTrafficBuffers& b) {
    std::vector<std::pair<int, TBytes>> all;
    for (uint32_t s = 1; s <= b.LastSequence(); ++s) {
        const TTrafficHit hit = b.RecordAt(s);
        const auto bytes = b.Buffer(hit.buffer).Bytes(hit.index);
        all.emplace_back(hit.buffer, TBytes(bytes.begin(), bytes.end()));
    }
    return all;
}

size_t CountCommand(const TTrafficBuffer& b, uint8_t code) {
    size_t n = 0;
    for (size_t i = 0; i < b.Count(); ++i)
        if (b.Bytes(i).size() > 3 && b.Bytes(i)[3] == code) ++n;
    return n;
}

TEST(VudIDOSim, RecordsThePollingInOrderAndAReopenedFileMatches) {
    const fs::path dir = fs::temp_directory_path() / ("k730-vudido-" + std::to_string(getpid()));
    fs::remove_all(dir);
    setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
    setenv("K730_SYSTEM_PORTS", "0", 1);
    test::TSimProcess sim(dir / "ports");
    ASSERT_TRUE(sim.Start({"--name", "SIM1", "--conversions", "1", "--light", "constant 500"}))
        << sim.Output();
    test::TTempFolder files;

    TMemorySettingsStore store;
    TMainForm form(langEnglish);
    TMainSession session(form, store, DefaultSettings(dir.string()), langEnglish);
    form.show();
    session.Start();
    ASSERT_TRUE(test::ChoosePort(form, "SIM1"));
    auto* value = form.findChild<QLabel*>("LabelValue");
    ASSERT_TRUE(test::PumpUntil([&] { return value->text().startsWith("500"); }, 10s))
        << value->text().toStdString();

    auto* button = form.findChild<QToolButton*>("BtnVudIDO");
    button->click();
    auto* viewer = form.findChild<TFormVudIDO*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(button->isChecked());
    EXPECT_TRUE(form.Action("MenuVudIDO")->isChecked());
    EXPECT_EQ(viewer->windowTitle(), "Bufor portu komunikacji - SIM1");
    viewer->Prompts().Warning = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };

    // Within a second the requests and their answers are there (one conversion: a poll every 160 ms).
    const TTrafficBuffers& b = viewer->Viewer().Buffers();
    EXPECT_TRUE(test::PumpUntil([&] { return CountCommand(b.Buffer(tbValidFrames), 0x84) >= 2; }, 1s));
    EXPECT_GE(CountCommand(b.Buffer(tbTransmitted), 0x04), 2u);
    // Every accepted status answer follows a status request and the received
    // block it came in.
    for (size_t i = 0; i < b.Buffer(tbValidFrames).Count(); ++i) {
        const uint32_t frame = b.Buffer(tbValidFrames).Record(i).sequence;
        const size_t request = b.Buffer(tbTransmitted).FirstAfter(frame);
        ASSERT_GT(request, 0u);
        const uint32_t requested = b.Buffer(tbTransmitted).Record(request - 1).sequence;
        EXPECT_LT(requested, frame);
        const size_t received = b.Buffer(tbReceived).FirstAfter(requested);
        ASSERT_LT(received, b.Buffer(tbReceived).Count());
        EXPECT_LT(b.Buffer(tbReceived).Record(received).sequence, frame);
    }

    test::SaveScreenshot(*viewer, "vudido-live-sim");

    // Stopped, saved, cleared and opened again: the same records.
    viewer->findChild<QToolButton*>("BtnGo")->click();
    QApplication::processEvents();
    const auto recorded = InOrder(b);
    const QString path = QString::fromStdString(files / "poll.buf");
    ASSERT_TRUE(viewer->SaveTo(path));
    viewer->Action("MenuClear")->trigger();
    EXPECT_TRUE(b.Empty());
    viewer->LoadFrom(path);
    ASSERT_TRUE(test::PumpUntil([&] { return !viewer->Loading(); }, 5s));
    EXPECT_EQ(InOrder(b), recorded);

    // Ctrl+Shift on a test-pattern button: a hundred blocks into each buffer.
    viewer->findChild<QToolButton*>("BtnGo")->click();
    const uint32_t before = b.LastSequence();
    viewer->AddTestPatterns(tbReceived, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_GE(b.LastSequence() - before, 300u);

    // Another port choice reaches the title; closing releases the button.
    auto* device = form.findChild<QComboBox*>("CBDevice");
    device->setCurrentIndex(0);
    emit device->activated(0);
    EXPECT_EQ(viewer->windowTitle(), "Bufor portu komunikacji");
    viewer->close();
    EXPECT_TRUE(test::PumpUntil([&] { return form.findChild<TFormVudIDO*>() == nullptr; }, 2s));
    EXPECT_FALSE(button->isChecked());
    EXPECT_FALSE(form.Action("MenuVudIDO")->isChecked());

    session.Close();
    sim.Stop();
    fs::remove_all(dir);
}

} // namespace
} // namespace k730
