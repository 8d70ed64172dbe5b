// libFuzzer: hand-typed requests. Whatever is typed into the address, command
// and data boxes or the buffer row, a row either sends nothing or one item
// the scheduler turns into a whole request frame to that address; and the
// answer matcher takes any frame without harm.
#include "protocol/MerBusFrames.h"
#include "protocol/RequestScheduler.h"
#include "service/RawCommand.h"
#include "service/ServiceNumbers.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace k730;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    // Three boxes, split at the first two '|'.
    const size_t a = all.find('|');
    const size_t b = a == std::string_view::npos ? a : all.find('|', a + 1);
    const std::string_view address = all.substr(0, a);
    const std::string_view command =
        a == std::string_view::npos ? std::string_view() : all.substr(a + 1, b - a - 1);
    const std::string_view text = b == std::string_view::npos ? std::string_view() : all.substr(b + 1);

    const TRawRequest row = RawCommandRequest(address, command, text);
    if (row.error == reOk) {
        const auto frame = TRequestScheduler::RequestForItem(row.item.bytes, 0xFFFF);
        Check(frame.has_value());
        Check(IsWholeMerBus1Frame(*frame));
        Check((*frame)[3] == row.command && row.command != 0 && row.command < MERBUS_ANSWER_BIT);
        Check(ParseRawAddress(address) == static_cast<uint16_t>((*frame)[5] | (*frame)[6] << 8));
    }
    const TRawRequest buffer = RawFrameRequest(all);
    if (buffer.error == reOk) {
        const auto frame = TRequestScheduler::RequestForItem(buffer.item.bytes, 0xFFFF);
        Check(frame.has_value() && IsWholeMerBus1Frame(*frame));
    }
    // Data that parses reads back from its own hexadecimal bytes.
    if (const auto bytes = ParseRawData(all)) Check(ParseRawData(HexBytesText(*bytes)) == bytes);

    TRawExchange exchange;
    exchange.Sent(row.command, {});
    exchange.Frame(TBytes(data, data + size));
    Check(!exchange.StatusText().empty());
    return 0;
}
