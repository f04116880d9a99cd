#include "tools/commands.h"

namespace korvel::tool {

QList<Command> videoCommands() { return {}; }

} // namespace korvel::tool
