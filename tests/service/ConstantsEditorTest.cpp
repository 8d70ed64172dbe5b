// The constant pages of the service window: number rules, range correction
// factors with the resistance calculator, calibration constants and the loop
// DAC, and the requests each button queues.
#include "service/ConstantsEditor.h"
#include "service/ResultsBlock.h"
#include "service/ServiceNumbers.h"

#include "protocol/ByteOrder.h"
#include "service/ServiceFakes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace k730 {
namespace {

std::vector<TBytes> Bytes(const std::vector<TQueueItem>& items) {
    std::vector<TBytes> out;
    for (const auto& i : items)
        out.push_back(i.bytes);
    return out;
}

TBytes Block(uint32_t dac0 = 0x4000, float ke = 1.25f, float kl = 1.5f, uint32_t loopDac = 0x5000) {
    return test::ResultsFrame(dac0, ke, kl, loopDac);
}

TEST(ServiceNumbers, TextsUseTheGivenSeparator) {
    EXPECT_EQ(FixedText(1.4142135f, 7, ','), "1,4142135");
    EXPECT_EQ(FixedText(-0.00001, 2, '.'), "0.00");
    EXPECT_EQ(ExponentText(1234.5678, ','), "1,2345678E+03");
    EXPECT_EQ(HexText(0xABC, 5), "00ABC");
    EXPECT_EQ(SignedTemperatureText(680, ','), "23,0\u00B0C");
    EXPECT_EQ(DacCurrentText(0x4000, '.'), "4.0000");
    EXPECT_EQ(DacCurrentText(0x20001, '.'), "3.2000244E+01") << "beyond 0x20000 in exponent form";
}

TEST(RangeFactors, LimitsAreComparedAsTheMetersFloats) {
    EXPECT_TRUE(RangeFactorInLimits(1.1));
    EXPECT_FALSE(RangeFactorInLimits(1.1000001));
    EXPECT_TRUE(RangeFactorInLimits(0.9));
    EXPECT_FALSE(RangeFactorInLimits(0.8999999));
    EXPECT_FALSE(RangeFactorInLimits(std::nan("")));
}

TEST(Calculator, ReadsResistorStyleNumbers) {
    EXPECT_EQ(ParseResistance("4k7"), 4700.0);
    EXPECT_EQ(ParseResistance("4,7k"), 4700.0);
    EXPECT_EQ(ParseResistance("2M"), 2e6);
    EXPECT_NEAR(*ParseResistance("100m"), 0.1, 1e-12);
    EXPECT_EQ(ParseResistance("1E3"), 1000.0) << "E is an exponent, not a prefix";
    EXPECT_EQ(ParseResistance("k"), std::nullopt);
    EXPECT_EQ(ParseResistance("abc"), std::nullopt);
}

TEST(Calculator, FactorIsRequiredOverActualPlusSwitch) {
    TConstantsEditor e(',');
    e.EditCalculator(0, "2k");
    e.EditCalculator(1, "1k");
    e.EditCalculator(2, "0");
    EXPECT_EQ(e.FactorText(), "2");
    EXPECT_EQ(e.SwitchResistance(), 0.0) << "the switch resistance is remembered";
    e.EditCalculator(1, "0");
    EXPECT_EQ(e.FactorText(), "-----") << "division by zero";
    e.EditCalculator(1, "x");
    EXPECT_EQ(e.FactorText(), "-----");
}

TEST(RangeFactors, SetAndPasteNeedFactorsWithinLimits) {
    TConstantsEditor e('.');
    e.SetMeterAddress(1);
    EXPECT_FALSE(e.CanSetRangeFactors()) << "nothing read yet";
    e.RangeFactors({1.0f, 1.05f, 0.95f});
    EXPECT_EQ(e.RangeFactorBoxes()[1], "1.0500000");
    ASSERT_TRUE(e.CanSetRangeFactors());
    const auto items = e.SetRangeFactors();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].bytes.size(), 13u);
    EXPECT_EQ(items[0].bytes[0], CMD_SVC_READINGS);
    EXPECT_FLOAT_EQ(ReadF32(items[0].bytes, 5), 1.05f);

    e.EditRangeFactor(2, "1.2");
    EXPECT_FALSE(e.CanSetRangeFactors());
    e.EditCalculator(0, "1k05");
    e.EditCalculator(1, "1k");
    e.EditCalculator(2, "0");
    e.ChoosePasteTarget(2);
    ASSERT_TRUE(e.CanPaste());
    e.Paste();
    EXPECT_EQ(e.RangeFactorBoxes()[2], "1.05");
    EXPECT_TRUE(e.CanSetRangeFactors());
    e.EditCalculator(0, "2k");
    EXPECT_FALSE(e.CanPaste()) << "a factor of 2 lies outside the limits";

    e.SetMeterAddress(0xFFFF);
    EXPECT_FALSE(e.CanSetRangeFactors()) << "no meter to write to";
}

TEST(TempCoefficient, ShownInPercentSentAsFraction) {
    TConstantsEditor e('.');
    e.SetMeterAddress(1);
    e.TempCoefficient(0.0025f);
    EXPECT_EQ(e.TempCoefficientBox(), "0.2500000");
    e.Constants({0x4000, 1, 1, 680}); // valid constants select "Programuj ustawione"
    auto items = e.SetTempCoefficient();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_FLOAT_EQ(ReadF32(items[0].bytes, 1), 0.0025f);
    EXPECT_EQ(items[1].bytes, TBytes{CMD_STATUS});
    e.ChooseCal(ccDefault);
    EXPECT_FLOAT_EQ(ReadF32(e.SetTempCoefficient()[0].bytes, 1), 0.0f) << "the defaults carry no coefficient";
    e.EditTempCoefficient("10.5");
    EXPECT_FALSE(e.CanSetTempCoefficient());
    e.EditTempCoefficient("-10");
    EXPECT_TRUE(e.CanSetTempCoefficient());
}

TEST(CalConstants, DefaultsAndTheirCaption) {
    const TCalConstants d = DefaultCalConstants();
    EXPECT_EQ(d.Dac0, 0x4000u);
    EXPECT_EQ(d.KE, static_cast<float>(std::sqrt(2.0)));
    EXPECT_EQ(d.CalTemp, 680u);
    EXPECT_EQ(DefaultsCaption(','), "Programuj domyślne (0x4000; 1,4142135; 1,4142135)");
    const auto items = Bytes(CalProgramItems(d));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], (TBytes{CMD_SET_MODE, 1}));
    EXPECT_EQ(items[1].size(), 17u) << "the code byte and exactly its 16 bytes";
    EXPECT_EQ(items[2], (TBytes{CMD_SET_MODE, 0}));
    EXPECT_EQ(items[3], TBytes{CMD_STATUS});
}

TEST(CalConstants, InvalidFourMilliampValueForcesDefaults) {
    TConstantsEditor e('.');
    e.SetMeterAddress(1);
    e.Results(Block(0x5001), true);
    EXPECT_FALSE(e.CalChoiceEnabled());
    EXPECT_EQ(e.CalChoice(), ccDefault);
    EXPECT_TRUE(e.KEBox().empty());
    EXPECT_EQ(e.CalToProgram(), DefaultCalConstants());

    e.Results(Block(0x3800), false);
    EXPECT_TRUE(e.CalChoiceEnabled());
    EXPECT_EQ(e.CalChoice(), ccSet) << "selected the first time the constants are valid";
    e.ChooseCal(ccDefault);
    e.Results(Block(0x3800), false);
    EXPECT_EQ(e.CalChoice(), ccDefault) << "the operator's choice stays afterwards";
}

TEST(CalConstants, SetProgramsReadValuesWithTypedFactors) {
    TConstantsEditor e('.');
    e.SetMeterAddress(1);
    e.Results(Block(0x4100, 1.25f, 1.5f), true);
    EXPECT_EQ(e.KEBox(), "1.2500000");
    e.EditKL("0");
    EXPECT_FALSE(e.CanSetCal()) << "factors must be above zero";
    e.Sqrt2KL();
    ASSERT_TRUE(e.CanSetCal());
    const auto c = e.CalToProgram();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Dac0, 0x4100u);
    EXPECT_EQ(c->KE, 1.25f);
    EXPECT_EQ(c->KL, static_cast<float>(std::sqrt(2.0)));
    EXPECT_EQ(c->CalTemp, 680u);
    EXPECT_NE(CalProgramQuestion(*c, 0, '.').find("0x4100"), std::string::npos);
}

TEST(Dac, StepsWrapWithinTwentyBits) {
    EXPECT_EQ(StepDac(0xFFFFF, 1, true), 0u);
    EXPECT_EQ(StepDac(0, 0x10000, false), 0xF0000u);
    TConstantsEditor e('.');
    e.EditDacSet("fffff", 5);
    e.StepDac(0, true);
    EXPECT_EQ(e.DacSetBox(), "00000");
    e.StepDac(4, false);
    EXPECT_EQ(e.DacSetBox(), "F0000");
}

TEST(Dac, BoxKeepsHexDigitsAndTheCaret) {
    TConstantsEditor e('.');
    EXPECT_EQ(e.EditDacSet("1g2a", 3), 2) << "the dropped g moves the caret left";
    EXPECT_EQ(e.DacSetBox(), "12A");
    e.LeaveDacSet();
    EXPECT_EQ(e.DacSetBox(), "0012A");
    e.EditDacSet("1234567", 7);
    EXPECT_EQ(e.DacSetBox(), "12345");
}

TEST(Dac, CalcScalesTheValueReadToFourMilliamps) {
    EXPECT_EQ(DacFor4mA(5.0, 0x5000), 0x4000u);
    EXPECT_EQ(DacFor4mA(0.001, 0x5000), 0xFFFFFu) << "limited to 20 bits";
    EXPECT_EQ(DacFor4mA(0, 0x5000), std::nullopt);
    EXPECT_EQ(DacFor4mA(-1, 0x5000), std::nullopt);
    TConstantsEditor e(',');
    e.Results(Block(0x4000, 1, 1, 0x5000), true);
    e.EditMeasured("5,0");
    ASSERT_TRUE(e.CanCalc());
    e.Calc();
    EXPECT_EQ(e.DacSetBox(), "04000");
}

TEST(Dac, SetEntersDacModeFirstAndProgramKeepsDriving) {
    TConstantsEditor e('.');
    e.SetMeterAddress(1);
    e.Results(Block(0x4000, 1, 1, 0x3000), true);
    EXPECT_EQ(e.DacSetBox(), "03000") << "an empty box takes the value in use";
    e.Mode(1);
    EXPECT_EQ(
        Bytes(e.SetDac()),
        (std::vector<TBytes>{{CMD_SET_MODE, 0}, {CMD_SVC_101}, {CMD_SET_FORCING_VALUE, 0x00, 0x30, 0, 0}}));
    EXPECT_FALSE(e.CanProgramDac0()) << "only while the meter drives the DAC (mode 4)";
    e.Mode(4);
    EXPECT_EQ(Bytes(e.SetDac()), (std::vector<TBytes>{{CMD_SET_FORCING_VALUE, 0x00, 0x30, 0, 0}}));
    ASSERT_TRUE(e.CanProgramDac0());
    const auto program = Bytes(e.ProgramDac0());
    ASSERT_EQ(program.size(), 5u);
    EXPECT_EQ(ReadU32(program[1], 1), 0x3000u) << "the value read becomes the 4 mA value";
    EXPECT_EQ(program[3], TBytes{CMD_SVC_101});
    EXPECT_EQ(program[4], (TBytes{CMD_SET_FORCING_VALUE, 0x00, 0x30, 0, 0}));
    EXPECT_EQ(Bytes(e.LeaveDacPage()), (std::vector<TBytes>{{CMD_SET_MODE, 0}, {CMD_STATUS}}));
    e.Mode(0);
    EXPECT_TRUE(e.LeaveDacPage().empty());
}

} // namespace
} // namespace k730
