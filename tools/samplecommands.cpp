#include "tools/commands.h"

namespace korvel::tool {

QList<Command> sampleCommands() { return {}; }

} // namespace korvel::tool
