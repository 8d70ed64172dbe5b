// The wizard's window, its save dialog, the date edit and the date range
// dialog as an operator uses them: typing, the enabled states, the messages,
// and pictures of each in both languages.
#include "CalWizardFixture.h"
#include "DialogAnswerer.h"

#include "calibration/CalTexts.h"
#include "calibration/K730CAL.h"
#include "calibration/K730DateRange.h"
#include "calibration/K730SaveCAL.h"
#include "files/DayCount.h"
#include "support/AccessibleCheck.h"
#include "support/Screenshot.h"
#include "ui/OtherObjects.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace k730 {
namespace {

using namespace std::chrono_literals;

// The queue as the wizard fills it, and the mode the last answer reported.
class TFakeLink : public ICalLink {
public:
    std::vector<TQueueItem> queued;
    uint8_t mode = 3;
    void Queue(TQueueItem item, bool) override { queued.push_back(std::move(item)); }
    void RunScheduler() override {}
    bool QueueEmpty() const override { return queued.empty(); }
    bool ModeChangeQueued() const override { return false; }
    uint8_t MeterMode() const override { return mode; }
};

void Key(QWidget* target, Qt::Key key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}

// Shown and made the active window, so that focus moves as it does on a desktop.
void ShowActive(QWidget& w) {
    w.show();
    w.activateWindow();
    test::PumpUntil([&] { return QApplication::activeWindow() == &w; }, 2s);
}

void TypeKeys(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    for (const QChar c : text)
        Key(edit, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c));
}

TBytes ParameterEcho(uint8_t index, uint32_t value) {
    TBytes data{index};
    AppendU32(data, value);
    return test::AnswerFrame(0x8C, 1, 1, data);
}

class WizardWindow : public ::testing::TestWithParam<TLanguage> {
protected:
    TFakeLink link;
    TCalMemory memory;
    std::unique_ptr<TFormCAL> form;

    void SetUp() override {
        memory.FactorLabels =
            BuildFactorLabels(GetParam(), [](const std::string& s) { return int(s.size()) * 7; });
        form = std::make_unique<TFormCAL>(1, 0, GetParam(), ',', link, memory, nullptr);
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        form->Start();
        ShowActive(*form);
    }
    void TearDown() override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TConfirmForm*>(w)) w->close();
        QApplication::processEvents();
    }
    template <typename T = QWidget> T* W(const char* name) const { return form->findChild<T*>(name); }
    QString Suffix() const { return GetParam() == langPolish ? "pl" : "en"; }

    void Status(uint8_t mode, uint32_t loopDac = 0x4000) {
        link.mode = mode;
        test::TCalStatusFields f;
        f.mode = mode;
        f.loopDac = loopDac;
        form->Wizard().OnStatus(test::CalStatusFrame(1, f));
    }
};

TEST_P(WizardWindow, BothStepsAsTheOperatorSeesThem) {
    EXPECT_FALSE(W("EditDAC0")->isEnabled()) << "until the meter answered";
    Status(3);
    ASSERT_TRUE(W("EditDAC0")->isEnabled());
    EXPECT_EQ(form->windowTitle(), GetParam() == langPolish ? "K730 Kalibracja" : "K730 Calibration");
    TypeKeys(W<QLineEdit>("EditDAC0"), "3.96");
    EXPECT_EQ(W<QLineEdit>("EditDAC0")->text(), "3,96");
    test::ShowAndSaveScreenshot(*form, "cal-wizard-step1-" + Suffix());
    W<QPushButton>("BtnApplyDAC0")->click();
    form->Wizard().OnForcingValue(0x4000); // the automatic write's echo
    form->Wizard().OnForcingValue(16549);
    ASSERT_TRUE(W("BtnNext")->isEnabled());
    W<QPushButton>("BtnNext")->click();
    Status(1, 0xB400);
    TypeKeys(W<QLineEdit>("EditE0"), "1000");
    Key(W("EditE0"), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), W("EditIL"));
    TypeKeys(W<QLineEdit>("EditIL"), "12.1");
    W<QPushButton>("BtnApplyCAL")->click();
    for (const TQueueItem& item : link.queued)
        if (item.bytes[0] == CMD_SET_CAL_PARAMETER)
            form->Wizard().OnParameter(ParameterEcho(item.bytes[1], ReadU32(item.bytes, 2)));
    EXPECT_TRUE(W("BtnSave")->isEnabled());
    EXPECT_TRUE(W<QLabel>("LabelExpect")->text().contains("<b>12,0000 mA</b>"));
    test::ShowAndSaveScreenshot(*form, "cal-wizard-step2-" + Suffix());
    EXPECT_EQ(test::UnnamedControls(*form), "");
}

TEST_P(WizardWindow, DecimalMarkBecomesTheSeparatorWhereItIsTyped) {
    Status(3);
    auto* edit = W<QLineEdit>("EditDAC0");
    TypeKeys(edit, "312");
    edit->setCursorPosition(1);
    Key(edit, Qt::Key_Period, ".");
    EXPECT_EQ(edit->text(), "3,12");
    EXPECT_EQ(edit->cursorPosition(), 2);
    EXPECT_EQ(form->Wizard().Text(cfDac0), "3,12");
}

TEST_P(WizardWindow, ModelessMessageDisablesTheWizardUntilItIsClosed) {
    Status(3);
    TypeKeys(W<QLineEdit>("EditDAC0"), "2"); // 0x8000 is more than the meter takes
    W<QPushButton>("BtnApplyDAC0")->click();
    TConfirmForm* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* b = qobject_cast<TConfirmForm*>(w); b && b->isVisible()) box = b;
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isModal());
    EXPECT_FALSE(W("BtnCancel")->isEnabled());
    box->close();
    EXPECT_TRUE(test::PumpUntil([&] { return W("BtnCancel")->isEnabled(); }, 2s));
}

INSTANTIATE_TEST_SUITE_P(Languages, WizardWindow, ::testing::Values(langEnglish, langPolish));

TEST(SaveDialog, BoxesEnableInTurnAndTheCommentComesBack) {
    for (const TLanguage lang : {langEnglish, langPolish}) {
        const std::array<std::string, 4> labels = BuildFactorLabels(lang, [](const std::string& s) {
            return QFontMetrics(QApplication::font()).horizontalAdvance(QString::fromStdString(s));
        });
        const TCalSaveValues values{0x40A5, 1.5f, 1.1867846f, 0x2A8};
        TFormSaveCAL dialog(nullptr, QString::fromStdString(SaveQuestionText(values, labels, lang, ',')),
                            MB_ICONQUESTION, true, "Lamp 7", lang);
        dialog.ArrangeSaveCAL();
        ShowActive(dialog);
        auto* history = dialog.findChild<QCheckBox*>("ChBAddToHistory");
        auto* comment = dialog.findChild<QCheckBox*>("ChBAddComment");
        auto* memo = dialog.findChild<QPlainTextEdit*>("MemoComment");
        EXPECT_TRUE(comment->isEnabled());
        EXPECT_FALSE(memo->isEnabled());
        comment->click();
        EXPECT_TRUE(memo->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), memo);
        memo->setPlainText("Lamp 7\nbench 2");
        EXPECT_EQ(test::UnnamedControls(dialog), "");
        test::SaveScreenshot(dialog, QString("cal-save-dialog-") + (lang == langPolish ? "pl" : "en"));
        EXPECT_EQ(dialog.Choice().comment, "Lamp 7\r\nbench 2");
        history->click();
        EXPECT_FALSE(comment->isEnabled());
        EXPECT_FALSE(memo->isEnabled());
        EXPECT_FALSE(dialog.Choice().addToHistory);
    }
}

TEST(DateEdit, FieldsTakeDigitsAndKeepADate) {
    TZAKDateEdit edit;
    ShowActive(edit);
    edit.SetValue(EncodeDays({2024, 2, 10}));
    QLineEdit* day = edit.Field(dfDay);
    day->setFocus();
    Key(day, Qt::Key_A, "a");
    EXPECT_EQ(day->text(), "10") << "only digits are typed";
    day->setText("31");
    edit.Field(dfMonth)->setFocus(); // leaving the day
    EXPECT_EQ(edit.Value(), EncodeDays({2024, 2, 29}));
    EXPECT_EQ(day->text(), "29");
    QLineEdit* month = edit.Field(dfMonth);
    month->setText("7");
    Key(month, Qt::Key_Escape);
    EXPECT_EQ(month->text(), "02") << "Escape brings back the text from entering";
    Key(month, Qt::Key_Up);
    EXPECT_EQ(edit.Value(), EncodeDays({2024, 3, 29}));
    edit.SetMaximum(EncodeDays({2024, 3, 15}));
    EXPECT_EQ(edit.Value(), EncodeDays({2024, 3, 15}));
    edit.SetMinimum(EncodeDays({2024, 3, 1}));
    Key(month, Qt::Key_Down);
    EXPECT_EQ(edit.Value(), EncodeDays({2024, 3, 1})) << "raised to the minimum";
    QLineEdit* year = edit.Field(dfYear);
    year->setFocus();
    year->setText("");
    day->setFocus();
    EXPECT_EQ(year->text(), "2024") << "no number: the old text";
}

TEST(DateRange, CustomRangeKeepsFromNotAfterTo) {
    for (const TLanguage lang : {langEnglish, langPolish}) {
        TFormDateRange dialog({cdLast30Days, EncodeDays({2024, 2, 1}), EncodeDays({2024, 3, 1})}, lang);
        ShowActive(dialog);
        auto* from = dialog.findChild<TZAKDateEdit*>("DateFrom");
        auto* to = dialog.findChild<TZAKDateEdit*>("DateTo");
        EXPECT_FALSE(from->isEnabled());
        dialog.findChild<QRadioButton*>("RBCustom")->click();
        EXPECT_TRUE(from->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), from->Field(dfDay));
        test::SaveScreenshot(dialog, QString("cal-date-range-") + (lang == langPolish ? "pl" : "en"));
        from->SetValue(EncodeDays({2024, 4, 1}));
        EXPECT_EQ(from->Value(), EncodeDays({2024, 3, 1})) << "not after to";
        to->SetValue(EncodeDays({2024, 1, 1}));
        EXPECT_EQ(to->Value(), EncodeDays({2024, 3, 1})) << "not before from";
        const TCalDateFilter f = dialog.Filter();
        EXPECT_EQ(f.kind, cdCustom);
    }
}

} // namespace
} // namespace k730
