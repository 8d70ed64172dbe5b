// The calibration from end to end: the main window, its session and the real
// wizard window against a simulated meter whose loop driver is 1 % low and
// whose detector needs another result factor. Every message box is answered
// as an operator would, and the amperemeter is the simulator's "current".
#include "calibration/CalCommands.h"
#include "calibration/K730CAL.h"
#include "calibration/K730HistCAL.h"
#include "calibration/K730SaveCAL.h"
#include "files/CalLog.h"
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MemorySettingsStore.h"
#include "support/GuiPump.h"
#include "support/Screenshot.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"
#include "DialogAnswerer.h"
#include "ui/ConfBox.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <map>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::PumpUntil;

class CalSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k730-calsim-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        setenv("K730_PORTS_DIR", (dir_ / "ports").c_str(), 1);
        setenv("K730_SYSTEM_PORTS", "0", 1);
        sim_ = std::make_unique<test::TSimProcess>(dir_ / "ports");
        ASSERT_TRUE(sim_->Start({"--name", "SIM1", "--state", (dir_ / "sim.json").string(), "--conversions",
                                 "1", "--light", "constant 1000", "--noise", "0", "--drift", "0",
                                 "--sensitivity", "1.5", "--loop-gain", "0.99"}))
            << sim_->Output();
        form_ = std::make_unique<TMainForm>(langEnglish);
        session_ =
            std::make_unique<TMainSession>(*form_, store_, DefaultSettings(dir_.string()), langEnglish);
        Cal().SetLogPaths((dir_ / "K730_CAL.dat").string(), (dir_ / "K730_CAL.bak").string());
        form_->show();
        session_->Start();
        AnswerEveryDialog();
        ASSERT_TRUE(test::ChoosePort(*form_, "SIM1"));
        ASSERT_TRUE(PumpUntil([&] { return session_->Controller().Info().StatusKnown; }, 10s));
    }

    void TearDown() override {
        if (session_) session_->Close();
        session_.reset();
        form_.reset();
        if (sim_) sim_->Stop();
        fs::remove_all(dir_);
    }

    TCalCommands& Cal() { return session_->Calibration(); }

    // Every box is answered; the save dialog by `onSave`, then Yes.
    void AnswerEveryDialog() {
        answerer_ = std::make_unique<test::TDialogAnswerer>(form_.get());
        answerer_->onOther = [this](QWidget& w) {
            auto* save = qobject_cast<TFormSaveCAL*>(&w);
            if (!save) return false;
            if (onSave) onSave(*save);
            save->findChild<QPushButton*>("BtnYes")->click();
            return true;
        };
    }

    bool MessageArrives(const std::string& start, std::chrono::milliseconds limit = 10s) {
        return answerer_->Arrived(start, limit);
    }

    template <typename T = QWidget> T* W(const char* name) const {
        TFormCAL* wizard = session_->Calibration().Wizard();
        return wizard ? wizard->findChild<T*>(name) : nullptr;
    }

    std::string SimGet(const std::string& key) {
        const std::string line = sim_->Control("get");
        const size_t at = line.find(" " + key + "=");
        if (at == std::string::npos) return {};
        const size_t start = at + key.size() + 2;
        return line.substr(start, line.find(' ', start) - start);
    }

    bool MeterInMode(int mode) {
        return PumpUntil([&] { return SimGet("mode") == std::to_string(mode); }, 10s);
    }

    // What the amperemeter in the loop reads, as the operator types it.
    QString Amperemeter() {
        const std::string line = sim_->Control("current");
        const std::string number = line.substr(line.find("current ") + 8);
        return QString::fromStdString(number.substr(0, number.find(' ')));
    }

    static void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->setText(text);
        emit edit->textEdited(text);
    }

    bool Enabled(const char* name) {
        auto* w = W(name);
        return w && w->isEnabled();
    }

    void OpenWizard() {
        form_->Action("MenuCalMeter")->trigger();
        ASSERT_TRUE(PumpUntil([&] { return Cal().Wizard() != nullptr && Enabled("EditDAC0"); }, 10s));
        ASSERT_TRUE(MeterInMode(3));
        // The operator reads the amperemeter once the wizard shows the meter forcing.
        ASSERT_TRUE(PumpUntil([&] { return Cal().Wizard()->Wizard().Snapshot().mode == 3; }, 10s));
    }

    // Step I: the loop is brought to 4 mA with the amperemeter's reading.
    void RunStep1() {
        Type(W<QLineEdit>("EditDAC0"), Amperemeter());
        ASSERT_TRUE(PumpUntil([&] { return Enabled("BtnApplyDAC0"); }, 5s));
        W<QPushButton>("BtnApplyDAC0")->click();
        ASSERT_TRUE(PumpUntil([&] { return Enabled("BtnNext"); }, 10s)) << Dump();
        EXPECT_NEAR(Amperemeter().toDouble(), 4.0, 0.01);
    }

    // Step II: 1000 lx on the detector, the loop current read and applied.
    void RunStep2() {
        W<QPushButton>("BtnNext")->click();
        ASSERT_TRUE(MeterInMode(1));
        // The amperemeter is read once the meter reports the 4 mA value written on Next.
        ASSERT_TRUE(PumpUntil(
            [&] {
                const TCalWizard& w = Cal().Wizard()->Wizard();
                return w.Snapshot().mode == 1 && w.ReadBackReceived(1) &&
                       w.Snapshot().stored4mAValue == w.ConfirmedForcingValue();
            },
            10s));
        Type(W<QLineEdit>("EditE0"), "1000");
        emit W<QLineEdit>("EditE0")->returnPressed();
        EXPECT_TRUE(W<QLabel>("LabelExpect")->text().contains("12"));
        Type(W<QLineEdit>("EditIL"), Amperemeter());
        ASSERT_TRUE(PumpUntil([&] { return Enabled("BtnApplyCAL"); }, 5s));
        W<QPushButton>("BtnApplyCAL")->click();
        ASSERT_TRUE(PumpUntil([&] { return Enabled("BtnSave"); }, 10s)) << Dump();
    }

    std::string Dump() {
        std::string out = "messages:";
        for (const auto& m : answerer_->messages)
            out += " [" + m + "]";
        if (TFormCAL* w = Cal().Wizard()) {
            const TCalWizard& z = w->Wizard();
            const TCalSnapshot& n = z.Snapshot();
            out += " snapshot mode=" + std::to_string(n.mode) + " raw=" + std::to_string(n.rawReading) +
                   " inUse=" + std::to_string(n.loopDacInUse) +
                   " stored=" + std::to_string(n.stored4mAValue) + " fs=" + std::to_string(n.rangeFullScale) +
                   " lf=" + std::to_string(z.LoopFactor()) + " il='" + z.Text(cfIL) + "'";
            out += " requested=" + std::to_string(z.RequestedForcingValue()) +
                   " confirmed=" + std::to_string(z.ConfirmedForcingValue()) + " dac0='" + z.Text(cfDac0) +
                   "'" + " enabled=" + std::to_string(z.ControlsEnabled()) +
                   " modeReq=" + std::to_string(z.ModeChangeRequested());
        }
        return out + " sim: " + sim_->Control("get");
    }

    nlohmann::json SimState() const {
        std::ifstream in(dir_ / "sim.json");
        return nlohmann::json::parse(in, nullptr, false);
    }

    fs::path dir_;
    std::unique_ptr<test::TSimProcess> sim_;
    TMemorySettingsStore store_;
    std::unique_ptr<TMainForm> form_;
    std::unique_ptr<TMainSession> session_;
    std::unique_ptr<test::TDialogAnswerer> answerer_;
    std::function<void(TFormSaveCAL&)> onSave;
};

TEST_F(CalSimTest, TechnicianCalibratesTheMeterAndTheLogGetsTheRecord) {
    EXPECT_FALSE(form_->Action("MenuHistCAL")->isVisible()) << "no log yet";
    OpenWizard();
    test::SaveScreenshot(*Cal().Wizard(), "cal-wizard-step1-sim");
    RunStep1();
    RunStep2();
    test::SaveScreenshot(*Cal().Wizard(), "cal-wizard-step2-sim");
    const TCalSaveValues echoed = *Cal().Wizard()->Wizard().SaveValues();
    onSave = [](TFormSaveCAL& dialog) {
        dialog.findChild<QCheckBox*>("ChBAddComment")->setChecked(true);
        dialog.findChild<QPlainTextEdit*>("MemoComment")->setPlainText("Lamp 7\nbench 2");
        test::SaveScreenshot(dialog, "cal-save-dialog-sim");
    };
    W<QPushButton>("BtnSave")->click();
    ASSERT_TRUE(MessageArrives("Calibration data added to history log.\r\n\r\nCalibration factors saved:"))
        << Dump();
    EXPECT_TRUE(PumpUntil([&] { return Cal().Wizard() == nullptr; }, 5s));
    EXPECT_TRUE(MeterInMode(0));

    const TCalLogRead log = ReadCalLog((dir_ / "K730_CAL.dat").string());
    ASSERT_TRUE(log.valid);
    ASSERT_EQ(log.records.size(), 1u);
    const TCalLogRecord& r = log.records[0];
    EXPECT_EQ(r.Comment, "Lamp 7\r\nbench 2");
    EXPECT_EQ(r.MeterType, "K-730/V/20k/E/0");
    EXPECT_EQ(r.OldForcingValue4mA, 0x4000u);
    EXPECT_EQ(r.NewForcingValue4mA, echoed.forcing4mA);
    EXPECT_EQ(r.NewLoopFactor, echoed.loopFactor);
    EXPECT_EQ(r.NewResultFactor, echoed.resultFactor);
    EXPECT_NEAR(r.NewResultFactor, 1.5f, 1e-3f) << "the detector's own sensitivity";
    EXPECT_TRUE(form_->Action("MenuHistCAL")->isVisible());
    EXPECT_TRUE(form_->Action("MenuCalExport")->isEnabled());

    // The meter stored what it echoed, and its loop carries 4 mA at no light.
    ASSERT_TRUE(PumpUntil([&] { return SimState().value("forcing4mA", 0u) == echoed.forcing4mA; }, 5s));
    const nlohmann::json state = SimState();
    EXPECT_EQ(state["resultFactor"].get<float>(), echoed.resultFactor);
    EXPECT_EQ(state["loopFactor"].get<float>(), echoed.loopFactor);
    EXPECT_EQ(state["calTempCode"].get<uint32_t>(), echoed.calTempCode);
    EXPECT_NEAR(std::stod(SimGet("value")), 1000.0, 1.0) << "the reading is true now";
    EXPECT_NEAR(Amperemeter().toDouble(), 12.0, 0.01) << "and so is the loop at the reference";
    sim_->Control("light constant 0");
    EXPECT_NEAR(Amperemeter().toDouble(), 4.0, 0.01);
}

TEST_F(CalSimTest, FactorsOfARecordAreProgrammedBackFromTheHistory) {
    OpenWizard();
    RunStep1();
    RunStep2();
    W<QPushButton>("BtnSave")->click();
    ASSERT_TRUE(MessageArrives("Calibration data added to history log."));
    ASSERT_TRUE(PumpUntil([&] { return Cal().Wizard() == nullptr && SimGet("mode") == "0"; }, 10s));
    answerer_->Clear();
    onSave = [](TFormSaveCAL& dialog) {
        EXPECT_TRUE(dialog.findChild<QPlainTextEdit*>("MemoComment")
                        ->toPlainText()
                        .startsWith("Calibration copy from "));
        dialog.findChild<QCheckBox*>("ChBAddComment")->setChecked(true);
    };
    bool programmed = false;
    auto previous = answerer_->onOther;
    answerer_->onOther = [&](QWidget& w) {
        auto* history = qobject_cast<TFormHistCAL*>(&w);
        if (!history) return previous(w);
        test::SaveScreenshot(*history, "cal-history-sim");
        auto* grid = history->findChild<QTableView*>("SGData");
        grid->selectRow(0);
        QTimer::singleShot(0, history, [&, history] {
            history->findChild<QPushButton*>("BtnSet")->click();
            programmed = PumpUntil([&] { return history->History().Records().size() == 2; }, 10s);
            history->reject();
        });
        return true;
    };
    form_->Action("MenuHistCAL")->trigger();
    EXPECT_TRUE(programmed) << "the window shows the new record";
    EXPECT_TRUE(MessageArrives("Calibration data added to history log.\r\n\r\nCalibration factors saved:"));
    const TCalLogRead log = ReadCalLog((dir_ / "K730_CAL.dat").string());
    ASSERT_EQ(log.records.size(), 2u);
    EXPECT_EQ(log.records[0].NewResultFactor, log.records[1].NewResultFactor);
    EXPECT_TRUE(log.records[0].Comment.rfind("Calibration copy from ", 0) == 0) << log.records[0].Comment;
    EXPECT_TRUE(MeterInMode(0));
}

TEST_F(CalSimTest, MeterPulledDuringStepTwoStartsTheProcedureAgain) {
    OpenWizard();
    RunStep1();
    W<QPushButton>("BtnNext")->click();
    ASSERT_TRUE(MeterInMode(1));
    sim_->Control("fault unplug 1000");
    ASSERT_TRUE(MessageArrives("There was an unexpected calibration mode off.", 20s)) << Dump();
    ASSERT_NE(Cal().Wizard(), nullptr);
    EXPECT_EQ(Cal().Wizard()->Wizard().Step(), csStep1);
    EXPECT_TRUE(MeterInMode(3)) << "step I again, in forcing mode";
    W<QPushButton>("BtnCancel")->click();
    EXPECT_TRUE(PumpUntil([&] { return Cal().Wizard() == nullptr; }, 5s));
    EXPECT_TRUE(MeterInMode(0));
}

TEST_F(CalSimTest, RefusedSaveKeepsTheWizardOpenAndTheLogUntouched) {
    OpenWizard();
    RunStep1();
    RunStep2();
    sim_->Control("fault refuse 13");
    W<QPushButton>("BtnSave")->click();
    ASSERT_TRUE(MessageArrives("Saving calibration factors was unsuccessful."));
    EXPECT_NE(Cal().Wizard(), nullptr);
    EXPECT_FALSE(fs::exists(dir_ / "K730_CAL.dat"));
    sim_->Control("fault none");
    W<QPushButton>("BtnSave")->click();
    EXPECT_TRUE(MessageArrives("Calibration data added to history log."));
}

TEST_F(CalSimTest, DifferentMeterAnsweringClosesTheWizard) {
    OpenWizard();
    sim_->Control("fault answer-as 7");
    ASSERT_TRUE(MessageArrives("Meter was changed.\r\nCalibration procedure aborted.")) << Dump();
    EXPECT_TRUE(PumpUntil([&] { return Cal().Wizard() == nullptr; }, 5s));
}

TEST_F(CalSimTest, OpeningNeedsTheCurrentLoopAndTheOperatorsYes) {
    answerer_->buttons["WARNING\r\nCalibration procedure started."] = "BtnNo";
    form_->Action("MenuCalMeter")->trigger();
    ASSERT_TRUE(MessageArrives("WARNING\r\nCalibration procedure started."));
    EXPECT_EQ(Cal().Wizard(), nullptr);
    sim_->Control("loop off");
    ASSERT_TRUE(PumpUntil([&] { return (session_->Controller().Info().StatusFlags & 0x40) == 0; }, 5s));
    form_->Action("MenuCalMeter")->trigger();
    EXPECT_TRUE(MessageArrives("Current loop is turned off.\r\nTurn it on and try again."));
    EXPECT_EQ(Cal().Wizard(), nullptr);
}

} // namespace
} // namespace k730
