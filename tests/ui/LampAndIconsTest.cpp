#include "UiTestApp.h"

#include "main/LEDLamp2.h"
#include "main/StatusIconStrip.h"
#include "resources/K730Bitmaps.h"
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

// Pixel art is drawn for the screen's pixels: at 2× every logical pixel is a
// solid 2×2 block (no blur from scaling a 1× picture up), and every picture
// has the same logical size at any scale.
TEST(Bitmaps, CrispAtTwiceThePixelDensity) {
    test::UiApp();
    for (const char* name : {"BMPDIGITS5X9", "BMPLOOPON", "BMPLOOPOFF", "BMPRANGEAUTO", "BMPRANGEMANUAL",
                             "BMPAVERSAMPLE", "BMPAVERSAMPLESHORT", "BMPAVERMEAS", "BTNVUDIDO"}) {
        const QImage one = K730Bitmap(name, 1), two = K730Bitmap(name, 2);
        ASSERT_FALSE(one.isNull()) << name;
        EXPECT_EQ(two.size(), one.size() * 2) << name;
        EXPECT_EQ(two.devicePixelRatio(), 2.0) << name;
        EXPECT_EQ(two.deviceIndependentSize(), one.deviceIndependentSize()) << name;
        int blurred = 0;
        for (int y = 0; y < one.height(); ++y)
            for (int x = 0; x < one.width(); ++x) {
                const QRgb c = one.pixel(x, y);
                for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                    blurred += two.pixel(2 * x + d.x(), 2 * y + d.y()) != c;
            }
        EXPECT_EQ(blurred, 0) << name;
    }
    for (const char* name : {"BMPREPETITION", "LEDSPRITES", "LOGOMERIDOX", "BTNSERVICE", "BTNCLEARMINMAX"}) {
        const QImage one = K730Bitmap(name, 1), two = K730Bitmap(name, 2);
        EXPECT_EQ(two.size(), one.size() * 2) << name;
        EXPECT_EQ(two.devicePixelRatio(), 2.0) << name;
    }
}

// The lit loop icon must be readable at 1×: its letters stand out from the box.
TEST(Bitmaps, LoopIconLettersContrastWithTheirBox) {
    test::UiApp();
    const QImage loop = K730Bitmap("BMPLOOPON", 1);
    const QColor box = loop.pixelColor(2, 3), letter = loop.pixelColor(2, 5); // the "4" starts at (2, 5)
    const auto luminance = [](const QColor& c) {
        return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
    };
    const double ratio = (std::max(luminance(box), luminance(letter)) + 0.05) /
                         (std::min(luminance(box), luminance(letter)) + 0.05);
    EXPECT_GE(ratio, 4.5) << "box " << box.name().toStdString() << ", letters "
                          << letter.name().toStdString();
}

TEST(StatusIconStrip, StripIsDrawnForTheWidgetsPixelRatio) {
    test::UiApp();
    TStatusIconStrip strip(6);
    TIconInputs inputs;
    inputs.statusKnown = true;
    inputs.loopOn = true;
    strip.SetInputs(inputs);
    strip.grab();
    EXPECT_EQ(strip.Strip().devicePixelRatio(), strip.devicePixelRatioF());
    EXPECT_EQ(strip.Strip().deviceIndependentSize().toSize(), strip.size());
}

} // namespace
} // namespace k730
