// k730-tool callog certificate in a build without Qt: the certificate is
// drawn with Qt's PDF writer, so this build can only say so.
#include "tool/ToolCommands.h"

#include <iostream>
#include <string>

namespace k730::tool {

void AddCertificateCommand(CLI::App& app, int& status) {
    auto* cmd = app.get_subcommand("callog")->add_subcommand("certificate", "Needs the build with Qt");
    cmd->allow_extras();
    cmd->callback([&status] {
        std::cerr << "k730-tool: certificates are drawn with Qt; build with K730_BUILD_GUI=ON\n";
        status = exitUsage;
    });
}

} // namespace k730::tool
