// The program from end to end: the main window with its session against a
// simulated meter on a pseudo-terminal, from choosing the port to a reading.
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/MemorySettingsStore.h"
#include "support/SimProcess.h"
#include "support/GuiPump.h"
#include "support/TestSupport.h"
#include "support/MessageReader.h"
#include "support/Screenshot.h"
#include "comm/SerialPort.h"
#include "ui/ConfBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(MainSession, ChosenSimulatorIsIdentifiedAndItsReadingShown) {
    const fs::path dir = fs::temp_directory_path() / ("k730-session-" + std::to_string(getpid()));
    fs::remove_all(dir);
    setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
    setenv("K730_SYSTEM_PORTS", "0", 1);
    test::TSimProcess sim(dir / "ports");
    ASSERT_TRUE(
        sim.Start({"--name", "SIM1", "--serial", "321", "--year", "2024", "--light", "constant 1234.567"}));

    TMemorySettingsStore store;
    {
        TMainForm form(langEnglish);
        TMainSession session(form, store, DefaultSettings(dir.string()), langEnglish);
        form.show();
        session.Start();
        ASSERT_TRUE(test::ChoosePort(form, "SIM1"));
        auto* value = form.findChild<QLabel*>("LabelValue");
        ASSERT_NE(value, nullptr);
        EXPECT_TRUE(test::PumpUntil([&] { return value->text().startsWith("1234."); }, 10s))
            << value->text().toStdString();
        EXPECT_EQ(session.Controller().State(), stIdentified);
        test::SaveScreenshot(form, "main-session");

        // The settings dialog opens from the menu and shows the meter's addresses.
        form.Action("MenuShowSettings")->trigger();
        QWidget* settings = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != &form &&
                w->metaObject()->className() == QString("k730::TFormShowSettings"))
                settings = w;
        ASSERT_NE(settings, nullptr);
        test::SaveScreenshot(*settings, "show-settings");

        sim.Control("fault unplug 1500");
        value->clear();
        EXPECT_TRUE(test::PumpUntil([&] { return value->text().startsWith("1234."); }, 15s))
            << "the reading comes back by itself after a replug";
        session.Close();
    }
    EXPECT_EQ(store.GetString("PortName").value_or(""), "SIM1")
        << "the chosen port is remembered for the next start";
    sim.Stop();
    fs::remove_all(dir);
}

// One decimal separator everywhere, the locale's, whatever the language:
// a Polish window on an English locale shows points in the value and in
// the panels alike.
TEST(MainSession, PolishWindowOnAnEnglishLocaleUsesTheLocalesSeparatorThroughout) {
    const fs::path dir = fs::temp_directory_path() / ("k730-separator-" + std::to_string(getpid()));
    fs::remove_all(dir);
    setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
    setenv("K730_SYSTEM_PORTS", "0", 1);
    test::TSimProcess sim(dir / "ports");
    ASSERT_TRUE(sim.Start({"--name", "SIM1", "--light", "constant 1234.567", "--conversions", "1"}));
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TMemorySettingsStore store;
    {
        TMainForm form(langPolish);
        TMainSession session(form, store, DefaultSettings(dir.string()), langPolish);
        form.show();
        session.Start();
        ASSERT_TRUE(test::ChoosePort(form, "SIM1"));
        auto* value = form.findChild<QLabel*>("LabelValue");
        ASSERT_TRUE(test::PumpUntil([&] { return value->text().startsWith("1234"); }, 10s));
        EXPECT_TRUE(value->text().contains('.') && !value->text().contains(','))
            << value->text().toStdString();
        form.Action("MenuSetAverCount")->trigger();
        auto* time = form.findChild<QLabel*>("LabelAverTime");
        ASSERT_TRUE(time->isVisible());
        EXPECT_TRUE(time->text().contains('.') && !time->text().contains(',')) << time->text().toStdString();
        session.Close();
    }
    QLocale::setDefault(before);
    sim.Stop();
    fs::remove_all(dir);
}

// A serial backend whose ports all refuse this user.
class TDeniedPort : public TSerialPort {
public:
    TPortOpenResult Open(const std::string&) override { return TPortOpenResult::accessDenied; }
    void Close() override {}
    bool IsOpen() const override { return false; }
    bool Configure(const TPortConfig&) override { return false; }
    bool ReadLineSettings(TLineSettings&) const override { return false; }
    TPortEvent WaitEvent() override { return TPortEvent::cancelled; }
    bool WaitCancelled(uint32_t) override { return true; }
    size_t BytesWaiting() override { return 0; }
    long Read(uint8_t*, size_t, bool&) override { return 0; }
    size_t Write(const uint8_t*, size_t) override { return 0; }
    void PurgeInput() override {}
    void PurgeOutput() override {}
    void Cancel() override {}
    void ResetCancel() override {}
    void SetRTS(bool) override {}
    void SetDTR(bool) override {}
    TModemStatus ModemStatus() override { return {}; }
};

// A port this user may not open is explained once per port and run: the
// device's group and that membership gives access after logging in again.
TEST(MainSession, AccessDeniedIsExplainedOncePerPort) {
    const fs::path dir = fs::temp_directory_path() / ("k730-denied-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "ports");
    std::ofstream(dir / "device") << "";
    setenv("K730_PORTS_DIR", (dir / "ports").c_str(), 1);
    setenv("K730_SYSTEM_PORTS", "0", 1);
    fs::create_symlink(dir / "device", dir / "ports" / "COM7");

    std::vector<QString> shown;
    QObject reader; // its timer reads the messages
    test::ReadEveryMessage(&reader, shown);
    TMemorySettingsStore store;
    {
        TMainForm form(langEnglish);
        TMainSession session(form, store, DefaultSettings(dir.string()), langEnglish,
                             [] { return std::make_unique<TDeniedPort>(); });
        form.show();
        session.Start();
        auto* device = form.findChild<QComboBox*>("CBDevice");
        const int index = device->findText("COM7");
        ASSERT_GT(index, 0);
        for (int time = 0; time < 2; ++time) {
            device->setCurrentIndex(index);
            emit device->activated(index);
            test::PumpUntil([] { return false; }, 300ms);
            device->setCurrentIndex(0);
            emit device->activated(0);
        }
        ASSERT_EQ(shown.size(), 1u) << "told once, not at every attempt";
        EXPECT_TRUE(shown[0].startsWith("Access to port COM7 (")) << shown[0].toStdString();
        EXPECT_TRUE(shown[0].contains("log out and log in again") ||
                    shown[0].contains("may not use it either") || shown[0].contains("joined since"))
            << shown[0].toStdString();
        session.Close();
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace k730
