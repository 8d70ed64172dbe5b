// The measurement history from end to end: the program's main window and
// session, the history window opened from its menu, and k730-sim on a
// pseudo-terminal. Every dialog is answered as a user would.
#include "files/HistFile.h"
#include "history/DialogDriver.h"
#include "history/HistLink.h"
#include "history/K730HistMeas.h"
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MemorySettingsStore.h"
#include "support/GuiPump.h"
#include "support/Screenshot.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"
#include "ui/ConfBox.h"
#include "ui/LocaleSeparator.h"

#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class HistSimTest : public ::testing::Test {
protected:
    void StartProgram(const std::vector<std::string>& simArgs) {
        dir = fs::temp_directory_path() / ("k730-hist-sim-" + std::to_string(getpid()));
        fs::remove_all(dir);
        setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
        setenv("K730_SYSTEM_PORTS", "0", 1);
        std::vector<std::string> args = {"--name", "SIM1"};
        args.insert(args.end(), simArgs.begin(), simArgs.end());
        sim = std::make_unique<test::TSimProcess>(dir / "ports");
        ASSERT_TRUE(sim->Start(args)) << sim->Output();
        ConfSetLanguage(langEnglish); // as the program does at start
        main = std::make_unique<TMainForm>(langEnglish);
        session = std::make_unique<TMainSession>(*main, store, DefaultSettings(folder / ""), langEnglish);
        main->show();
        session->Start();
        ASSERT_TRUE(test::ChoosePort(*main, "SIM1"));
        ASSERT_TRUE(test::PumpUntil([&] { return session->Controller().State() == stIdentified; }, 10s));
        main->Action("MenuHistMeas")->trigger();
        form = session->History().Form();
        ASSERT_NE(form, nullptr);
    }
    void TearDown() override {
        if (session) session->Close();
        session.reset();
        main.reset();
        if (sim) sim->Stop();
        fs::remove_all(dir);
    }

    template <typename T = QWidget> T* Child(const char* name) const {
        return form->findChild<T*>(QString::fromUtf8(name));
    }
    void SetField(const char* text) {
        auto* field = Child<QLineEdit>("EditAverTime");
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    const std::vector<HistSample>& Records() const { return form->Recorder().Data().Samples; }
    bool RecordsReach(size_t n, std::chrono::milliseconds limit = 15s) {
        return test::PumpUntil([&] { return Records().size() >= n; }, limit);
    }

    test::TTempFolder folder;
    fs::path dir;
    std::unique_ptr<test::TSimProcess> sim;
    TMemorySettingsStore store;
    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TMainSession> session;
    TFormHistory* form = nullptr;
    test::TDialogDriver dialogs{QString("hist-sim-") +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(HistSimTest, RecordsAtBothIntervalsFollowTheLightAndTheClock) {
    ASSERT_NO_FATAL_FAILURE(
        StartProgram({"--light", "constant 1234.5", "--conversions", "1", "--noise", "0"}));
    EXPECT_EQ(session->Controller().PollPeriod(), 160u) << "the window asks every 160 ms";
    SetField("0");
    Child<QPushButton>("BtnStartStop")->click();
    ASSERT_TRUE(RecordsReach(16));
    test::SaveScreenshot(*form, "hist-sim-recording");
    Child<QPushButton>("BtnStartStop")->click(); // stop question: Yes
    ASSERT_FALSE(form->Recorder().Recording());
    const auto& field0 = Records();
    EXPECT_EQ(form->Recorder().Data().IntervalMs, 160);
    EXPECT_EQ(form->Recorder().Data().SerialNumber, 1001);
    std::vector<int32_t> steps;
    for (size_t i = 1; i < field0.size(); ++i) {
        steps.push_back(field0[i].TimeMs - field0[i - 1].TimeMs);
        EXPECT_NEAR(field0[i].Average, 1234.5, 1.0);
    }
    std::sort(steps.begin(), steps.end());
    EXPECT_NEAR(steps[steps.size() / 2], 160, 20) << "one record per conversion";
    EXPECT_EQ(form->Grid()->model()->index(0, 0).data().toString(), "0:00:00.16");

    SetField("1");
    Child<QPushButton>("BtnStartStop")->click(); // clear question: Yes
    ASSERT_TRUE(RecordsReach(4));
    Child<QPushButton>("BtnStartStop")->click();
    const auto& field1 = Records();
    EXPECT_EQ(form->Recorder().Data().IntervalMs, 1000);
    for (size_t i = 1; i < field1.size(); ++i) {
        EXPECT_NEAR(field1[i].TimeMs - field1[i - 1].TimeMs, 1000, 170);
        EXPECT_NEAR(field1[i].Average, 1234.5, 1.0);
    }
    EXPECT_EQ(form->Grid()->model()->index(1, 0).data().toString(), "0:00:02");
    ASSERT_GE(dialogs.texts.size(), 3u);
    EXPECT_EQ(dialogs.texts[0], "Stop history registration?");
    EXPECT_EQ(dialogs.texts[1], "Clear history log?");
}

TEST_F(HistSimTest, WindowChangesRangesByItselfWhileRecording) {
    ASSERT_NO_FATAL_FAILURE(StartProgram({"--light", "constant 500", "--conversions", "1", "--noise", "0"}));
    Child<QCheckBox>("ChBAutoRange")->click();
    EXPECT_TRUE(main->Action("MenuAutoRange")->isChecked()) << "the box and the menu item are one setting";
    SetField("0");
    Child<QPushButton>("BtnStartStop")->click();
    ASSERT_TRUE(RecordsReach(3));
    EXPECT_FLOAT_EQ(Records().back().FullScale, 2000);
    sim->Control("light steps 3 5000 500");
    ASSERT_TRUE(
        test::PumpUntil([&] { return !Records().empty() && Records().back().FullScale == 20000; }, 10s))
        << "5 klx does not fit the 2 klx range";
    EXPECT_NE(sim->Control("get").find("range=2"), std::string::npos);
    EXPECT_NEAR(Records().back().Average, 5000, 5);
    ASSERT_TRUE(test::PumpUntil([&] { return Records().back().FullScale == 2000; }, 10s))
        << "and 500 lx goes back down";
    EXPECT_NEAR(Records().back().Average, 500, 1);
    test::SaveScreenshot(*form, "hist-sim-ranging");
}

TEST_F(HistSimTest, SavingWhileRecordingAppendsAndTheExportMatchesTheTool) {
    ASSERT_NO_FATAL_FAILURE(
        StartProgram({"--light", "sine 800 200 20", "--conversions", "1", "--noise", "0"}));
    dialogs.clearCheckBoxes = true; // no spreadsheet is opened by the export note
    const std::string saved = folder / "day.dat", exported = folder / "day.txt";
    SetField("0");
    Child<QPushButton>("BtnStartStop")->click();
    ASSERT_TRUE(RecordsReach(8));
    dialogs.files = {QString::fromStdString(saved)};
    Child<QPushButton>("BtnSave")->click();
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_EQ(Child<QPushButton>("BtnSave")->text(), "Save");
    EXPECT_EQ(form->windowTitle(), "K730 Measures history log:  day.dat");
    struct stat first {};
    ::stat(saved.c_str(), &first);
    const size_t savedRecords = static_cast<size_t>(form->Recorder().Data().SavedCount);
    ASSERT_TRUE(RecordsReach(savedRecords + 6));
    Child<QPushButton>("BtnSave")->click();
    struct stat second {};
    ::stat(saved.c_str(), &second);
    EXPECT_EQ(second.st_ino, first.st_ino) << "the second save appends to the same file";
    const auto added = static_cast<size_t>(form->Recorder().Data().SavedCount) - savedRecords;
    EXPECT_GE(added, 6u);
    EXPECT_EQ(static_cast<size_t>(second.st_size),
              static_cast<size_t>(first.st_size) + added * HIST_SAMPLE_SIZE);

    Child<QPushButton>("BtnStartStop")->click();
    Child<QPushButton>("BtnSave")->click();
    dialogs.files = {QString::fromStdString(exported)};
    Child<QAbstractButton>("BtnExport")->click();
    THistData read;
    std::string comment;
    ASSERT_TRUE(ReadHistFile(saved, read, comment));
    EXPECT_EQ(read.Samples, form->Recorder().Data().Samples);
    const std::string decimal(1, LocaleDecimalSeparator());
    const std::string tool = test::BuildDir() + "/src/tool/k730-tool hist export " + saved + " " +
                             (folder / "tool.txt") + " --lang en --decimal " + decimal;
    ASSERT_EQ(test::RunCommand(tool).status, 0);
    EXPECT_EQ(test::ReadBytes(exported), test::ReadBytes(folder / "tool.txt"));
}

TEST_F(HistSimTest, ClosingTheMainWindowWhileRecordingAsksFirst) {
    ASSERT_NO_FATAL_FAILURE(StartProgram({"--light", "constant 100", "--conversions", "1", "--noise", "0"}));
    Child<QPushButton>("BtnStartStop")->click();
    ASSERT_TRUE(RecordsReach(1));
    dialogs.buttons = {"BtnNo"};
    main->close();
    ASSERT_FALSE(dialogs.texts.empty());
    EXPECT_EQ(dialogs.texts.back(),
              "WARNING\nHistory registration in progress.\nClosing application causes data "
              "lost.\nAre you sure to continue?");
    EXPECT_TRUE(main->isVisible()) << "No keeps the program open";
    EXPECT_TRUE(form->Recorder().Recording());
    main->close();
    EXPECT_FALSE(main->isVisible());
    session->Close();
    EXPECT_EQ(session->History().Form(), nullptr) << "the history window went with it, without asking again";
    EXPECT_EQ(dialogs.texts.size(), 2u);
}

} // namespace
} // namespace k730
