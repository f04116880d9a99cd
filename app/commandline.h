#pragma once
// korvel's command line. The program is driven from its screens; the command
// line only says where to start (a video to review, the capture screen), asks
// for a check of the installation, or asks for the usage and version. An
// argument korvel does not know is refused before anything starts, so a
// mistyped switch is never taken for a video to open.

#include <QString>
#include <QStringList>

namespace korvel
{

struct CommandLine {
    enum class Mode { Run, Help, Version, Check };
    Mode mode = Mode::Run;
    bool capture = false; // straight to the capture screen after the start-up
    QString video;        // a video to review after the start-up (absolute path)
    QString problem;      // why the command line is refused; empty when it is not
};

// Reads the arguments after the program name. --help and --version win
// wherever they stand (before "--"), so they answer even beside arguments
// that would be refused.
CommandLine parseCommandLine(const QStringList& args);

// What `korvel --help` and `korvel --version` print.
QString usageText();
QString versionText();

} // namespace korvel
