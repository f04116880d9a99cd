// korvel-tool: the calibration and video code of korvel, headless, for
// homologators and technical controllers who check grids and videos away from
// the event.

#include "tools/commands.h"

#include <QCoreApplication>

#include <cstdio>

namespace korvel::tool
{

void out(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

void err(const QString& line)
{
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

} // namespace korvel::tool

using namespace korvel::tool;

namespace
{

QList<Command> allCommands()
{
    return gridCommands() + measureCommands() + videoCommands() + sampleCommands() +
           captureCommands();
}

void printHelp()
{
    out("korvel-tool: korvel's grid and video code from the command line.");
    out("");
    out("Screen positions are in twips (15 to a pixel, from the picture's top-left");
    out("corner); survey positions are in metres.");
    out("");
    out("korvel-tool --version prints the version.");
    out("");
    out("Commands:");
    for (const Command& c : allCommands())
        out(QString::fromUtf8(c.usage));
    out("");
    out("Exit status: 0 done, 1 the check failed (message on stderr),");
    out("2 usage error or an unreadable or malformed file.");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == "--help" || args.first() == "-h" ||
        args.first() == "help") {
        printHelp();
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == "--version") {
        out(QStringLiteral("korvel-tool " KORVEL_VERSION));
        return 0;
    }
    const QString name = args.takeFirst();
    for (const Command& c : allCommands()) {
        if (name == QLatin1String(c.name))
            return c.run(args);
    }
    err(QStringLiteral("korvel-tool: unknown command \"%1\" (see korvel-tool --help)").arg(name));
    return 2;
}
