// The service window from end to end against k730-sim: opened from the main
// window's service button, a template applied, the identity programmed in one
// run and read back; the main window, k730-tool and a restarted simulator
// then know the meter by its new identity, and a write the meter refuses
// leaves it unchanged and is shown as not programmed.
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MemorySettingsStore.h"
#include "service/K730Service.h"
#include "service/K730Template.h"
#include "service/ServiceLink.h"
#include "support/GuiPump.h"
#include "support/Screenshot.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <filesystem>
#include <fstream>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return test::PumpUntil(done, limit);
}

// A luminance meter with a one-degree field: the descriptor carries "°".
TTemplateRec LuminanceTemplate() {
    TTemplateRec t;
    t.MeterName = "K-730/V/20k/L1\u00B0/5/T1";
    t.UserName = "Miernik luminancji 1°";
    t.MeterKind = 0x81;
    t.Spectral = "V";
    t.LumMode = 1;
    t.Aperture = "1\u00B0";
    t.Ranges = {200, 2000, 20000};
    t.DefaultRange = 2;
    t.Config = 5;
    t.Version = "T1";
    return t;
}

class ServiceSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k730-service-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        setenv("K730_PORTS_DIR", (dir_ / "ports").c_str(), 1);
        setenv("K730_SYSTEM_PORTS", "0", 1);
        TTemplateArray library = {LuminanceTemplate()};
        ASSERT_TRUE(
            WriteTemplateLibrary((dir_ / "K730_Template.dat").string(), DefaultSpectralLists(), library));
        sim_ = std::make_unique<test::TSimProcess>(dir_ / "ports");
        ASSERT_TRUE(StartSim()) << sim_->Output();
        form_ = std::make_unique<TMainForm>(langPolish);
        session_ = std::make_unique<TMainSession>(*form_, store_, DefaultSettings(dir_.string()), langPolish);
        session_->SetDataFolder(dir_.string() + "/");
        form_->show();
        session_->Start();
        auto* device = form_->findChild<QComboBox*>("CBDevice");
        const int index = device->findText("SIM1");
        ASSERT_GT(index, 0);
        device->setCurrentIndex(index);
        emit device->activated(index);
        ASSERT_TRUE(Pump([&] { return MainText("LabelMeterNumber") == "1001/2024"; }, 10s));
    }

    void TearDown() override {
        CloseProgram();
        if (sim_) sim_->Stop();
        fs::remove_all(dir_);
    }

    bool StartSim() {
        return sim_->Start({"--name", "SIM1", "--conversions", "1", "--state", (dir_ / "sim.json").string()});
    }

    void CloseProgram() {
        if (session_) session_->Close();
        session_.reset();
        form_.reset();
    }

    QString MainText(const char* label) const { return form_->findChild<QLabel*>(label)->text(); }

    TFormService* Service() const { return session_->Service().Form(); }
    template <typename T = QWidget> T* Child(const char* name) const {
        return Service()->findChild<T*>(QString::fromUtf8(name));
    }

    void Type(const char* box, const QString& text) {
        auto* edit = Child<QLineEdit>(box);
        edit->setText(text);
        emit edit->textEdited(text);
    }

    // Every answer of a refresh or a programming run has been taken in.
    bool ReadBack() const {
        const TIdentityProgrammer& rules = Service()->Rules();
        return !rules.ExpectingIdentity() && !rules.ExpectingConfig() && !rules.ExpectingDefaultRange();
    }

    std::string SimState() const {
        std::ifstream in(dir_ / "sim.json");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
    std::unique_ptr<test::TSimProcess> sim_;
    TMemorySettingsStore store_;
    std::unique_ptr<TMainForm> form_;
    std::unique_ptr<TMainSession> session_;
};

TEST_F(ServiceSimTest, TemplateProgrammedInOneRunIsTheMetersNewIdentity) {
    form_->findChild<QToolButton*>("BtnService")->click();
    ASSERT_NE(Service(), nullptr);
    ASSERT_TRUE(Pump([&] { return Child<QLineEdit>("EditSN")->text() == "1001" && ReadBack(); }, 10s));
    EXPECT_EQ(Child<QLabel>("LabelMeterName")->text(), "K-730/V/20k/E/0");
    EXPECT_EQ(Child<QLabel>("LabelStatusSN")->text(), "zaprogramowane");

    Service()->RunTemplateEditor = [](TFormTemplate& editor) {
        editor.Editor().SelectRow(0);
        return editor.Editor().Choose() ? static_cast<int>(QDialog::Accepted)
                                        : static_cast<int>(QDialog::Rejected);
    };
    Service()->RefreshTemplateMenu();
    Service()->TemplateMenu()->findChild<QAction*>("MenuOpen")->trigger();
    Type("EditSN", "4321");
    Type("EditYear", "2031");
    EXPECT_EQ(Child<QLabel>("LabelMeterName")->text(), "K-730/V/20k/L1\u00B0/5/T1");
    EXPECT_EQ(Child<QLabel>("LabelStatusSN")->text(), "niezaprogramowane");
    ASSERT_TRUE(Child<QPushButton>("BtnProgram")->isEnabled());
    Child<QPushButton>("BtnProgram")->click();

    // The main window identifies the meter again and shows what was programmed.
    ASSERT_TRUE(Pump([&] { return MainText("LabelMeterNumber") == "4321/2031"; }, 10s)) << SimState();
    EXPECT_EQ(MainText("LabelMeterName"), "K-730/V/20k/L1\u00B0/5/T1");
    ASSERT_TRUE(Pump([&] { return ReadBack(); }, 10s));
    for (const char* status :
         {"LabelStatusName", "LabelStatusSN", "LabelStatusYear", "LabelStatusKind", "LabelStatusSpectral",
          "LabelStatusLumMode", "LabelStatusAngle", "LabelStatusRange0", "LabelStatusRange1",
          "LabelStatusRange2", "LabelStatusConfig", "LabelStatusMeterVer"}) {
        EXPECT_TRUE(Child<QLabel>(status)->isVisible()) << status;
        EXPECT_EQ(Child<QLabel>(status)->text(), "zaprogramowane") << status;
    }
    test::SaveScreenshot(*Service(), "service-programmed");
    const std::string state = SimState();
    EXPECT_NE(state.find("\"serial\": 4321"), std::string::npos) << state;
    EXPECT_NE(state.find("\"defaultRange\": 2"), std::string::npos) << state;

    // What was programmed survives the simulator's restart, and another
    // program reads it as well.
    CloseProgram();
    sim_->Stop();
    ASSERT_TRUE(StartSim()) << sim_->Output();
    const test::TCommandRun run =
        test::RunCommand(test::BuildDir() + "/src/tool/k730-tool identify SIM1 --json 2>/dev/null");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto id = nlohmann::json::parse(run.out);
    EXPECT_EQ(id["descriptor"], "K-730/V/20k/L1\u00B0/5/T1");
    EXPECT_EQ(id["serial"], 4321);
    EXPECT_EQ(id["year"], 2031);
    EXPECT_EQ(id["kind"], 1);
    EXPECT_EQ(id["lum_mode"], true);
}

TEST_F(ServiceSimTest, RefusedWriteLeavesTheMeterUnchangedAndSaysSo) {
    form_->Action("MenuService")->trigger();
    ASSERT_TRUE(Pump([&] { return Child<QLineEdit>("EditSN")->text() == "1001" && ReadBack(); }, 10s));
    ASSERT_EQ(sim_->Control("fault refuse 0x63"), "ok");
    Type("EditSN", "5555");
    Type("EditMeterVer", "R2");
    Child<QPushButton>("BtnProgram")->click();
    ASSERT_TRUE(Pump([&] { return MainText("LabelMeterName") == "K-730/V/20k/E/0/R2"; }, 10s));
    ASSERT_TRUE(Pump([&] { return ReadBack(); }, 10s));
    EXPECT_EQ(Child<QLabel>("LabelStatusSN")->text(), "niezaprogramowane") << "the meter refused it";
    EXPECT_EQ(Child<QLabel>("LabelStatusMeterVer")->text(), "zaprogramowane");
    EXPECT_EQ(Child<QLineEdit>("EditSN")->text(), "5555") << "what was typed stays for another try";
    EXPECT_EQ(MainText("LabelMeterNumber"), "1001/2024");
    EXPECT_NE(SimState().find("\"serial\": 1001"), std::string::npos);
    test::SaveScreenshot(*Service(), "service-refused");

    // With the fault gone the same run goes through.
    ASSERT_EQ(sim_->Control("fault none"), "ok");
    Child<QPushButton>("BtnProgram")->click();
    ASSERT_TRUE(Pump([&] { return MainText("LabelMeterNumber") == "5555/2024"; }, 10s));
    ASSERT_TRUE(Pump([&] { return Child<QLabel>("LabelStatusSN")->text() == "zaprogramowane"; }, 10s));
}

TEST_F(ServiceSimTest, OpeningTwiceBringsTheOneWindowBackAndClosingStopsTheServiceReads) {
    form_->Action("MenuService")->trigger();
    TFormService* first = Service();
    ASSERT_NE(first, nullptr);
    form_->findChild<QToolButton*>("BtnService")->click();
    EXPECT_EQ(Service(), first) << "a single window";
    ASSERT_TRUE(Pump([&] { return ReadBack(); }, 10s));
    auto* view = form_->findChild<QMenu*>("MenuView");
    form_->Action("MenuService")->setChecked(false);
    emit view->aboutToShow();
    EXPECT_TRUE(form_->Action("MenuService")->isChecked()) << "the View menu shows the open window";
    first->close();
    ASSERT_TRUE(Pump([&] { return Service() == nullptr; }, 2s));
    emit view->aboutToShow();
    EXPECT_FALSE(form_->Action("MenuService")->isChecked());
    session_->Controller().Scheduler().ResetSession();
    EXPECT_FALSE(session_->Controller().Scheduler().Slot(slotSvcConfig).pending);
}

} // namespace
} // namespace k730
