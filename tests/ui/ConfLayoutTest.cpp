#include "ui/ConfLayout.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TConfLayoutInput Input(int textW, int textH, bool all, bool single, bool yesNo = false) {
    TConfLayoutInput in;
    in.mode.allButtons = all;
    in.mode.singleButton = single;
    in.mode.yesNo = yesNo;
    in.text = {textW, textH};
    return in;
}

TEST(ConfLayout, NarrowTextTakesTheWidthOfTheButtonRow) {
    const TConfLayout three = LayoutConfirm(Input(50, 13, false, false));
    EXPECT_EQ(three.clientWidth, 13 + 101 + 13 + 101 + 13 + 100 + 13);
    // Without the second row Cancel stands in Skip's place and Skip is hidden.
    EXPECT_TRUE(three.showCancel);
    EXPECT_FALSE(three.showSkip);
    EXPECT_FALSE(three.showAll);
    EXPECT_EQ(three.cancel.x, three.skip.x);
    EXPECT_EQ(three.cancel.y, three.yes.y);

    const TConfLayout two = LayoutConfirm(Input(50, 13, false, false, true));
    EXPECT_EQ(two.clientWidth, 13 + 101 + 13 + 101 + 13);
    EXPECT_FALSE(two.showCancel);

    const TConfLayout one = LayoutConfirm(Input(50, 13, false, true));
    EXPECT_EQ(one.clientWidth, 127);
    EXPECT_FALSE(one.showNo);
    EXPECT_EQ(one.yes.x, (127 - 101) / 2);
}

TEST(ConfLayout, WideTextCentresTheRowAndAllButtonsAddARow) {
    const TConfLayout two = LayoutConfirm(Input(400, 13, false, false, true));
    EXPECT_EQ(two.clientWidth, 52 + 400 + 13);
    EXPECT_EQ(two.yes.x, 13 + (465 - 241) / 2);
    const TConfLayout all = LayoutConfirm(Input(400, 13, true, true)); // all buttons win over single
    EXPECT_TRUE(all.showAll);
    EXPECT_TRUE(all.showNo);
    EXPECT_TRUE(all.showSkip);
    EXPECT_EQ(all.yes.x, 13 + (465 - 354) / 3);
    EXPECT_EQ(all.yesAll.x, all.yes.x);
    EXPECT_EQ(all.yesAll.y, all.yes.Bottom() + 6);
    EXPECT_EQ(all.cancel.y, all.yesAll.y);
    EXPECT_EQ(all.cancel.x, all.skip.x);
}

TEST(ConfLayout, HeightFollowsIconTextAndLists) {
    // A one-line label is centred on the icon; the rows start below both.
    const TConfLayout l = LayoutConfirm(Input(50, 13, false, true));
    EXPECT_EQ(l.label.y, 13 + (32 - 13) / 2);
    EXPECT_EQ(l.yes.y, std::max(22 + 13 + 33, 2 * 13 + 32));
    EXPECT_EQ(l.clientHeight, l.yes.Bottom() + 22 / 2);

    TConfLayoutInput in = Input(200, 80, false, false, true);
    in.radios = {{120, 17}, {400, 17}};
    const TConfLayout r = LayoutConfirm(in);
    const int first = 13 + 80 + 13 * 3 / 2;
    EXPECT_EQ(r.radios[0].y, first);
    EXPECT_EQ(r.radios[1].y, first + 17);
    EXPECT_EQ(r.yes.y, first + 34 + 13);
    EXPECT_EQ(r.clientWidth, 2 * 13 + 400); // the widest option widens the dialog
    const int before = 52 + 200 + 13;
    EXPECT_EQ(r.yes.x, 13 + (before - 241) / 2 + (426 - before) / 2);

    in.radios.clear();
    in.checkBox = TConfSize{150, 17};
    const TConfLayout c = LayoutConfirm(in);
    EXPECT_EQ(c.checkBox.x, 13);
    EXPECT_EQ(c.checkBox.y, c.yes.Bottom() + 6);
    EXPECT_EQ(c.clientHeight, c.yes.Bottom() + 6 + 17 + 6);
}

TEST(ConfLayout, PlacementStaysInsideTheWorkArea) {
    const TConfRect work = {0, 0, 1000, 800};
    EXPECT_EQ(PlaceDialog(work, std::nullopt, {200, 100}), (TConfRect{400, 350, 200, 100}));
    EXPECT_EQ(PlaceDialog(work, TConfRect{100, 100, 400, 300}, {200, 100}), (TConfRect{200, 200, 200, 100}));
    // An owner smaller than the dialog is widened around its centre, then pushed back in.
    EXPECT_EQ(PlaceDialog(work, TConfRect{-50, 700, 100, 50}, {300, 200}), (TConfRect{0, 600, 300, 200}));
    EXPECT_EQ(PlaceDialog(work, TConfRect{950, -40, 100, 50}, {300, 200}), (TConfRect{700, 0, 300, 200}));
}

TEST(ConfRules, IconsResultsAndClamps) {
    EXPECT_EQ(ConfIconForStyle(0), ciQuestion);
    EXPECT_EQ(ConfIconForStyle(32), ciQuestion);
    EXPECT_EQ(ConfIconForStyle(16), ciStop);
    EXPECT_EQ(ConfIconForStyle(48), ciExclamation);
    EXPECT_EQ(ConfIconForStyle(64), ciInformation);
    EXPECT_EQ(ConfIconForStyle(48 | 4), ciExclamation); // button bits do not matter
    EXPECT_EQ(ConfIconForStyle(4), ciQuestion);

    const TConfMode yesNo = NormalisedMode({false, false, true, false});
    for (uint8_t r : {crYes, crNo, crYesAll, crNoAll})
        EXPECT_TRUE(ConfCheckWrittenBack(yesNo, r));
    for (uint8_t r : {crOk, crSkip, crCancel})
        EXPECT_FALSE(ConfCheckWrittenBack(yesNo, r));
    const TConfMode okCancel = NormalisedMode({false, false, false, true});
    EXPECT_TRUE(okCancel.yesNo);
    EXPECT_TRUE(ConfCheckWrittenBack(okCancel, crOk));
    EXPECT_FALSE(ConfCheckWrittenBack(okCancel, crCancel));

    EXPECT_EQ(ClampChoiceIndex(-7, 2), -1);
    EXPECT_EQ(ClampChoiceIndex(5, 2), 1);
    EXPECT_EQ(ClampChoiceIndex(0, 0), -1);
    EXPECT_EQ(ClampDefaultButton(9), 1);
    EXPECT_EQ(ClampDefaultButton(-1), 0);
}

} // namespace
} // namespace k730
