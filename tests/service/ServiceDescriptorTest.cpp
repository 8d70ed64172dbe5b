// The descriptor the service window programs: composed from the settings
// page, read back from what the meter stores, for every kind and field mix.
#include "main/K730Fun.h"
#include "service/ServiceDescriptor.h"
#include "service/ServiceEdits.h"

#include <gtest/gtest.h>

namespace k730 {
namespace {

struct TRoundTrip {
    const char* name;
    TDescriptorParts parts;
    const char* descriptor;
};

class DescriptorRoundTrip : public ::testing::TestWithParam<TRoundTrip> {};

TEST_P(DescriptorRoundTrip, ComposesAndReadsBack) {
    const TRoundTrip& c = GetParam();
    const std::string d = ComposeDescriptor(c.parts);
    EXPECT_EQ(d, c.descriptor);
    const TDescriptorFields back = ParseDescriptor(d);
    EXPECT_EQ(back.spectral, RemoveBlanks(c.parts.spectral));
    EXPECT_EQ(back.config, c.parts.config);
    EXPECT_EQ(back.version, c.parts.version);
    // The measuring field comes back with ".", whatever separator was typed.
    EXPECT_EQ(back.aperture, c.parts.lumMode ? WithSeparator(c.parts.aperture, '.') : "");
}

TDescriptorParts Parts(std::string spectral, bool lum, std::string aperture, std::array<double, 3> ranges,
                       uint8_t config, std::string version) {
    return {std::move(spectral), lum, std::move(aperture), ranges, true, config, std::move(version)};
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, DescriptorRoundTrip,
    ::testing::Values(
        TRoundTrip{"luxmeter", Parts("V", false, "", {200, 2000, 20000}, 0, ""), "K-730/V/20k/E/0"},
        TRoundTrip{"luminance", Parts("V'", true, "2,5\u00B0", {20, 200, 0}, 3, "A1"),
                   "K-730/V'/200/L2.5\u00B0/3/A1"},
        TRoundTrip{"luminance minutes", Parts("V\"", true, "30'", {2, 0, 0}, 255, ""),
                   "K-730/V\"/2/L30'/255"},
        TRoundTrip{"radiometer", Parts("UVA", false, "", {0.2, 2, 0}, 1, "B"), "K-730/UVA/2/E/1/B"},
        TRoundTrip{"radiance", Parts("IR", true, "10\"", {0.002, 0, 0}, 7, "X12"), "K-730/IR/2m/L10\"/7/X12"},
        TRoundTrip{"PAR", Parts("PAR", false, "", {500e-6, 5e-3, 0}, 0, "1.0"), "K-730/PAR/5m/E/0/1.0"},
        TRoundTrip{"photon radiance", Parts("PAR", true, "1.5\u00B0", {1, 10, 100}, 9, ""),
                   "K-730/PAR/100/L1.5\u00B0/9"},
        TRoundTrip{"amperemeter", Parts("I", false, "", {0.02, 0, 0}, 0, ""), "K-730/I/20m/E/0"},
        TRoundTrip{"blanks in the response", Parts(" V ' ", false, "", {19999, 0, 0}, 0, ""),
                   "K-730/V'/19.999k/E/0"}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(Descriptor, FieldsLeftEmptyOrOut) {
    TDescriptorParts p = Parts("V", true, "2,5", {200, 0, 0}, 0, "");
    // A measuring field without its unit sign is not valid: only "L" is written.
    EXPECT_EQ(ComposeDescriptor(p), "K-730/V/200/L/0");
    p.rangesValid = false;
    EXPECT_EQ(ComposeDescriptor(p), "K-730/V//L/0") << "invalid ranges leave the range field empty";
    p.lumMode = false;
    p.aperture = "2\u00B0";
    EXPECT_EQ(ComposeDescriptor(p), "K-730/V//E/0") << "without luminance the field is not written";
}

TEST(Descriptor, ReadsOnlyTheFirstLineAndAnyVersionText) {
    const auto f = ParseDescriptor("K-730/V/2M/L1/3/A1/B2\r\nMERIDOX");
    EXPECT_EQ(f.spectral, "V");
    EXPECT_EQ(f.aperture, "1");
    EXPECT_EQ(f.config, 3);
    EXPECT_EQ(f.version, "A1/B2") << "the version is everything after the fifth /";
    const auto none = ParseDescriptor("K-730");
    EXPECT_EQ(none.spectral, "");
    EXPECT_EQ(none.config, 0);
    EXPECT_EQ(ParseDescriptor("K-730/V/2k/E/x1").config, 0);
}

TEST(Descriptor, ModelNameIsThisProduct) {
    EXPECT_EQ(DescriptorModelName(), "K-730");
}

} // namespace
} // namespace k730
