// The main window's meter commands from end to end: the settings panel,
// zeroing and range changes against a simulated meter, with every message
// box answered (and remembered) as a user would.
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MainCommands.h"
#include "main/MemorySettingsStore.h"
#include "main/PanelSettings.h"
#include "service/K730Service.h"
#include "service/ServiceLink.h"
#include "support/SimProcess.h"
#include "support/GuiPump.h"
#include "support/MessageReader.h"
#include "support/TestSupport.h"
#include "ui/ConfBox.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class MainCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k730-commands-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        setenv("K730_PORTS_DIR", (dir_ / "ports").c_str(), 1);
        setenv("K730_SYSTEM_PORTS", "0", 1);
        sim_ = std::make_unique<test::TSimProcess>(dir_ / "ports");
        ASSERT_TRUE(sim_->Start({"--name", "SIM1", "--ranges", "2", "20", "200", "--conversions", "1",
                                 "--zero-ms", "1200", "--light", "constant 12"}))
            << sim_->Output();
        form_ = std::make_unique<TMainForm>(langEnglish);
        session_ =
            std::make_unique<TMainSession>(*form_, store_, DefaultSettings(dir_.string()), langEnglish);
        form_->show();
        session_->Start();
        AnswerEveryDialog();
        ASSERT_TRUE(test::ChoosePort(*form_, "SIM1"));
        ASSERT_TRUE(
            test::PumpUntil([&] { return Child<QLabel>("LabelValue")->text().startsWith("12"); }, 10s));
    }

    void TearDown() override {
        if (session_) session_->Close();
        session_.reset();
        form_.reset();
        if (sim_) sim_->Stop();
        fs::remove_all(dir_);
    }

    template <typename T = QWidget> T* Child(const char* name) const {
        return form_->findChild<T*>(QString::fromUtf8(name));
    }

    // Every message box is read and closed with its first button, as soon as it shows.
    void AnswerEveryDialog() { test::ReadEveryMessage(form_.get(), messages_); }

    bool MessageArrives(const std::string& text, std::chrono::milliseconds limit = 5s) {
        return test::PumpUntil(
            [&] { return std::find(messages_.begin(), messages_.end(), text) != messages_.end(); }, limit);
    }

    void Apply(const QString& text) {
        Child<QLineEdit>("EditValue")->setText(text);
        Child<QPushButton>("BtnSettingsOK")->click();
    }

    bool PanelOpen() const { return form_->SettingsPanelOpen(); }

    void Shot(const char* name) { test::SaveScreenshot(*form_, name); }

    fs::path dir_;
    std::unique_ptr<test::TSimProcess> sim_;
    TMemorySettingsStore store_;
    std::unique_ptr<TMainForm> form_;
    std::unique_ptr<TMainSession> session_;
    std::vector<std::string> messages_;
};

TEST_F(MainCommandsTest, AddressesAndConversionsAreConfirmedByTheMeter) {
    TMeterController& meter = session_->Controller();
    form_->Action("MenuAddrMerBus")->trigger();
    ASSERT_TRUE(PanelOpen());
    EXPECT_EQ(Child<QLineEdit>("EditValue")->text(), "0001");
    Shot("panel-merbus");
    Apply("FFFF");
    EXPECT_TRUE(MessageArrives("Incorrect address."));
    EXPECT_TRUE(PanelOpen()) << "a refused address leaves the panel open";
    Apply("ff");
    EXPECT_TRUE(MessageArrives("MerBUS address was set as 0x00FF"));
    EXPECT_FALSE(PanelOpen());
    EXPECT_EQ(meter.MerBusAddress(), 0x00FF);
    EXPECT_NE(sim_->Control("get").find("address=0x00FF"), std::string::npos);

    form_->Action("MenuAddrModBus")->trigger();
    Apply("F8");
    EXPECT_TRUE(MessageArrives("Incorrect address."));
    Apply("0xF7");
    EXPECT_TRUE(MessageArrives("MODBUS address was set as 0xF7"));
    EXPECT_EQ(meter.ModBusAddress(), 0xF7);

    form_->Action("MenuConvCount")->trigger();
    EXPECT_EQ(Child<QLineEdit>("EditValue")->text(), "1");
    Apply("256");
    EXPECT_TRUE(MessageArrives("Incorrect value."));
    Apply("3");
    EXPECT_TRUE(test::PumpUntil([&] { return meter.Info().ConvCount == 3 && !PanelOpen(); }, 5s));
    EXPECT_EQ(meter.PollPeriod(), 480u);

    form_->Action("MenuSetRange")->trigger();
    Shot("panel-default-range");
    Child<QRadioButton>("RBRange1")->setChecked(true);
    Child<QPushButton>("BtnSettingsOK")->click();
    EXPECT_TRUE(MessageArrives("Default measuring range was set as 20 lx."));
    EXPECT_EQ(meter.Info().DefaultRange, 1);
}

TEST_F(MainCommandsTest, ProgramSideSettingsApplyAtOnce) {
    TMeterController& meter = session_->Controller();
    form_->Action("MenuRefreshRate")->trigger();
    Shot("panel-refresh");
    auto* automatic = Child<QCheckBox>("ChBRepeatAuto");
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_FALSE(Child<QLineEdit>("EditValue")->isEnabled());
    automatic->setChecked(false);
    Apply("159");
    EXPECT_TRUE(MessageArrives("Minimal value is 160ms"));
    EXPECT_TRUE(PanelOpen());
    Apply("400");
    EXPECT_FALSE(PanelOpen());
    EXPECT_EQ(meter.StatusPeriod(), 400u);

    // Statistics: switched on they collect; a shorter window keeps the newest samples.
    form_->Action("MenuViewMinMaxAv")->trigger();
    auto* avg = Child<QLabel>("LabelAvg");
    ASSERT_TRUE(test::PumpUntil([&] { return session_->Commands().Stats().Samples.size() >= 5; }, 10s));
    EXPECT_TRUE(avg->isVisible());
    EXPECT_TRUE(Child<QLabel>("LabelMin")->text().startsWith("min: 1"))
        << Child<QLabel>("LabelMin")->text().toStdString();
    Shot("statistics");
    form_->Action("MenuSetAverCount")->trigger();
    Apply("0");
    EXPECT_TRUE(MessageArrives("Incorrect value."));
    Apply("2");
    EXPECT_FALSE(PanelOpen());
    EXPECT_EQ(session_->Commands().Stats().WindowLength, 2);
    EXPECT_LE(session_->Commands().Stats().Samples.size(), 2u);
    form_->Action("MenuClearMinMaxAv")->trigger();
    EXPECT_EQ(Child<QLabel>("LabelMax")->text(), "max: -----");

    session_->Close();
    EXPECT_EQ(store_.GetInteger("AverCountMax").value_or(0), 2);
    EXPECT_EQ(store_.GetInteger("RepeatTime").value_or(0), 400);
    EXPECT_TRUE(store_.GetBool("ShowMinMaxAverage").value_or(false));
}

TEST_F(MainCommandsTest, ZeroingShowsItsProgressAndBlocksRangeChoice) {
    TMeterController& meter = session_->Controller();
    auto* display = Child<QLabel>("LabelDisplay");
    auto* range = Child<QComboBox>("CBRange");
    ASSERT_EQ(range->count(), 3);
    const int before = range->currentIndex();

    form_->Action("MenuSetOnlyZeroADC")->trigger();
    EXPECT_TRUE(meter.Zeroing());
    EXPECT_TRUE(test::PumpUntil([&] { return display->text() == "Zeroing in progress"; }, 3s))
        << display->text().toStdString();
    Shot("zeroing");
    const int other = (before + 1) % 3;
    range->setCurrentIndex(other);
    emit range->activated(other);
    EXPECT_TRUE(MessageArrives("Wait till the end of zeroing."));
    EXPECT_EQ(range->currentIndex(), before) << "a refused choice goes back to the applied range";
    EXPECT_TRUE(test::PumpUntil([&] { return !meter.Zeroing() && display->isHidden(); }, 6s));

    // The detector zeroing asks first; OK with the box ticked keeps the factor in the meter.
    form_->Action("MenuZeroDet")->trigger();
    EXPECT_TRUE(MessageArrives("WARNING\nZeroing procedure can be carried out\nonly with detector "
                               "covered.\nIf you want to continue, "
                               "cover the detector\nand press OK."));
    EXPECT_TRUE(test::PumpUntil([&] { return !meter.Zeroing() && display->isHidden(); }, 8s));
}

TEST_F(MainCommandsTest, AutomaticZeroingFollowsTheDetectorTemperature) {
    TMeterController& meter = session_->Controller();
    auto* display = Child<QLabel>("LabelDisplay");
    // A zeroing first, so the meter knows the temperature it zeroed at.
    form_->Action("MenuSetOnlyZeroADC")->trigger();
    ASSERT_TRUE(test::PumpUntil([&] { return !meter.Zeroing() && display->isHidden(); }, 6s));
    ASSERT_TRUE(test::PumpUntil([&] { return meter.Info().ZeroTempCode != 0; }, 3s));

    form_->Action("MenuAutoZero")->trigger();
    const std::string state = sim_->Control("get");
    const double temp = std::stod(state.substr(state.find("temp=") + 5));
    sim_->Control("temp " + std::to_string(temp + 4.5));
    EXPECT_FALSE(test::PumpUntil([&] { return meter.Zeroing(); }, 1500ms)) << "4.5 °C is within the limit";
    sim_->Control("temp " + std::to_string(temp + 6));
    EXPECT_TRUE(test::PumpUntil([&] { return display->text() == "Zeroing in progress"; }, 4s));
    EXPECT_TRUE(test::PumpUntil([&] { return !meter.Zeroing() && display->isHidden(); }, 6s));
    EXPECT_FALSE(test::PumpUntil([&] { return meter.Zeroing(); }, 1500ms)) << "zeroed at the new temperature";
}

TEST_F(MainCommandsTest, RangesChangeByHandAndByThemselves) {
    auto* range = Child<QComboBox>("CBRange");
    range->setCurrentIndex(2);
    emit range->activated(2);
    EXPECT_TRUE(
        test::PumpUntil([&] { return sim_->Control("get").find("range=2") != std::string::npos; }, 5s));

    form_->Action("MenuAutoRange")->trigger();
    sim_->Control("light constant 1.5"); // 2 × 0.9 = 1.8 covers it: straight down to the lowest range
    EXPECT_TRUE(
        test::PumpUntil([&] { return sim_->Control("get").find("range=0") != std::string::npos; }, 8s));
    EXPECT_TRUE(test::PumpUntil([&] { return range->currentIndex() == 0; }, 3s));
    sim_->Control("light constant 150"); // over range 0 and range 1: up step by step
    EXPECT_TRUE(test::PumpUntil([&] { return range->currentIndex() == 2; }, 10s));
    EXPECT_NE(sim_->Control("get").find("range=2"), std::string::npos);
}

// Without a meter: the guards speak first, and what needs no meter still works.
TEST(MainCommandsNoMeter, GuardsStopMeterSettingsButNotProgramOnes) {
    setenv("K730_PORTS_DIR", (fs::temp_directory_path() / "k730-commands-none").c_str(), 1);
    setenv("K730_SYSTEM_PORTS", "0", 1);
    TMemorySettingsStore store;
    TMainForm form(langPolish);
    TMainSession session(form, store, DefaultSettings("/tmp"), langPolish);
    session.SetDataFolder((fs::temp_directory_path() / "k730-commands-none/").string());
    form.show();
    session.Start();
    std::vector<std::string> shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<TConfirmForm*>(QApplication::activeModalWidget())) {
            shown.push_back(box->findChild<QLabel*>("LabelTxt")->text().toStdString());
            box->findChild<QPushButton*>("BtnYes")->click();
        }
    });
    answer.start(5);

    for (const char* item : {"MenuAddrMerBus", "MenuZeroDet", "MenuSetRange", "MenuConvCount"}) {
        shown.clear();
        form.Action(item)->trigger();
        EXPECT_EQ(shown, std::vector<std::string>{"Nie wybrano portu komunikacji."}) << item;
        EXPECT_FALSE(form.SettingsPanelOpen()) << item;
    }
    shown.clear();
    form.Action("MenuSetAverCount")->trigger();
    EXPECT_TRUE(form.SettingsPanelOpen()) << "the moving average is the program's own";
    EXPECT_TRUE(shown.empty());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.findChild<QLineEdit*>("EditValue"), &escape);
    EXPECT_FALSE(form.SettingsPanelOpen()) << "Esc closes the panel";
    shown.clear();
    form.Action("MenuService")->trigger();
    EXPECT_TRUE(shown.empty()) << "the service window opens without a meter too";
    ASSERT_NE(session.Service().Form(), nullptr);
    EXPECT_TRUE(form.Action("MenuService")->isChecked());
    session.Service().Form()->close();
    EXPECT_FALSE(form.Action("MenuService")->isChecked());
    session.Close();
}

} // namespace
} // namespace k730

namespace k730 {
namespace {

QWidget* VisibleWindow(const char* className) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->metaObject()->className() == QString(className)) return w;
    return nullptr;
}

// What the window shows is what the meter says now: its name and title, the
// statistics through a meter restart, the settings dialog as the status
// changes, a stale reading when the meter falls silent, and nothing of the
// old meter once "none" is chosen.
TEST_F(MainCommandsTest, WhatTheWindowShowsFollowsTheMeter) {
    EXPECT_EQ(form_->windowTitle(), "SIM1") << "identified: the port, without the dots";
    EXPECT_TRUE(ConfCentreOverOwner()) << "after start-up messages open over the window that asks";

    form_->Action("MenuViewMinMaxAv")->trigger();
    ASSERT_TRUE(form_->Action("MenuViewMinMaxAv")->isChecked());
    sim_->Control("power");
    ASSERT_TRUE(test::PumpUntil([&] { return Child<QLabel>("LabelDisplay")->text() == "DEVICE RESET"; }, 5s));
    ASSERT_TRUE(test::PumpUntil([&] { return Child<QLabel>("LabelValue")->isVisible(); }, 5s));
    auto* minimum = Child<QLabel>("LabelMin");
    // The light is 12 lx with a little noise; the reset answer adds nothing.
    const auto minimumValue = [&] { return minimum->text().mid(5).toDouble(); };
    EXPECT_TRUE(test::PumpUntil([&] { return minimumValue() > 11 && minimumValue() < 13; }, 3s))
        << minimum->text().toStdString();
    EXPECT_FALSE(minimum->text().contains('>'));
    EXPECT_NE(minimum->palette().color(QPalette::WindowText), QColor(Qt::red)) << "no over-range happened";
    Shot("main-after-meter-restart");

    form_->Action("MenuShowSettings")->trigger();
    QWidget* settings = nullptr;
    ASSERT_TRUE(test::PumpUntil(
        [&] { return (settings = VisibleWindow("k730::TFormShowSettings")) != nullptr; }, 2s));
    EXPECT_TRUE(form_->frameGeometry().contains(settings->frameGeometry().center()))
        << "the settings dialog opens over the main window";
    auto* loop = settings->findChild<QLabel*>("Label0");
    ASSERT_TRUE(test::PumpUntil([&] { return loop->text() == "turned on"; }, 3s))
        << loop->text().toStdString();
    sim_->Control("loop off");
    EXPECT_TRUE(test::PumpUntil([&] { return loop->text() == "turned off"; }, 3s))
        << "a status answer changed the loop bit";

    auto* value = Child<QLabel>("LabelValue");
    const QColor live = value->palette().color(QPalette::WindowText);
    sim_->Control("fault stop 0");
    ASSERT_TRUE(
        test::PumpUntil([&] { return Child<QLabel>("PanelStatus")->text() == " Communication lost"; }, 5s));
    EXPECT_NE(value->palette().color(QPalette::WindowText), live) << "an old reading must not look current";
    EXPECT_FALSE(value->text().isEmpty());
    Shot("main-stale-reading");
    sim_->Control("fault none");
    EXPECT_TRUE(test::PumpUntil([&] { return value->palette().color(QPalette::WindowText) == live; }, 8s));

    auto* device = Child<QComboBox>("CBDevice");
    device->setCurrentIndex(0);
    emit device->activated(0);
    EXPECT_EQ(Child<QLabel>("LabelMeterName")->text(), "-----");
    EXPECT_EQ(Child<QLabel>("LabelMeterNumber")->text(), "-----");
    EXPECT_FALSE(form_->Action("MenuAboutMeter")->isEnabled());
    EXPECT_EQ(form_->windowTitle(), "...none");
    EXPECT_EQ(settings->findChild<QLabel*>("Label1")->text(), "-----") << "the dialog forgets the meter too";
    Shot("main-port-none");
}

} // namespace
} // namespace k730
