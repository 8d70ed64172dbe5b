// The service window from end to end against k730-sim: opened from the main
// window's service button, a template applied, the identity programmed in one
// run and read back; the main window, k730-tool and a restarted simulator
// then know the meter by its new identity, and a write the meter refuses
// leaves it unchanged and is shown as not programmed.
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MemorySettingsStore.h"
#include "service/AnnouncementListener.h"
#include "service/K730FrameRes.h"
#include "service/K730Service.h"
#include "service/K730Template.h"
#include "service/PageBin.h"
#include "service/ResultAnnouncement.h"
#include "service/ServiceLink.h"
#include "support/GuiPump.h"
#include "support/MessageReader.h"
#include "support/Screenshot.h"
#include "support/SimProcess.h"
#include "support/TestSupport.h"
#include "ui/ConfBox.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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
        ASSERT_TRUE(test::PumpUntil([&] { return MainText("LabelMeterNumber") == "1001/2024"; }, 10s));
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
    ASSERT_TRUE(
        test::PumpUntil([&] { return Child<QLineEdit>("EditSN")->text() == "1001" && ReadBack(); }, 10s));
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
    ASSERT_TRUE(test::PumpUntil([&] { return MainText("LabelMeterNumber") == "4321/2031"; }, 10s))
        << SimState();
    EXPECT_EQ(MainText("LabelMeterName"), "K-730/V/20k/L1\u00B0/5/T1");
    ASSERT_TRUE(test::PumpUntil([&] { return ReadBack(); }, 10s));
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
    ASSERT_TRUE(
        test::PumpUntil([&] { return Child<QLineEdit>("EditSN")->text() == "1001" && ReadBack(); }, 10s));
    ASSERT_EQ(sim_->Control("fault refuse 0x63"), "ok");
    Type("EditSN", "5555");
    Type("EditMeterVer", "R2");
    Child<QPushButton>("BtnProgram")->click();
    ASSERT_TRUE(test::PumpUntil([&] { return MainText("LabelMeterName") == "K-730/V/20k/E/0/R2"; }, 10s));
    ASSERT_TRUE(test::PumpUntil([&] { return ReadBack(); }, 10s));
    EXPECT_EQ(Child<QLabel>("LabelStatusSN")->text(), "niezaprogramowane") << "the meter refused it";
    EXPECT_EQ(Child<QLabel>("LabelStatusMeterVer")->text(), "zaprogramowane");
    EXPECT_EQ(Child<QLineEdit>("EditSN")->text(), "5555") << "what was typed stays for another try";
    EXPECT_EQ(MainText("LabelMeterNumber"), "1001/2024");
    EXPECT_NE(SimState().find("\"serial\": 1001"), std::string::npos);
    test::SaveScreenshot(*Service(), "service-refused");

    // With the fault gone the same run goes through.
    ASSERT_EQ(sim_->Control("fault none"), "ok");
    Child<QPushButton>("BtnProgram")->click();
    ASSERT_TRUE(test::PumpUntil([&] { return MainText("LabelMeterNumber") == "5555/2024"; }, 10s));
    ASSERT_TRUE(
        test::PumpUntil([&] { return Child<QLabel>("LabelStatusSN")->text() == "zaprogramowane"; }, 10s));
}

TEST_F(ServiceSimTest, OpeningTwiceBringsTheOneWindowBackAndClosingStopsTheServiceReads) {
    form_->Action("MenuService")->trigger();
    TFormService* first = Service();
    ASSERT_NE(first, nullptr);
    form_->findChild<QToolButton*>("BtnService")->click();
    EXPECT_EQ(Service(), first) << "a single window";
    ASSERT_TRUE(test::PumpUntil([&] { return ReadBack(); }, 10s));
    auto* view = form_->findChild<QMenu*>("MenuView");
    form_->Action("MenuService")->setChecked(false);
    emit view->aboutToShow();
    EXPECT_TRUE(form_->Action("MenuService")->isChecked()) << "the View menu shows the open window";
    first->close();
    ASSERT_TRUE(test::PumpUntil([&] { return Service() == nullptr; }, 2s));
    emit view->aboutToShow();
    EXPECT_FALSE(form_->Action("MenuService")->isChecked());
    session_->Controller().Scheduler().ResetSession();
    EXPECT_FALSE(session_->Controller().Scheduler().Slot(slotSvcConfig).pending);
}

// --- the constant pages, hand-typed requests and result lines ------------------

class ServicePagesSimTest : public ServiceSimTest {
protected:
    void OpenOn(TServicePage page) {
        form_->findChild<QToolButton*>("BtnService")->click();
        ASSERT_NE(Service(), nullptr);
        Service()->ShowPage(page);
        ASSERT_TRUE(test::PumpUntil([&] { return Service()->Constants().HasBlock(); }, 10s));
    }

    // The result average the results frame shows.
    double FrameResult() const {
        QString text = Service()->BinPage()->Frame()->Decoded(3)->text();
        return text.replace(',', '.').toDouble();
    }

    double SimCurrent() {
        const std::string reply = sim_->Control("current"); // "SIM1 current 7.9178 mA"
        const size_t at = reply.find("current ");
        return at == std::string::npos ? -1 : std::stod(reply.substr(at + 8));
    }

    // The main window's messages are read and closed as soon as they show.
    void ReadMessages() { test::ReadEveryMessage(form_.get(), messages_); }

    std::vector<std::string> messages_;
};

TEST_F(ServicePagesSimTest, RangeFactorScalesTheDisplayedValue) {
    ASSERT_EQ(sim_->Control("light constant 1000"), "ok");
    ASSERT_EQ(sim_->Control("noise 0"), "ok");
    OpenOn(spFactors);
    ASSERT_TRUE(test::PumpUntil([&] { return Child<QLineEdit>("EditRF1")->isEnabled(); }, 10s));
    ASSERT_TRUE(test::PumpUntil([&] { return std::abs(FrameResult() - 1000) < 1; }, 10s)) << FrameResult();
    Type("EditRF1", "1.1"); // the default range, 2 klx, is in use
    ASSERT_TRUE(Child<QPushButton>("BtnSetKRange")->isEnabled());
    Child<QPushButton>("BtnSetKRange")->click();
    EXPECT_TRUE(test::PumpUntil([&] { return std::abs(FrameResult() - 1100) < 1; }, 10s)) << FrameResult();
    EXPECT_TRUE(test::PumpUntil([&] { return Child<QLabel>("LabelReadRF1")->text().startsWith("1"); }, 10s));
    EXPECT_NE(SimState().find("1.1"), std::string::npos) << "persisted: " << SimState();
    test::SaveScreenshot(*Service(), "service-sim-factors");
}

TEST_F(ServicePagesSimTest, DacPageForcesTwelveMilliamps) {
    ASSERT_EQ(sim_->Control("loop-hw 1 0"), "ok"); // an ideal loop driver: 4096 codes per mA
    OpenOn(spDac);
    ASSERT_TRUE(test::PumpUntil([&] { return Child<QPushButton>("BtnDACSet")->isEnabled(); }, 10s));
    Type("EditDACSet", "0C000");
    Child<QPushButton>("BtnDACSet")->click();
    EXPECT_TRUE(test::PumpUntil([&] { return std::abs(SimCurrent() - 12.0) < 0.001; }, 10s)) << SimCurrent();
    EXPECT_TRUE(test::PumpUntil([&] { return Child<QLabel>("LabelDACRead")->text() == "0000C000"; }, 10s));
    EXPECT_TRUE(test::PumpUntil([&] { return Child<QPushButton>("BtnSetDAC0")->isEnabled(); }, 10s))
        << "mode 4";
    test::SaveScreenshot(*Service(), "service-sim-dac");
    // Leaving the page lets the loop follow the light again.
    Service()->ShowPage(spBin);
    EXPECT_TRUE(test::PumpUntil([&] { return std::abs(SimCurrent() - 12.0) > 0.01; }, 10s));
}

TEST_F(ServicePagesSimTest, CalibrationConstantsAreWrittenAndReadBack) {
    OpenOn(spCal);
    ASSERT_TRUE(test::PumpUntil([&] { return Child<QLineEdit>("EditKE")->isEnabled(); }, 10s));
    EXPECT_TRUE(Child<QRadioButton>("RBProgramSet")->isChecked()) << "the meter's 4 mA value is valid";
    Type("EditKE", "1.5");
    Type("EditKL", "1.25");
    std::string question;
    Service()->AskYesNo = [&](const std::string& q) {
        question = q;
        return true;
    };
    ReadMessages();
    ASSERT_TRUE(Child<QPushButton>("BtnSetCAL")->isEnabled());
    Child<QPushButton>("BtnSetCAL")->click();
    EXPECT_NE(question.find("0x4000"), std::string::npos) << question;
    // The meter's confirmation of the save is told as the wizard's is, with the values stored.
    ASSERT_TRUE(test::PumpUntil([&] { return !messages_.empty(); }, 10s));
    EXPECT_NE(messages_[0].find("0x4000"), std::string::npos) << messages_[0];
    const auto shown = [&](const char* label) { return Child<QLabel>(label)->text().replace(',', '.'); };
    EXPECT_TRUE(test::PumpUntil(
        [&] { return shown("LabelValKE") == "1.5000000" && shown("LabelValKL") == "1.2500000"; }, 10s));
    EXPECT_NE(SimState().find("\"resultFactor\": 1.5"), std::string::npos) << SimState();
    EXPECT_TRUE(test::PumpUntil([&] { return session_->Controller().MeterMode() == 0; }, 10s))
        << "back in normal mode";
    test::SaveScreenshot(*Service(), "service-sim-cal");
}

TEST_F(ServicePagesSimTest, HandTypedStatusRequestIsAnswered) {
    OpenOn(spBin);
    EXPECT_EQ(Child<QLineEdit>("EditAddr")->text(), "0001");
    Type("EditCmd1", "0x04");
    Child<QPushButton>("BtnSend1")->click();
    ASSERT_TRUE(test::PumpUntil(
        [&] { return Child<QLabel>("LabelRawState")->text() == "Miernik wykonał polecenie."; }, 10s))
        << Child<QLabel>("LabelRawState")->text().toStdString();
    const QStringList answer = Child<QLineEdit>("EditRawAnswer")->text().split(' ');
    ASSERT_GT(answer.size(), 8);
    EXPECT_EQ(answer.mid(3, 4).join(' '), "84 06 01 00") << "the status answer of meter 0x0001";
    // A command the meter does not know is refused, and the page says so.
    Type("EditCmd2", "0x3F");
    Child<QPushButton>("BtnSend2")->click();
    EXPECT_TRUE(test::PumpUntil(
        [&] { return Child<QLabel>("LabelRawState")->text().startsWith("Miernik odrzucił"); }, 10s))
        << Child<QLabel>("LabelRawState")->text().toStdString();
    test::SaveScreenshot(*Service(), "service-sim-raw");
}

TEST_F(ServicePagesSimTest, ThreeResultLinesGiveThreeAnnouncements) {
    const fs::path share = dir_ / "share";
    setenv("K730_SHARE_DIR", share.c_str(), 1);
    fs::create_directories(share);
    test::TAnnouncementListener listener((share / "listener.sock").string());
    ASSERT_TRUE(listener.Bound());
    OpenOn(spBin);
    const std::string results = (dir_ / "wyniki.txt").string();
    Service()->ChooseResultsFile = [&](const QString&) { return QString::fromStdString(results); };
    for (int i = 0; i < 3; ++i)
        Service()->SaveAddClicked();
    std::vector<TResultAnnouncement> got;
    ASSERT_TRUE(test::PumpUntil(
        [&] {
            while (const auto d = listener.Take())
                if (const auto a = ParseResultAnnouncement(*d)) got.push_back(*a);
            return got.size() >= 3;
        },
        5s));
    EXPECT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].fileName, results);
    EXPECT_EQ(got[2].lParam, RESULT_FROM_RESULTS);
    std::ifstream in(results, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
    unsetenv("K730_SHARE_DIR");
}

} // namespace
} // namespace k730
