// The three information dialogs: what they show, how the meter dialog is
// laid out, the watermark, and the links. With K730_SCREENSHOTS set, each
// dialog is also written there as a PNG in both languages for a look.
#include "main/ApplyCaptions.h"
#include "main/K730AboutMeter.h"
#include "main/K730AboutProgram.h"
#include "main/K730ShowSettings.h"
#include "support/Screenshot.h"

#include "support/AccessibleCheck.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollArea>

namespace k730 {
namespace {

// Every picture taken is also a check that each shown control is named.
void Render(QWidget& w, const QString& name) {
    test::ShowAndSaveScreenshot(w, name);
    EXPECT_EQ(test::UnnamedControls(w), "") << name.toStdString();
}

QString Text(QWidget& w, const char* name) {
    auto* label = w.findChild<QLabel*>(name);
    return label ? label->text() : QString("<no %1>").arg(name);
}

QStringList AllLabelTexts(QWidget& w) {
    QStringList texts;
    for (auto* label : w.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

TAboutMeterFacts Luxmeter() {
    TAboutMeterFacts f;
    f.TypeText = "Luksomierz";
    f.Descriptor = "K-730/V/200k/E/3/A1";
    f.ProducerText = "MERIDOX Sp. z o.o.\r\nul. Świetlna 12\r\n60-101 Poznań";
    f.SerialText = "1234";
    f.YearText = "2026";
    f.RangeTexts = {"2k", "20k", "200k"};
    f.Unit = "lx";
    f.DefaultRange = 1;
    f.Configuration = 3;
    f.Version = "A1";
    f.FirmwareVersion = "2.0.0005";
    f.MerBusAddress = 0x0012;
    f.ModBusAddress = 0xF7;
    f.ConvCount = 3;
    f.StatusFlags = 0x40;
    f.ForcingValue4mA = 0x0C80;
    f.LoopFactor = 1.0012345f;
    f.ResultFactor = 0.9876543f;
    f.CalTempCelsius = 23.4;
    return f;
}

class InfoDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "k730_test_ui";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};

TEST_F(InfoDialogs, SettingsRowsFollowTheRefreshCodes) {
    TShowSettingsFacts facts;
    TFormShowSettings form(langEnglish, [&facts] { return facts; });
    EXPECT_EQ(form.windowTitle(), "K730  Settings");
    EXPECT_EQ(Text(form, "Label1"), "-----");
    EXPECT_EQ(Text(form, "LabelStr5"), "Moving average:");

    facts.ModBusAddrKnown = true;
    facts.ModBusAddress = 0xF8;
    facts.MerBusAddrKnown = true;
    facts.MerBusAddress = 0x0012;
    form.RefreshRow(3); // only the MODBUS row
    EXPECT_EQ(Text(form, "Label2"), "0xF8");
    EXPECT_EQ(Text(form, "Label1"), "-----");
    auto* modbus = form.findChild<QLabel*>("Label2");
    EXPECT_EQ(modbus->palette().color(QPalette::WindowText), QColor(Qt::red));
    form.RefreshRow(2);
    EXPECT_EQ(Text(form, "Label1"), "0x0012");
    EXPECT_NE(form.findChild<QLabel*>("Label1")->palette().color(QPalette::WindowText), QColor(Qt::red));
    facts.ModBusAddress = 0xF7;
    form.RefreshRow(3);
    EXPECT_NE(modbus->palette().color(QPalette::WindowText), QColor(Qt::red));

    facts.StatusKnown = true;
    facts.StatusFlags = 0x40;
    facts.ConvCount = 10;
    facts.PollPeriodMs = 1600;
    facts.StatusPeriodMs = 1600;
    facts.DefaultRangeText = "20 klx";
    facts.AutoRange = true;
    form.RefreshRow(0);
    EXPECT_EQ(Text(form, "Label5"), "5 (8.00 sec)");
    Render(form, "ShowSettings-en");

    facts.RepeatAuto = false;
    facts.RepeatTime = 2000;
    form.RefreshRow(8); // the auto-range row only
    EXPECT_EQ(Text(form, "Label6"), "Automatically (1600ms)");
    form.RefreshRow(7);
    EXPECT_EQ(Text(form, "Label6"), "2000ms");

    TFormShowSettings polish(langPolish, [&facts] { return facts; });
    EXPECT_EQ(polish.windowTitle(), "K730  Ustawienia");
    EXPECT_EQ(Text(polish, "LabelStr6"), "Odświeżanie wyniku:");
    Render(polish, "ShowSettings-pl");
}

TEST_F(InfoDialogs, MeterDialogLabelsAndLayout) {
    TAboutMeterFacts f = Luxmeter();
    TFormAboutMeter en(f, langEnglish);
    EXPECT_EQ(en.windowTitle(), "K730 About meter");
    const QStringList texts = AllLabelTexts(en);
    EXPECT_TRUE(texts.contains("2k  20k  200k  [lx]"));
    EXPECT_TRUE(texts.contains("20klx"));
    EXPECT_TRUE(texts.contains("0x0C80"));
    EXPECT_TRUE(texts.contains("1.0012345"));
    EXPECT_TRUE(texts.contains("23.4°C"));
    EXPECT_FALSE(texts.filter("Field aperture").size());
    EXPECT_TRUE(texts.filter(QRegularExpression("^Manufacturer: +$")).size());
    EXPECT_EQ(Text(en, "LabelProducer"), "MERIDOX Sp. z o.o.\nul. Świetlna 12\n60-101 Poznań");
    EXPECT_EQ(en.size().width(), en.minimumWidth()); // fixed size
    Render(en, "AboutMeter-en");

    f.LumMode = true;
    f.Aperture = "1°";
    f.ProducerText = "Dystrybutor & Syn";
    f.RangeTexts = {"500"};
    f.Unit = "cd·m^-2";
    f.Version.clear();
    TFormAboutMeter pl(f, langPolish);
    const QStringList plTexts = AllLabelTexts(pl);
    EXPECT_TRUE(plTexts.filter(QRegularExpression("^Kątowe pole pomiarowe: *$")).size());
    EXPECT_TRUE(plTexts.filter(QRegularExpression("^Dystrybutor: +$")).size());
    EXPECT_TRUE(plTexts.filter(QRegularExpression("^Zakres pomiarowy: +$")).size());
    EXPECT_TRUE(plTexts.contains("500cd·m^-2"));
    EXPECT_TRUE(plTexts.contains("podstawowa"));
    Render(pl, "AboutMeter-pl");

    // A long producer text scrolls inside a box of eight lines at most.
    f.TypeText = "Miernik natężenia napromienienia fotonowego";
    f.Descriptor = "K-730/PAR/500M/E/000/00000000";
    f.ProducerText.clear();
    for (int line = 1; line <= 12; ++line)
        f.ProducerText += (line > 1 ? "\r\n" : "") + std::to_string(line);
    TFormAboutMeter longer(f, langPolish);
    auto* box = longer.findChild<QScrollArea*>("MemoProducer");
    ASSERT_TRUE(box);
    const int lineSpacing = box->widget()->fontMetrics().lineSpacing();
    EXPECT_LE(box->height(), 8 * lineSpacing + 2 + 2 * box->frameWidth());
    EXPECT_GT(box->widget()->sizeHint().height(), box->viewport()->height());
    Render(longer, "AboutMeter-pl-long");
}

TFormAboutMeter::TMetrics CharMetrics() {
    // One pixel per character keeps the arithmetic easy to follow.
    return {[](const std::string& s) { return int(s.size()); }, 10, 4,
            [](const std::string&) { return QSize(10, 30); }};
}

TEST_F(InfoDialogs, MeterLayoutPutsALongDescriptorOnItsOwnLine) {
    std::vector<TAboutRow> rows = {{arType, "Type", "short"},
                                   {arProducer, "Producer:", "x"},
                                   {arText, "Serial:", "123456789012345"},
                                   {arHeader, "Factors:", ""},
                                   {arText, "Result:", "1"}};
    auto layout = TFormAboutMeter::ComputeLayout(rows, CharMetrics());
    EXPECT_FALSE(layout.DescriptorBelowType);
    // Values at the tab stop after the widest label (9 → 12), from the left margin.
    EXPECT_EQ(layout.Rows[2].Value.left(), 8 + 12);
    EXPECT_EQ(layout.Rows[1].Value.height(), 30);
    EXPECT_EQ(layout.Rows[2].Label.top(), 8 + 10 + 30);
    EXPECT_EQ(layout.Rows[3].Label.top(), 8 + 10 + 30 + 10 + 6); // header gap
    const int widest = 8 + 12 + 15;
    EXPECT_EQ(layout.Client.width(), widest + 8);
    EXPECT_EQ(layout.ButtonOK.top(), layout.Rows[4].Label.bottom() + 1 + 10);
    EXPECT_EQ(layout.ButtonOK.size(), QSize(91, 28));

    rows[0].Value = std::string(40, 'D');
    layout = TFormAboutMeter::ComputeLayout(rows, CharMetrics());
    EXPECT_TRUE(layout.DescriptorBelowType);
    EXPECT_EQ(layout.Rows[0].Value.topLeft(), QPoint(8, 18));
    EXPECT_EQ(layout.Rows[1].Label.top(), 28);
    EXPECT_EQ(layout.Client.width(), 8 + 40 + 8);
}

TEST_F(InfoDialogs, ProgramDialogTextsAndLinks) {
    std::vector<QUrl> opened;
    TFormAboutProgram en(langEnglish, nullptr, [&opened](const QUrl& url) { opened.push_back(url); });
    EXPECT_EQ(en.windowTitle(), "K730 About program");
    EXPECT_EQ(Text(en, "Wersja"), "version 1.16");
    EXPECT_EQ(Text(en, "Opis"), "Program to support K-730 series meters made by MERIDOX.");
    EXPECT_EQ(Text(en, "ProductName"), "K730");
    auto* web = en.findChild<QLabel*>("LabelWWW");
    auto* mail = en.findChild<QLabel*>("LabelMail");
    ASSERT_TRUE(web && mail);

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(web, &enter);
    EXPECT_EQ(web->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(web, &leave);
    EXPECT_EQ(web->palette().color(QPalette::WindowText), QColor(Qt::black));

    const QPointF at(2, 2);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(web, &release);
    QApplication::sendEvent(mail, &release);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], TFormAboutProgram::WebUrl(langEnglish));
    EXPECT_EQ(opened[1].scheme(), "mailto");
    Render(en, "AboutProgram-en");

    TFormAboutProgram pl(langPolish, nullptr, [](const QUrl&) {});
    EXPECT_EQ(pl.windowTitle(), "K730 O programie");
    EXPECT_EQ(Text(pl, "Wersja"), "wersja  1.16");
    EXPECT_NE(TFormAboutProgram::WebUrl(langPolish), TFormAboutProgram::WebUrl(langEnglish));
    Render(pl, "AboutProgram-pl");
}

TEST_F(InfoDialogs, WatermarkIsRecolouredAndTiledRunningOn) {
    QImage bitmap(3, 2, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    bitmap.setPixelColor(0, 0, Qt::black);
    bitmap.setPixelColor(2, 1, QColor(1, 0, 0)); // not black: plain window colour
    const QColor window(240, 5, 100);
    const QImage tile = TFormAboutProgram::RecolourWatermark(bitmap, window);
    EXPECT_EQ(tile.pixelColor(0, 0), QColor(232, 0, 92));
    EXPECT_EQ(tile.pixelColor(2, 1), window);
    EXPECT_EQ(tile.pixelColor(1, 0), window);

    // Tiles 3 wide with a one-pixel gap repeat every 4 pixels; a 6-pixel row
    // leaves the second row starting 2 pixels into the pattern.
    const QImage panel = TFormAboutProgram::TileWatermark(tile, QSize(6, 6), window);
    const QColor dark(232, 0, 92);
    EXPECT_EQ(panel.pixelColor(0, 0), dark);
    EXPECT_EQ(panel.pixelColor(4, 0), dark);
    EXPECT_EQ(panel.pixelColor(3, 0), window); // the gap
    EXPECT_EQ(panel.pixelColor(0, 2), window); // the gap between rows of tiles
    EXPECT_EQ(panel.pixelColor(2, 3), dark);   // 2 + 2 = 4: the next tile's first pixel
    EXPECT_EQ(panel.pixelColor(0, 3), window);
}

TEST_F(InfoDialogs, CaptionsGoToControlsByName) {
    QMainWindow window;
    QMenu* command = window.menuBar()->addMenu("Polecenie");
    command->setObjectName("MenuCmd");
    QAction* zero = command->addAction("Zeruj detektor");
    zero->setObjectName("MenuZeroDet");
    QAction* web = window.menuBar()->addAction("www");
    web->setObjectName("MenuWWW");
    auto* ok = new QPushButton("Ustaw", &window);
    ok->setObjectName("BtnSettingsOK");
    auto* other = new QLabel("stays", &window);
    other->setObjectName("LabelDisplay");

    EXPECT_EQ(ApplyCaptions(&window, langEnglish), 4);
    EXPECT_EQ(command->title(), "Command");
    EXPECT_EQ(zero->text(), "Start detector zeroing");
    EXPECT_EQ(ok->text(), "Set");
    EXPECT_EQ(web->text(), "www.meridox.pl/en");
    EXPECT_EQ(other->text(), "stays");
    ApplyCaptions(&window, langPolish);
    EXPECT_EQ(zero->text(), "Zeruj detektor");
}

} // namespace
} // namespace k730
