// The calibration history window and the main menu's import and export of
// the whole log, on files of the test's own: search, filters, exports and
// the import's questions and reports, with pictures of the window.
#include "DialogAnswerer.h"

#include "calibration/CalCertificatePdf.h"
#include "calibration/CalCommands.h"
#include "calibration/K730DateRange.h"
#include "calibration/K730HistCAL.h"
#include "files/CalLog.h"
#include "files/DayCount.h"
#include "files/FileIo.h"
#include "main/ControllerFakes.h"
#include "main/Cp1250.h"
#include "main/K730Main.h"
#include "main/K730Settings.h"
#include "support/AccessibleCheck.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <filesystem>

namespace k730 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::PumpUntil;

TCalLogRecord Rec(std::string type, uint16_t serial, TDateTimeParts when, std::string comment) {
    TCalLogRecord r;
    r.MeterType = std::move(type);
    r.SerialNumber = serial;
    r.ProductionYear = 2024;
    r.CalDateTime = EncodeDays(when);
    r.OldForcingValue4mA = 0x4000;
    r.NewForcingValue4mA = 0x40A5;
    r.OldLoopFactor = 1.4142135f;
    r.NewLoopFactor = 1.5151831f;
    r.OldResultFactor = 1.4142135f;
    r.NewResultFactor = 1.5f;
    r.CalTempCode = 0x2A8;
    r.Comment = std::move(comment);
    return r;
}

// Newest first.
TCalLogList SampleLog() {
    return {Rec("K-730/V/20k/E/0", 1001, {2024, 3, 19, 10, 5}, "lamp A"),
            Rec("K-730/L/200k/E/0", 7, {2024, 3, 5, 9, 30}, "Lamp 7\r\nbench 2"),
            Rec("K-730/V/20k/E/0", 1002, {2024, 2, 20, 14, 0}, ""),
            Rec("K-730/V/20k/E/0", 1001, {2024, 2, 19, 8, 15}, "lamp B"),
            Rec("K-730/V/20k/E/0", 1001, {2023, 12, 31, 23, 59}, "lamp A again")};
}

class HistWindow : public ::testing::TestWithParam<TLanguage> {
protected:
    fs::path dir;
    TCalProgramState state;
    std::vector<QString> opened;
    std::unique_ptr<test::TDialogAnswerer> answerer;
    std::unique_ptr<QWidget> owner;

    void SetUp() override {
        dir = fs::temp_directory_path() / ("k730-histwin-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ASSERT_TRUE(WriteCalLog((dir / "K730_CAL.dat").string(), SampleLog()));
        owner = std::make_unique<QWidget>();
        answerer = std::make_unique<test::TDialogAnswerer>(owner.get());
    }
    void TearDown() override { fs::remove_all(dir); }

    TCalHistoryHost Host() {
        TCalHistoryHost h;
        h.lang = GetParam();
        h.format = TCalTextFormat{GetParam(), ',', '.', ':'};
        h.logPath = (dir / "K730_CAL.dat").string();
        h.state = &state;
        h.configuredExportFolder = QString::fromStdString(dir.string());
        h.spreadsheetProgram = true;
        h.meter = [] { return TConnectedMeter{true, "K-730/V/20k/E/0", 1001, 2024}; };
        h.today = [] { return EncodeDays({2024, 3, 20, 12}); };
        h.saveFile = [this](QWidget*, const QString&, const QString&, int, const QString& folder,
                            const QString&) { return folder + "/export.txt"; };
        h.openDocument = [this](const QString& path) { opened.push_back(path); };
        h.openSpreadsheet = [this](const QString& path) { opened.push_back(path); };
        return h;
    }
    QString Suffix() const { return GetParam() == langPolish ? "pl" : "en"; }
};

TEST_P(HistWindow, RecordsShownNewestFirstWithTheirComment) {
    TFormHistCAL window(Host(), nullptr);
    window.show();
    auto* grid = window.findChild<QTableView*>("SGData");
    ASSERT_EQ(grid->model()->rowCount(), 5);
    EXPECT_EQ(window.findChild<QLabel*>("LabelCount")->text(), "5/5");
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "19.03.2024 10:05");
    EXPECT_EQ(grid->model()->index(1, 2).data().toString(), "K-730/L/200k/E/0\n7/2024");
    grid->selectRow(1);
    EXPECT_EQ(window.findChild<QPlainTextEdit*>("MemoComment")->toPlainText(), "Lamp 7\nbench 2");
    EXPECT_FALSE(window.findChild<QPushButton*>("BtnSet")->isEnabled()) << "another meter's record";
    grid->selectRow(0);
    EXPECT_TRUE(window.findChild<QPushButton*>("BtnSet")->isEnabled());
    EXPECT_EQ(test::UnnamedControls(window), "");
    test::SaveScreenshot(window, "cal-history-" + Suffix());
}

TEST_P(HistWindow, SearchGoesOnAndOffersToStartAgain) {
    TFormHistCAL window(Host(), nullptr);
    window.show();
    auto* search = window.findChild<QComboBox*>("CBSearch");
    auto* button = window.findChild<QPushButton*>("BtnSearch");
    EXPECT_FALSE(button->isEnabled());
    search->setEditText("  lamp  ");
    button->click();
    EXPECT_EQ(window.History().SelectedRow(), 0u);
    button->click();
    EXPECT_EQ(window.History().SelectedRow(), 1u) << "\"Lamp 7\" in the comment";
    button->click();
    button->click();
    EXPECT_EQ(window.History().SelectedRow(), 4u);
    button->click();
    ASSERT_TRUE(answerer->Arrived(GetParam() == langPolish
                                      ? "Przeszukać listę od początku?\r\n\r\nNie znaleziono "
                                        "szukanego ciągu znaków.\r\nPrzeszukano listę od 6 wiersza."
                                      : "Search from beginning?\r\n\r\nSearch string not "
                                        "found.\r\nSearch list from 6 row."));
    EXPECT_TRUE(PumpUntil([&] { return window.History().SelectedRow() == 0u; }, 2s));
    EXPECT_EQ(search->findText("lamp"), 0) << "the text is kept in the list";
    auto* meter = window.findChild<QPushButton*>("BtnCurSearch");
    meter->click();
    EXPECT_EQ(window.History().SelectedRow(), 0u) << "the connected meter, from the selected row on";
    meter->click();
    EXPECT_EQ(window.History().SelectedRow(), 3u);
}

TEST_P(HistWindow, ViewThisMeterOnlyWithoutASelectionShowsNothing) {
    TFormHistCAL window(Host(), nullptr);
    window.show();
    window.findChild<QRadioButton*>("RBOneMeter")->click();
    EXPECT_EQ(window.findChild<QTableView*>("SGData")->model()->rowCount(), 0);
    EXPECT_EQ(window.findChild<QLabel*>("LabelCount")->text(), "0/5");
    EXPECT_FALSE(window.findChild<QPushButton*>("BtnExport")->isEnabled());
    window.findChild<QRadioButton*>("RBAllMeters")->click();
    window.findChild<QTableView*>("SGData")->selectRow(3);
    window.findChild<QRadioButton*>("RBOneMeter")->click();
    EXPECT_EQ(window.findChild<QLabel*>("LabelCount")->text(), "3/5");
}

TEST_P(HistWindow, DateRangeDialogNarrowsTheRows) {
    TFormHistCAL window(Host(), nullptr);
    window.show();
    answerer->onOther = [this](QWidget& w) {
        auto* dialog = qobject_cast<TFormDateRange*>(&w);
        if (!dialog) return false;
        dialog->findChild<QRadioButton*>("RBCurrentMonth")->click();
        EXPECT_EQ(test::UnnamedControls(*dialog), "");
        test::SaveScreenshot(*dialog, "cal-date-range-dialog-" + Suffix());
        dialog->accept();
        return true;
    };
    window.findChild<QPushButton*>("BtnDateRange")->click();
    EXPECT_EQ(window.findChild<QLabel*>("LabelCount")->text(), "5/5") << "the limit is not switched on yet";
    window.findChild<QCheckBox*>("ChBDateRange")->click();
    EXPECT_EQ(window.findChild<QLabel*>("LabelCount")->text(), "2/5");
    EXPECT_EQ(window.findChild<QLabel*>("LabelDateRange")->text(),
              GetParam() == langPolish ? "bieżący miesiąc" : "current month");
}

TEST_P(HistWindow, TwoLineCommentStaysInTheNinthSpreadsheetColumn) {
    TFormHistCAL window(Host(), nullptr);
    window.show();
    window.findChild<QAction*>("MenuSpreadSheet")->trigger();
    ASSERT_TRUE(answerer->Arrived(GetParam() == langPolish ? "Wyeksportowano dane do pliku:"
                                                           : "Data exported to file:"));
    const auto bytes = ReadWholeFile((dir / "export.txt").string(), size_t{64} << 20);
    ASSERT_TRUE(bytes);
    const std::string text = Cp1250ToUtf8(std::string(bytes->begin(), bytes->end()));
    EXPECT_NE(text.find("\tLamp 7\r\n\t\t\t\t\t\t\t\tbench 2\r\n3.\t"), std::string::npos) << text;
    EXPECT_EQ(opened.size(), 1u) << "opened in the spreadsheet program";
    EXPECT_EQ(state.exportFolder, "") << "remembered by the main window when the window closes";
    EXPECT_EQ(window.ExportFolder(), QString::fromStdString(dir.string()));
}

TEST_P(HistWindow, CertificateOfTheSelectedRecordIsWrittenAndOpened) {
    TCalHistoryHost host = Host();
    host.saveFile = [this](QWidget*, const QString&, const QString&, int, const QString&, const QString&) {
        return QString::fromStdString((dir / "certificate.pdf").string());
    };
    host.writeCertificate = [lang = GetParam()](const TCalLogRecord& record, const QString& path) {
        return WriteCalCertificatePdf(
            MakeCalCertificate(record, {lang, ',', '.', ':'}, EncodeDays({2024, 3, 20})), path.toStdString());
    };
    TFormHistCAL window(host, nullptr);
    window.show();
    auto* button = window.findChild<QPushButton*>("BtnCertificate");
    EXPECT_FALSE(button->isEnabled()) << "a record is chosen first";
    window.findChild<QTableView*>("SGData")->selectRow(1);
    button->click();
    const auto pdf = ReadWholeFile((dir / "certificate.pdf").string(), size_t{64} << 20);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(std::string(pdf->begin(), pdf->begin() + 5), "%PDF-");
    EXPECT_EQ(opened, (std::vector<QString>{QString::fromStdString((dir / "certificate.pdf").string())}));
}

INSTANTIATE_TEST_SUITE_P(Languages, HistWindow, ::testing::Values(langEnglish, langPolish));

// The main menu's import and export of the whole log.
class LogImport : public ::testing::TestWithParam<TLanguage> {
protected:
    fs::path dir;
    test::TEventLog log;
    test::TFakePort port{log};
    test::TRecordingHooks hooks{log};
    std::unique_ptr<TMeterController> controller;
    TProgramSettings settings = DefaultSettings("/tmp");
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TCalCommands> commands;
    std::unique_ptr<test::TDialogAnswerer> answerer;
    QString chosen; // what the file dialogs return

    void SetUp() override {
        dir = fs::temp_directory_path() / ("k730-import-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        controller = std::make_unique<TMeterController>(port, hooks, TControllerConfig{});
        form = std::make_unique<TMainForm>(GetParam());
        commands =
            std::make_unique<TCalCommands>(*form, *controller, settings, GetParam(), ',', [] { return 1u; });
        commands->SetLogPaths(Path("K730_CAL.dat"), Path("K730_CAL.bak"));
        TCalFilePrompts prompts;
        prompts.openFile = [this](QWidget*, const QString&, const QString&, const QString&) {
            return chosen;
        };
        prompts.saveFile = [this](QWidget*, const QString&, const QString&, int, const QString&,
                                  const QString&) { return chosen; };
        commands->SetFilePrompts(prompts);
        answerer = std::make_unique<test::TDialogAnswerer>(form.get());
    }
    void TearDown() override {
        commands.reset();
        fs::remove_all(dir);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    bool English() const { return GetParam() == langEnglish; }
};

TEST_P(LogImport, ImportIntoAMissingLogCopiesTheFileWithoutAsking) {
    EXPECT_FALSE(form->Action("MenuHistCAL")->isVisible());
    EXPECT_FALSE(form->Action("MenuCalExport")->isEnabled());
    ASSERT_TRUE(WriteCalLog(Path("other.dat"), SampleLog()));
    chosen = QString::fromStdString(Path("other.dat"));
    form->Action("MenuCalImport")->trigger();
    ASSERT_EQ(answerer->messages.size(), 1u) << "no question, only the report";
    EXPECT_EQ(answerer->messages[0].rfind(
                  English() ? "Calibration history log file: \r\n" : "Poprawnie zaimportowano", 0),
              0u)
        << answerer->messages[0];
    EXPECT_EQ(ReadCalLog(Path("K730_CAL.dat")).records, SampleLog());
    EXPECT_TRUE(form->Action("MenuHistCAL")->isVisible());
    EXPECT_TRUE(form->Action("MenuCalExport")->isEnabled());
    EXPECT_TRUE(FileExists(Path("K730_CAL.bak")));
}

TEST_P(LogImport, SynchronizeWithNoToAllChangesNothingAndSaysSo) {
    ASSERT_TRUE(WriteCalLog(Path("K730_CAL.dat"), SampleLog()));
    ASSERT_TRUE(WriteCalLog(Path("same.dat"), SampleLog()));
    const auto before = ReadWholeFile(Path("K730_CAL.dat"), size_t{64} << 20);
    chosen = QString::fromStdString(Path("same.dat"));
    answerer->buttons[English() ? "Calibration record:" : "Istnieje już wpis"] = "BtnNoAll";
    form->Action("MenuCalImport")->trigger();
    ASSERT_EQ(answerer->messages.size(), 3u); // how to import, the first duplicate, the report
    EXPECT_EQ(answerer->messages[0],
              English() ? "Calibration history log file already exists."
                        : "Plik historii kalibracji już istnieje.\r\nWybierz sposób postępowania:");
    EXPECT_EQ(answerer->messages[1],
              English() ? "Calibration record:\r\n  19.03.2024 10:05:00\r\n  K-730/V/20k/E/0\r\n"
                          "already exists.\r\nOverwrite?"
                        : "Istnieje już wpis historii kalibracji:\r\n  19.03.2024 10:05:00\r\n  "
                          "K-730/V/20k/E/0\r\nCzy chcesz go nadpisać?");
    const std::string& report = answerer->messages[2];
    EXPECT_NE(report.find(English() ? "0 data records was overwritten.\r\n0 data records was appended."
                                    : "Nadpisano 0 rekordów danych.\r\nDopisano 0 rekordów danych."),
              std::string::npos)
        << report;
    EXPECT_EQ(ReadWholeFile(Path("K730_CAL.dat"), size_t{64} << 20), before);
}

TEST_P(LogImport, SynchronizeAppendsNewRecordsInDateOrder) {
    ASSERT_TRUE(WriteCalLog(Path("K730_CAL.dat"), {SampleLog()[0], SampleLog()[4]}));
    ASSERT_TRUE(WriteCalLog(Path("newer.dat"), SampleLog()));
    chosen = QString::fromStdString(Path("newer.dat"));
    answerer->buttons[English() ? "Calibration record:" : "Istnieje już wpis"] = "BtnNo";
    form->Action("MenuCalImport")->trigger();
    ASSERT_FALSE(answerer->messages.empty());
    EXPECT_NE(answerer->messages.back().find(English() ? "3 data records was appended."
                                                       : "Dopisano 3 rekordy danych."),
              std::string::npos)
        << answerer->messages.back();
    EXPECT_EQ(ReadCalLog(Path("K730_CAL.dat")).records, SampleLog());
}

TEST_P(LogImport, FileThatIsNoLogIsRefusedAndTheLogExported) {
    ASSERT_TRUE(WriteCalLog(Path("K730_CAL.dat"), SampleLog()));
    commands->UpdateHistoryItems(); // as at a start with the log present
    const std::string junk = "not a log";
    ASSERT_TRUE(WriteFileAtomic(
        Path("junk.dat"), std::span(reinterpret_cast<const uint8_t*>(junk.data()), junk.size()), false));
    chosen = QString::fromStdString(Path("junk.dat"));
    form->Action("MenuCalImport")->trigger();
    ASSERT_EQ(answerer->messages.size(), 1u);
    EXPECT_NE(answerer->messages[0].find(English() ? "is not valid calibration history log file."
                                                   : "nie jest plikiem historii kalibracji."),
              std::string::npos);
    chosen = QString::fromStdString(Path("copy.dat"));
    form->Action("MenuCalExport")->trigger();
    ASSERT_EQ(answerer->messages.size(), 2u);
    EXPECT_EQ(answerer->messages[1].rfind(English() ? "Calibration history log was exported to file: \r\n"
                                                    : "Wyeksportowano historię kalibracji do pliku: \r\n",
                                          0),
              0u);
    EXPECT_EQ(ReadWholeFile(Path("copy.dat"), size_t{64} << 20),
              ReadWholeFile(Path("K730_CAL.dat"), size_t{64} << 20));
    EXPECT_FALSE(IsReadOnly(Path("copy.dat"))) << "the copy is an ordinary file";
}

INSTANTIATE_TEST_SUITE_P(Languages, LogImport, ::testing::Values(langEnglish, langPolish));

} // namespace
} // namespace k730
