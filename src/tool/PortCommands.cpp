#include "tool/ToolCommands.h"

namespace k730::tool {

void AddPortCommands(CLI::App& /*app*/, int& /*status*/) {}

} // namespace k730::tool
