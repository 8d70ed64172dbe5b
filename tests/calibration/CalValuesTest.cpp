// The calibration's numbers, texts and opening checks: known answers for the
// entry fields, the status snapshot, the queue items and the messages.
#include "calibration/CalOpening.h"
#include "calibration/CalTexts.h"
#include "calibration/CalValues.h"
#include "files/DayCount.h"
#include "ui/DateEditRules.h"
#include "CalWizardFixture.h"
#include "protocol/ByteOrder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace k730 {
namespace {

struct TEntryCase {
    const char* text;
    char decimal;
    std::optional<double> value;
    bool positive;
};

class EntryNumber : public ::testing::TestWithParam<TEntryCase> {};

TEST_P(EntryNumber, ReadsAsTheWindowWouldTakeIt) {
    const TEntryCase& c = GetParam();
    EXPECT_EQ(ParseEntryNumber(c.text, c.decimal), c.value) << c.text;
    EXPECT_EQ(IsPositiveEntry(c.text, c.decimal), c.positive) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EntryNumber,
    ::testing::Values(TEntryCase{" 3,96 ", ',', 3.96, true}, TEntryCase{"-1,5e2", ',', -150.0, false},
                      TEntryCase{"1,", ',', 1.0, true}, TEntryCase{",5", ',', 0.5, true},
                      TEntryCase{"+2E-1", ',', 0.2, true}, TEntryCase{"3.96", '.', 3.96, true},
                      TEntryCase{"0", ',', 0.0, false},
                      // a float cannot hold these: too large, or nothing left of it
                      TEntryCase{"1e39", ',', 1e39, false}, TEntryCase{"1e-50", ',', 1e-50, false},
                      // not numbers
                      TEntryCase{"3.96", ',', std::nullopt, false},
                      TEntryCase{"1,2,3", ',', std::nullopt, false},
                      TEntryCase{"1 2", ',', std::nullopt, false}, TEntryCase{"1e", ',', std::nullopt, false},
                      TEntryCase{"e5", ',', std::nullopt, false}, TEntryCase{"", ',', std::nullopt, false},
                      TEntryCase{",", ',', std::nullopt, false},
                      TEntryCase{"1e400", ',', std::nullopt, false},
                      TEntryCase{"0x10", ',', std::nullopt, false}));

TEST(EntryNumber, PointsAndCommasBecomeTheSeparatorInPlace) {
    EXPECT_EQ(WithDecimalSeparator("1.5,2", ','), "1,5,2");
    EXPECT_EQ(WithDecimalSeparator("1,5", '.'), "1.5");
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
}

// A status answer in forcing mode, cut to `length` bytes.
TBytes StatusWith(uint8_t flags, uint32_t stored, float fullScale, size_t length = 64) {
    test::TCalStatusFields f;
    f.mode = 3;
    f.flags = flags;
    f.loopDac = 0x4100;
    f.stored4mA = stored;
    f.fullScale = fullScale;
    const TBytes full = test::CalStatusFrame(1, f);
    TBytes frame(full.begin(), full.begin() + static_cast<long>(length - 1));
    frame.push_back(MERBUS_END);
    frame[1] = static_cast<uint8_t>(length);
    frame[2] = static_cast<uint8_t>(length >> 8);
    return frame;
}

TEST(CalSnapshot, TakesTheFieldsTheFrameCarries) {
    TCalSnapshot s;
    ASSERT_TRUE(UpdateSnapshot(s, StatusWith(0x40, 0x4123, 2000)));
    EXPECT_EQ(s, (TCalSnapshot{3, 0x40, 0x600000, 0x4100, 0x022C, 0x4123, 2000.0f}));
    // The meter flags its 4 mA value invalid: the last good one is kept.
    ASSERT_TRUE(UpdateSnapshot(s, StatusWith(0x60, 0x9999, 2000)));
    EXPECT_EQ(s.stored4mAValue, 0x4123u);
    EXPECT_EQ(s.flags, 0x60);
    // A full scale that is not a number reads 0.
    ASSERT_TRUE(UpdateSnapshot(s, StatusWith(0x40, 0x4123, std::nanf(""))));
    EXPECT_EQ(s.rangeFullScale, 0.0f);
    // A short answer leaves what it does not carry.
    s.rangeFullScale = 20;
    ASSERT_TRUE(UpdateSnapshot(s, StatusWith(0x40, 0x4200, 5, 44)));
    EXPECT_EQ(s.temperatureCode, 0x022Cu);
    EXPECT_EQ(s.stored4mAValue, 0x4123u);
    EXPECT_EQ(s.rangeFullScale, 20.0f);
    // Anything but a status answer changes nothing.
    const TCalSnapshot before = s;
    EXPECT_FALSE(UpdateSnapshot(s, test::AnswerFrame(0x8B, 1, 3, {1, 2, 3, 4})));
    EXPECT_FALSE(UpdateSnapshot(s, TBytes{0x68, 0x04}));
    EXPECT_EQ(s, before);
}

TEST(CalSnapshot, ParameterEchoNeedsIndexAndFourBytes) {
    const auto echo = DecodeParameterEcho(test::AnswerFrame(0x8C, 1, 1, {3, 0x00, 0x00, 0x80, 0x3F}));
    ASSERT_TRUE(echo);
    EXPECT_EQ(echo->mode, 1);
    EXPECT_EQ(echo->index, 3);
    EXPECT_EQ(echo->value, 0x3F800000u);
    EXPECT_FALSE(DecodeParameterEcho(test::AnswerFrame(0x8C, 1, 1, {3, 0x00, 0x00, 0x80})));
    EXPECT_FALSE(DecodeParameterEcho(test::AnswerFrame(0x8A, 1, 1, {3, 0x00, 0x00, 0x80, 0x3F})));
}

TEST(CalRequests, SaveItemCarriesTheValuesInRequestOrderAndTheComment) {
    const TQueueItem item = SaveItem({0x40A5, 1.5f, 2.0f, 0x1234022C}, "Lamp 7");
    EXPECT_EQ(item.message, "Lamp 7");
    const auto request = TRequestScheduler::RequestForItem(item.bytes, 0x0003);
    ASSERT_TRUE(request);
    EXPECT_EQ(test::HexText(*request),
              "68 18 00 0D 06 03 00 A5 40 00 00 00 00 C0 3F 00 00 00 40 2C 02 34 12 16");
    EXPECT_EQ(test::HexText(*TRequestScheduler::RequestForItem(FloatParameterItem(2, 1.0f).bytes, 3)),
              "68 0D 00 0C 06 03 00 02 00 00 80 3F 16");
}

TEST(CalTexts, FactorLabelsArePaddedToTheWidestWithItsBlank) {
    const auto labels = BuildFactorLabels(langEnglish, [](const std::string& s) { return int(s.size()); });
    EXPECT_EQ(labels[1], "current loop calibration factor: ");
    for (const std::string& label : labels)
        EXPECT_EQ(label.size(), labels[1].size()) << label;
    EXPECT_EQ(labels[3], "Calibration temperature:         ");
}

TEST(CalTexts, FactorsSavedReportInBothLanguages) {
    const std::array<std::string, 4> labels = {"a:", "b:", "c:", "d:"};
    const TCalibrationSavedAnswer saved{0x40A5, 1.25f, 1.1867846f, 0x0215};
    EXPECT_EQ(FactorsSavedText(saved, labels, langEnglish, '.', "Calibration data added to history log."),
              "Calibration data added to history log.\r\n\r\nCalibration factors saved:\r\n— a:\t0x40A5\r\n— "
              "b:\t1.1867846\r\n— c:\t1.2500000\r\nd:\t7.3°C");
    EXPECT_EQ(FactorsSavedText(saved, labels, langPolish, ',', ""),
              "Zaprogramowano współczynniki kalibracji:\r\n— a:\t0x40A5\r\n— b:\t1,1867846\r\n— "
              "c:\t1,2500000\r\nd:\t7,3°C");
}

TEST(CalTexts, QuantityNamesFollowKindAndLuminanceMode) {
    EXPECT_EQ(CalQuantity(1, 0).name(langPolish), "natężenia oświetlenia");
    EXPECT_EQ(CalQuantity(2, 1).unit, "W·m^-2·sr^-1");
    EXPECT_EQ(CalQuantity(3, 1).name(langEnglish), "foton radiance");
    EXPECT_EQ(CalQuantity(4, 1).unit, "A");
    EXPECT_EQ(CalQuantity(7, 0).unit, "");
}

struct TOpenCase {
    const char* name;
    TCalOpenState state;
    const char* message; // empty: the checks pass
    TMessageIcon icon;
    bool closePanel;
};

class CalOpening : public ::testing::TestWithParam<TOpenCase> {};

TEST_P(CalOpening, FirstFailingCheckEndsTheOpening) {
    const TOpenCase& c = GetParam();
    const TCalOpenCheck check = CheckCalibrationOpening(c.state, langEnglish);
    EXPECT_EQ(check.pass, *c.message == 0);
    EXPECT_EQ(check.message.value_or(""), c.message);
    if (!check.pass) {
        EXPECT_EQ(check.icon, c.icon);
    }
    EXPECT_EQ(check.closePanel, c.closePanel);
}

constexpr TCalOpenState ready{true, 3, 0, 1, 3, true, 0x40};

constexpr TCalOpenState With(TCalOpenState s, int field, int value) {
    switch (field) {
    case 0:
        s.portSelected = value != 0;
        break;
    case 1:
        s.merBusAddress = static_cast<uint16_t>(value);
        break;
    case 2:
        s.settingsMode = static_cast<uint8_t>(value);
        break;
    case 3:
        s.kindByte = static_cast<uint8_t>(value);
        break;
    case 4:
        s.rangeCount = value;
        break;
    case 5:
        s.statusKnown = value != 0;
        break;
    default:
        s.statusFlags = static_cast<uint8_t>(value);
    }
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Checks, CalOpening,
    ::testing::Values(
        TOpenCase{"Ready", ready, "", miWarning, false},
        TOpenCase{"NoPort", With(ready, 0, 0), "Comm port not selected.", miWarning, false},
        TOpenCase{"NoAddress", With(ready, 1, 0xFFFF), "Meter address not readed.", miWarning, false},
        TOpenCase{"Zeroing", With(ready, 2, smZeroRunning), "Wait till the end of zeroing.", miInformation,
                  false},
        TOpenCase{"LuminanceAmperemeter", With(ready, 3, 0x84), "Unknown meter type.", miWarning, false},
        TOpenCase{"NoRangesAddressPanelOpen", With(With(ready, 4, 0), 2, smPanelMerBus),
                  "Measuring ranges unknown.", miWarning, true},
        TOpenCase{"NoStatusAveragePanelOpen", With(With(ready, 5, 0), 2, smPanelAverage),
                  "Meter status not readed.\r\nSelect appropriate comm port and try again.", miWarning, true},
        TOpenCase{"LoopOff", With(ready, 6, 0x00), "Current loop is turned off.\r\nTurn it on and try again.",
                  miWarning, false},
        TOpenCase{"RangePanelOpen", With(ready, 2, smPanelDefaultRange), "", miWarning, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DateEditRules, FieldsAreClampedToADateThatExists) {
    EXPECT_EQ(ClampDateFields({31, 2, 2024}), (TDateFields{29, 2, 2024}));
    EXPECT_EQ(ClampDateFields({29, 2, 1900}), (TDateFields{28, 2, 1900})) << "1900 was no leap year";
    EXPECT_EQ(ClampDateFields({29, 2, 2000}), (TDateFields{29, 2, 2000}));
    EXPECT_EQ(ClampDateFields({0, 13, 1800}), (TDateFields{1, 12, 1900}));
    EXPECT_EQ(StepDateField({31, 1, 2023}, dfMonth, 1), (TDateFields{28, 2, 2023}));
    EXPECT_EQ(StepDateField({1, 1, 9999}, dfYear, 1), (TDateFields{1, 1, 9999}));
    const double day = EncodeDays({2024, 3, 10});
    EXPECT_EQ(LimitDate(day, day + 1, 0), day + 1);
    EXPECT_EQ(LimitDate(day, 0, day - 1), day - 1);
    EXPECT_EQ(LimitDate(day, 0, 0), day);
    EXPECT_EQ(DateFieldsOf(EncodeDays({2024, 3, 10, 23, 59})), (TDateFields{10, 3, 2024}));
}

} // namespace
} // namespace k730
