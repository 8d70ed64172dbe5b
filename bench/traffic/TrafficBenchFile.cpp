#include "TrafficBenchFile.h"

#include "protocol/MerBusFrames.h"
#include "traffic/BufferFile.h"

#include <filesystem>
#include <unistd.h>

namespace k730::bench {

const std::string& MillionRecordFile() {
    static const std::string path = [] {
        const std::string p =
            (std::filesystem::temp_directory_path() / ("k730-bench-" + std::to_string(getpid()) + ".buf"))
                .string();
        TTrafficBuffers b;
        const TBytes request = BuildRequest(CMD_STATUS, 1, {}, false);
        const TBytes answer = BuildAnswer(0x84, 0x06, 1, 0, TBytes(16, 0x42));
        for (int i = 0; i < MILLION / 4; ++i) {
            b.AddRecord(tbTransmitted, request);
            b.AddRecord(tbReceived, std::span(answer).first(9));
            b.AddRecord(tbReceived, std::span(answer).subspan(9));
            b.AddRecord(tbValidFrames, answer);
        }
        SaveBufferFile(p, p, b);
        std::atexit([] { std::filesystem::remove(MillionRecordFile()); });
        return p;
    }();
    return path;
}

} // namespace k730::bench
