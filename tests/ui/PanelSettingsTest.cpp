// The inline settings panel: what each setting shows, what OK reports, Enter,
// Esc and the range buttons. With K730_SCREENSHOTS set, each variant is also
// written there as a PNG.
#include "main/PanelSettings.h"
#include "support/AccessibleCheck.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QKeyEvent>

namespace k730 {
namespace {

void Press(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class PanelSettings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "k730_test_ui";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        panel = std::make_unique<TPanelSettings>(langEnglish);
        panel->resize(340, 100);
        QObject::connect(panel.get(), &TPanelSettings::ValueApplied,
                         [this](const TPanelApply& r) { applied.push_back(r); });
        QObject::connect(panel.get(), &TPanelSettings::RangeApplied, [this](int i) { ranges.push_back(i); });
        QObject::connect(panel.get(), &TPanelSettings::Cancelled, [this] { ++cancelled; });
    }
    template <class T> T* Child(const char* name) { return panel->findChild<T*>(name); }
    void Render(TPanelSettings& p, const QString& name) {
        test::ShowAndSaveScreenshot(p, "Panel-" + name);
        EXPECT_EQ(test::UnnamedControls(p), "") << name.toStdString();
    }

    std::unique_ptr<TPanelSettings> panel;
    std::vector<TPanelApply> applied;
    std::vector<int> ranges;
    int cancelled = 0;
};

TEST_F(PanelSettings, AddressPanelStartsWithTheAddressAndReportsTheRequest) {
    TPanelInputs in;
    in.MerBusAddress = 0x00AB;
    panel->OpenValuePanel(TPanelKind::pkMerBus, in);
    auto* edit = Child<QLineEdit>("EditValue");
    EXPECT_EQ(Child<QLabel>("LabelSettings")->text(), "Protocol: MerBUS");
    EXPECT_EQ(Child<QLabel>("LabelSetValue")->text(), "Device address  (hex):");
    EXPECT_EQ(edit->text(), "00AB");
    EXPECT_EQ(edit->maxLength(), 6);
    EXPECT_FALSE(Child<QCheckBox>("ChBRepeatAuto")->isVisibleTo(panel.get()));
    EXPECT_FALSE(Child<QLabel>("LabelAverTime")->isVisibleTo(panel.get()));
    Render(*panel, "MerBus-en");

    edit->setText("ff");
    Press(edit, Qt::Key_Return); // Enter presses OK
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].Request->Data, (TBytes{0xFF, 0x00}));
    edit->setText("FFFF");
    Child<QPushButton>("BtnSettingsOK")->click();
    EXPECT_EQ(applied.back().Error, TSettingsMessage::smsgBadAddress);
    Press(panel.get(), Qt::Key_Escape);
    EXPECT_EQ(cancelled, 1);
}

TEST_F(PanelSettings, CountPanelsShowTheTimeAsTyped) {
    TPanelInputs in;
    in.ConvCount = 10;
    in.AverCount = 10;
    in.StatusPeriodMs = 1600;
    panel->OpenValuePanel(TPanelKind::pkAverCount, in);
    auto* time = Child<QLabel>("LabelAverTime");
    EXPECT_TRUE(time->isVisibleTo(panel.get()));
    EXPECT_EQ(time->text(), "(16.0 sec)");
    Child<QLineEdit>("EditValue")->setText("4");
    EXPECT_EQ(time->text(), "(6.40 sec)");
    Child<QLineEdit>("EditValue")->setText("x");
    EXPECT_EQ(time->text(), "?");
    Render(*panel, "AverCount-en");

    in.ConvCount = 0; // unknown: no time
    panel->OpenValuePanel(TPanelKind::pkConvCount, in);
    EXPECT_FALSE(time->isVisibleTo(panel.get()));
}

TEST_F(PanelSettings, RefreshPanelEditsTheTimeOnlyWithoutAutomaticRefresh) {
    TPanelInputs in;
    in.ConvCount = 2;
    in.PollPeriodMs = 320;
    in.RepeatAuto = true;
    panel->OpenValuePanel(TPanelKind::pkRefresh, in);
    auto* box = Child<QCheckBox>("ChBRepeatAuto");
    auto* edit = Child<QLineEdit>("EditValue");
    EXPECT_EQ(box->text(), "Automatically (320ms)");
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(edit->isEnabled());
    Render(*panel, "Refresh-en");
    box->setChecked(false);
    EXPECT_TRUE(edit->isEnabled());
    edit->setText("159");
    Child<QPushButton>("BtnSettingsOK")->click();
    EXPECT_FALSE(applied.back().RepeatAuto);
}

TEST_F(PanelSettings, RangePanelChecksTheDefaultAndReportsTheChoice) {
    panel->OpenRangePanel({"2 k", "20 k", "200 k"}, "lx", 1);
    auto* r2 = Child<QRadioButton>("RBRange2");
    EXPECT_EQ(Child<QLabel>("LabelSettings")->text(), "Default range:");
    EXPECT_TRUE(Child<QRadioButton>("RBRange1")->isChecked());
    EXPECT_EQ(r2->text(), "200 klx");
    EXPECT_FALSE(Child<QLineEdit>("EditValue")->isVisibleTo(panel.get()));
    Render(*panel, "Range-en");
    r2->setChecked(true);
    Child<QPushButton>("BtnSettingsOK")->click();
    EXPECT_EQ(ranges, std::vector<int>{2});

    panel->OpenRangePanel({"500 "}, "cd·m^-2", 0);
    EXPECT_FALSE(Child<QRadioButton>("RBRange1")->isVisibleTo(panel.get()));

    // Evenly spaced 1..4 px apart, centred as a group.
    EXPECT_EQ(TPanelSettings::RangeButtonTops(80, 20, 3), (std::vector<int>{6, 30, 54}) /* gap 4 */);
    EXPECT_EQ(TPanelSettings::RangeButtonTops(62, 20, 3), (std::vector<int>{0, 21, 42}) /* gap 1 */);
    EXPECT_EQ(TPanelSettings::RangeButtonTops(100, 20, 1), (std::vector<int>{40}));
}

TEST_F(PanelSettings, PolishCaptions) {
    TPanelSettings pl(langPolish);
    pl.resize(340, 100);
    TPanelInputs in;
    in.ConvCount = 3;
    pl.OpenValuePanel(TPanelKind::pkConvCount, in);
    EXPECT_EQ(pl.findChild<QLabel*>("LabelSettings")->text(), "Ilość konwersji: ");
    EXPECT_EQ(pl.findChild<QPushButton*>("BtnSettingsOK")->text(), "Ustaw");
    EXPECT_EQ(pl.findChild<QPushButton*>("BtnSettingsCancel")->text(), "Anuluj");
    EXPECT_EQ(pl.findChild<QLabel*>("LabelAverTime")->text(), "(0.48 s)");
    Render(pl, "ConvCount-pl");
    pl.OpenRangePanel({"2 k", "20 k", "200 k"}, "lx", 0);
    Render(pl, "Range-pl");
}

} // namespace
} // namespace k730
