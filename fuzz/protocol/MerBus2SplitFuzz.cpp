// Feeds received blocks to the MerBus2 separation; every frame it cuts must be
// exactly one valid MerBus2 frame, and the whole-frame check must agree.
#include "FuzzBlocks.h"
#include "protocol/MerBusFrames.h"
#include "protocol/ReceiveBuffer.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    k730::TReceiveBuffer buffer;
    size_t in = 0;
    size_t out = 0;
    for (const auto block : k730::fuzz::SplitBlocks(data, size)) {
        buffer.Append(block);
        in += block.size();
        while (const size_t length = buffer.ExtractMerBus2Frame()) {
            const k730::TBytes frame = buffer.TakeFrame(length);
            if (frame.size() != length || !k730::IsWholeMerBus2Frame(frame)) std::abort();
            if (frame.size() > k730::MERBUS2_MAX_FRAME) std::abort();
            out += length;
        }
        if (out + buffer.Size() > in) std::abort();
    }
    // The raw input judged as one block: a frame is whole only when it is all of it.
    const std::span<const uint8_t> whole(data, size);
    if (k730::IsWholeMerBus2Frame(whole)) {
        const auto c = k730::CheckMerBus2Candidate(whole);
        if (c.check != k730::m2Frame || c.length != size) std::abort();
    }
    return 0;
}
