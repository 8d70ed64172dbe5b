// The measurement history window on the offscreen platform, fed with status
// answers by the test: captions in both languages, the grid and the chart
// following a recording, selection and deletion with the mouse, the field,
// the auto-range box, the pacing ticks, closing, and a day-long file.
#include "files/HistFile.h"
#include "history/DialogDriver.h"
#include "history/HistChart.h"
#include "history/HistFakes.h"
#include "history/HistTexts.h"
#include "history/K730HistMeas.h"
#include "support/GuiPump.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"
#include "ui/ConfBox.h"

#include "files/TempFolder.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

namespace k730 {
namespace {

using namespace std::chrono_literals;
using test::HistStatusFrame;

class HistFormTest : public ::testing::Test {
protected:
    void Open(TLanguage lang = langEnglish) {
        ConfSetLanguage(lang);
        THistWindowHost host;
        host.Now = [this] { return tick; };
        host.Meter = [this]() -> const TMeterInfo& { return meter; };
        host.Send = [this](const THistRequest& r) { sent.push_back(r); };
        host.AutoRangeSet = [this](bool on) { menuAutoRange = on; };
        host.Destroyed = [this] { destroyed = true; };
        form = new TFormHistory(lang, ',', settings, checks, host, false, sheet);
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        delete form.data();
        ConfSetLanguage(langEnglish);
    }

    template <typename T = QWidget> T* Child(const char* name) const {
        return form->findChild<T*>(QString::fromUtf8(name));
    }
    QString Text(const char* name) const {
        if (auto* label = Child<QLabel>(name)) return label->text();
        return Child<QAbstractButton>(name)->text();
    }
    // Answers at 160 ms until `count` records exist.
    void Record(int count, float value = 12.5f) {
        while (static_cast<int>(form->Recorder().Data().Samples.size()) < count) {
            tick += 160;
            form->OnStatus(HistStatusFrame(value, 20));
        }
    }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTableView* grid = form->Grid();
        const QRect cell = grid->visualRect(grid->model()->index(row, 2));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cell.center());
    }

    test::TTempFolder folder;
    TProgramSettings settings = DefaultSettings(folder / "");
    THistChecks checks;
    TMeterInfo meter = test::HistMeter();
    uint32_t tick = 100'000;
    std::vector<THistRequest> sent;
    bool menuAutoRange = false;
    bool destroyed = false;
    TSpreadsheetProgram sheet;
    QPointer<TFormHistory> form;
};

TEST_F(HistFormTest, EmptyWindowNamesEveryControlInBothLanguages) {
    struct TCase {
        TLanguage lang;
        const char *caption, *start, *save, *unit, *shot;
    };
    for (const TCase c :
         {TCase{langEnglish, "K730 Measures history log", "Start", "Save as", "second", "en"},
          TCase{langPolish, "K730 Historia pomiarów", "Start", "Zachowaj jako", "sekundy", "pl"}}) {
        Open(c.lang);
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(Text("BtnStartStop"), c.start);
        EXPECT_EQ(Text("BtnSave"), QString::fromUtf8(c.save));
        EXPECT_EQ(Text("LabelAverTime"), QString::fromUtf8(c.unit));
        EXPECT_EQ(Text("LabelMeterName"), "-----");
        EXPECT_EQ(Text("LabelStartDT"), "-----");
        EXPECT_EQ(form->Grid()->model()->rowCount(), 0);
        for (QWidget* w : form->findChildren<QWidget*>())
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractItemView*>(w))
                if (w->isVisibleTo(form)) {
                    EXPECT_FALSE(w->accessibleName().isEmpty())
                        << w->objectName().toStdString() << " " << w->metaObject()->className();
                }
        EXPECT_GE(form->Grid()->height(), form->Grid()->verticalHeader()->defaultSectionSize() * 10)
            << "ten rows";
        test::SaveScreenshot(*form, QString("hist-empty-") + c.shot);
        delete form.data();
    }
}

TEST_F(HistFormTest, RecordingFillsTheGridAndTheChartAndFollowsTheLastRecord) {
    Open();
    Child<QPushButton>("BtnStartStop")->click();
    EXPECT_EQ(Text("BtnStartStop"), "Stop");
    EXPECT_FALSE(Child<QLineEdit>("EditAverTime")->isEnabled()) << "the interval is fixed while recording";
    Record(12);
    for (int i = 0; i < 8; ++i) { // a brighter stretch, over range at its top
        tick += 160;
        form->OnStatus(HistStatusFrame(10 + 1.5f * i, 20, i == 7 ? 0x41 : 0x40));
    }
    Record(24, 11);
    QAbstractItemModel* model = form->Grid()->model();
    EXPECT_EQ(model->rowCount(), 24);
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "E");
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "Emin");
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "t [h:m:s]");
    EXPECT_EQ(model->index(0, 0).data().toString(), "0:00:01");
    EXPECT_EQ(model->index(0, 2).data().toString(), "12,5000");
    EXPECT_EQ(Text("LabelMeterName"), "K-730/V/200/E/0   1001/2024");
    EXPECT_NE(Text("LabelStartDT"), "-----");
    EXPECT_EQ(form->Selection(), (THistSelection{23, 23})) << "the selection stays on the newest record";
    EXPECT_FALSE(Child<QPushButton>("BtnClearSample")->isEnabled()) << "no deleting while recording";
    ASSERT_TRUE(test::PumpUntil([&] { return form->Chart()->AveragePointCount() >= 24; }, 2s));
    test::SaveScreenshot(*form, "hist-recording-en");
}

TEST_F(HistFormTest, RecordingInPolish) {
    Open(langPolish);
    Child<QPushButton>("BtnStartStop")->click();
    Record(30);
    EXPECT_EQ(Text("BtnStartStop"), "Stop");
    EXPECT_EQ(form->Grid()->model()->index(0, 1).data().toString(), "NIE");
    ASSERT_TRUE(test::PumpUntil([&] { return form->Chart()->AveragePointCount() >= 30; }, 2s));
    test::SaveScreenshot(*form, "hist-recording-pl");
}

TEST_F(HistFormTest, ChartZoomsWithTheWheelAndADoubleClickShowsAllAgain) {
    Open();
    Child<QPushButton>("BtnStartStop")->click();
    Record(40);
    THistChart* chart = form->Chart();
    ASSERT_TRUE(test::PumpUntil([&] { return chart->AveragePointCount() >= 40; }, 2s));
    const QPointF centre = chart->viewport()->rect().center();
    QWheelEvent wheel(centre, chart->viewport()->mapToGlobal(centre), {}, {0, 3 * 120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart->viewport(), &wheel);
    EXPECT_TRUE(chart->Zoomed());
    EXPECT_LT(chart->AveragePointCount(), 40) << "only the records of the zoomed span are drawn";
    Record(45);
    EXPECT_TRUE(chart->Zoomed()) << "a zoomed chart stays where the user put it";
    QTest::mouseDClick(chart->viewport(), Qt::LeftButton, {}, centre.toPoint());
    EXPECT_FALSE(chart->Zoomed());
    ASSERT_TRUE(test::PumpUntil([&] { return chart->AveragePointCount() >= 45; }, 2s)) << "and follows again";
}

TEST_F(HistFormTest, AveragingFieldSetsTheIntervalAndItsUnit) {
    Open();
    auto* field = Child<QLineEdit>("EditAverTime");
    EXPECT_EQ(field->text(), "1");
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_0);
    EXPECT_EQ(Text("LabelAverTime"), "160ms");
    EXPECT_EQ(settings.HistAverTime, 0);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, "36000");
    EXPECT_EQ(field->text(), "3600") << "at most four digits";
    EXPECT_EQ(Text("LabelAverTime"), "seconds");
    EXPECT_EQ(settings.HistAverTime, 3600);
    Child<QPushButton>("BtnStartStop")->click();
    EXPECT_EQ(form->Recorder().Data().IntervalMs, 3'600'000);
}

TEST_F(HistFormTest, MouseSelectsABlockThatCanBeDeleted) {
    Open();
    test::TDialogDriver dialogs("hist-question-delete");
    Child<QPushButton>("BtnStartStop")->click();
    Record(10);
    Child<QPushButton>("BtnStartStop")->click(); // the stop question is answered Yes
    ASSERT_FALSE(form->Recorder().Recording());
    auto* erase = Child<QPushButton>("BtnClearSample");
    ClickRow(0);
    ClickRow(2, Qt::ShiftModifier);
    EXPECT_EQ(form->Selection(), (THistSelection{0, 2}));
    EXPECT_TRUE(erase->isEnabled());
    ClickRow(4, Qt::ShiftModifier);
    EXPECT_EQ(form->Selection(), (THistSelection{0, 4}));
    ClickRow(3);
    ClickRow(5, Qt::ShiftModifier);
    EXPECT_FALSE(erase->isEnabled()) << "a block in the middle";
    ClickRow(3);
    ClickRow(9, Qt::ShiftModifier);
    ASSERT_TRUE(erase->isEnabled());
    erase->click();
    EXPECT_EQ(dialogs.texts.back(), "Delete records 4 to 10 in history log?");
    EXPECT_EQ(form->Grid()->model()->rowCount(), 3);
    EXPECT_EQ(form->Selection(), (THistSelection{2, 2})) << "collapsed to the current row";
}

TEST_F(HistFormTest, AutoRangeBoxAndTheMenuItemFollowEachOther) {
    Open();
    auto* box = Child<QCheckBox>("ChBAutoRange");
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_TRUE(menuAutoRange);
    form->SetAutoRange(false);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(form->Recorder().Sampler().AutoRange());
}

TEST_F(HistFormTest, ThreadTicksBecomeStatusRequests) {
    Open();
    ASSERT_TRUE(test::PumpUntil([&] { return sent.size() >= 3; }, 3s));
    EXPECT_FALSE(sent.front().range);
}

TEST_F(HistFormTest, ClosingWithUnsavedRecordsAsksAndNoKeepsTheWindow) {
    Open();
    test::TDialogDriver dialogs("hist-question-close");
    Child<QPushButton>("BtnStartStop")->click();
    Record(2);
    dialogs.buttons = {"BtnNo"};
    form->close();
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(dialogs.texts.back(),
              "WARNING\nHistory registration in progress.\nData will be lost.\nAre you sure to continue?")
        << "the dialog shows the lines of the text";
    form->close();
    EXPECT_TRUE(test::PumpUntil([&] { return destroyed; }, 2s)) << "Yes closes and frees the window";
}

// The remaining questions and messages, each shown by the real dialog.
TEST_F(HistFormTest, NoteClearReadAndExportMessages) {
    sheet.Program = "/bin/true"; // a spreadsheet program is known
    meter.ConvCount = 6;         // the meter averages 960 ms
    Open();
    test::TDialogDriver dialogs("hist-message");
    dialogs.clearCheckBoxes = true;
    auto* field = Child<QLineEdit>("EditAverTime");
    field->selectAll();
    QTest::keyClicks(field, "0");
    Child<QPushButton>("BtnStartStop")->click();
    Record(3);
    Child<QPushButton>("BtnStartStop")->click();
    QTest::keyClicks(Child<QPlainTextEdit>("MemoComment"), "lamp A");
    dialogs.buttons = {"BtnNo"};
    Child<QPushButton>("BtnClearData")->click();
    test::WriteBytes(folder / "bad.dat", test::Text("K730 HISTORY ver. 9.9 "));
    dialogs.buttons = {"BtnYes"}; // the loss question before opening
    dialogs.files = {QString::fromStdString(folder / "bad.dat")};
    Child<QPushButton>("BtnOpen")->click();
    dialogs.files = {QString::fromStdString(folder / "out.txt")};
    Child<QAbstractButton>("BtnExport")->click();
    const std::vector<std::string> expected = {
        "NOTE\nMeter averaging time is longer\nthan history averaging time.",
        "Stop history registration?",
        "Clear history log and comment?",
        "WARNING\nHistory log was changed.\nData will be lost.\nAre you sure to continue?",
        "Reading history log was unsuccessful.",
        "Data exported to file:\n" + folder / "out.txt"};
    EXPECT_EQ(dialogs.texts, expected);
    EXPECT_EQ(form->Grid()->model()->rowCount(), 3) << "the file that did not read changed nothing";
}

TEST_F(HistFormTest, DayOfRecordsOpensAndDrawsPerPixelColumn) {
    THistData day;
    day.MeterKind = 1;
    day.IntervalMs = 160;
    day.StartDateTime = 45'000.25;
    day.Samples.resize(540'000);
    for (size_t i = 0; i < day.Samples.size(); ++i) {
        HistSample& s = day.Samples[i];
        s.TimeMs = static_cast<int32_t>(160 * (i + 1));
        s.Average = 800 + 400 * std::sin(static_cast<double>(i) / 40'000.0);
        s.Minimum = s.Average - 15;
        s.Maximum = s.Average + 15;
        s.FullScale = s.FullScaleAtMin = s.FullScaleAtMax = 2000;
        if (i % 90'000 == 5) { // a flash over the range now and then
            s.Flags = HIST_OVERRANGE;
            s.Maximum = 2100;
        }
        s.TempTenths = 231;
    }
    ASSERT_TRUE(WriteHistFile(folder / "day.dat", day, hwHistoryFile, "one day", {}));
    Open();
    test::TDialogDriver dialogs;
    dialogs.files = {QString::fromStdString(folder / "day.dat")};
    Child<QPushButton>("BtnOpen")->click();
    ASSERT_EQ(form->Grid()->model()->rowCount(), 540'000);
    EXPECT_EQ(form->windowTitle(), "K730 Measures history log:  day.dat");
    EXPECT_EQ(Child<QPlainTextEdit>("MemoComment")->toPlainText(), "one day");
    EXPECT_FALSE(form->Recorder().Unsaved());
    form->Grid()->scrollToBottom();
    EXPECT_EQ(form->Grid()->model()->index(539'999, 0).data().toString(), "24:00:00.00");
    ASSERT_TRUE(test::PumpUntil([&] { return form->Chart()->AveragePointCount() > 0; }, 2s));
    EXPECT_LE(form->Chart()->AveragePointCount(), 2 * form->Chart()->width())
        << "one or two per pixel column";
    test::SaveScreenshot(*form, "hist-day-en");
}

} // namespace
} // namespace k730
