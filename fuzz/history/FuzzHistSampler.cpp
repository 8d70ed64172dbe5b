// libFuzzer: the history's recording rules under any sequence of status and
// range answers, ticks, time jumps, starts, stops, clearings and deletions;
// then the grid cells, the CSV and the chart of whatever was recorded.
#include "files/HistCsv.h"
#include "history/HistDecimate.h"
#include "history/HistSampler.h"
#include "history/HistTexts.h"

#include <cstring>

namespace {

k730::TBytes Frame(uint8_t code, const uint8_t* data, size_t size) {
    k730::TBytes f = {0x68, 0, 0, code, 0x06, 0x01, 0x00, 0x00};
    f.insert(f.end(), data, data + size);
    f.push_back(0x16);
    f[1] = static_cast<uint8_t>(f.size());
    f[2] = static_cast<uint8_t>(f.size() >> 8);
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    k730::THistSampler sampler;
    k730::TMeterInfo meter;
    meter.RangeCount = 3;
    meter.RangeFullScale[0] = 2;
    meter.RangeFullScale[1] = 20;
    meter.RangeFullScale[2] = 200;
    meter.MeterKind = 1;
    uint32_t tick = 0xFFFF0000u; // wraps during the run
    double days = 45000;
    size_t i = 0;
    while (i + 2 <= size) {
        const uint8_t op = data[i], arg = data[i + 1];
        i += 2;
        switch (op % 8) {
        case 0: { // a status answer carrying the next 55 bytes (or what is left)
            const size_t n = std::min<size_t>(55, size - i);
            sampler.OnStatus(Frame(0x84, data + i, n), meter, tick, days);
            i += n;
            break;
        }
        case 1:
            sampler.OnRange(Frame(0x85, &arg, 1));
            break;
        case 2:
            sampler.OnTick();
            break;
        case 3:
            tick += static_cast<uint32_t>(arg) * 97u;
            days += arg / 86400.0;
            break;
        case 4:
            if (sampler.Recording())
                sampler.Stop();
            else
                sampler.Start(arg % 5, tick, days);
            break;
        case 5:
            sampler.Clear(days);
            break;
        case 6:
            sampler.SetAutoRange((arg & 1) != 0);
            meter.NewFirmware = (arg & 2) != 0;
            break;
        default: {
            const int n = static_cast<int>(sampler.Data().Samples.size());
            sampler.Delete(arg % 2 ? 0 : arg % (n + 1), arg % 2 ? arg % (n + 1) : n - 1);
            break;
        }
        }
    }
    const k730::THistData& d = sampler.Data();
    for (size_t r = 0; r < d.Samples.size() && r < 16; ++r)
        for (int c = 0; c < k730::HIST_COLUMN_COUNT; ++c)
            k730::HistCellText(d, r, c, k730::langEnglish, ',');
    if (!d.Samples.empty()) {
        k730::HistCsvText(d);
        k730::DecimateHistory(d, 0, d.Samples.size() - 1, 7);
    }
    return 0;
}
