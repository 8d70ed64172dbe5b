// libFuzzer: the measurement history file reader and the export of what it read.
#include "files/HistFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    k730::THistData d;
    const k730::THistRead read = k730::ParseHistFile(std::span<const uint8_t>(data, size), d);
    if (read.valid && !d.Samples.empty()) {
        const k730::THistTextFormat f;
        std::string text = k730::HistExportHead(d, read.comment, f);
        for (size_t i = 0; i < d.Samples.size() && i < 64; ++i)
            text += k730::HistExportLine(d, i, f);
    }
    return 0;
}
