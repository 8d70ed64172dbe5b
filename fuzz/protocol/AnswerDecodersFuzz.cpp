// Runs every answer decoder on the input. The first byte chooses whether the
// rest is used as it is or patched into a whole MerBus1 frame (start byte,
// length, end byte, executed status), so that the decoders' field reading is
// reached and not only their frame check. ASan reports any read past the frame.
#include "protocol/MerBusAnswers.h"
#include "protocol/MerBusFrames.h"

#include <cstdlib>

namespace {

void DecodeAll(std::span<const uint8_t> frame) {
    using namespace k730;
    if (const auto id = DecodeIdentity(frame)) {
        size_t textBytes = 0;
        for (const auto& t : id->texts)
            textBytes += t.size();
        if (textBytes + IDENTITY_TRAILER + 8 > frame.size()) std::abort();
        if (id->rangeCount > 3) std::abort();
        (void)id->IdentityTextUtf8();
        (void)id->ProducerTextUtf8();
    }
    if (const auto s = DecodeStatus(frame))
        if (s->zeroTempCode && frame.size() < 64) std::abort();
    (void)DecodeAnswerHeader(frame);
    (void)AnswerData(frame);
    (void)DecodeAddressSet(frame);
    (void)DecodeModBusAddress(frame);
    (void)DecodeRange(frame);
    (void)DecodeDefaultRange(frame);
    (void)DecodeConversions(frame);
    (void)DecodeSvcConfig(frame);
    (void)DecodeRefusal(frame);
    (void)DecodeZeroingRunning(frame);
    (void)DecodeForcingValue(frame);
    (void)DecodeCalibrationSaved(frame);
    (void)DecodeSvcReadings(frame);
    (void)DecodeSvcValue(frame);
    (void)IsAcknowledgement(frame, frame.size() > 3 ? frame[3] : 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // A copy of exactly the frame's size, so that ASan sees its end.
    std::vector<uint8_t> frame(data + 1, data + size);
    if ((data[0] & 1) && frame.size() >= k730::MERBUS_MIN_FRAME && frame.size() <= 0xFFFF) {
        frame[0] = k730::MERBUS_START;
        frame[1] = static_cast<uint8_t>(frame.size());
        frame[2] = static_cast<uint8_t>(frame.size() >> 8);
        if (data[0] & 2) frame[4] = k730::MERBUS_EXECUTED;
        frame.back() = k730::MERBUS_END;
    }
    DecodeAll(frame);
    return 0;
}
