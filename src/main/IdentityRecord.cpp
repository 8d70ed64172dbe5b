// Turning an identity answer into a fresh meter record.
#include "main/IdentityRecord.h"

#include <algorithm>
#include <cctype>

namespace k730 {

namespace {

bool IsVersionLike(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return c == '.' || std::isdigit(static_cast<unsigned char>(c)); });
}

} // namespace

TMeterInfo MeterInfoFromIdentity(const TIdentityAnswer& id, const TMeterInfo& stored) {
    TMeterInfo fresh{};
    ClearMeterInfo(fresh);
    for (size_t i = 0; i < id.texts.size(); ++i) {
        const std::string& text = id.texts[i];
        if (i == 0) {
            fresh.ModelDescriptor = text;
        } else if (IsVersionLike(text)) {
            fresh.FirmwareVersion = text; // the last one wins
        } else {
            if (!fresh.ProducerText.empty()) fresh.ProducerText += "\r\n";
            fresh.ProducerText += text;
        }
    }
    fresh.MeterKind = id.kindByte & 0x7F;
    fresh.LumMode = (id.kindByte & 0x80) ? 1 : 0;
    // The range count stops at the first value that is not positive.
    fresh.RangeCount = 0;
    while (fresh.RangeCount < 3 && id.ranges[fresh.RangeCount] > 0) {
        fresh.RangeFullScale[fresh.RangeCount] = id.ranges[fresh.RangeCount];
        ++fresh.RangeCount;
    }
    fresh.SerialNumber = id.serialNumber;
    fresh.ProductionYear = id.productionYear;
    fresh.DefaultRange = stored.DefaultRange;
    fresh.MerBusAddrKnown = stored.MerBusAddrKnown;
    return fresh;
}

std::string JoinIdentityTexts(const TIdentityAnswer& id) {
    std::string joined;
    for (size_t i = 0; i < id.texts.size(); ++i) {
        if (i > 0) joined += "\r\n";
        joined += id.texts[i];
    }
    return joined;
}

} // namespace k730
