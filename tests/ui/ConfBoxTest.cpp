#include "ui/ConfBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

// Font configuration keeps a cache for the life of the process; under the
// leak checker that is not ours to report.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace k730 {
namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "k730_test_ui_confbox";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)app;
}

// Runs `act` on the confirmation dialog as soon as it is shown modally.
void WhenShown(std::function<void(TConfirmForm*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* form = qobject_cast<TConfirmForm*>(QApplication::activeModalWidget());
        if (!form || !form->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(form);
    });
    timer->start();
}

void Click(const char* name) {
    WhenShown([name](TConfirmForm* f) { f->findChild<QPushButton*>(name)->click(); });
}

void PressEscape() {
    WhenShown([](TConfirmForm* f) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(f, &key);
    });
}

const QString TEXT = "UWAGA\r\nTrwa rejestracja historii.";

class ConfBox : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        ConfSetLanguage(langEnglish);
    }
};

TEST_F(ConfBox, EveryButtonHasItsResultCode) {
    const std::pair<const char*, int> buttons[] = {{"BtnYes", 1},    {"BtnNo", 2},    {"BtnSkip", 3},
                                                   {"BtnYesAll", 4}, {"BtnNoAll", 5}, {"BtnCancel", 6}};
    for (const auto& [name, code] : buttons) {
        Click(name);
        EXPECT_EQ(ConfAsk(nullptr, TEXT, "K730", MB_ICONQUESTION, true, false), code) << name;
    }
    Click("BtnYes");
    EXPECT_TRUE(ConfOkCancel(nullptr, TEXT, "K730", 0, 0));
    Click("BtnNo");
    EXPECT_FALSE(ConfOkCancel(nullptr, TEXT, "K730", 0, 1));
    int code = -1;
    Click("BtnNo");
    EXPECT_FALSE(ConfYesNoCode(nullptr, TEXT, "K730", code, 0));
    EXPECT_EQ(code, 2);
    Click("BtnYes");
    EXPECT_TRUE(ConfMessage(nullptr, TEXT, "K730", MB_ICONINFORMATION));
}

TEST_F(ConfBox, EscapeAndTheCloseBoxGiveSix) {
    PressEscape();
    EXPECT_EQ(ConfAsk(nullptr, TEXT, "K730", 0, false, true), 6);
    PressEscape();
    EXPECT_FALSE(ConfMessage(nullptr, TEXT, "K730", 0));
    WhenShown([](TConfirmForm* f) { f->close(); });
    EXPECT_EQ(ConfAsk(nullptr, TEXT, "K730", 0, true, false), 6);
    int code = -1;
    PressEscape();
    ConfYesNoCode(nullptr, TEXT, "K730", code, 0);
    EXPECT_EQ(code, 6);
}

void TickAndClick(const char* button) {
    WhenShown([button](TConfirmForm* f) {
        f->findChild<QCheckBox*>("CheckBox")->click();
        f->findChild<QPushButton*>(button)->click();
    });
}

TEST_F(ConfBox, CheckBoxIsWrittenBackOnlyForAnAnswer) {
    bool checked = false;
    TickAndClick("BtnNo");
    EXPECT_FALSE(ConfYesNoCheck(nullptr, TEXT, "K730", 0, checked, 1, "Always show this note"));
    EXPECT_TRUE(checked);
    WhenShown([](TConfirmForm* f) {
        f->findChild<QCheckBox*>("CheckBox")->click();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(f, &key);
    });
    EXPECT_FALSE(ConfYesNoCheck(nullptr, TEXT, "K730", 0, checked, 0, "Always show this note"));
    EXPECT_TRUE(checked); // cancelled: unchanged
    // OK of the OK/Cancel mode hands the box back too.
    TickAndClick("BtnYes");
    EXPECT_TRUE(ConfOkCancelCheck(nullptr, TEXT, "K730", 0, checked, 0, "Save zeroing factor in EEPROM"));
    EXPECT_FALSE(checked);
    TickAndClick("BtnSkip");
    EXPECT_FALSE(ConfAskAllCheck(nullptr, TEXT, "K730", 32, checked, true, false, "x"));
    EXPECT_TRUE(checked);
    TickAndClick("BtnCancel");
    EXPECT_FALSE(ConfAskAllCheck(nullptr, TEXT, "K730", 32, checked, true, false, "x"));
    EXPECT_TRUE(checked);
}

TEST_F(ConfBox, ChoiceClampsAndRestoresTheIndex) {
    const QStringList options = {"Synchronize", "Overwrite"};
    int index = 7;
    WhenShown([](TConfirmForm* f) {
        EXPECT_TRUE(f->findChild<QRadioButton*>("RBOption1")->isChecked());
        f->findChild<QRadioButton*>("RBOption0")->click();
        f->findChild<QPushButton*>("BtnNo")->click();
    });
    EXPECT_FALSE(ConfChoice(nullptr, TEXT, "K730", 32, 0, index, options));
    EXPECT_EQ(index, 7);
    WhenShown([](TConfirmForm* f) {
        f->findChild<QRadioButton*>("RBOption0")->click();
        f->findChild<QPushButton*>("BtnYes")->click();
    });
    EXPECT_TRUE(ConfChoice(nullptr, TEXT, "K730", 32, 0, index, options));
    EXPECT_EQ(index, 0);
}

TEST_F(ConfBox, CheckListSetsMaskBitsAtOnce) {
    uint32_t mask = 0b100;
    TConfirmForm form(nullptr, TEXT, "K730", 0, {}, langPolish);
    form.SetChecks({"a", "b", "c"}, &mask);
    form.Arrange();
    EXPECT_TRUE(form.findChild<QCheckBox*>("ChBOption2")->isChecked());
    form.findChild<QCheckBox*>("ChBOption0")->click();
    form.findChild<QCheckBox*>("ChBOption2")->click();
    EXPECT_EQ(mask, 0b001u);
}

TEST_F(ConfBox, CaptionsIconsAndPlainAmpersands) {
    TConfirmForm pl(nullptr, "A&B", "K730", MB_ICONHAND, {true, false, false, false}, langPolish);
    pl.Arrange();
    EXPECT_EQ(pl.findChild<QPushButton*>("BtnYesAll")->text(), "Tak na wszystkie");
    EXPECT_EQ(pl.findChild<QPushButton*>("BtnSkip")->text(), "Pomiń");
    EXPECT_EQ(pl.findChild<QPushButton*>("BtnYesAll")->accessibleName(), "Tak na wszystkie");
    EXPECT_EQ(pl.findChild<QLabel*>("LabelTxt")->text(), "A&B");
    EXPECT_EQ(pl.findChild<QLabel*>("LabelTxt")->textFormat(), Qt::PlainText);
    EXPECT_EQ(pl.Icon(), ciStop);
    TConfirmForm ok(nullptr, "x", "K730", 0, {false, false, false, true}, langEnglish);
    EXPECT_EQ(ok.findChild<QPushButton*>("BtnYes")->text(), "OK");
    EXPECT_EQ(ok.findChild<QPushButton*>("BtnNo")->text(), "Cancel");
    TConfirmForm single(nullptr, "x", "K730", 64, {false, true, false, false}, langPolish);
    single.Arrange();
    EXPECT_EQ(single.findChild<QPushButton*>("BtnYes")->text(), "OK");
    EXPECT_EQ(single.Icon(), ciInformation);
    EXPECT_EQ(single.size(), QSize(single.Layout().clientWidth, single.Layout().clientHeight));
}

TEST_F(ConfBox, TrackedDialogCanBeClosedFromOutside) {
    QPointer<TConfirmForm> slot;
    WhenShown([&slot](TConfirmForm* f) {
        EXPECT_EQ(slot.data(), f);
        slot->close();
    });
    EXPECT_EQ(ConfAskTracked(nullptr, slot, TEXT, 0, false, true, "K730"), 6);
    EXPECT_TRUE(slot.isNull());
    QPointer<TConfirmForm> modeless = ConfShowModeless(nullptr, TEXT, "K730", 0, false, true);
    ASSERT_TRUE(modeless);
    EXPECT_TRUE(modeless->isVisible());
    modeless->findChild<QPushButton*>("BtnYes")->click();
    EXPECT_EQ(modeless->Result(), 1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(modeless.isNull());
}

// With K730_CONFBOX_PNG set to a folder, the dialogs are also saved as pictures
// there for a look by eye.
TEST_F(ConfBox, RendersInBothLanguages) {
    const QString folder = qEnvironmentVariable("K730_CONFBOX_PNG");
    for (int lang : {langPolish, langEnglish}) {
        const QString suffix = lang == langPolish ? "pl" : "en";
        auto render = [&](TConfirmForm& form, const QString& name) {
            form.Arrange();
            form.show();
            const QPixmap picture = form.grab();
            EXPECT_EQ(picture.size(), form.size()) << name.toStdString();
            if (!folder.isEmpty()) picture.save(QDir(folder).filePath(name + "-" + suffix + ".png"));
            form.hide();
        };
        const bool pl = lang == langPolish;
        TConfirmForm message(nullptr, pl ? "Nie wybrano portu komunikacji." : "Comm port not selected.",
                             "K730", MB_ICONWARNING, {false, true, false, false}, lang);
        render(message, "message");
        TConfirmForm ask(nullptr,
                         pl ? "Plik\r\n/home/u/K730_CAL.dat\r\njuż istnieje.\r\nCzy chcesz go zamienić?"
                            : "File\r\n/home/u/K730_CAL.dat\r\nalready exists.\r\nOverwrite?",
                         "K730", MB_ICONQUESTION, {true, false, false, false}, lang);
        render(ask, "ask-all");
        TConfirmForm check(nullptr,
                           pl ? "UWAGA\r\nTrwa rejestracja historii."
                              : "WARNING\r\nHistory registration in progress.",
                           "K730", MB_ICONWARNING, {false, false, true, false}, lang);
        check.SetCheckBox(
            pl ? "Zawsze potwierdzaj zatrzymanie rejestracji" : "Always confirm registration stop", true);
        render(check, "yesno-check");
        TConfirmForm choice(nullptr, pl ? "Plik już istnieje." : "The file already exists.", "K730",
                            MB_ICONQUESTION, {false, false, true, true}, lang);
        int index = 0;
        choice.SetOptions({"Synchronize", "Overwrite"}, &index);
        render(choice, "choice");
    }
}

} // namespace
} // namespace k730
