// k730-tool: the command-line companion for service technicians and scripts.
#include "tool/ToolCommands.h"

#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"k730-tool: frames, ports, meters and files of the K-730 light meters"};
    app.require_subcommand(1);
    int status = k730::tool::exitOk;
    k730::tool::AddFrameCommands(app, status);
    k730::tool::AddPortCommands(app, status);
    k730::tool::AddFileCommands(app, status);
    k730::tool::AddCertificateCommand(app, status);
    k730::tool::AddSearchCommands(app, status);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "k730-tool: " << e.what() << "\n";
        return k730::tool::exitUsage;
    }
    return status;
}
