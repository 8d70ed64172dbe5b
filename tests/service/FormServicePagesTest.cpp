// The service window's constant pages, the results frame, hand-typed
// requests and result lines, with answers handed in as the controller would,
// and pictures of each page.
#include "files/TempFolder.h"
#include "main/K730Settings.h"
#include "main/MinMaxAv.h"
#include "protocol/ByteOrder.h"
#include "service/K730FrameRes.h"
#include "service/K730Service.h"
#include "service/PageBin.h"
#include "service/ResultAnnouncement.h"
#include "service/ServiceFakes.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <iterator>

namespace k730 {
namespace {

class FormServicePagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        TServiceContext ctx;
        ctx.language = 0;
        ctx.decimalSeparator = ',';
        ctx.libraryPath = dir_ / "K730_Template.dat";
        ctx.settings = &settings_;
        ctx.Queue = [this](std::vector<TQueueItem> items) {
            for (auto& i : items)
                queued_.push_back(std::move(i.bytes));
        };
        ctx.SendRaw = [this](const TQueueItem& item) -> std::optional<TBytes> {
            raw_.push_back(item.bytes);
            return TBytes{0x68, 0x08, 0x00, item.bytes[1], 0x06, 0x01, 0x00, 0x16};
        };
        ctx.Averages = [this]() -> const TMinMaxAv* { return averagesOn_ ? &averages_ : nullptr; };
        ctx.Announce = [this](const std::string& name, uint32_t lParam) {
            announced_.push_back({name, lParam});
        };
        form_ = new TFormService(std::move(ctx));
        form_->ShowMessage = [this](const std::string& text, unsigned) { messages_.push_back(text); };
        form_->ChooseResultsFile = [this](const QString&) { return QString::fromStdString(resultsPath_); };
        form_->show();
        QApplication::processEvents();
    }
    void TearDown() override { delete form_.data(); }

    template <typename T = QWidget> T* Child(const char* name) const {
        return form_->findChild<T*>(QString::fromUtf8(name));
    }

    void Alive(TBytes block = test::ResultsFrame()) {
        form_->AddressAndMode(1, 0);
        form_->Status(block);
        form_->RangeFactors({1.0f, 1.05f, 0.95f});
        form_->TempCoefficient(0.0025f);
        form_->ModBusAddress(0x2A);
        form_->Config(0x81);
        QApplication::processEvents();
    }

    void Type(const char* box, const QString& text) {
        auto* edit = Child<QLineEdit>(box);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    std::string FileText() const {
        std::ifstream in(resultsPath_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TTempFolder dir_;
    const std::string resultsPath_ = dir_ / "wyniki.txt";
    TProgramSettings settings_;
    QPointer<TFormService> form_;
    std::vector<TBytes> queued_;
    std::vector<TBytes> raw_;
    std::vector<std::pair<std::string, uint32_t>> announced_;
    std::vector<std::string> messages_;
    TMinMaxAv averages_;
    bool averagesOn_ = false;
};

TEST_F(FormServicePagesTest, CorrectionPageWritesFactorsWithinLimits) {
    form_->ShowPage(spFactors);
    EXPECT_FALSE(Child<QLineEdit>("EditRF0")->isEnabled()) << "empty until the factors are read";
    test::SaveScreenshot(*form_, "service-factors-empty");
    Alive();
    EXPECT_EQ(Child<QLineEdit>("EditRF1")->text(), "1,0500000");
    EXPECT_EQ(Child<QLabel>("LabelValTC")->text(), "0,2500000");
    auto* set = Child<QPushButton>("BtnSetKRange");
    ASSERT_TRUE(set->isEnabled());
    // Escape brings back what the box held when it got the focus.
    auto* rf0 = Child<QLineEdit>("EditRF0");
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(rf0, &focus);
    Type("EditRF0", "x");
    EXPECT_FALSE(set->isEnabled());
    QTest::keyClick(rf0, Qt::Key_Escape);
    EXPECT_EQ(rf0->text(), "1,0000000");
    EXPECT_TRUE(set->isEnabled());
    Type("EditRF2", "1.2");
    EXPECT_FALSE(set->isEnabled()) << "1,2 lies outside 0,9 … 1,1";
    // The calculator fills the third box: 2k1 / (2k + 0) = 1,05.
    Type("EditRReq", "2k1");
    Type("EditRCur", "2k");
    Type("EditRSwitch", "0");
    EXPECT_EQ(Child<QLineEdit>("EditRangeFactor")->text(), "1,05");
    auto* target = Child<QComboBox>("CBRFPaste");
    target->setCurrentIndex(2);
    emit target->activated(2);
    Child<QPushButton>("BtnRFPaste")->click();
    EXPECT_EQ(Child<QLineEdit>("EditRF2")->text(), "1,05");
    test::SaveScreenshot(*form_, "service-factors");
    set->click();
    ASSERT_EQ(queued_.size(), 1u);
    EXPECT_EQ(queued_[0][0], CMD_SVC_READINGS);
    EXPECT_FLOAT_EQ(ReadF32(queued_[0], 9), 1.05f);
}

TEST_F(FormServicePagesTest, CalibrationPageFollowsTheFourMilliampValue) {
    form_->ShowPage(spCal);
    EXPECT_EQ(Child<QRadioButton>("RBProgramDef")->text(),
              "Programuj domyślne (0x4000; 1,4142135; 1,4142135)");
    Alive(test::ResultsFrame(0x6000)); // no meter drives 4 mA with 0x6000
    EXPECT_TRUE(Child<QRadioButton>("RBProgramDef")->isChecked());
    EXPECT_FALSE(Child<QLineEdit>("EditKE")->isEnabled());
    EXPECT_EQ(Child<QLabel>("LabelDAC0")->text(), "0x00006000");
    EXPECT_EQ(Child<QLabel>("LabelTCal")->text(), "23,0\u00B0C");
    test::SaveScreenshot(*form_, "service-cal-defaults");
    form_->Status(test::ResultsFrame(0x4100));
    EXPECT_TRUE(Child<QRadioButton>("RBProgramSet")->isChecked());
    EXPECT_EQ(Child<QLineEdit>("EditKE")->text(), "")
        << "the boxes are filled only when the pages come alive";
    Child<QPushButton>("BtnSqrt2KE")->click();
    Type("EditKL", "1,5");
    test::SaveScreenshot(*form_, "service-cal");
}

TEST_F(FormServicePagesTest, DacPageDrivesTheLoopAndLeavingItEndsDacMode) {
    form_->ShowPage(spDac);
    Alive(test::ResultsFrame(0x4000, 1, 1, 0x5000));
    EXPECT_EQ(Child<QLabel>("LabelDACRead")->text(), "00005000");
    EXPECT_EQ(Child<QLineEdit>("EditDACSet")->text(), "05000");
    Type("EditDACCurrent", "5");
    Child<QPushButton>("BtnCalc")->click();
    EXPECT_EQ(Child<QLineEdit>("EditDACSet")->text(), "04000");
    Child<QPushButton>("BtnDACUp4")->click();
    EXPECT_EQ(Child<QLineEdit>("EditDACSet")->text(), "14000");
    EXPECT_FALSE(Child<QPushButton>("BtnSetDAC0")->isEnabled()) << "only in mode 4";
    test::SaveScreenshot(*form_, "service-dac");
    Child<QPushButton>("BtnDACSet")->click();
    ASSERT_EQ(queued_.size(), 2u);
    EXPECT_EQ(queued_[0], TBytes{CMD_SVC_101});
    EXPECT_EQ(queued_[1], (TBytes{CMD_SET_FORCING_VALUE, 0x00, 0x40, 0x01, 0x00}));
    form_->AddressAndMode(1, 4);
    queued_.clear();
    form_->ShowPage(spBin);
    EXPECT_EQ(queued_, (std::vector<TBytes>{{CMD_SET_MODE, 0}, {CMD_STATUS}}));
}

TEST_F(FormServicePagesTest, ResultsFrameAndRawRequests) {
    form_->ShowPage(spBin);
    Alive();
    auto* frame = form_->BinPage()->Frame();
    EXPECT_EQ(frame->Decoded(0)->text(), "0001");
    EXPECT_EQ(frame->Decoded(20)->text(), "10000001") << "the configuration byte from its own answer";
    EXPECT_EQ(Child<QLineEdit>("EditAddr")->text(), "0001");
    Type("EditCmd1", "4");
    Child<QPushButton>("BtnSend1")->click();
    ASSERT_EQ(raw_.size(), 1u);
    EXPECT_EQ(raw_[0], (TBytes{0x00, 0x04, 0x01, 0x00}));
    raw_.clear();
    EXPECT_EQ(Child<QLabel>("LabelRawState")->text(), "Oczekiwanie na odpowiedź...");
    TBytes answer = test::ResultsFrame();
    form_->Frame(answer);
    EXPECT_EQ(Child<QLabel>("LabelRawState")->text(), "Miernik wykonał polecenie.");
    EXPECT_TRUE(Child<QLineEdit>("EditRawAnswer")->text().startsWith("68 41 00 84"));
    test::SaveScreenshot(*form_, "service-bin");

    // A request to another meter: its answer announces the change first.
    Type("EditAddr", "2");
    Child<QPushButton>("BtnSend1")->click();
    form_->Notify(snMeterChanged);
    form_->Frame(answer);
    EXPECT_EQ(Child<QLabel>("LabelRawState")->text(), "Miernik wykonał polecenie.");
    Child<QPushButton>("BtnSend1")->click();
    form_->Notify(snAnswerOverdue);
    EXPECT_EQ(Child<QLabel>("LabelRawState")->text(), "Brak odpowiedzi miernika.");
    Alive();

    Type("EditBuf2", "G1");
    Type("EditCmd2", "5");
    Child<QPushButton>("BtnSend2")->click();
    EXPECT_EQ(raw_.size(), 2u) << "bad data sends nothing";
    EXPECT_EQ(raw_[0], (TBytes{0x00, 0x04, 0x02, 0x00}));
    EXPECT_EQ(Child<QLabel>("LabelRawState")->text(), "Nie wysłano: błędne dane.");

    // A short block marks what it lacks.
    answer.resize(41);
    form_->Status(answer);
    EXPECT_EQ(frame->ByteLabel(13, 3)->text(), "Błąd") << "the 4 mA value";
    EXPECT_EQ(frame->Decoded(12)->text(), "23,0\u00B0C") << "the temperature is still there";
    test::SaveScreenshot(*form_, "service-bin-short");
}

TEST_F(FormServicePagesTest, ResultLinesAreAppendedAndAnnounced) {
    form_->ShowPage(spBin);
    Alive();
    QTest::keyPress(Child<QLineEdit>("EditAddr"), Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(Child<QToolButton>("BtnBinSaveAs")->isVisible()) << "Shift shows save-as";
    test::SaveScreenshot(*form_, "service-bin-saveas");
    QTest::keyRelease(Child<QLineEdit>("EditAddr"), Qt::Key_Shift, Qt::NoModifier);
    EXPECT_FALSE(Child<QToolButton>("BtnBinSaveAs")->isVisible());

    form_->SaveAddClicked(); // no file yet: choosing it comes first
    form_->SaveAddClicked();
    averagesOn_ = true;
    averages_.AvgValid = true;
    averages_.AvgLoopDac = 0x4000;
    form_->SaveAddClicked();
    EXPECT_TRUE(form_->Splash()->isVisible());
    const std::string text = FileText();
    EXPECT_EQ(text.substr(0, 16), "Temperatura [\xB0"
                                  "C]")
        << "Windows-1250 text";
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 4u) << "the header and three lines";
    EXPECT_NE(text.find("\t0x00004000\t0x00004000\t4,000000\r\n"), std::string::npos) << "averaged loop DAC";
    ASSERT_EQ(announced_.size(), 3u);
    EXPECT_EQ(announced_[2], (std::pair<std::string, uint32_t>{resultsPath_, RESULT_FROM_RESULTS}));

    form_->ShowPage(spDac);
    form_->SaveAddClicked();
    EXPECT_EQ(announced_.back().second, RESULT_FROM_DAC) << "the DAC page only announces";
    EXPECT_EQ(FileText(), text);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(FormServicePagesTest, EveryControlOfThePagesHasAnAccessibleName) {
    Alive();
    for (TServicePage page : {spFactors, spCal, spDac, spBin}) {
        form_->ShowPage(page);
        QWidget* shown = form_->findChild<QStackedWidget*>("PageControl")->currentWidget();
        for (QWidget* w : shown->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<QComboBox*>(w);
            if (control) {
                EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
            }
        }
    }
    for (const char* icon : {"BtnBinSaveAs", "BtnBinSaveAdd"})
        EXPECT_EQ(Child<QToolButton>(icon)->accessibleName(), Child<QToolButton>(icon)->toolTip());
}

TEST_F(FormServicePagesTest, FileWithAnotherHeaderIsNeverAppendedTo) {
    std::ofstream(resultsPath_, std::ios::binary) << "Another\tfile\r\n";
    form_->ShowPage(spBin);
    Alive();
    form_->SaveAsClicked();
    EXPECT_EQ(messages_, std::vector<std::string>{"Nie udało się zapisać danych do pliku."});
    EXPECT_EQ(FileText(), "Another\tfile\r\n");
    EXPECT_TRUE(announced_.empty());
}

} // namespace
} // namespace k730
