// Turning an identity answer into a fresh meter record.
#include "main/IdentityRecord.h"

namespace k730 {

TMeterInfo MeterInfoFromIdentity(const TIdentityAnswer& id, const TMeterInfo& stored) {
    TMeterInfo fresh{};
    ClearMeterInfo(fresh);
    fresh.ModelDescriptor = id.DescriptorUtf8();
    fresh.FirmwareVersion = id.FirmwareVersionUtf8();
    fresh.ProducerText = id.ProducerTextUtf8();
    fresh.MeterKind = id.MeterKind();
    fresh.LumMode = id.LumMode() ? 1 : 0;
    // Entries at or beyond the range count stay 0.
    fresh.RangeCount = id.rangeCount;
    for (size_t i = 0; i < id.rangeCount && i < 3; ++i)
        fresh.RangeFullScale[i] = id.rangeFullScale[i];
    fresh.SerialNumber = id.serialNumber;
    fresh.ProductionYear = id.productionYear;
    fresh.DefaultRange = stored.DefaultRange;
    fresh.MerBusAddrKnown = stored.MerBusAddrKnown;
    return fresh;
}

} // namespace k730
