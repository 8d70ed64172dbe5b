#include "tool/ToolCommands.h"

namespace k730::tool {

void AddFileCommands(CLI::App& /*app*/, int& /*status*/) {}

} // namespace k730::tool
