// The service window without a meter: answers handed in as the controller
// would, a programming run and the template menu, and pictures of every page
// and of the template editor in its three modes.
#include "files/TempFolder.h"
#include "main/K730Settings.h"
#include "service/FrameCheckBox.h"
#include "service/K730Service.h"
#include "service/K730Template.h"
#include "service/PageEEPROM.h"
#include "service/ServiceFakes.h"
#include "service/UnitValidMark.h"
#include "service/ZAKTabSet.h"
#include "support/AccessibleCheck.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QTabBar>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

namespace k730 {
namespace {

TMeterInfo LuminanceMeter() {
    return test::ServiceMeter("K-730/V'/20k/L2.5\u00B0/3/A&B", 1, 1);
}

TTemplateRec Template(std::string name, uint8_t kind, std::string user = "") {
    TTemplateRec t;
    t.MeterName = std::move(name);
    t.UserName = std::move(user);
    t.MeterKind = kind;
    t.Spectral = kind == 2 ? "UVA" : "V";
    t.Ranges = {200, 2000, 20000};
    t.DefaultRange = 1;
    return t;
}

class FormServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        TTemplateArray all = {Template("K-730/V/20k/E/0", 1, "Luksomierz 3 zakresy"),
                              Template("K-730/UVA/20k/E/0", 2)};
        all[1].Ranges = {2, 20, 0};
        ASSERT_TRUE(WriteTemplateLibrary(library_, DefaultSpectralLists(), all));
        TServiceContext ctx;
        ctx.language = 1;
        ctx.decimalSeparator = ',';
        ctx.libraryPath = library_;
        ctx.settings = &settings_;
        ctx.Program = [this](std::vector<TQueueItem> items) { programmed_ = std::move(items); };
        ctx.Refresh = [this] { ++refreshes_; };
        ctx.Closed = [this] { ++closed_; };
        form_ = new TFormService(std::move(ctx));
        form_->ShowMessage = [this](const std::string& text, unsigned) { messages_.push_back(text); };
        form_->show();
        QApplication::processEvents();
    }
    void TearDown() override { delete form_.data(); }

    template <typename T = QWidget> T* Child(const char* name) const {
        return form_->findChild<T*>(QString::fromUtf8(name));
    }

    void Answer(const TMeterInfo& info = LuminanceMeter()) {
        form_->AddressAndMode(1, 0);
        form_->Identity(info, info.ModelDescriptor + "\r\n" + info.FirmwareVersion + "\r\nMERIDOX");
        form_->DefaultRange(1, info);
        form_->Config(3);
        QApplication::processEvents();
    }

    QAction* MenuItem(const char* name) const { return form_->TemplateMenu()->findChild<QAction*>(name); }

    test::TTempFolder dir_;
    const std::string library_ = dir_ / "K730_Template.dat";
    TProgramSettings settings_;
    QPointer<TFormService> form_;
    std::vector<TQueueItem> programmed_;
    std::vector<std::string> messages_;
    int refreshes_ = 0;
    int closed_ = 0;
};

// Every control a user can reach is known to assistive technology by a name.
std::vector<std::string> Unnamed(QWidget& window) {
    std::vector<std::string> unnamed;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                             qobject_cast<QTabBar*>(w) || qobject_cast<QPlainTextEdit*>(w);
        if (control && w->isVisibleTo(&window) && w->accessibleName().isEmpty() &&
            !w->objectName().startsWith("qt_"))
            unnamed.push_back(w->objectName().toStdString() + " (" + w->metaObject()->className() + ")");
    }
    return unnamed;
}

TEST_F(FormServiceTest, OpensEmptyAndFillsFromTheAnswers) {
    EXPECT_EQ(form_->windowTitle(), "K730 SERWIS");
    EXPECT_EQ(Child<QLabel>("LabelHeader")->text(), "Pamięć EEPROM miernika - USTAWIENIA");
    EXPECT_FALSE(Child<QLineEdit>("EditSN")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>("BtnProgram")->isEnabled());
    EXPECT_FALSE(Child<QLabel>("LabelStatusSN")->isVisible());
    test::SaveScreenshot(*form_, "service-settings-empty");
    Answer();
    EXPECT_EQ(Child<QLineEdit>("EditSN")->text(), "1001");
    EXPECT_EQ(Child<QLineEdit>("EditAngle")->text(), "2,5\u00B0");
    EXPECT_EQ(Child<QComboBox>("CBMeterKind")->currentText(), "Photometer");
    EXPECT_EQ(Child<QLabel>("LabelMeterName")->text(), "K-730/V'/20k/L2.5\u00B0/3/A&B") << "one ampersand";
    EXPECT_EQ(Child<QLabel>("LabelStatusSN")->text(), "zaprogramowane");
    EXPECT_TRUE(Child<QLabel>("LabelStatusSN")->isVisible());
    EXPECT_TRUE(Child<QPushButton>("BtnProgram")->isEnabled());
    EXPECT_EQ(Unnamed(*form_), std::vector<std::string>{});
    // The information page: prefixes in the program language.
    form_->ShowPage(spInfo);
    EXPECT_EQ(Child<QLabel>("LabelHeader")->text(), "Informacje o mierniku");
    EXPECT_TRUE(Child<QLabel>("LabelSN")->text().startsWith("Serial number:"));
    EXPECT_TRUE(Child<QLabel>("LabelSN")->text().endsWith("1001"));
    EXPECT_TRUE(Child<QLabel>("LabelConfigInfo")->text().endsWith("00000011"));
    EXPECT_TRUE(Child<QPlainTextEdit>("MemoInfo")->toPlainText().contains("MERIDOX"));
    EXPECT_FALSE(Child<QPushButton>("BtnRefresh")->isVisible()) << "nothing to read again on this page";
    test::SaveScreenshot(*form_, "service-info");
    for (TServicePage page : {spFactors, spCal, spDac, spBin}) {
        form_->ShowPage(page);
        test::SaveScreenshot(*form_, QString("service-page-%1").arg(page));
        EXPECT_EQ(test::UnnamedControls(*form_), "") << page;
    }
    form_->ShowPage(spEEPROM);
    test::SaveScreenshot(*form_, "service-settings-read");
}

TEST_F(FormServiceTest, TypingShowsValidityAndProgrammingHandsTheRequestsOver) {
    Answer();
    auto* year = Child<QLineEdit>("EditYear");
    year->setText("2009");
    emit year->textEdited("2009");
    auto* range = Child<QLineEdit>("EditRange1");
    range->setText("123456");
    emit range->textEdited("123456");
    QApplication::processEvents();
    EXPECT_EQ(range->text(), "123400") << "four significant digits as typed";
    EXPECT_FALSE(Child<TValidMark>("MarkYear")->Valid());
    EXPECT_FALSE(Child<TValidMark>("MarkRange2")->Valid()) << "range 3 is no longer above range 2";
    EXPECT_EQ(Child<QLabel>("LabelStatusYear")->text(), "niezaprogramowane");
    EXPECT_FALSE(Child<QPushButton>("BtnProgram")->isEnabled());
    test::SaveScreenshot(*form_, "service-settings-invalid");
    Child<QPushButton>("BtnProgram")->click();
    EXPECT_TRUE(programmed_.empty()) << "invalid entries never reach the meter";

    year->setText("2031");
    emit year->textEdited("2031");
    range->setText("2000");
    emit range->textEdited("2000");
    EXPECT_TRUE(Child<TValidMark>("MarkYear")->Valid());
    EXPECT_TRUE(Child<QPushButton>("BtnProgram")->isEnabled());
    test::SaveScreenshot(*form_, "service-settings-valid");
    Child<QPushButton>("BtnProgram")->click();
    ASSERT_EQ(programmed_.size(), 6u);
    EXPECT_EQ(programmed_[3].bytes, (TBytes{CMD_SVC_SERIAL_YEAR, 0xE9, 0x03, 0xEF, 0x07}));
    EXPECT_EQ(year->text(), "2031") << "the typed value stays";
}

TEST_F(FormServiceTest, AmperemeterTakesTheLuminanceAwayAndGivesItBack) {
    Answer();
    auto* kind = Child<QComboBox>("CBMeterKind");
    kind->setCurrentIndex(3);
    emit kind->activated(3);
    auto* lum = Child<TFrameCheckBox>("ChBLumMode");
    EXPECT_FALSE(lum->Checked());
    EXPECT_FALSE(lum->isEnabled());
    EXPECT_FALSE(Child<QLineEdit>("EditAngle")->isEnabled());
    EXPECT_EQ(Child<QComboBox>("CBSpectral")->count(), 1);
    kind->setCurrentIndex(0);
    emit kind->activated(0);
    EXPECT_TRUE(lum->Checked());
    EXPECT_EQ(Child<QLineEdit>("EditAngle")->text(), "2,5\u00B0");
}

TEST_F(FormServiceTest, RefreshAndMeterChangeEmptyThePage) {
    Answer();
    Child<QPushButton>("BtnRefresh")->click();
    EXPECT_EQ(refreshes_, 1);
    EXPECT_EQ(Child<QLineEdit>("EditSN")->text(), "");
    EXPECT_TRUE(Child<QPlainTextEdit>("MemoInfo")->isEnabled()) << "the information page stays";
    form_->Notify(snMeterChanged);
    EXPECT_FALSE(Child<QPlainTextEdit>("MemoInfo")->isEnabled());
    EXPECT_EQ(Child<QLabel>("LabelSN")->text().trimmed(), "Serial number:");
    form_->close();
    EXPECT_EQ(closed_, 1);
}

TEST_F(FormServiceTest, TemplateMenuOpensAppliesAndRemembers) {
    Answer();
    form_->RefreshTemplateMenu();
    EXPECT_TRUE(MenuItem("MenuOpen")->isEnabled());
    EXPECT_FALSE(MenuItem("MenuLastTemplate")->isVisible()) << "no template used yet";
    EXPECT_TRUE(MenuItem("MenuExport")->isEnabled());
    form_->RunTemplateEditor = [](TFormTemplate& editor) {
        EXPECT_EQ(editor.windowTitle(), "K730 Otwórz szablon");
        editor.resize(900, editor.height()); // every column in the picture
        test::ShowAndSaveScreenshot(editor, "template-open");
        EXPECT_EQ(test::UnnamedControls(editor), "");
        editor.Editor().SelectRow(1);
        EXPECT_TRUE(editor.Editor().Choose());
        return static_cast<int>(QDialog::Accepted);
    };
    MenuItem("MenuOpen")->trigger();
    EXPECT_EQ(Child<QComboBox>("CBMeterKind")->currentIndex(), 1);
    EXPECT_EQ(Child<QLineEdit>("EditRange2")->text(), "0");
    EXPECT_EQ(Child<QLineEdit>("EditSN")->text(), "1001") << "serial number and year stay";
    EXPECT_EQ(settings_.LastTemplateName, "K-730/UVA/20k/E/0");
    EXPECT_EQ(settings_.LastTemplateKind, 2);
    form_->RefreshTemplateMenu();
    EXPECT_TRUE(MenuItem("MenuLastTemplate")->isVisible());
    EXPECT_EQ(MenuItem("MenuLastTemplate")->text(), "Otwórz K-730/UVA/20k/E/0");
    EXPECT_EQ(form_->TemplateMenu()->defaultAction(), MenuItem("MenuLastTemplate"));

    settings_.LastTemplateName = "K-730/V/20k/E/0";
    settings_.LastTemplateKind = 1;
    MenuItem("MenuLastTemplate")->trigger();
    EXPECT_EQ(Child<QComboBox>("CBMeterKind")->currentIndex(), 0);
    settings_.LastTemplateName = "gone";
    MenuItem("MenuLastTemplate")->trigger();
    EXPECT_EQ(messages_, std::vector<std::string>{"Nie udało się odczytać szablonu\r\ngone"});
}

TEST_F(FormServiceTest, SaveModeAddsThePresentSettingsUnderAUserName) {
    Answer();
    form_->RunTemplateEditor = [](TFormTemplate& editor) {
        EXPECT_EQ(editor.windowTitle(), "K730 Zapisz szablon");
        std::vector<std::string> told;
        editor.Tell = [&](const TFileMessage& m) { told.push_back(m.pl); };
        auto* name = editor.findChild<QLineEdit*>("EditUserName");
        name->setText("Wzorzec luminancji");
        test::ShowAndSaveScreenshot(editor, "template-save");
        editor.findChild<QPushButton*>("BtnSave")->click();
        EXPECT_EQ(told,
                  std::vector<std::string>{"Pomyślnie dopisano szablon\r\nK-730/V'/20k/L2.5\u00B0/3/A&B"});
        return editor.result();
    };
    form_->TemplateMenu()->findChild<QAction*>("MenuSave")->trigger();
    TTemplateRec key;
    key.MeterName = "K-730/V'/20k/L2.5\u00B0/3/A&B";
    key.MeterKind = 0x81;
    ASSERT_TRUE(FindTemplate(library_, key));
    EXPECT_EQ(key.UserName, "Wzorzec luminancji");
    EXPECT_EQ(key.Aperture, "2,5\u00B0");
}

TEST_F(FormServiceTest, EditModeRenamesDeletesAndSavesTheLists) {
    Answer();
    form_->RunTemplateEditor = [](TFormTemplate& editor) {
        EXPECT_EQ(editor.windowTitle(), "K730 Szablony");
        editor.AskSave = [](const QString&) { return true; };
        editor.resize(900, editor.height());
        editor.show();
        QApplication::processEvents();
        EXPECT_EQ(Unnamed(editor), std::vector<std::string>{});
        test::SaveScreenshot(editor, "template-edit");
        auto* grid = editor.findChild<QTableView*>("SGTemplate");
        grid->selectRow(1);
        auto* name = editor.findChild<QLineEdit*>("EditNewName");
        name->setText("Radiometr UVA");
        emit name->textEdited("Radiometr UVA");
        editor.findChild<QPushButton*>("BtnApply")->click();
        EXPECT_EQ(editor.Editor().Templates()[1].UserName, "Radiometr UVA");
        grid->selectRow(0);
        editor.findChild<QPushButton*>("BtnDel")->click();
        EXPECT_EQ(editor.Editor().Templates().size(), 1u);
        editor.findChild<TZAKTabSet*>("TabSet")->ChooseTab(1);
        editor.findChild<QListWidget*>("ListSpectral1")->setCurrentRow(0);
        editor.findChild<QPushButton*>("BtnAdd")->click();
        name->setText("UVB");
        emit name->textEdited("UVB");
        editor.findChild<QPushButton*>("BtnApply")->click();
        QApplication::processEvents();
        test::SaveScreenshot(editor, "template-edit-spectral");
        editor.reject(); // closing asks, and the answer Yes saves
        EXPECT_TRUE(editor.Editor().Saved());
        return editor.result();
    };
    form_->TemplateMenu()->findChild<QAction*>("MenuEdit")->trigger();
    TSpectralLists lists;
    TTemplateArray all;
    ASSERT_TRUE(ReadTemplateFile(library_, &lists, &all));
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].UserName, "Radiometr UVA");
    EXPECT_EQ(lists[1].back(), "UVB");
    // The service window took the new lists.
    auto* kind = Child<QComboBox>("CBMeterKind");
    kind->setCurrentIndex(1);
    emit kind->activated(1);
    EXPECT_EQ(Child<QComboBox>("CBSpectral")->itemText(Child<QComboBox>("CBSpectral")->count() - 1), "UVB");
    EXPECT_GT(settings_.TmplWinWidth, 0) << "the editor's size is kept for the next time";
}

} // namespace
} // namespace k730
