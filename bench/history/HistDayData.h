// A day of 160 ms history records (540,000) for the history benchmarks: a
// slow sine with a flash over the range every half hour.
#pragma once

#include "files/HistData.h"

#include <cmath>

namespace k730::bench {

inline THistData HistDay() {
    THistData d;
    d.MeterKind = 1;
    d.ModelDescriptor = "K-730/V/20k/E/0";
    d.SerialNumber = 1001;
    d.ProductionYear = 2024;
    d.StartDateTime = 45'000.25;
    d.IntervalMs = 160;
    d.Samples.resize(540'000);
    for (size_t i = 0; i < d.Samples.size(); ++i) {
        HistSample& s = d.Samples[i];
        s.TimeMs = static_cast<int32_t>(160 * (i + 1));
        s.Average = static_cast<float>(800 + 400 * std::sin(static_cast<double>(i) / 40'000.0));
        s.Minimum = s.Average - 5;
        s.Maximum = s.Average + 5;
        s.FullScale = s.FullScaleAtMin = s.FullScaleAtMax = 2000;
        s.Flags = i % 11'250 == 7 ? HIST_OVERRANGE : 0;
        s.TempTenths = 231;
    }
    return d;
}

} // namespace k730::bench
