// The search dialog over simulated meters: what it lists while searching,
// the choice between several meters, and the result it hands back.
#include "search/UnitAutoCOM.h"
#include "support/SimProcess.h"
#include "support/GuiPump.h"
#include "support/TestSupport.h"
#include "support/Screenshot.h"

#include "support/AccessibleCheck.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include <filesystem>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every picture taken is also a check that each shown control is named.
void Shot(QWidget& w, const char* name) {
    test::SaveScreenshot(w, name);
    EXPECT_EQ(test::UnnamedControls(w), "") << name;
}

class UnitAutoCOMTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("k730-autocom-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        setenv("K730_PORTS_DIR", (dir_ / "ports").c_str(), 1);
        setenv("K730_SYSTEM_PORTS", "0", 1);
    }
    void TearDown() override {
        sims_.clear();
        fs::remove_all(dir_);
        unsetenv("K730_PORTS_DIR");
    }
    void Sim(const std::vector<std::string>& args) {
        sims_.push_back(std::make_unique<test::TSimProcess>(dir_ / "ports"));
        ASSERT_TRUE(sims_.back()->Start(args)) << sims_.back()->Output();
    }

    fs::path dir_;
    TSearchCriteria criteria_;
    std::vector<std::unique_ptr<test::TSimProcess>> sims_;
};

TEST_F(UnitAutoCOMTest, SeveralMetersAreOfferedAndTheChosenOneReturned) {
    Sim({"--name", "SIM10", "--serial", "77", "--year", "2019", "--address", "20"});
    Sim({"--name", "SIM1", "--serial", "123", "--year", "2015"});
    Sim({"--name", "SIM2", "--baud", "19200"});

    TFormAutoCom form(nullptr, langEnglish, sbOne, dbEight, pbNone, br009600, criteria_);
    EXPECT_EQ(form.windowTitle(), "Meter searching  K730");
    form.show();
    ASSERT_TRUE(test::PumpUntil([&] { return form.Search() && !form.Search()->FoundPorts().empty(); }, 10s));
    Shot(form, "autocom-searching");
    auto* btn = form.findChild<QPushButton*>("BtnStop");
    EXPECT_EQ(btn->text(), "Stop");
    EXPECT_FALSE(btn->icon().isNull()) << "a found meter shows the OK glyph";

    ASSERT_TRUE(test::PumpUntil([&] { return btn->text() == "OK"; }, 15s));
    auto* list = form.findChild<QListWidget*>("ListPorts");
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().startsWith("SIM1:  "));
    EXPECT_TRUE(list->item(0)->text().endsWith(" 123/2015"));
    EXPECT_TRUE(list->item(1)->text().startsWith("SIM10:  "));
    EXPECT_EQ(form.findChild<QStatusBar*>("StatusBar")->currentMessage(), " SIM1:  9600 N 8 1");
    Shot(form, "autocom-choice");

    list->setCurrentRow(1);
    btn->click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.ResultPort(), "SIM10");
    EXPECT_EQ(form.ResultSettings(), TLineSettings{});
}

TEST_F(UnitAutoCOMTest, CriteriaPanelShowsTheSelectedSetsInPolish) {
    TFormAutoCom form(nullptr, langPolish, sbOne, dbEight, pbNone, br019200, criteria_);
    // The dialog was opened with 19200: that rate becomes allowed and, with
    // nothing selected before, the selected one.
    EXPECT_TRUE(criteria_.baudAllowed.Has(br019200));
    EXPECT_TRUE(criteria_.baudAllowed.Has(br009600));
    EXPECT_EQ(criteria_.baudSelected, TSettingSet{1u << br019200});
    form.findChild<QToolButton*>("BtnCriteria")->setChecked(true);
    auto* box9600 = form.findChild<QCheckBox*>(QString("ChB0%1").arg(br009600));
    ASSERT_NE(box9600, nullptr);
    EXPECT_TRUE(box9600->isEnabled());
    EXPECT_FALSE(box9600->isChecked());
    EXPECT_FALSE(form.findChild<QCheckBox*>(QString("ChB0%1").arg(br115200))->isEnabled());
    form.adjustSize();
    Shot(form, "autocom-criteria-pl");
}

} // namespace
} // namespace k730
