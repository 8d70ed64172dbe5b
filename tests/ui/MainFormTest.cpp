#include "UiTestApp.h"

#include "main/DisplayReading.h"
#include "main/K730FrameDisplay.h"
#include "main/K730Main.h"
#include "main/LEDLamp2.h"
#include "main/MinMaxAv.h"
#include "main/PanelSettings.h"
#include "main/StatusIconStrip.h"
#include "ui/ConfBox.h"
#include "ui/Mnemonics.h"
#include "support/AccessibleCheck.h"
#include "support/MessageReader.h"
#include "support/Screenshot.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFile>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace k730 {
namespace {

TDisplayReading Reading(const char* text, int q, uint8_t kind, uint8_t flags) {
    TDisplayReading r;
    r.text = text;
    r.exponent = q;
    r.value = 1234.5678f;
    r.fullScale = 2000;
    r.kindByte = kind;
    r.statusFlags = flags;
    r.temperatureText = "23,4°C";
    return r;
}

class MainFormTest : public ::testing::TestWithParam<int> {
protected:
    MainFormTest() : form_(GetParam()) { form_.show(); }
    template <typename T = QWidget> T* Child(const char* name) const {
        return form_.findChild<T*>(QString::fromUtf8(name));
    }
    void Shot(const char* name) {
        test::SaveScreenshot(form_, QString("%1-%2").arg(name, GetParam() == langPolish ? "pl" : "en"));
        EXPECT_EQ(test::UnnamedControls(form_), "") << name;
    }
    QString Caption(const char* name) const {
        if (auto* menu = Child<QMenu>(name)) return Shown(menu->title());
        if (auto* action = Child<QAction>(name)) return Shown(action->text());
        if (auto* label = Child<QLabel>(name)) return label->text();
        if (auto* button = Child<QAbstractButton>(name)) return button->text();
        return "<missing>";
    }

    static QString Shown(const QString& caption) {
        return QString::fromStdString(StripMnemonic(caption.toStdString()));
    }

    QApplication& app_ = test::UiApp();
    TMainForm form_;
};

struct TCaptionCase {
    const char* control;
    const char* pl;
    const char* en;
};

// Every caption the language switches, in both languages.
const TCaptionCase CaptionCases[] = {
    {"LabelRange", "Zakres pomiarowy:", "Measuring range:"},
    {"LabelPort", "Port:", "Port:"},
    {"BtnAuto", "Auto", "Auto"},
    {"LabelSetValue", "Adres urządzenia  (hex):", "Meter address  (hex):"},
    {"BtnSettingsCancel", "Anuluj", "Cancel"},
    {"BtnSettingsOK", "Ustaw", "Set"},
    {"MenuCmd", "Polecenie", "Command"},
    {"MenuZeroDet", "Zeruj detektor", "Start detector zeroing"},
    {"MenuZeroADC", "Zeruj system pomiarowy", "Start measuring system zeroing"},
    {"MenuSetOnlyZeroADC", "Tylko zeruj", "Run"},
    {"MenuSetAndSaveZeroADC", "Zeruj i zachowaj", "Run and store"},
    {"MenuAutoZero", "Zerowanie automatyczne", "Automatic zeroing"},
    {"MenuSetAddr", "Ustaw adres", "Change address"},
    {"MenuAddrMerBus", "protokołu MerBUS", "MerBUS protocol"},
    {"MenuAddrModBus", "protokołu MODBUS", "MODBUS protocol"},
    {"MenuSetRange", "Ustaw zakres domyślny", "Set default range"},
    {"MenuConvCount", "Ustaw ilość konwersji", "Set number of conversions"},
    {"MenuRefreshRate", "Czas odświeżania wyniku", "Refresh rate"},
    {"MenuAutoRange", "Automatyczna zmiana zakresu", "Auto range"},
    {"MenuCAL", "Kalibracja", "Calibration"},
    {"MenuCalMeter", "Uruchom", "Run"},
    {"MenuCalImport", "Importuj historię kalibracji", "Import history log"},
    {"MenuCalExport", "Eksportuj historię kalibracji", "Eksport history log"},
    {"MenuClose", "Zakończ", "Quit"},
    {"MenuView", "Widok", "View"},
    {"MenuViewMinMaxAv", "Pokaż Min/Max/Średnia", "Show Min/Max/Average"},
    {"MenuClearMinMaxAv", "Zeruj Min/Max/Średnia", "Reset Min/Max/Average"},
    {"MenuSetAverCount", "Średnia krocząca", "Moving average"},
    {"MenuHistMeas", "Historia pomiarów", "Measures history log"},
    {"MenuHistCAL", "Historia kalibracji", "Calibration history log"},
    {"MenuStayOnTop", "Zawsze na wierzchu", "Stay on top"},
    {"MenuService", "Tryb serwisowy", "Service mode"},
    {"MenuShowIconStatus", "Pokaż pasek statusu", "Show status"},
    {"MenuShowSettings", "Pokaż ustawienia", "Show settings"},
    {"MenuVudIDO", "Pokaż bufor COM", "Show COM buffer"},
    {"MenuHelp", "Pomoc", "Help"},
    {"MenuManual", "Instrukcja obsługi", "Instruction manual"},
    {"MenuCfgGuide", "Instrukcja programowania", "Programming manual"},
    {"MenuAboutMeter", "O mierniku", "About meter"},
    {"MenuAboutProgram", "O programie", "About program"},
};

TEST_P(MainFormTest, EveryCaptionIsInTheChosenLanguage) {
    for (const auto& c : CaptionCases)
        EXPECT_EQ(Caption(c.control).toStdString(), GetParam() == langPolish ? c.pl : c.en) << c.control;
    EXPECT_EQ(Shown(Child<QAction>("MenuWWW")->text()), TMainForm::WebAddress(GetParam()));
}

// Every menu and item is reachable from the keyboard: one Alt+letter each,
// distinct within its menu, and F10 opens the menu bar.
TEST_P(MainFormTest, MenusAreReachableFromTheKeyboard) {
    std::function<void(const QList<QAction*>&, const QString&)> check = [&](const QList<QAction*>& actions,
                                                                            const QString& where) {
        QSet<QChar> keys;
        for (QAction* action : actions) {
            if (action->isSeparator()) continue;
            const QKeySequence key = QKeySequence::mnemonic(action->text());
            ASSERT_FALSE(key.isEmpty()) << "no Alt+letter: " << action->text().toStdString();
            const QChar letter = key.toString().back().toLower();
            EXPECT_FALSE(keys.contains(letter))
                << where.toStdString() << ": " << action->text().toStdString();
            keys.insert(letter);
            if (action->menu()) check(action->menu()->actions(), action->text());
        }
    };
    check(form_.menuBar()->actions(), "menu bar");

    QApplication::setActiveWindow(&form_); // shortcuts go to the active window
    QTest::keyClick(&form_, Qt::Key_F10);
    EXPECT_EQ(form_.menuBar()->activeAction(), form_.menuBar()->actions().first());
    if (QMenu* open = form_.menuBar()->actions().first()->menu()) open->hide();
}

// Icon buttons are named by the caption of the menu item they stand for,
// fields and choosers by their label.
TEST_P(MainFormTest, ControlsCarryTheNamesUsersReadOnThem) {
    for (const auto& [button, item] :
         {std::pair{"BtnClearMinMaxAv", "MenuClearMinMaxAv"}, std::pair{"BtnService", "MenuService"},
          std::pair{"BtnVudIDO", "MenuVudIDO"}}) {
        EXPECT_EQ(Child(button)->toolTip(), Caption(item)) << button;
        EXPECT_EQ(Child(button)->accessibleName(), Caption(item)) << button;
    }
    EXPECT_EQ(Child("CBDevice")->accessibleName(), Caption("LabelPort"));
    EXPECT_EQ(Child("CBRange")->accessibleName(), Caption("LabelRange"));
    EXPECT_EQ(Child("BtnAuto")->accessibleName(), "Auto");
    EXPECT_EQ(Child("BtnSettingsOK")->accessibleName(), Caption("BtnSettingsOK"));
}

TEST_P(MainFormTest, ControlsOfTheFrameArePresentByName) {
    for (const char* name :
         {"CBDevice",           "CBRange",       "BtnAuto",           "PanelStatus",      "PanelDisplay",
          "PanelDisplayClient", "LabelDisplay",  "PanelSettings",     "LabelSettings",    "LabelSetValue",
          "EditValue",          "LabelAverTime", "ChBRepeatAuto",     "RBRange0",         "RBRange1",
          "RBRange2",           "BtnSettingsOK", "BtnSettingsCancel", "BtnClearMinMaxAv", "BtnService",
          "BtnVudIDO",          "LabelOver",     "LabelValue",        "ImageUnit"})
        EXPECT_NE(Child(name), nullptr) << name;
    EXPECT_EQ(Child<QLineEdit>("EditValue")->maxLength(), 6);
    // Menus hold their items: the submenus sit inside "Polecenie".
    EXPECT_EQ(Child<QAction>("MenuSetOnlyZeroADC")->associatedObjects().front(), Child<QMenu>("MenuZeroADC"));
    EXPECT_EQ(Child<QMenu>("MenuZeroADC")->menuAction()->associatedObjects().front(),
              Child<QMenu>("MenuCmd"));
    EXPECT_EQ(form_.menuBar()->actions().size(), 4);
    EXPECT_NE(form_.menuBar()->cornerWidget(Qt::TopRightCorner), nullptr); // the logo
}

TEST_P(MainFormTest, FixedSizeAndPollingStartsOn) {
    EXPECT_EQ(form_.minimumSize(), form_.maximumSize());
    EXPECT_TRUE(Child<QAbstractButton>("BtnAuto")->isChecked());
    EXPECT_FALSE(Child<QComboBox>("CBRange")->isEnabled());
    EXPECT_FALSE(Child<QAction>("MenuAboutMeter")->isEnabled());
    EXPECT_EQ(Child<QLabel>("LabelMeterName")->text(), "-----");
}

TEST_P(MainFormTest, DeviceResetShowsItsMessageInPlaceOfTheValue) {
    form_.ShowReading(Reading("0,00", 0, 1, 0xFF));
    EXPECT_TRUE(Child("LabelDisplay")->isVisible());
    EXPECT_FALSE(Child("PanelDisplayClient")->isVisible());
    EXPECT_EQ(Child<QLabel>("LabelDisplay")->text().toStdString(),
              GetParam() == langPolish ? "RESET URZĄDZENIA" : "DEVICE RESET");
    form_.ShowReading(Reading("1234,57", 0, 1, 0));
    EXPECT_FALSE(Child("LabelDisplay")->isVisible());
    EXPECT_TRUE(Child("PanelDisplayClient")->isVisible());
}

TEST_P(MainFormTest, WarningsTakeTheIconStripsPlace) {
    form_.Action("MenuShowIconStatus")->setChecked(true);
    form_.ShowReading(Reading("1234,57", 0, 1, 0));
    EXPECT_TRUE(Child("ImageIconStatus")->isVisible());
    EXPECT_EQ(Child<QLabel>("LabelTemperature")->text().toStdString(), "23,4°C");
    for (uint8_t flag : {sfResultFactorInvalid, sfLoopFactorInvalid, sfForcingValueInvalid}) {
        form_.ShowReading(Reading("1234,57", 0, 1, flag));
        EXPECT_FALSE(Child("ImageIconStatus")->isVisible()) << int(flag);
        EXPECT_EQ(Child("LabelKE")->isVisible(), flag == sfResultFactorInvalid);
        EXPECT_EQ(Child("LabelKL")->isVisible(), flag == sfLoopFactorInvalid);
        EXPECT_EQ(Child("LabelDAC0")->isVisible(), flag == sfForcingValueInvalid);
    }
    EXPECT_EQ(Child<QLabel>("LabelDAC0")->text(), "DAC0 ! ");
    form_.Action("MenuShowIconStatus")->setChecked(false);
    form_.ShowReading(Reading("1234,57", 0, 1, 0));
    EXPECT_FALSE(Child("ImageIconStatus")->isVisible());
}

// Icons, lamp, logo and unit are drawn for the screen's pixel density; the
// suite runs once more with QT_SCALE_FACTOR=2 to look at it at 2×.
TEST_P(MainFormTest, MarksAreDrawnForTheScreensPixelRatio) {
    form_.Action("MenuShowIconStatus")->setChecked(true);
    form_.ShowReading(Reading("1234,57", 0, 1, 0));
    TIconInputs icons;
    icons.statusKnown = true;
    icons.loopOn = true;
    icons.convCount = 12;
    form_.ShowIcons(icons);
    const QPixmap shot = form_.grab();
    const qreal ratio = form_.devicePixelRatioF();
    EXPECT_EQ(shot.devicePixelRatio(), ratio);
    EXPECT_EQ(form_.findChild<TStatusIconStrip*>("ImageIconStatus")->Strip().devicePixelRatio(), ratio);
    EXPECT_EQ(Child<QLabel>("ImageLogo")->pixmap().devicePixelRatio(), ratio);
    EXPECT_EQ(Child<QLabel>("ImageUnit")->pixmap().devicePixelRatio(), ratio);
    Shot(QString("main-scale-%1").arg(ratio).toUtf8().constData());
}

TEST_P(MainFormTest, ClearHidesEveryMark) {
    form_.ShowReading(Reading("1234,57", 0, 1, sfLoopFactorInvalid));
    EXPECT_TRUE(Child("LEDStatus")->isVisible());
    form_.ClearDisplay();
    for (const char* name :
         {"LEDStatus", "LabelTemperature", "LabelKE", "LabelKL", "LabelDAC0", "ImageIconStatus"})
        EXPECT_FALSE(Child(name)->isVisible()) << name;
    EXPECT_TRUE(Child<QLabel>("LabelValue")->text().isEmpty());
}

// Without a PDF viewer or a browser the user learns that, and where the
// file or page is, instead of a false "could not open".
TEST_P(MainFormTest, HelpWithoutAProgramToOpenItNamesTheFileOrAddress) {
    std::vector<QUrl> asked;
    form_.SetUrlOpener([&](const QUrl& url) {
        asked.push_back(url);
        return false;
    });
    std::vector<QString> shown;
    QObject reader; // its timer reads the messages
    test::ReadEveryMessage(&reader, shown);
    const bool polish = GetParam() == langPolish;

    Child<QAction>("MenuWWW")->trigger();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].contains("https://" + TMainForm::WebAddress(GetParam()))) << shown[0].toStdString();
    EXPECT_TRUE(shown[0].startsWith(polish ? "Nie ma programu" : "No program is set up"))
        << shown[0].toStdString();

    const QString manual =
        QDir(QCoreApplication::applicationDirPath())
            .filePath(polish ? "K730 Instrukcja programu komputerowego.pdf" : "K730 PC software guide.pdf");
    const bool made = !QFileInfo::exists(manual);
    if (made) {
        QFile file(manual);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    Child<QAction>("MenuManual")->trigger();
    if (made) QFile::remove(manual);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].contains(manual)) << shown[1].toStdString();
    EXPECT_TRUE(shown[1].startsWith(polish ? "Nie ma programu" : "No program is set up"))
        << shown[1].toStdString();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], QUrl::fromLocalFile(manual));
}

TEST_P(MainFormTest, CopyKeysPutTheValueWithItsExponentOnTheClipboard) {
    form_.ShowReading(Reading("12,345E-3", -3, 2, 0));
    EXPECT_EQ(Child<QLabel>("LabelValue")->text(), "12,345");
    QList<QKeySequence> keys;
    for (QShortcut* shortcut : form_.findChildren<QShortcut*>()) {
        if (shortcut->key() == QKeySequence(Qt::Key_F10)) continue; // the menu bar's key
        keys.append(shortcut->key());
        QGuiApplication::clipboard()->clear();
        emit shortcut->activated();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "12,345E-3");
    }
    EXPECT_TRUE(keys.contains(QKeySequence(Qt::CTRL | Qt::Key_C)));
    EXPECT_TRUE(keys.contains(QKeySequence(Qt::CTRL | Qt::Key_Insert)));
}

TEST_P(MainFormTest, DeviceChooserIsFilledWithoutReportingAChoice) {
    int chosen = -1;
    QObject::connect(&form_, &TMainForm::PortChosen, [&](int index) { chosen = index; });
    form_.SetDeviceItems({"żaden", "COM1", "COM2", "szukaj..."}, 2);
    EXPECT_EQ(Child<QComboBox>("CBDevice")->currentIndex(), 2);
    EXPECT_EQ(chosen, -1);
    form_.ShowComStatus(5, "Communication lost");
    EXPECT_EQ(Child<QLabel>("PanelStatus")->text(), " Communication lost");
    EXPECT_EQ(Child("PanelStatus")->palette().color(QPalette::WindowText), QColor(Qt::red));
}

TEST_P(MainFormTest, SettingsPanelTakesTheDisplaysPlaceAndGivesItBack) {
    TPanelInputs inputs;
    inputs.ConvCount = 6;
    inputs.AverCount = 5;
    form_.OpenSettingsPanel();
    form_.SettingsPanel()->OpenValuePanel(TPanelKind::pkAverCount, inputs);
    EXPECT_TRUE(form_.SettingsPanelOpen());
    EXPECT_FALSE(Child("PanelDisplayClient")->isVisible());
    EXPECT_EQ(Caption("LabelSettings"), GetParam() == langPolish ? "Średnia krocząca: " : "Moving average: ");
    Shot("panel-average");
    form_.SettingsPanel()->OpenRangePanel({"2 ", "20 ", "200 "}, "lx", 1);
    Shot("panel-range");
    form_.ShowDisplayMessage("Trwa zerowanie");
    form_.CloseSettingsPanel();
    EXPECT_FALSE(form_.SettingsPanelOpen());
    EXPECT_TRUE(Child("PanelDisplayClient")->isVisible());
    EXPECT_FALSE(Child("LabelDisplay")->isVisible()) << "closing the panel also ends a display message";
}

TEST_P(MainFormTest, StatisticsLabelsShowWithTheFirstReading) {
    TMinMaxAv stats;
    stats.Reset(5);
    form_.ShowStats(stats, true);
    EXPECT_FALSE(Child("LabelMin")->isVisible()) << "no reading yet";
    EXPECT_TRUE(Child("BtnClearMinMaxAv")->isVisible());
    const QSize size = form_.size();
    form_.ShowReading(Reading("1234.57", 0, 1, 0));
    EXPECT_TRUE(Child("LabelMin")->isVisible());
    EXPECT_EQ(Caption("LabelAvg"), GetParam() == langPolish ? "śr: -----" : "avg: -----");
    Shot("statistics");
    form_.ShowStats(stats, false);
    EXPECT_FALSE(Child("LabelMax")->isVisible());
    EXPECT_FALSE(Child("BtnClearMinMaxAv")->isVisible());
    EXPECT_EQ(form_.size(), size) << "the window keeps its size";
}

TEST_P(MainFormTest, AMissingManualIsReported) {
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<TConfirmForm*>(QApplication::activeModalWidget())) {
            shown = box->findChild<QLabel*>("LabelTxt")->text();
            box->findChild<QPushButton*>("BtnYes")->click();
        }
    });
    form_.Action("MenuCfgGuide")->trigger(); // the test program's folder holds no manuals
    EXPECT_TRUE(shown.startsWith(GetParam() == langPolish ? "Nie znaleziono pliku:\n" : "File not found:\n"))
        << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("K-730 Instrukcja programowania.pdf"));
}

INSTANTIATE_TEST_SUITE_P(Languages, MainFormTest, ::testing::Values(langPolish, langEnglish),
                         [](const auto& info) { return info.param == langPolish ? "Polish" : "English"; });

} // namespace
} // namespace k730
