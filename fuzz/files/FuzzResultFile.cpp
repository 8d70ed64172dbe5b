// libFuzzer: the header check of the service window's results file, and the
// line made of a results block's values (which come from the meter as they are:
// any float, any DAC value).
#include "files/ResultFile.h"
#include "main/Cp1250.h"

#include <bit>
#include <cstdlib>
#include <cstring>

namespace {

template <typename T> T Take(const uint8_t*& at, const uint8_t* end) {
    uint8_t raw[sizeof(T)] = {};
    const size_t n = std::min(sizeof(T), static_cast<size_t>(end - at));
    std::memcpy(raw, at, n);
    at += n;
    T value;
    std::memcpy(&value, raw, sizeof(T));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    static const std::string header = k730::Utf8ToCp1250(k730::RESULT_HEADER);
    const bool starts = size >= header.size() && std::memcmp(data, header.data(), header.size()) == 0;
    if (k730::StartsWithResultHeader(bytes) != starts) std::abort();

    const uint8_t* at = data;
    const uint8_t* end = data + size;
    k730::TResultLineValues v;
    v.TempCode = Take<uint16_t>(at, end);
    v.FullScale = Take<float>(at, end);
    v.KE = Take<float>(at, end);
    v.DarkAdc = Take<int32_t>(at, end);
    v.SystemZeroAdc = Take<int32_t>(at, end);
    v.AdcAverage = Take<int32_t>(at, end);
    v.ResultAverage = Take<float>(at, end);
    v.Dac0 = Take<uint32_t>(at, end);
    v.Dac = Take<uint32_t>(at, end);
    const char decimal = size > 0 && (data[0] & 1) ? ',' : '.';
    const std::string line = k730::FormatResultLine(v, decimal);
    size_t tabs = 0;
    for (char c : line)
        tabs += c == '\t';
    if (tabs != 8 || !line.ends_with("\r\n")) std::abort();
    return 0;
}
