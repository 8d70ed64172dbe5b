// The traffic viewer window: layout by the settings word, the value panel at
// the cursor, jumps, copying, saving and opening, the test-pattern buttons,
// accessible names; and pictures of it for a person to look at.
#include "files/TempFolder.h"
#include "main/K730Main.h"
#include "protocol/ByteOrder.h"
#include "protocol/Crc16.h"
#include "protocol/MerBusFrames.h"
#include "support/GuiPump.h"
#include "support/Screenshot.h"
#include "support/TestSupport.h"
#include "traffic/BufView.h"
#include "traffic/DualBuf.h"
#include "traffic/VudIDO.h"
#include "traffic/VudIDOConfig.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

namespace k730 {
namespace {

using test::Hex;

// A status answer carrying the value 1234.5 as a float at offset 8.
TBytes StatusAnswer() {
    TBytes data;
    AppendF32(data, 1234.5f);
    data.insert(data.end(), {0x40, 0x10, 0x20, 0x30, 0x00, 0x01});
    return BuildAnswer(0x84, 0x06, 1, 0, data);
}

class VudIDOTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TFormVudIDO>();
        form->Prompts().Warning = [this](const QString& text) { warnings.push_back(text.toStdString()); };
        form->Prompts().Ask = [this](const QString& text, bool) {
            questions.push_back(text.toStdString());
            return answer;
        };
        form->resize(820, 600);
        form->show();
        QApplication::processEvents();
    }

    // Three polls: request, the answer in two received blocks, the frame.
    void Poll(int times) {
        TStamp t = 5'000'000;
        const TBytes request = BuildRequest(CMD_STATUS, 1, {}, false);
        const TBytes answer = StatusAnswer();
        for (int i = 0; i < times; ++i, t += 160'000) {
            form->Feed(tbTransmitted, request, t);
            form->Feed(tbReceived, TBytes(answer.begin(), answer.begin() + 9), t + 11'000);
            form->Feed(tbReceived, TBytes(answer.begin() + 9, answer.end()), t + 14'000);
            form->Feed(tbValidFrames, answer, t + 14'200);
        }
        QApplication::processEvents();
    }

    template <typename T = QWidget> T* Child(const char* name) const {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    QString Text(const char* label) const { return Child<QLabel>(label)->text(); }
    void Key(QWidget* to, int key, Qt::KeyboardModifiers modifiers = {}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(to, &press);
        QApplication::processEvents();
    }
    // Pictures are taken once the headers' red after new records has gone.
    void Shot(const char* name) {
        test::PumpUntil(
            [&] {
                for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
                    if (form->Buffer(b)->Label()->palette().color(QPalette::WindowText) == QColor(Qt::red))
                        return false;
                return true;
            },
            std::chrono::seconds(2));
        test::SaveScreenshot(*form, name);
    }

    std::unique_ptr<TFormVudIDO> form;
    std::vector<std::string> warnings, questions;
    int answer = 1;
};

TEST_F(VudIDOTest, ThreeBuffersWithPollsAndTheCursorOnAFloat) {
    Poll(12);
    form->Viewer().SetFocus(tbValidFrames);
    TDualBuf* frames = form->Buffer(tbValidFrames);
    frames->MainView()->setFocus();
    ASSERT_TRUE(form->Action("MenuLast")->isEnabled());
    form->Action("MenuLast")->trigger();
    EXPECT_EQ(form->Viewer().Focus(), tbValidFrames);
    for (int i = 0; i < 8; ++i)
        Key(frames->MainView(), Qt::Key_Right);
    EXPECT_EQ(Text("LabelRecord"), "Rekord: 48");
    EXPECT_EQ(Text("LabelInRecord"), "W rekordzie: 8");
    EXPECT_EQ(Text("LabelVal6"), " | 1234.5");
    EXPECT_EQ(Text("LabelHdr7"), " | bin32");
    EXPECT_EQ(Text("LabelAnswer"), QString::fromUtf8("Odpowiedź po: 14.2 ms"));
    // Each header starts where the wider of the pair before it ends.
    for (int i = 1; i < VALUE_COLUMN_COUNT; ++i) {
        const auto* h0 = Child<QLabel>(QStringLiteral("LabelHdr%1").arg(i - 1).toLatin1());
        const auto* v0 = Child<QLabel>(QStringLiteral("LabelVal%1").arg(i - 1).toLatin1());
        const auto* h1 = Child<QLabel>(QStringLiteral("LabelHdr%1").arg(i).toLatin1());
        EXPECT_EQ(h1->x(), h0->x() + std::max(h0->fontMetrics().horizontalAdvance(h0->text()),
                                              v0->fontMetrics().horizontalAdvance(v0->text())));
    }
    Shot("vudido-three-buffers-float");

    Key(frames->MainView(), Qt::Key_Down, Qt::ControlModifier); // nothing after the last record
    EXPECT_EQ(Text("LabelRecord"), "Rekord: 48");
    form->Action("MenuPrevious")->trigger();
    EXPECT_EQ(form->Viewer().Focus(), tbReceived);
    EXPECT_EQ(Text("LabelRecord"), "Rekord: 47");
}

TEST_F(VudIDOTest, SettingsWordArrangesThePanels) {
    Poll(3);
    auto* splitter = Child<QSplitter>("SplitterBuffers");
    const auto visible = [&](int b) { return form->Buffer(b)->isVisible(); };

    form->ApplySettings(0x00000101); // only the received buffer, records in alternating colours
    QApplication::processEvents();
    EXPECT_TRUE(visible(tbReceived));
    EXPECT_FALSE(visible(tbValidFrames));
    EXPECT_FALSE(visible(tbTransmitted));
    EXPECT_GE(form->Buffer(tbReceived)->height(), splitter->height() - 2) << "it fills the window";
    EXPECT_FALSE(form->Action("MenuCaptureOut")->isVisible());
    EXPECT_TRUE(form->Action("MenuCaptureIn")->isVisible());
    EXPECT_TRUE(form->Buffer(tbReceived)->CharsView()->isHidden());
    Shot("vudido-one-buffer");

    form->ApplySettings(0x02000233); // received and transmitted, both views
    QApplication::processEvents();
    EXPECT_TRUE(visible(tbReceived));
    EXPECT_TRUE(visible(tbTransmitted));
    EXPECT_LT(form->Buffer(tbTransmitted)->height(), form->Buffer(tbReceived)->height());
    EXPECT_GT(form->Buffer(tbTransmitted)->y(), form->Buffer(tbReceived)->y())
        << "the second sits at the bottom";
    Shot("vudido-two-buffers");

    const size_t before = form->Viewer().Buffers().Buffer(tbValidFrames).Count();
    Poll(1);
    EXPECT_EQ(form->Viewer().Buffers().Buffer(tbValidFrames).Count(), before)
        << "a hidden buffer records nothing";

    form->ApplySettings(0x00000000);
    EXPECT_FALSE(visible(tbReceived) || visible(tbValidFrames) || visible(tbTransmitted));
    EXPECT_FALSE(form->Action("MenuFirst")->isEnabled()) << "no shown buffer holds records";
}

TEST_F(VudIDOTest, SettingsDialogShowsAndBuildsTheWord) {
    const std::array<QString, 3> labels = {"Bufor odbiorczy:", "Bufor poprawnych ramek:", "Bufor nadawczy:"};
    TFormVudIDOConfig dialog(0x030201C6, labels, form.get());
    EXPECT_EQ(dialog.windowTitle(), "Bufor portu komunikacji... Konfiguracja");
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("ChBHexIn")->isChecked());
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("ChBCharsIn")->isChecked());
    EXPECT_EQ(dialog.findChild<QComboBox*>("CBModeOut")->currentText(), "MerBus2");
    EXPECT_EQ(dialog.findChild<QComboBox*>("CBModeIn")->itemText(1), "separacja ramek");
    test::ShowAndSaveScreenshot(dialog, "vudido-settings-dialog");
    dialog.findChild<QCheckBox*>("ChBHexOut")->setChecked(true);
    dialog.findChild<QComboBox*>("CBModeIn")->setCurrentIndex(0);
    EXPECT_EQ(dialog.Settings(), 0x030200D6u) << "the float size stays";
    for (QWidget* w : dialog.findChildren<QWidget*>())
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
}

TEST_F(VudIDOTest, MenusCarryTheirCaptionsAndEveryControlIsNamed) {
    const std::pair<const char*, const char*> items[] = {{"MenuOpen", "Otwórz"},
                                                         {"MenuSave", "Zachowaj"},
                                                         {"MenuExit", "Zakończ"},
                                                         {"MenuCaptureIn", "Włącz bufor odbiorczy"},
                                                         {"MenuCaptureFrame", "Włącz bufor poprawnych ramek"},
                                                         {"MenuCaptureOut", "Włącz bufor nadawczy"},
                                                         {"MenuGo", "Włącz podgląd bufora danych"},
                                                         {"MenuClear", "Wyczyść wszystko"},
                                                         {"MenuFirst", "Idź do pierwszej"},
                                                         {"MenuLast", "Idź do ostatniej"},
                                                         {"MenuPrevious", "Idź do poprzedniej"},
                                                         {"MenuNext", "Idź do następnej"},
                                                         {"MenuCopySelection", "Kopiuj zaznaczony obszar"},
                                                         {"MenuCopyIn", "Kopiuj bufor odbiorczy"},
                                                         {"MenuCopyFrame", "Kopiuj poprawne ramki"},
                                                         {"MenuCopyOut", "Kopiuj bufor nadawczy"},
                                                         {"MenuClearClipboard", "Wyczyść schowek"},
                                                         {"MenuLittleEndian", "LittleEndian"},
                                                         {"MenuBigEndian", "BigEndian"},
                                                         {"MenuFloat4", "4 bajty"},
                                                         {"MenuFloat6", "6 bajtów"},
                                                         {"MenuFloat8", "8 bajtów"},
                                                         {"MenuFloat10", "10 bajtów"},
                                                         {"MenuViewSettings", "Ustawienia podglądu"}};
    for (const auto& [name, caption] : items) {
        QAction* a = form->Action(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), QString::fromUtf8(caption)) << name;
    }
    QStringList menus;
    for (QAction* m : form->menuBar()->actions())
        menus << m->text();
    EXPECT_EQ(menus, (QStringList{"Plik", "Polecenie", "Edycja", "Ustawienia"}));
    EXPECT_EQ(form->windowTitle(), "Bufor portu komunikacji");
    form->SetPortName("COM3", true);
    EXPECT_EQ(form->windowTitle(), "Bufor portu komunikacji - COM3");
    EXPECT_EQ(Child<QToolButton>("BtnAddIn")->text(), "O");
    EXPECT_EQ(Child<QToolButton>("BtnAddFrame")->text(), "R");
    EXPECT_EQ(Child<QToolButton>("BtnAddOut")->text(), "N");
    // The keys that do what a control does are listed as hints.
    QString hints = Child<QToolButton>("BtnGo")->toolTip() + Child<QToolButton>("BtnClear")->toolTip();
    for (TBufView* view : form->findChildren<TBufView*>())
        hints += view->toolTip();
    for (QToolButton* b : form->findChildren<QToolButton*>())
        hints += b->toolTip();
    for (const char* key : {"<Enter>", "<Delete>", "<Crtl>+<Up>", "<Crtl>+<Down>", "<Crtl>+<Left>",
                            "<Crtl>+<Right>", "<Insert>"})
        EXPECT_TRUE(hints.contains(key)) << key;
    for (QWidget* w : form->findChildren<QWidget*>())
        if (!w->objectName().startsWith("qt_") &&
            (qobject_cast<QAbstractButton*>(w) || qobject_cast<TBufView*>(w) ||
             qobject_cast<QScrollBar*>(w))) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    EXPECT_FALSE(form->Action("MenuClear")->isEnabled()) << "nothing recorded yet";
}

TEST_F(VudIDOTest, SwitchesDecideWhatIsRecorded) {
    Child<QToolButton>("BtnGo")->click(); // recording off
    EXPECT_FALSE(form->Action("MenuGo")->isChecked());
    Poll(1);
    EXPECT_TRUE(form->Viewer().Buffers().Empty());
    form->Action("MenuGo")->trigger();
    EXPECT_TRUE(Child<QToolButton>("BtnGo")->isChecked());
    form->Action("MenuCaptureFrame")->trigger(); // frames off
    EXPECT_FALSE(form->Buffer(tbValidFrames)->CaptureButton()->isChecked());
    Poll(1);
    EXPECT_EQ(form->Viewer().Buffers().Buffer(tbValidFrames).Count(), 0u);
    EXPECT_EQ(form->Viewer().Buffers().Buffer(tbTransmitted).Count(), 1u);
    form->Buffer(tbValidFrames)->CaptureButton()->click();
    EXPECT_TRUE(form->Action("MenuCaptureFrame")->isChecked());

    // Insert switches the focused buffer; clearing empties everything.
    form->Viewer().SetFocus(tbTransmitted);
    form->Buffer(tbTransmitted)->MainView()->setFocus();
    form->Action("ActCaptureFocused")->trigger();
    EXPECT_FALSE(form->Buffer(tbTransmitted)->CaptureButton()->isChecked());
    form->Action("MenuClear")->trigger();
    EXPECT_TRUE(form->Viewer().Buffers().Empty());
    EXPECT_EQ(form->Viewer().Buffers().LastSequence(), 0u);
    EXPECT_EQ(Text("LabelVal1"), " |");
}

TEST_F(VudIDOTest, TestPatternButtonsFeedOneThreeOrThreeHundredBlocks) {
    form->AddTestPatterns(tbReceived, {});
    EXPECT_EQ(form->Viewer().Buffers().LastSequence(), 1u);
    EXPECT_EQ(form->Viewer().Buffers().Buffer(tbReceived).Count(), 1u);
    form->AddTestPatterns(tbTransmitted, Qt::ControlModifier);
    EXPECT_EQ(form->Viewer().Buffers().LastSequence(), 4u);
    form->AddTestPatterns(tbValidFrames, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->Viewer().Buffers().LastSequence(), 304u);
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        EXPECT_GE(form->Viewer().Buffers().Buffer(b).Count(), 101u);
    Shot("vudido-test-patterns");
}

TEST_F(VudIDOTest, CopyingPutsHexOnTheClipboard) {
    Poll(1);
    form->Action("MenuCopyOut")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "68 08 00 04 06 01 00 16");
    TBufView* view = form->Buffer(tbReceived)->MainView();
    view->setFocus();
    form->Viewer().SetFocus(tbReceived);
    Key(view, Qt::Key_Home, Qt::ControlModifier);
    Key(view, Qt::Key_Right, Qt::ShiftModifier);
    Key(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_TRUE(form->Action("MenuCopySelection")->isEnabled());
    form->Action("MenuCopySelection")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "68 13");
    form->Action("MenuClearClipboard")->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
}

TEST_F(VudIDOTest, SavedRecordingOpensAgainAfterTheQuestions) {
    test::TTempFolder dir;
    Poll(2);
    const QString path = QString::fromStdString(dir / "poll.buf");
    ASSERT_TRUE(form->SaveTo(path));
    EXPECT_TRUE(questions.empty());
    answer = 2; // "No" to overwriting
    EXPECT_FALSE(form->SaveTo(path));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].substr(0, 6), "Plik\r\n");

    form->Action("MenuClear")->trigger();
    form->LoadFrom(path);
    ASSERT_TRUE(test::PumpUntil([&] { return !form->Loading(); }, std::chrono::seconds(5)));
    EXPECT_EQ(form->Viewer().Buffers().LastSequence(), 8u);
    EXPECT_EQ(form->Viewer().Buffers().RecordAt(1).buffer, tbTransmitted);
    EXPECT_EQ(form->Viewer().Buffers().RecordAt(4).buffer, tbValidFrames);
    EXPECT_EQ(form->Viewer().Buffers().FirstStamp(), NO_STAMP) << "a file carries no times";

    test::WriteBytes(dir / "other.buf", test::Text("not a buffer"));
    form->LoadFrom(QString::fromStdString(dir / "other.buf"));
    ASSERT_TRUE(test::PumpUntil([&] { return !form->Loading(); }, std::chrono::seconds(5)));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("nie jest plikiem danych."), std::string::npos);
    EXPECT_EQ(form->Viewer().Buffers().LastSequence(), 8u) << "a refused file changes nothing";

    questions.clear();
    answer = 1;
    EXPECT_TRUE(form->SaveTo(QString::fromStdString(dir / "other.buf")));
    ASSERT_EQ(questions.size(), 2u) << "overwrite, then: not a data file";
    EXPECT_NE(questions[1].find("nie jest plikiem danych."), std::string::npos);
}

// 10 | H=12 | flags (payload CRC) | 4 bytes | P=5 | header CRC | 3 bytes + CRC | 11
TBytes MerBus2Frame() {
    TBytes f = {0x10, 12};
    AppendU32(f, 1);
    AppendU32(f, 0x44332211);
    AppendU16(f, 5);
    AppendU16(f, Crc16(std::span(f).subspan(2, 10)));
    const TBytes payload = Hex("A1 A2 A3");
    f.insert(f.end(), payload.begin(), payload.end());
    AppendU16(f, Crc16(payload));
    f.push_back(0x11);
    return f;
}

TEST_F(VudIDOTest, ViewsDrawTheFrameMarksOfTheirMode) {
    form->ApplySettings(0x0301033F); // received: MerBus2, frames: separation, sent: MerBus2
    form->Feed(tbReceived, MerBus2Frame(), 1'000'000);
    form->Feed(tbReceived, Hex("10 0C 00"), 1'001'000); // not a whole frame: nothing marked
    form->Feed(tbTransmitted, MerBus2Frame(), 1'000'000);
    form->Feed(tbValidFrames, Hex("01 02 03"), 1'002'000);
    form->Feed(tbValidFrames, Hex("04 05 06"), 1'003'000);
    Shot("vudido-merbus2");

    const auto cell = [&](int buffer, int row, int byte) {
        TBufView* view = form->Buffer(buffer)->HexView();
        const QImage image = view->grab().toImage();
        const int x = view->GutterWidth() + 1 + 3 * view->CharWidth() * byte + 1;
        return image.pixelColor(x, row * view->LineHeight() + 1).rgb() & 0xFFFFFF;
    };
    EXPECT_EQ(cell(tbReceived, 0, 0), 0xFFE000u) << "start byte";
    EXPECT_EQ(cell(tbReceived, 0, 2), 0xE0FFE0u) << "header";
    EXPECT_EQ(cell(tbReceived, 0, 14), 0xFFFFE0u) << "payload";
    EXPECT_EQ(cell(tbReceived, 0, 19), 0xFFE000u) << "end byte";
    EXPECT_NE(cell(tbReceived, 1, 0), 0xFFE000u) << "a block that is not a whole frame";
    EXPECT_EQ(cell(tbValidFrames, 0, 0), 0xE0FFE0u) << "even record";
    EXPECT_EQ(cell(tbValidFrames, 1, 0), 0xFFFFE0u) << "odd record";
}

} // namespace
} // namespace k730
