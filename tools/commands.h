#pragma once
// korvel-tool's commands, one group per subsystem. Each returns the process
// exit code: 0 done, 1 the check failed (the message is on stderr), 2 usage
// error or an unreadable or malformed file.

#include <QStringList>

namespace korvel::tool
{

struct Command {
    const char* name;
    const char* usage; // one or more lines for --help
    int (*run)(const QStringList& args);
};

// Each group lists its commands; korveltool.cpp joins them.
QList<Command> gridCommands();
QList<Command> videoCommands();
QList<Command> sampleCommands();
QList<Command> measureCommands();
QList<Command> captureCommands();

// Prints to stdout / stderr in the local encoding, one line each.
void out(const QString& line);
void err(const QString& line);

} // namespace korvel::tool
