// k730-tool frame build | split
#include "protocol/ReceiveBuffer.h"
#include "tool/HexText.h"
#include "tool/ToolCommands.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace k730::tool {
namespace {

// The 16-bit length field counts the whole frame, access code included.
constexpr size_t kMaxRequestData = MERBUS_MAX_FRAME - 10;

struct TBuildArgs {
    std::string command;
    std::string address;
    std::vector<std::string> data; // "12 AB", "12AB" or "12" "AB": one text
};

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& w : words)
        text += (text.empty() ? "" : " ") + w;
    return text;
}

int RunBuild(const TBuildArgs& args) {
    const auto command = ParseNumber(args.command, 0xFF);
    const auto address = ParseNumber(args.address, 0xFFFF);
    const auto data = ParseHex(Joined(args.data));
    if (!command || *command < 1 || *command > 0x7F) {
        std::cerr << "k730-tool: CMD must be 1..127 (decimal or 0x-hex)\n";
        return exitUsage;
    }
    if (!address) {
        std::cerr << "k730-tool: ADDR must be 0..0xFFFF (decimal or 0x-hex)\n";
        return exitUsage;
    }
    if (!data) {
        std::cerr << "k730-tool: DATA must be pairs of hex digits\n";
        return exitUsage;
    }
    if (data->size() > kMaxRequestData) {
        std::cerr << "k730-tool: DATA is too long for one frame\n";
        return exitUsage;
    }
    const auto cmd = static_cast<uint8_t>(*command);
    std::cout << FormatHex(BuildRequest(cmd, static_cast<uint16_t>(*address), *data, IsServiceCommand(cmd)))
              << "\n";
    return exitOk;
}

// The bytes still waiting for the rest of a frame when the input ends.
void ReportTail(std::span<const uint8_t> tail) {
    constexpr size_t kShown = 16;
    std::cerr << "k730-tool: standard input ends inside a frame; " << tail.size() << " byte"
              << (tail.size() == 1 ? "" : "s")
              << " left: " << FormatHex(tail.first(std::min(tail.size(), kShown)))
              << (tail.size() > kShown ? " ..." : "") << "\n";
}

// The bytes are fed one at a time, as a slow line delivers them, so a frame
// behind a stray start byte is found wherever it ends and the result does not
// depend on how the dump happens to be cut into blocks. Bytes that belong to
// no frame are left out; an unfinished frame at the end is reported.
int RunSplit(bool merBus2) {
    const std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    const auto bytes = ParseHex(text);
    if (!bytes) {
        std::cerr << "k730-tool: standard input must be pairs of hex digits\n";
        return exitUsage;
    }
    TReceiveBuffer buffer;
    for (size_t at = 0; at < bytes->size(); ++at) {
        buffer.Append(std::span<const uint8_t>(*bytes).subspan(at, 1));
        while (const size_t length = merBus2 ? buffer.ExtractMerBus2Frame() : buffer.ExtractFrame())
            std::cout << FormatHex(buffer.TakeFrame(length)) << "\n";
    }
    if (!buffer.Empty()) ReportTail(buffer.Data());
    return exitOk;
}

} // namespace

void AddFrameCommands(CLI::App& app, int& status) {
    auto* frame = app.add_subcommand("frame", "Build and separate MerBus frames");
    frame->require_subcommand(1);

    auto args = std::make_shared<TBuildArgs>();
    auto* build = frame->add_subcommand(
        "build", "Print a request frame as hex bytes; service commands (96..105) get the access code 4B D3 "
                 "inserted before the data");
    build->add_option("CMD", args->command, "command code, decimal or 0x-hex")->required();
    build->add_option("ADDR", args->address, "meter address, decimal or 0x-hex")->required();
    build->add_option("DATA", args->data, "request data as hex bytes, e.g. 12 AB or 12AB");
    build->callback([args, &status] { status = RunBuild(*args); });

    auto merBus2 = std::make_shared<bool>(false);
    auto* split =
        frame->add_subcommand("split", "Cut hex bytes from standard input into frames, one per line");
    split->add_flag("--merbus2", *merBus2, "separate MerBus2 frames instead of MerBus1");
    split->callback([merBus2, &status] { status = RunSplit(*merBus2); });
}

} // namespace k730::tool
