// k730-tool search: the meter search of the program, from the command line.
#include "tool/ToolCommands.h"

#include "comm/CommTexts.h"
#include "comm/PlainEventLoop.h"
#include "main/K730Lang.h"
#include "search/MeterSearch.h"
#include "search/SearchTexts.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace k730::tool {

namespace {

struct TSearchOptions {
    bool json = false;
    std::string lang = "en";
    unsigned timeoutSeconds = 120;
};

// The reason shown for a port without a meter: its list line after the separator.
std::string PortText(const TMeterSearch& search, size_t i) {
    const TSearchPort& p = search.Ports()[i];
    if (p.found) return p.foundText;
    const std::string head = p.name + SEARCH_LINE_SEPARATOR;
    return p.line.rfind(head, 0) == 0 ? p.line.substr(head.size())
                                      : std::string(SEARCH_PORT_WITHOUT_METER.en);
}

nlohmann::json PortJson(const TMeterSearch& search, size_t i) {
    const TSearchPort& p = search.Ports()[i];
    return {{"port", p.name},
            {"found", p.found},
            {"text", PortText(search, i)},
            {"baud", BaudValue(p.settings.baud)},
            {"parity", std::string(PARITY_LETTERS[p.settings.parity])},
            {"data_bits", p.settings.dataBits + 4},
            {"stop_bits", std::string(STOP_BIT_TEXTS[p.settings.stopBits])}};
}

int RunSearch(const TSearchOptions& options) {
    const int lang = options.lang == "pl" ? langPolish : langEnglish;
    TSearchCriteria criteria;
    PrepareCriteria(criteria, TLineSettings{});
    TPlainEventLoop loop;
    bool finished = false;
    TMeterSearch::TEvents events;
    events.onFinished = [&](TSearchResult) { finished = true; };
    TMeterSearch search(loop, lang, SearchValues(criteria), events);
    if (search.Start() == srNoPort) {
        if (options.json)
            std::cout << "[]\n";
        else
            std::cerr << SEARCH_NO_PORT(lang) << "\n";
        return exitNegative;
    }
    if (!loop.RunUntil([&] { return finished; }, std::chrono::seconds(options.timeoutSeconds)))
        search.Stop(); // offer what was found so far
    loop.RunUntil([&] { return finished; }, std::chrono::seconds(1));

    nlohmann::json all = nlohmann::json::array();
    bool any = false;
    for (size_t i = 0; i < search.Ports().size(); ++i) {
        any = any || search.Ports()[i].found;
        if (options.json)
            all.push_back(PortJson(search, i));
        else
            std::cout << search.Ports()[i].name << SEARCH_LINE_SEPARATOR << PortText(search, i) << "\n";
    }
    if (options.json) std::cout << all.dump(2) << "\n";
    return any ? exitOk : exitNegative;
}

} // namespace

void AddSearchCommands(CLI::App& app, int& status) {
    auto options = std::make_shared<TSearchOptions>();
    CLI::App* cmd = app.add_subcommand(
        "search",
        "search every serial port for meters (9600 8N1, two attempts a port); exit 0 when one was found");
    cmd->add_flag("--json", options->json,
                  "print a JSON array of {port, found, text, baud, parity, data_bits, stop_bits}");
    cmd->add_option("--lang", options->lang, "language of the texts: en or pl")
        ->check(CLI::IsMember({"en", "pl"}));
    cmd->add_option("--timeout", options->timeoutSeconds,
                    "stop after this many seconds and report what was found");
    cmd->callback([options, &status] { status = RunSearch(*options); });
}

} // namespace k730::tool
