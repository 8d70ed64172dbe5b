// Feeds received blocks to TReceiveBuffer and compares every frame it cuts
// with a plain re-statement of the separation rules that copies the buffer
// on every drop, so the indexed fast path must agree with the slow one.
#include "FuzzBlocks.h"
#include "protocol/MerBusFrames.h"
#include "protocol/ReceiveBuffer.h"

#include <cstdlib>

namespace {

using k730::TBytes;

size_t Length(const TBytes& b, size_t at) {
    return b[at + 1] | b[at + 2] << 8;
}

// The separation rules, one step at a time, on a plain vector.
size_t ReferenceExtract(TBytes& b) {
    for (;;) {
        size_t start = 0;
        while (start < b.size() && b[start] != k730::MERBUS_START)
            ++start;
        if (start == b.size()) {
            b.clear();
            return 0;
        }
        b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(start));
        if (b.size() < 3) return 0;
        const size_t length = Length(b, 0);
        if (length < 6) {
            b.erase(b.begin());
            continue;
        }
        if (b.size() < length) {
            size_t later = 1;
            for (; later + 2 < b.size(); ++later) {
                if (b[later] != k730::MERBUS_START) continue;
                const size_t l = Length(b, later);
                if (l >= 6 && later + l == b.size() && b.back() == k730::MERBUS_END) break;
            }
            if (later + 2 >= b.size()) return 0;
            b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(later));
            continue;
        }
        if (b[length - 1] == k730::MERBUS_END) return length;
        b.erase(b.begin());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    k730::TReceiveBuffer buffer;
    TBytes reference;
    for (const auto block : k730::fuzz::SplitBlocks(data, size)) {
        buffer.Append(block);
        reference.insert(reference.end(), block.begin(), block.end());
        for (;;) {
            const size_t length = buffer.ExtractFrame();
            const size_t expected = ReferenceExtract(reference);
            if (length != expected) std::abort();
            if (length == 0) break;
            const TBytes frame = buffer.TakeFrame(length);
            if (!k730::IsWholeMerBus1Frame(frame)) std::abort();
            if (!std::equal(frame.begin(), frame.end(), reference.begin())) std::abort();
            reference.erase(reference.begin(), reference.begin() + static_cast<std::ptrdiff_t>(length));
        }
        const auto rest = buffer.Data();
        if (rest.size() != reference.size() || !std::equal(rest.begin(), rest.end(), reference.begin()))
            std::abort();
    }
    return 0;
}
