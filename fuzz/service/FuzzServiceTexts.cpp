// libFuzzer: what the service window makes of a meter's descriptor and of
// typed text. Whatever arrives, the edit rules keep their promises, and a
// descriptor composed from the boxes reads back to the same fields.
#include "main/Cp1250.h"
#include "service/IdentityProgrammer.h"
#include "service/ServiceEdits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace k730;
    // The meter sends Windows-1250 bytes; the program holds UTF-8.
    const std::string text = Cp1250ToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    for (char separator : {',', '.'}) {
        const std::string range = RangeBoxText(text, separator);
        Check(!range.empty());
        Check(RangeBoxText(range, separator) == range); // a box's text is stable
        Check(Utf8Length(AngleBoxText(text, separator)) <= std::max(Utf8Length(text), ANGLE_BOX_LENGTH - 1));
        (void)AngleWithSign(text, SIGN_DEGREE);
        (void)ValidateRanges({text, range, "0"});
    }
    if (const auto v = ParseNumber(text)) Check(std::isfinite(*v));

    TMeterInfo info;
    info.ModelDescriptor = text;
    info.MeterKind = size > 0 ? data[0] & 0x7F : 1;
    info.LumMode = size > 1 ? data[1] & 1 : 0;
    info.RangeCount = 1;
    info.RangeFullScale[0] = 200;
    TIdentityProgrammer p(',', DefaultSpectralLists());
    p.SetMeterAddress(1);
    p.Identity(info);
    p.Config(size > 2 ? data[2] : 0);
    p.DefaultRange(0);
    p.EditSerial("1");
    p.EditYear("2024");
    p.EditSpectral(text);
    p.EditVersion(text);
    if (const auto items = p.Program()) {
        for (const auto& item : *items)
            Check(TRequestScheduler::RequestForItem(item.bytes, 1).has_value());
        // Accepted entries make a descriptor whose fields read back.
        const TDescriptorFields back = ParseDescriptor(p.ShownDescriptor());
        Check(back.spectral == RemoveBlanks(p.Controls().spectral));
        Check(back.version == p.Controls().version);
    }
    return 0;
}
