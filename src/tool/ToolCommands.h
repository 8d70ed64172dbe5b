// Subcommand registration of k730-tool. Each area adds its commands from its own file.
#pragma once

#include <CLI/CLI.hpp>

namespace k730::tool {

// Exit status of a command: 0 success, 1 "nothing found / invalid file", 2 bad arguments.
enum TExit : int { exitOk = 0, exitNegative = 1, exitUsage = 2 };

// Each Add*Commands registers its subcommands; their callbacks store the exit status in `status`.
void AddFrameCommands(CLI::App& app, int& status);
void AddPortCommands(CLI::App& app, int& status);
void AddFileCommands(CLI::App& app, int& status);
// "callog certificate", after AddFileCommands; drawn with Qt when the build has it.
void AddCertificateCommand(CLI::App& app, int& status);
void AddSearchCommands(CLI::App& app, int& status);

} // namespace k730::tool
