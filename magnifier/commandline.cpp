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

} // namespace lensor
