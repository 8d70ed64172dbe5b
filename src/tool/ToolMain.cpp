// k730-tool: the command-line companion for service technicians and scripts.
#include "tool/ToolCommands.h"

#include "K730Version.h"

#include <iostream>
#include <optional>
#include <string>

namespace {

// The first word that names no command where a command is expected, with the
// commands it was given under ("callog frob" gives "callog" and "frob").
// CLI11 would only say that a subcommand is required.
std::optional<std::pair<std::string, std::string>> UnknownCommand(CLI::App& app, int argc, char** argv) {
    CLI::App* current = &app;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.starts_with("-") || current->get_subcommands({}).empty()) return std::nullopt;
        try {
            current = current->get_subcommand(word);
        } catch (const CLI::OptionNotFound&) {
            return std::make_pair(path, word);
        }
        path += (path.empty() ? "" : " ") + word;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"k730-tool: frames, ports, meters and files of the K-730 light meters"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("k730-tool ") + K730_VERSION);
    int status = k730::tool::exitOk;
    k730::tool::AddFrameCommands(app, status);
    k730::tool::AddPortCommands(app, status);
    k730::tool::AddFileCommands(app, status);
    k730::tool::AddCertificateCommand(app, status);
    k730::tool::AddSearchCommands(app, status);
    if (const auto unknown = UnknownCommand(app, argc, argv)) {
        std::cerr << "k730-tool: " << (unknown->first.empty() ? "" : unknown->first + ": ")
                  << "unknown command \"" << unknown->second << "\" (see k730-tool "
                  << (unknown->first.empty() ? "" : unknown->first + " ") << "--help)\n";
        return k730::tool::exitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "k730-tool: " << e.what() << "\n";
        return k730::tool::exitUsage;
    }
    return status;
}
