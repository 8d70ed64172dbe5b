// The service window's small controls: the tab bar, the framed check box and
// the validity mark.
#include "service/FrameCheckBox.h"
#include "service/UnitValidMark.h"
#include "service/ZAKTabSet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace k730 {
namespace {

TEST(TabSet, MinimumWidthShowsEveryTab) {
    EXPECT_EQ(TZAKTabSet::TabWidths({40, 70}, true), (std::vector<int>{46, 76}));
    EXPECT_EQ(TZAKTabSet::TabWidths({40, 70}, false), (std::vector<int>{76, 76}));
    // One tab of fixed width: that tab + 9, both margins + 1.
    EXPECT_EQ(TZAKTabSet::MinimumWidthFor(TZAKTabSet::TabWidths({40}, false), 2, 2), 46 + 9 + 5);
    // With several tabs of one width each of them counts.
    EXPECT_EQ(TZAKTabSet::MinimumWidthFor(TZAKTabSet::TabWidths({40, 70}, false), 2, 2), 2 * (76 + 9) + 5);
    EXPECT_EQ(TZAKTabSet::MinimumWidthFor(TZAKTabSet::TabWidths({40, 70}, true), 0, 0), 46 + 9 + 76 + 9 + 1);
}

TEST(TabSet, KeysWalkTheTabsAndTheOwnerMayRefuse) {
    TZAKTabSet tabs;
    for (const char* t : {"USTAWIENIA", "CAL", "DAC"})
        tabs.addTab(t);
    tabs.setCurrentIndex(0);
    auto press = [&](int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&tabs, &e);
    };
    press(Qt::Key_End);
    EXPECT_EQ(tabs.currentIndex(), 2);
    press(Qt::Key_Right);
    EXPECT_EQ(tabs.currentIndex(), 2) << "clamped at the last tab";
    press(Qt::Key_Up);
    EXPECT_EQ(tabs.currentIndex(), 1);
    press(Qt::Key_PageUp);
    EXPECT_EQ(tabs.currentIndex(), 0);
    tabs.OnChanging = [](int index) { return index != 2; };
    press(Qt::Key_PageDown);
    EXPECT_EQ(tabs.currentIndex(), 0) << "refused";
    press(Qt::Key_Down);
    EXPECT_EQ(tabs.currentIndex(), 1);
    EXPECT_EQ(tabs.sizeHint().height(), tabs.fontMetrics().height() + 7 + 2);
}

TEST(TabSet, FocusPatternIsACheckerboardOverTheColour) {
    TZAKTabSet tabs;
    const QImage& p = tabs.FocusPattern();
    ASSERT_EQ(p.size(), QSize(8, 8));
    EXPECT_EQ(p.pixelColor(0, 1), QColor(Qt::black)) << "row and column parities differ";
    EXPECT_EQ(p.pixelColor(1, 1), tabs.palette().color(QPalette::Window));
}

TEST(FrameCheckBox, ReadOnlyKeepsItsStateAndTellsNobody) {
    TFrameCheckBox box;
    int changes = 0;
    box.OnChange = [&](TFrameCheckBox*) { ++changes; };
    box.SetChecked(true);
    EXPECT_EQ(changes, 0) << "setting the state fires nothing";
    box.SetReadOnly(true);
    box.Box()->click();
    EXPECT_TRUE(box.Checked());
    EXPECT_TRUE(box.Box()->isChecked());
    EXPECT_EQ(changes, 0);
    box.SetReadOnly(false);
    box.Box()->click();
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(changes, 1);
}

TEST(FrameCheckBox, ReleaseInsideTheFrameTogglesAndTheFrameTakesTheTabStopWhenTheBoxCannot) {
    TFrameCheckBox box;
    int changes = 0;
    box.OnChange = [&](TFrameCheckBox*) { ++changes; };
    const QPointF inside(box.width() - 1, box.height() - 1);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, inside, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&box, &release);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(changes, 1);
    const QPointF edge(1, 1);
    QMouseEvent onEdge(QEvent::MouseButtonRelease, edge, edge, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&box, &onEdge);
    EXPECT_TRUE(box.Checked()) << "the outer pixel does not count";
    EXPECT_EQ(box.focusPolicy(), Qt::NoFocus);
    box.SetChBEnabled(false);
    EXPECT_EQ(box.focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(box.Pattern(true).pixelColor(0, 0), QColor(Qt::black)) << "equal parities are black";
    EXPECT_EQ(box.Pattern(false).pixelColor(0, 0), box.palette().color(QPalette::Window));
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(ValidMark, RepaintsOnlyOnAChange) {
    QWidget parent;
    auto* layout = new QVBoxLayout(&parent);
    auto* mark = new TValidMark(&parent);
    layout->addWidget(mark);
    parent.show();
    QApplication::processEvents();
    PaintCounter counter;
    mark->installEventFilter(&counter);
    mark->SetValid(false);
    mark->SetUnknown(false);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    mark->SetValid(true);
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(mark->accessibleDescription(), "poprawne");
    mark->SetUnknown(true);
    EXPECT_EQ(mark->accessibleDescription(), "nieznana wartość");
    // The three looks: plus, minus, question mark.
    const QImage unknown = mark->grab().toImage();
    mark->SetUnknown(false);
    const QImage plus = mark->grab().toImage();
    mark->SetValid(false);
    const QImage minus = mark->grab().toImage();
    EXPECT_EQ(plus.pixelColor(5, 2), QColor(0, 0x80, 0)) << "the vertical bar of the plus";
    EXPECT_EQ(minus.pixelColor(5, 4), QColor(0xFF, 0, 0));
    EXPECT_NE(minus.pixelColor(5, 2), QColor(0xFF, 0, 0)) << "a minus has no vertical bar";
    EXPECT_NE(unknown, plus);
}

} // namespace
} // namespace k730
