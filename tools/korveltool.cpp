// korvel-tool: the calibration and video code of korvel, headless, for
// homologators and technical controllers who check grids and videos away from
// the event.

#include "tools/commands.h"
#include "tools/systemnames.h"

#include <QCoreApplication>
#include <QHash>

#include <cstdio>
#include <cstring>

namespace korvel::tool
{

namespace
{
SystemNames* g_names = nullptr;
} // namespace

void out(const QString& line)
{
    const QString shown = g_names ? g_names->shown(line) : line;
    std::fputs(shown.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

void err(const QString& line)
{
    const QString shown = g_names ? g_names->shown(line) : line;
    std::fputs(shown.toLocal8Bit().constData(), stderr);
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

enum class Role { Text, Input, Output, Folder };

// Which arguments of a command name files: by their place among the
// arguments that are no option or option value, or as an option's value.
Role roleOf(const QByteArray& command, int positional, const QByteArray& option)
{
    if (!option.isEmpty()) {
        if (command == "contact" && option == "--grid")
            return Role::Input;
        return command == "solve" && option == "--out" ? Role::Output : Role::Text;
    }
    static const QHash<QByteArray, QList<Role>> roles = {
        {"avi-info", {Role::Input}},
        {"frame", {Role::Input, Role::Text, Role::Output}},
        {"capture", {Role::Text, Role::Text, Role::Output}},
        {"show", {Role::Input}},
        {"accuracy", {Role::Input}},
        {"map", {Role::Input}},
        {"unmap", {Role::Input}},
        {"snap", {Role::Input}},
        {"measure", {Role::Input}},
        {"contact", {Role::Input}},
        {"sample-scene", {Role::Folder}},
    };
    const QList<Role> list = roles.value(command);
    return positional < list.size() ? list[positional] : Role::Text;
}

// The arguments as text, a file name that is not UTF-8 as a stand-in that
// reaches the file by its bytes.
QStringList arguments(int argc, char** argv, SystemNames& names)
{
    QStringList args;
    const QByteArray command = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    int positional = 0;
    QByteArray option;
    for (int i = 2; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        Role role = Role::Text;
        if (!option.isEmpty()) {
            role = roleOf(command, -1, option);
            option.clear();
        } else if (raw.startsWith("--")) {
            // Every option but the two switches takes a value.
            if (raw != "--right-to-left" && raw != "--skier")
                option = raw;
        } else {
            role = roleOf(command, positional++, {});
        }
        switch (role) {
        case Role::Text:
            args << QString::fromLocal8Bit(raw);
            break;
        case Role::Input:
            args << names.input(raw);
            break;
        case Role::Output:
            args << names.output(raw);
            break;
        case Role::Folder:
            args << names.folder(raw);
            break;
        }
    }
    return args;
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
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        printHelp();
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        out(QStringLiteral("korvel-tool " KORVEL_VERSION));
        return 0;
    }
    SystemNames names;
    g_names = &names;
    const QStringList args = arguments(argc, argv, names);
    const QString name = QString::fromLocal8Bit(argv[1]);
    for (const Command& c : allCommands()) {
        if (name != QLatin1String(c.name))
            continue;
        int status = c.run(args);
        QString problem;
        if (status == 0 && !names.finish(&problem)) {
            err(QStringLiteral("korvel-tool: ") + problem);
            status = 1;
        }
        g_names = nullptr;
        return status;
    }
    err(QStringLiteral("korvel-tool: unknown command \"%1\" (see korvel-tool --help)").arg(name));
    return 2;
}
