#include "tools/commands.h"

namespace korvel::tool {

QList<Command> gridCommands() { return {}; }

} // namespace korvel::tool
