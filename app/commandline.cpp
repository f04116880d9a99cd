#include "app/commandline.h"

#include <QFileInfo>

namespace korvel
{

namespace
{

QString refused(const QString& why)
{
    return QStringLiteral("korvel: %1 (see korvel --help)").arg(why);
}

} // namespace

CommandLine parseCommandLine(const QStringList& args)
{
    CommandLine line;
    bool optionsEnded = false;
    QStringList videos;
    for (const QString& arg : args) {
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            videos << arg;
        } else if (arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line = {};
            line.mode = CommandLine::Mode::Help;
            return line;
        } else if (arg == QLatin1String("--version")) {
            line = {};
            line.mode = CommandLine::Mode::Version;
            return line;
        } else if (arg == QLatin1String("--capture")) {
            line.capture = true;
        } else if (arg == QLatin1String("--check")) {
            line.mode = CommandLine::Mode::Check;
        } else if (line.problem.isEmpty()) {
            line.problem = refused(QStringLiteral("unknown option \"%1\"").arg(arg));
        }
    }
    if (!line.problem.isEmpty())
        return line;

    if (videos.size() > 1) {
        line.problem = refused(QStringLiteral("one video at a time, not %1 (\"%2\" ...)")
                                   .arg(videos.size())
                                   .arg(videos[0]));
    } else if (videos.size() == 1) {
        const QFileInfo file(videos[0]);
        if (!file.exists())
            line.problem = refused(QStringLiteral("there is no video \"%1\"").arg(videos[0]));
        else if (file.isDir())
            line.problem =
                refused(QStringLiteral("\"%1\" is a folder, not a video").arg(videos[0]));
        else
            line.video = file.absoluteFilePath();
    }
    if (line.problem.isEmpty() && line.mode == CommandLine::Mode::Check &&
        (line.capture || !videos.isEmpty()))
        line.problem = refused(QStringLiteral("--check takes nothing else"));
    else if (line.problem.isEmpty() && line.capture && !videos.isEmpty())
        line.problem =
            refused(QStringLiteral("--capture records a new jump; it opens no video (\"%1\")")
                        .arg(videos[0]));
    if (!line.problem.isEmpty()) {
        line.video.clear();
        line.capture = false;
    }
    return line;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: korvel [VIDEO]\n"
        "       korvel --capture\n"
        "       korvel --check\n"
        "Video jump measurement for water-ski tournaments.\n"
        "\n"
        "Every start asks whether to reset the start-up settings, writes the start\n"
        "line to the day's measurement log and opens the configuration screen.\n"
        "\n"
        "  VIDEO       then open the review screen on this recorded jump\n"
        "  --capture   then go straight to the capture screen\n"
        "  --check     run the start-up without windows (every question answered No,\n"
        "              every message printed), say where korvel finds and keeps its\n"
        "              files and whether every grid is ready, and exit: 0 when korvel\n"
        "              is ready to measure, 1 when not\n"
        "  --help      print this text and exit\n"
        "  --version   print the version and exit\n"
        "\n"
        "Settings are kept in $XDG_CONFIG_HOME/KV05/korvel.ini (~/.config/KV05).\n"
        "The first run prepares a sample tournament in ~/.local/share/korvel.\n"
        "KORVEL_HOME names the folder for currentcapture.bmp and SkierNames.txt.\n"
        "Exit status 2: a refused command line.\n");
}

QString versionText()
{
    return QStringLiteral("korvel " KORVEL_VERSION "\n");
}

} // namespace korvel
