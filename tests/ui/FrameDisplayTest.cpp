#include "UiTestApp.h"

#include "main/DisplayReading.h"
#include "main/K730FrameDisplay.h"

#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

namespace k730 {
namespace {

TStatusAnswer Status(float value, float fullScale, uint8_t kind, uint8_t flags = 0) {
    TStatusAnswer status;
    status.header.code = 0x84;
    status.header.length = 65;
    status.flags = flags;
    status.value = value;
    status.kindByte = kind;
    status.rangeFullScale = fullScale;
    status.temperatureCode = 700;
    return status;
}

struct TShownCase {
    const char* name;
    float value;
    float fullScale;
    uint8_t kind;
    const char* shown; // LabelValue
    bool unit;         // ImageUnit visible
    const char* copied;
};

void PrintTo(const TShownCase& c, std::ostream* os) {
    *os << c.name;
}

class FrameDisplayTest : public ::testing::Test {
protected:
    FrameDisplayTest() {
        frame_ = new TFrameDisplay(&parent_);
        parent_.resize(400, 120);
        frame_->Setup(Qt::white, 300, ',');
        parent_.show();
    }
    QLabel* Child(const char* name) const { return frame_->findChild<QLabel*>(name); }

    QApplication& app_ = test::UiApp();
    QWidget parent_;
    TFrameDisplay* frame_;
};

class FrameDisplayShows : public FrameDisplayTest, public ::testing::WithParamInterface<TShownCase> {};

TEST_P(FrameDisplayShows, ValueUnitAndCopiedText) {
    const TShownCase& c = GetParam();
    const auto reading = MakeDisplayReading(Status(c.value, c.fullScale, c.kind), ',');
    ASSERT_TRUE(reading);
    frame_->ShowReading(*reading);
    EXPECT_EQ(Child("LabelValue")->text().toStdString(), c.shown);
    EXPECT_EQ(Child("ImageUnit")->isVisible(), c.unit);
    EXPECT_EQ(frame_->CopyText(), c.copied);
    EXPECT_FALSE(Child("LabelOver")->isVisible());
    if (c.unit) { // the digits stand 4 px left of the unit
        EXPECT_EQ(Child("LabelValue")->geometry().right() + 1 + 4, Child("ImageUnit")->x());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameDisplayShows,
    ::testing::Values(TShownCase{"Luxmeter", 1234.5678f, 2000, 0x01, "1234,57", true, "1234,57"},
                      TShownCase{"Luminance", 123.456f, 200, 0x81, "123,456", true, "123,456"},
                      TShownCase{"Milli", 0.012345f, 0.2f, 0x02, "12,345", true, "12,345E-3"},
                      TShownCase{"Micro", 0.0001234f, 0.002f, 0x03, "123,40", true, "123,40E-6"},
                      // No unit for an unknown kind: the exponent stays in the text, once.
                      TShownCase{"InvalidKind", 0.012345f, 0.2f, 0x05, "12,345E-3", false, "12,345E-3"},
                      TShownCase{"AmpereWithLuminanceBit", 0.012345f, 0.2f, 0x84, "12,345E-3", false,
                                 "12,345E-3"},
                      TShownCase{"NegativeRoundingToZero", -0.000001f, 2000, 0x01, "0,00", true, "0,00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameDisplayTest, OverRangeKeepsTheValueAndBadResultFactorHidesAll) {
    frame_->ShowReading(*MakeDisplayReading(Status(2100.3f, 2000, 1, sfOverRange), ','));
    EXPECT_TRUE(Child("LabelOver")->isVisible());
    EXPECT_EQ(Child("LabelOver")->text(), "OVER");
    EXPECT_EQ(Child("LabelValue")->text(), "2100,30");
    EXPECT_TRUE(Child("LabelValue")->isVisible());
    // OVER starts where the digits would start after a minus sign.
    EXPECT_GT(Child("LabelOver")->x(), Child("LabelValue")->x());

    frame_->ShowReading(
        *MakeDisplayReading(Status(2100.3f, 2000, 1, sfOverRange | sfResultFactorInvalid), ','));
    EXPECT_FALSE(Child("LabelOver")->isVisible());
    EXPECT_FALSE(Child("LabelValue")->isVisible());
    EXPECT_FALSE(Child("ImageUnit")->isVisible());

    frame_->Clear();
    EXPECT_FALSE(Child("LabelOver")->isVisible());
    EXPECT_TRUE(Child("LabelValue")->text().isEmpty());
}

// At one answer every 160 ms nothing may be laid out or drawn again that has
// not changed: same range and kind keep the frame and the unit picture.
TEST_F(FrameDisplayTest, OrdinaryAnswersNeitherResizeNorRedrawTheUnit) {
    frame_->ShowReading(*MakeDisplayReading(Status(1234.5f, 2000, 1), ','));
    const QRect geometry = frame_->geometry();
    const qint64 picture = Child("ImageUnit")->pixmap().cacheKey();
    frame_->ShowReading(*MakeDisplayReading(Status(987.25f, 2000, 1), ','));
    EXPECT_EQ(frame_->geometry(), geometry);
    EXPECT_EQ(Child("ImageUnit")->pixmap().cacheKey(), picture);

    frame_->ShowReading(*MakeDisplayReading(Status(0.0123f, 0.2f, 1), ',')); // new range, milli prefix
    EXPECT_NE(Child("ImageUnit")->pixmap().cacheKey(), picture);
}

// A settings panel hides the display's parent; answers that arrive meanwhile
// must still leave the digits beside the unit, not over it.
TEST_F(FrameDisplayTest, AnswersWhileHiddenKeepTheValueBesideTheUnit) {
    frame_->ShowReading(*MakeDisplayReading(Status(1234.5f, 2000, 1), ','));
    parent_.hide();
    frame_->ShowReading(*MakeDisplayReading(Status(0.0123f, 0.2f, 1), ','));
    parent_.show();
    EXPECT_TRUE(Child("ImageUnit")->isVisible());
    EXPECT_EQ(Child("LabelValue")->geometry().right() + 1 + 4, Child("ImageUnit")->x());
}

// A reading the meter no longer confirms is drawn grey until a fresh one comes.
TEST_F(FrameDisplayTest, StaleReadingIsGreyUntilTheNextAnswer) {
    frame_->ShowReading(*MakeDisplayReading(Status(1234.5f, 2000, 1), ','));
    const QColor ink = Child("LabelValue")->palette().color(QPalette::WindowText);
    const qint64 livePicture = Child("ImageUnit")->pixmap().cacheKey();
    frame_->SetStale(true);
    EXPECT_TRUE(frame_->Stale());
    EXPECT_NE(Child("LabelValue")->palette().color(QPalette::WindowText), ink);
    EXPECT_NE(Child("ImageUnit")->pixmap().cacheKey(), livePicture) << "the unit is drawn grey too";
    EXPECT_EQ(Child("LabelValue")->text(), "1234,50") << "the last value stays readable";
    frame_->ShowReading(*MakeDisplayReading(Status(1000.0f, 2000, 1), ','));
    EXPECT_FALSE(frame_->Stale());
    EXPECT_EQ(Child("LabelValue")->palette().color(QPalette::WindowText), ink);
}

TEST_F(FrameDisplayTest, SetupLeavesAnEmptyDisplayOfTheRequestedLeastWidth) {
    EXPECT_EQ(frame_->CopyText(), "0");
    EXPECT_GE(frame_->FullWidth(), 300);
    EXPECT_EQ(frame_->FullHeight() % 2, 0);
    EXPECT_TRUE(Child("LabelValue")->text().isEmpty());
}

TEST(MakeDisplayReading, AnswersTooShortForTheDisplayAreNotShown) {
    TStatusAnswer status = Status(1, 2000, 1);
    status.header.length = 55;
    EXPECT_FALSE(MakeDisplayReading(status, ','));
    status.header.length = 56;
    EXPECT_TRUE(MakeDisplayReading(status, ','));
}

// Rows of the picture that are ink from edge to edge.
int FullRows(const QImage& image) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool full = true;
        for (int x = 0; x < image.width() && full; ++x)
            full = qAlpha(image.pixel(x, y)) == 255;
        rows += full;
    }
    return rows;
}

TEST(UnitPicture, FractionHasAFourPixelBarAndOneLineUnitsHaveNone) {
    test::UiApp();
    const TUnitMetrics metrics{70, 50, 35};
    for (uint8_t kind : {0x81, 0x02, 0x82, 0x03, 0x83}) {
        const int width = TFrameDisplay::UnitWidth(kind, -24, 24);
        EXPECT_EQ(FullRows(TFrameDisplay::RenderUnit(kind, -6, width, metrics, Qt::black)), 4) << int(kind);
    }
    for (uint8_t kind : {0x01, 0x04})
        EXPECT_EQ(FullRows(TFrameDisplay::RenderUnit(kind, 0, 60, metrics, Qt::black)), 0) << int(kind);
}

TEST(UnitPicture, WidthCoversEveryPrefixAndTheLongestDenominator) {
    test::UiApp();
    EXPECT_GT(TFrameDisplay::UnitWidth(0x01, -6, 0), TFrameDisplay::UnitWidth(0x01, 0, 0)); // µlx vs lx
    EXPECT_GT(TFrameDisplay::UnitWidth(0x83, 0, 0), TFrameDisplay::UnitWidth(0x03, 0, 0));  // ·sr
    EXPECT_EQ(TFrameDisplay::BaseUnit(0x84), "");
    EXPECT_EQ(TFrameDisplay::Prefix(-6), "µ");
}

} // namespace
} // namespace k730
