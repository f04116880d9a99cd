#include "tools/commands.h"

namespace korvel::tool {

QList<Command> measureCommands() { return {}; }

} // namespace korvel::tool
