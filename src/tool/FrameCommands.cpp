// k730-tool frame build | split
#include "tool/HexText.h"
#include "tool/ToolCommands.h"

#include <iostream>
#include <iterator>
#include <memory>
#include <string>

namespace k730::tool {
namespace {

struct TBuildArgs {
    std::string command;
    std::string address;
    std::string data;
};

int RunBuild(const TBuildArgs& args) {
    const auto command = ParseNumber(args.command, 0xFF);
    const auto address = ParseNumber(args.address, 0xFFFF);
    const auto data = ParseHex(args.data);
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
    const auto cmd = static_cast<uint8_t>(*command);
    std::cout << FormatHex(BuildRequest(cmd, static_cast<uint16_t>(*address), *data, IsServiceCommand(cmd)))
              << "\n";
    return exitOk;
}

} // namespace

void AddFrameCommands(CLI::App& app, int& status) {
    auto* frame = app.add_subcommand("frame", "Build and separate MerBus frames");
    frame->require_subcommand(1);

    auto args = std::make_shared<TBuildArgs>();
    auto* build = frame->add_subcommand("build", "Print a request frame as hex bytes");
    build->add_option("CMD", args->command, "command code, decimal or 0x-hex")->required();
    build->add_option("ADDR", args->address, "meter address, decimal or 0x-hex")->required();
    build->add_option("DATA", args->data, "request data as hex, e.g. 12AB");
    build->callback([args, &status] { status = RunBuild(*args); });
}

} // namespace k730::tool
