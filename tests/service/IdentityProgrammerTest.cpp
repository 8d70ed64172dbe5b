// The settings page's rules: what the meter's answers fill in, the editing
// aids, the field statuses and validity, templates, and the requests of a
// programming run.
#include "main/Cp1250.h"
#include "protocol/ByteOrder.h"
#include "protocol/MerBusCommands.h"
#include "service/IdentityProgrammer.h"
#include "service/ServiceEdits.h"
#include "service/ServiceFakes.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

TMeterInfo Luxmeter() {
    return test::ServiceMeter();
}

TMeterInfo LuminanceMeter() {
    return test::ServiceMeter("K-730/V'/20k/L2.5\u00B0/3/A1", 1, 1);
}

class IdentityProgrammerTest : public ::testing::Test {
protected:
    // The three answers that follow a reset, identity first as the slots go.
    void Answer(const TMeterInfo& info, uint8_t config = 0, uint8_t defaultRange = 1) {
        p.Identity(info);
        p.DefaultRange(defaultRange);
        p.Config(config);
        p.Results();
    }

    TIdentityProgrammer p{',', DefaultSpectralLists()};
};

TEST_F(IdentityProgrammerTest, NothingIsOfferedBeforeTheMeterAnswered) {
    const TSettingsEnabled e = p.Enabled();
    EXPECT_FALSE(e.fields || e.lumBox || e.angle || e.config || e.program || e.open);
    EXPECT_FALSE(p.Field(sfSerial).statusVisible);
    EXPECT_FALSE(p.Field(sfSerial).markVisible);
    p.SetMeterAddress(1);
    EXPECT_FALSE(p.Program());
}

TEST_F(IdentityProgrammerTest, AnswersFillTheBoxesAndEveryFieldReadsProgrammed) {
    Answer(LuminanceMeter(), 0x05, 2);
    const TSettingsControls& c = p.Controls();
    EXPECT_EQ(c.serial, "1001");
    EXPECT_EQ(c.year, "2024");
    EXPECT_EQ(c.kind, 0);
    EXPECT_EQ(c.spectral, "V'");
    EXPECT_TRUE(c.lumMode);
    EXPECT_EQ(c.aperture, "2,5\u00B0") << "shown with the locale's separator";
    EXPECT_EQ(c.ranges, (std::array<std::string, 3>{"200", "2000", "20000"}));
    EXPECT_EQ(c.defaultRange, 2);
    EXPECT_EQ(c.config, 0x05);
    EXPECT_EQ(c.version, "A1");
    EXPECT_EQ(p.ReadRecord().Aperture, "2.5\u00B0");
    for (int f = sfSerial; f < SVC_FIELD_COUNT; ++f)
        EXPECT_TRUE(p.Field(static_cast<TSvcField>(f)).programmed) << f;
    EXPECT_TRUE(p.Field(sfAngle).statusVisible);
    // The descriptor composed from the boxes differs (config 5 against the 3
    // the meter's descriptor names), so it reads as not programmed.
    EXPECT_EQ(p.ShownDescriptor(), "K-730/V'/20k/L2.5\u00B0/5/A1");
    EXPECT_FALSE(p.Field(sfName).programmed);
    EXPECT_TRUE(p.Enabled().open) << "open once identity, default range and configuration are in";
    EXPECT_TRUE(p.Enabled().program);
}

TEST_F(IdentityProgrammerTest, DescriptorShownIsTheMetersUntilEveryAnswerIsIn) {
    p.Identity(LuminanceMeter());
    EXPECT_EQ(p.ShownDescriptor(), "K-730/V'/20k/L2.5\u00B0/3/A1");
    EXPECT_FALSE(p.Enabled().open);
    p.Config(3);
    EXPECT_FALSE(p.Enabled().open);
    p.DefaultRange(1);
    EXPECT_TRUE(p.Enabled().open);
    EXPECT_TRUE(p.Field(sfName).programmed);
}

TEST_F(IdentityProgrammerTest, AnUnprogrammedMeterShowsEmptySerialAndYear) {
    TMeterInfo info = Luxmeter();
    info.SerialNumber = info.ProductionYear = 0xFFFF;
    Answer(info);
    EXPECT_EQ(p.Controls().serial, "");
    EXPECT_FALSE(p.Field(sfSerial).valid);
    EXPECT_FALSE(p.Field(sfYear).programmed);
    EXPECT_FALSE(p.Enabled().program);
}

TEST_F(IdentityProgrammerTest, AmperemeterForcesLuminanceOffAndGivesItBack) {
    Answer(LuminanceMeter());
    p.ChooseKind(KIND_INDEX_AMPEREMETER);
    EXPECT_FALSE(p.Controls().lumMode);
    EXPECT_EQ(p.Controls().aperture, "");
    EXPECT_FALSE(p.Enabled().lumBox);
    EXPECT_FALSE(p.Field(sfLumMode).markVisible);
    EXPECT_EQ(p.SpectralItems(), std::vector<std::string>{"I"});
    p.SwitchLumMode(true);
    EXPECT_FALSE(p.Controls().lumMode) << "the box is disabled for an amperemeter";
    p.ChooseKind(0);
    EXPECT_TRUE(p.Controls().lumMode);
    EXPECT_EQ(p.Controls().aperture, "2,5\u00B0");
    EXPECT_TRUE(p.Field(sfLumMode).markVisible);
}

TEST_F(IdentityProgrammerTest, EditsKeepTheDescriptorInStep) {
    Answer(Luxmeter());
    p.EditRange(2, "123456");
    EXPECT_EQ(p.Controls().ranges[2], "123400");
    EXPECT_EQ(p.ShownDescriptor(), "K-730/V/123.4k/E/0") << "the descriptor always writes \".\"";
    p.SwitchLumMode(true);
    p.EditAngle("2.5");
    EXPECT_FALSE(p.Field(sfLumMode).valid);
    EXPECT_FALSE(p.Enabled().program);
    p.AngleSign(SIGN_DEGREE);
    EXPECT_EQ(p.Controls().aperture, "2,5\u00B0");
    EXPECT_EQ(p.ShownDescriptor(), "K-730/V/123.4k/L2.5\u00B0/0");
    EXPECT_TRUE(p.Enabled().program);
    p.EditVersion("B7");
    p.SwitchConfigBit(7, true);
    EXPECT_EQ(p.ShownDescriptor(), "K-730/V/123.4k/L2.5\u00B0/128/B7");
    p.EditSpectral("XYZ");
    EXPECT_TRUE(p.Field(sfSpectral).valid);
    EXPECT_TRUE(p.Field(sfSpectral).unknown) << "not one of the list's names";
}

TEST_F(IdentityProgrammerTest, DefaultRangeBoxesActAsRadioButtonsThatStayOn) {
    Answer(Luxmeter(), 0, 1);
    p.TickDefaultRange(1, false);
    EXPECT_EQ(p.Controls().defaultRange, 1);
    p.TickDefaultRange(2, true);
    EXPECT_EQ(p.Controls().defaultRange, 2);
    EXPECT_FALSE(p.Field(sfRange2).programmed) << "the meter starts in another range";
    p.EditRange(2, "0");
    EXPECT_FALSE(p.Field(sfDefaultRange).valid) << "a default range must exist";
}

TEST_F(IdentityProgrammerTest, ProgrammingRunSendsEveryFieldInOrder) {
    Answer(Luxmeter(), 0, 1);
    p.SetMeterAddress(1);
    p.ChooseKind(0);
    p.SwitchLumMode(true);
    p.EditAngle("2,5\u00B0");
    p.EditSerial("4321");
    p.EditYear("2031");
    p.EditRange(0, "20");
    p.EditRange(1, "200");
    p.EditRange(2, "0");
    p.TickDefaultRange(0, true);
    p.SwitchConfigBit(0, true);
    const auto items = p.Program();
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 6u);
    EXPECT_EQ((*items)[0].bytes, (TBytes{CMD_SVC_CONFIG, 1}));
    EXPECT_EQ((*items)[1].bytes, (TBytes{CMD_SVC_KIND, 0x81}));
    const std::string descriptor = Utf8ToCp1250("K-730/V/200/L2.5\u00B0/1") + '\0';
    TBytes text{CMD_SVC_DESCRIPTOR};
    text.insert(text.end(), descriptor.begin(), descriptor.end());
    EXPECT_EQ((*items)[2].bytes, text);
    EXPECT_EQ((*items)[3].bytes, (TBytes{CMD_SVC_SERIAL_YEAR, 0xE1, 0x10, 0xEF, 0x07}));
    TBytes ranges{CMD_SVC_RANGES};
    for (float v : {20.0f, 200.0f, 0.0f})
        AppendF32(ranges, v);
    EXPECT_EQ((*items)[4].bytes, ranges);
    EXPECT_EQ((*items)[5].bytes, (TBytes{CMD_DEFAULT_RANGE, 0}));
    // Every item is one the scheduler can send.
    for (const auto& item : *items)
        EXPECT_TRUE(TRequestScheduler::RequestForItem(item.bytes, 1)) << int(item.bytes[0]);
    EXPECT_TRUE(p.Programming());
    EXPECT_TRUE(p.ExpectingIdentity() && p.ExpectingConfig() && p.ExpectingDefaultRange());
}

TEST_F(IdentityProgrammerTest, NothingIsProgrammedWithoutAMeterAddress) {
    Answer(Luxmeter());
    p.SetMeterAddress(MERBUS_BROADCAST);
    EXPECT_FALSE(p.Program()) << "a broadcast would program every meter on the line";
    EXPECT_FALSE(p.Programming());
}

TEST_F(IdentityProgrammerTest, ReadBackAfterARunKeepsTypedValuesAndShowsWhatFailed) {
    Answer(Luxmeter(), 0, 1);
    p.SetMeterAddress(1);
    p.EditSerial("4321");
    p.EditVersion("Z9");
    ASSERT_TRUE(p.Program());
    // An answer to a read sent before the writes tells nothing about them.
    p.Identity(Luxmeter());
    EXPECT_TRUE(p.ExpectingIdentity());
    EXPECT_EQ(p.ReadRecord().Version, "");
    p.RunAnswered();
    // The meter refused the serial number: its identity still has the old one.
    TMeterInfo after = Luxmeter();
    after.ModelDescriptor = "K-730/V/20k/E/0/Z9";
    p.Config(0);
    p.DefaultRange(1);
    p.Identity(after);
    EXPECT_EQ(p.Controls().serial, "4321") << "the typed value stays";
    EXPECT_FALSE(p.Field(sfSerial).programmed);
    EXPECT_TRUE(p.Field(sfVersion).programmed);
    EXPECT_TRUE(p.Field(sfName).programmed);
    EXPECT_EQ(p.ReadRecord().SerialNumber, 1001);
    // A later answer while nothing is awaited changes nothing.
    p.Identity(Luxmeter());
    EXPECT_EQ(p.ReadRecord().Version, "Z9");
    p.Reset();
    EXPECT_FALSE(p.Programming());
    EXPECT_EQ(p.Controls().serial, "");
}

TEST_F(IdentityProgrammerTest, TemplateFillsEverythingButSerialAndYear) {
    Answer(Luxmeter());
    TTemplateRec t;
    t.MeterName = "K-730/PAR/500/L1\u00B0/6";
    t.MeterKind = 3 | 0x80;
    t.Spectral = "PAR";
    t.LumMode = 1;
    t.Aperture = "1\u00B0";
    t.Ranges = {5, 50, 500};
    t.DefaultRange = 2;
    t.Config = 6;
    EXPECT_TRUE(p.ApplyTemplate(t));
    EXPECT_EQ(p.Controls().kind, 2);
    EXPECT_EQ(p.SpectralItems(), std::vector<std::string>{"PAR"});
    EXPECT_EQ(p.Controls().serial, "1001");
    EXPECT_EQ(p.ShownDescriptor(), t.MeterName);
    const TTemplateRec back = p.CurrentTemplate();
    EXPECT_EQ(back, t) << "applying and taking back a template changes nothing";

    TTemplateRec amp = t;
    amp.MeterKind = 4 | 0x80; // not a valid kind: the kind stays, the rest applies
    EXPECT_FALSE(p.ApplyTemplate(amp));
    EXPECT_EQ(p.Controls().kind, 2);
    TTemplateRec unnamed = t;
    unnamed.MeterName.clear();
    EXPECT_FALSE(p.ApplyTemplate(unnamed)) << "only a named template is remembered";
}

TEST_F(IdentityProgrammerTest, TemplateRangesBelowZeroAreAbsent) {
    Answer(Luxmeter());
    TTemplateRec t;
    t.MeterKind = 1;
    t.Spectral = "V";
    t.Ranges = {200, -5, 0};
    t.DefaultRange = 7;
    p.ApplyTemplate(t);
    EXPECT_EQ(p.Controls().ranges, (std::array<std::string, 3>{"200", "0", "0"}));
    EXPECT_EQ(p.Controls().defaultRange, -1);
    EXPECT_FALSE(p.Enabled().program) << "no default range ticked";
}

} // namespace
} // namespace k730
