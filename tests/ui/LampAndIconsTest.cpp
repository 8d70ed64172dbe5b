#include "UiTestApp.h"

#include "main/LEDLamp2.h"
#include "main/StatusIconStrip.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace k730 {
namespace {

using namespace std::chrono_literals;

bool Until(const std::function<bool()>& done) {
    return test::WaitFor(
        [&] {
            QCoreApplication::processEvents();
            return done();
        },
        5s);
}

TEST(DiodeLED2, FlashLightsTheColourThenReturnsToTheBaseColourUnlit) {
    test::UiApp();
    TDiodeLED2 lamp;
    lamp.SetColor(cLED_White);
    lamp.Blink(cLED_Green, 80);
    ASSERT_TRUE(Until([&] { return lamp.Lit(); }));
    EXPECT_EQ(lamp.ShownColor(), cLED_Green);
    ASSERT_TRUE(Until([&] { return !lamp.Lit(); }));
    EXPECT_EQ(lamp.ShownColor(), cLED_White);
    EXPECT_EQ(lamp.Color(), cLED_White);
}

TEST(DiodeLED2, ANewFlashReplacesARunningOneAndALampMayGoMidFlash) {
    test::UiApp();
    TDiodeLED2 lamp;
    lamp.Blink(cLED_Red, 10000);
    ASSERT_TRUE(Until([&] { return lamp.Lit(); }));
    lamp.Blink(cLED_Yellow, 20); // the long flash must not hold this one up
    ASSERT_TRUE(Until([&] { return !lamp.Lit(); }));
    EXPECT_EQ(lamp.ShownColor(), cLED_White);

    const auto start = std::chrono::steady_clock::now();
    auto gone = std::make_unique<TDiodeLED2>();
    gone->Blink(cLED_Blue, 10000);
    gone.reset(); // joins the flash at once
    QCoreApplication::processEvents();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST(StatusIconStrip, IconsAreLaidOutLeftToRightWithGaps) {
    const auto icons = TStatusIconStrip::LayoutIcons(6);
    const int widths[5] = {29, 11, 22, 58, 64};
    int left = 0;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(icons[i].width, widths[i]);
        EXPECT_EQ(icons[i].left, left);
        EXPECT_EQ(icons[i].height, 15);
        left += widths[i] + 8;
    }
    test::UiApp();
    TStatusIconStrip strip(6);
    EXPECT_EQ(strip.width(), 29 + 11 + 22 + 58 + 64 + 4 * 8);
}

TEST(StatusIconStrip, IconsStayDueUntilAStatusIsStoredThenRedrawOnlyOnChange) {
    test::UiApp();
    TStatusIconStrip strip(6);
    TIconInputs inputs;
    strip.SetInputs(inputs); // nothing stored yet: background, still due
    for (const auto& icon : strip.Icons())
        EXPECT_TRUE(icon.changed);
    inputs.statusKnown = true;
    strip.SetInputs(inputs);
    for (const auto& icon : strip.Icons())
        EXPECT_FALSE(icon.changed);
    const QImage before = strip.grab().toImage();
    inputs.convCount = 12; // two digits: the short conversions bitmap
    strip.SetInputs(inputs);
    const QImage after = strip.grab().toImage();
    const QRect conversions(strip.Icons()[2].left, 0, strip.Icons()[2].width, 15);
    const QRect others(strip.Icons()[3].left, 0, strip.width() - strip.Icons()[3].left, 15);
    EXPECT_NE(before.copy(conversions), after.copy(conversions));
    EXPECT_EQ(before.copy(others), after.copy(others));
}

} // namespace
} // namespace k730
