// k730-tool ports | identify
#include "comm/Comm32KX.h"
#include "comm/CommTexts.h"
#include "comm/PlainEventLoop.h"
#include "comm/PortAccess.h"
#include "main/Cp1250.h"
#include "main/K730Lang.h"
#include "protocol/MerBusAnswers.h"
#include "protocol/MerBusCommands.h"
#include "protocol/ReceiveBuffer.h"
#include "tool/ToolCommands.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace k730::tool {
namespace {

struct TPortsArgs {
    bool json = false;
};

struct TIdentifyArgs {
    std::string port;
    unsigned long baud = 9600;
    bool json = false;
};

// A port this user may not open is named on stderr with what to do about it;
// the listing itself stays as it is.
void ReportRefusedPorts(const std::vector<std::string>& names) {
    for (const auto& name : names)
        if (const auto facts = ExaminePortAccess(name); facts && !facts->userMayOpen)
            std::cerr << "k730-tool: " << name << ": " << CommStatusText(langEnglish, csAccessDenied) << ". "
                      << PortAccessHint(*facts) << "\n";
}

int RunPorts(const TPortsArgs& args) {
    std::vector<std::string> names;
    TComm32KX::GetSerialPortList(names, langEnglish);
    if (args.json) {
        std::cout << nlohmann::json(names).dump() << "\n";
    } else {
        for (const auto& name : names)
            std::cout << name << "\n";
    }
    ReportRefusedPorts(names);
    return exitOk;
}

std::optional<TBaudRate> BaudFromValue(unsigned long value) {
    for (int i = 0; i < BAUD_RATE_COUNT; ++i)
        if (BaudValue(static_cast<TBaudRate>(i)) == value) return static_cast<TBaudRate>(i);
    return std::nullopt;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const auto& line : lines)
        joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}

nlohmann::ordered_json IdentityJson(const std::string& port, const TIdentityAnswer& id) {
    std::vector<std::string> producer;
    for (const auto& line : id.producerLines)
        producer.push_back(Cp1250ToUtf8(line));
    nlohmann::ordered_json out;
    out["port"] = port;
    out["address"] = id.address;
    out["mode"] = id.mode;
    out["descriptor"] = id.DescriptorUtf8();
    out["firmware"] = id.FirmwareVersionUtf8();
    out["producer"] = JoinLines(producer);
    out["kind"] = id.MeterKind();
    out["lum_mode"] = id.LumMode();
    out["ranges"] = id.rangeFullScale;
    out["range_count"] = id.rangeCount;
    out["serial"] = id.serialNumber;
    out["year"] = id.productionYear;
    return out;
}

void PrintIdentity(const nlohmann::ordered_json& id) {
    for (const auto& [key, value] : id.items()) {
        std::cout << key << ": ";
        if (value.is_string()) {
            std::string text = value.get<std::string>();
            for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
                text.insert(at + 1, key.size() + 2, ' '); // continuation lines under the first
            std::cout << text << "\n";
        } else {
            std::cout << value.dump() << "\n";
        }
    }
}

// What the meter made of the identity request.
struct TIdentityOutcome {
    std::optional<TIdentityAnswer> identity;
    bool refused = false; // a meter answered, refusing the request
};

// Waits on the component for an identity answer or a refusal; the answer timer ends the wait.
TIdentityOutcome AskIdentity(TPlainEventLoop& loop, TComm32KX& comm) {
    TReceiveBuffer received;
    TIdentityOutcome outcome;
    bool timedOut = false;
    comm.OnReceive = [&](TComm32KX&, const uint8_t* buf, uint32_t size) {
        received.Append(std::span<const uint8_t>(buf, size));
        // An adapter that echoes shows the request first; that is no identity.
        while (!outcome.identity && !outcome.refused) {
            const size_t length = received.ExtractFrame();
            if (length == 0) break;
            const TBytes frame = received.TakeFrame(length);
            outcome.identity = DecodeIdentity(frame);
            outcome.refused = DecodeRefusal(frame) == CMD_IDENTIFY;
        }
    };
    comm.OnRespTimeOver = [&](TComm32KX&) { timedOut = true; };
    if (!comm.Send(BuildIdentify(MERBUS_BROADCAST))) return outcome;
    // The answer timer ends the wait; the margin only guards against a loop that stalls.
    const auto bound = std::chrono::milliseconds(comm.AnswerTimeLimit() + 2000);
    loop.RunUntil([&] { return outcome.identity || outcome.refused || timedOut; }, bound);
    return outcome;
}

int RunIdentify(const TIdentifyArgs& args) {
    const auto baud = BaudFromValue(args.baud);
    if (!baud) {
        std::cerr << "k730-tool: --baud must be one of 300 600 1200 2400 4800 9600 14400 19200 38400 57600 "
                     "115200 230400 460800 921600\n";
        return exitUsage;
    }
    TPlainEventLoop loop;
    TComm32KX comm(loop, langEnglish);
    comm.SetBroadCastPortOFF(false); // a passing look at the port is no release worth announcing
    comm.SetTimeOut(5);
    comm.SetLockFlag(true);
    comm.SetBaudRate(*baud);
    comm.SetCOMPort(args.port);
    if (!comm.IsOpen()) {
        std::cerr << "k730-tool: " << args.port << ": " << CommStatusText(langEnglish, comm.LastStatus());
        if (const auto facts = ExaminePortAccess(args.port); facts && comm.LastStatus() == csAccessDenied)
            std::cerr << ". " << PortAccessHint(*facts);
        std::cerr << "\n";
        return exitUsage;
    }
    const TIdentityOutcome outcome = AskIdentity(loop, comm);
    if (outcome.refused) {
        std::cerr << "k730-tool: " << comm.COMPort() << ": the meter refused the identity request\n";
        return exitNegative;
    }
    if (!outcome.identity) {
        std::cerr << "k730-tool: " << comm.COMPort() << ": no meter answered\n";
        return exitNegative;
    }
    const auto json = IdentityJson(comm.COMPort(), *outcome.identity);
    if (args.json) {
        std::cout << json.dump() << "\n";
    } else {
        PrintIdentity(json);
    }
    return exitOk;
}

} // namespace

void AddPortCommands(CLI::App& app, int& status) {
    auto ports = std::make_shared<TPortsArgs>();
    auto* list = app.add_subcommand("ports", "List the serial ports (system devices and virtual ports)");
    list->add_flag("--json", ports->json, "print a JSON array of names");
    list->callback([ports, &status] { status = RunPorts(*ports); });

    auto identify = std::make_shared<TIdentifyArgs>();
    auto* ask = app.add_subcommand("identify", "Ask the meter on PORT who it is");
    ask->add_option("PORT", identify->port, "port name as `ports` lists it")->required();
    ask->add_option("--baud", identify->baud, "bit rate")->capture_default_str();
    ask->add_flag("--json", identify->json, "print one JSON object");
    ask->callback([identify, &status] { status = RunIdentify(*identify); });
}

} // namespace k730::tool
