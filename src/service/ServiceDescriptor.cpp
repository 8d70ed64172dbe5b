#include "service/ServiceDescriptor.h"

#include "main/K730Fun.h"
#include "service/ServiceEdits.h"

namespace k730 {

std::string DescriptorModelName() {
    return std::string(DeviceModelName(DEVICE_CODE_K730).name);
}

std::string ComposeDescriptor(const TDescriptorParts& parts) {
    std::string d = DescriptorModelName();
    d += DESCRIPTOR_SEPARATOR;
    d += RemoveBlanks(parts.spectral);
    d += DESCRIPTOR_SEPARATOR;
    if (parts.rangesValid) {
        const auto& r = parts.ranges;
        const double highest = r[2] > 0 ? r[2] : r[1] > 0 ? r[1] : r[0];
        d += FormatRangeText(highest, false, '.');
    }
    d += DESCRIPTOR_SEPARATOR;
    d += parts.lumMode ? 'L' : 'E';
    if (parts.lumMode && IsValidMeasuringField(parts.aperture)) d += WithSeparator(parts.aperture, '.');
    d += DESCRIPTOR_SEPARATOR;
    d += std::to_string(parts.config);
    if (!parts.version.empty()) {
        d += DESCRIPTOR_SEPARATOR;
        d += parts.version;
    }
    return d;
}

TDescriptorFields ParseDescriptor(std::string_view descriptor) {
    TDescriptorFields f;
    f.spectral = DescriptorSensitivity(descriptor);
    f.aperture = DescriptorAperture(descriptor);
    f.config = DescriptorConfiguration(descriptor);
    f.version = DescriptorVersion(descriptor);
    return f;
}

} // namespace k730
