#include "magnifier/commandline.h"

namespace lensor
{

namespace
{
struct Switch {
    const char* word;
    int value;
};

// Each group's switches in the order they are tried; the first one present wins.
struct Group {
    Option option;
    std::initializer_list<Switch> switches;
};

const Group kGroups[] = {
    {Option::Zoom, {{"1", 0}, {"2", 1}, {"4", 2}, {"8", 3}}},
    {Option::Refresh, {{"slow", 0}, {"normal", 1}, {"fast", 2}}},
    {Option::Shutter, {{"sound", 1}, {"nosound", 0}}},
    {Option::Splash, {{"splash", 1}, {"nosplash", 0}}},
};
} // namespace

QString joinedCommandLine(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

bool applyCommandLine(const QString& commandLine, Options& options)
{
    const QString whole = commandLine.trimmed();
    if (whole.compare(QLatin1String("/setup"), Qt::CaseInsensitive) == 0 ||
        whole.compare(QLatin1String("-setup"), Qt::CaseInsensitive) == 0)
        return true;

    const qsizetype quote = commandLine.indexOf(QLatin1Char('"'));
    const QString text = commandLine.left(quote < 0 ? commandLine.size() : quote).toLower();
    for (const Group& g : kGroups) {
        for (const Switch& s : g.switches) {
            const QString word = QString::fromLatin1(s.word);
            if (text.contains(QLatin1Char('/') + word) || text.contains(QLatin1Char('-') + word)) {
                options.set(g.option, s.value);
                break;
            }
        }
    }
    return false;
}

bool asksForHelp(const QStringList& arguments)
{
    static const char* const kAsks[] = {"--help", "-help", "/help", "-h", "-?", "/?"};
    for (const QString& a : arguments.mid(1))
        for (const char* ask : kAsks)
            if (a.compare(QLatin1String(ask), Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

QString usageText(const QString& optionsFile)
{
    return QStringLiteral(
               "Usage: lensor [switches]\n"
               "Shows the screen around the mouse pointer enlarged 1, 2, 4 or 8 times, with the\n"
               "pointer's screen position and the colour of the pixel under it.\n"
               "\n"
               "  -1, -2, -4, -8          start at normal size, 2x, 4x or 8x\n"
               "  -slow, -normal, -fast   refresh every 100, 33 or 20 ms\n"
               "  -sound, -nosound        shutter sound on copying, or none\n"
               "  -splash, -nosplash      show the start picture, or not\n"
               "  -setup                  alone: open the options on their Setup page (menu\n"
               "                          entry, desktop icon, start with the session)\n"
               "  --help                  print this text and end\n"
               "\n"
               "A slash works as well as a hyphen (/8 /fast). The switches change the options,\n"
               "which are kept at exit in %1\n")
        .arg(optionsFile);
}

} // namespace lensor
