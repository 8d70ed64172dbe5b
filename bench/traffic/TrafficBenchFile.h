// A recording of a million records as the viewer makes it while the main
// window polls: a status request, the answer received in two blocks, the
// accepted frame. Written once per run to the temporary folder.
#pragma once

#include <string>

namespace k730::bench {

constexpr int MILLION = 1'000'000;

// The path of the buffer file, made on first use.
const std::string& MillionRecordFile();

} // namespace k730::bench
