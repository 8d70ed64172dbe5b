#include "main/DisplayReading.h"

#include "main/K730Fun.h"

#include <cmath>

namespace k730 {

std::optional<TDisplayReading> MakeDisplayReading(const TStatusAnswer& status, char decimalSeparator) {
    if (!status.IsDisplayable() || !status.value || !status.flags) return std::nullopt;
    TDisplayReading reading;
    reading.value = *status.value;
    reading.fullScale = status.rangeFullScale.value_or(0.0f);
    reading.kindByte = status.kindByte.value_or(0);
    reading.kindValid = IsValidMeterType(reading.kindByte);
    reading.statusFlags = *status.flags;
    reading.digits = DigitsForValue(reading.fullScale, reading.value);
    const TValueText text =
        FormatMeasuredValue(0, reading.digits, reading.fullScale, reading.value, decimalSeparator);
    reading.text = text.text;
    reading.exponent = text.exponent;
    reading.temperatureText = TemperatureText(status.temperatureCode.value_or(0), decimalSeparator);
    return reading;
}

} // namespace k730
