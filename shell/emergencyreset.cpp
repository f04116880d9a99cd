#include "shell/emergencyreset.h"

#include "shell/prompt.h"
#include "shell/settings.h"

#include <vector>

namespace korvel
{

void emergencyReset(Settings& settings, Prompt& prompt)
{
    const QString title = QStringLiteral("Emergency Parameter Reset");
    auto ask = [&](const QString& text) {
        return prompt.askYesNo(text, title, Icon::Question, /*defaultYes=*/false);
    };
    if (!ask(QStringLiteral("Do you want to reset all parameters to install values?")))
        return;
    if (!ask(QStringLiteral("Are you certain? This means you are crashing and can't operate")))
        return;

    struct Entry {
        Setting key;
        QString label;
        QString readDefault;
        QString resetValue;
        std::vector<Setting> alsoClears;
    };
    const Entry entries[] = {
        {Setting::LogPath,
         QStringLiteral("Logpath = "),
         QStringLiteral("0"),
         QString(),
         {Setting::LogFile}},
        {Setting::Barefoot,
         QStringLiteral("barefoot = "),
         QStringLiteral("0"),
         QStringLiteral("0"),
         {}},
        {Setting::Compression,
         QStringLiteral("compression = "),
         QStringLiteral("0"),
         QStringLiteral("0"),
         {}},
        {Setting::Device,
         QStringLiteral("device = "),
         QStringLiteral("0"),
         QStringLiteral("0"),
         {}},
        {Setting::FrameRate,
         QStringLiteral("framerate = "),
         QStringLiteral("0"),
         QStringLiteral("0"),
         {}},
        {Setting::Grid1File, QStringLiteral("Grid 1 File = "), QString(), QString(), {}},
        {Setting::Grid2File, QStringLiteral("Grid 2 File = "), QString(), QString(), {}},
        {Setting::Grid3File, QStringLiteral("Grid 3 File = "), QString(), QString(), {}},
    };
    for (const Entry& e : entries) {
        const QString value = settings.get(e.key, e.readDefault);
        if (!ask(e.label + value + QStringLiteral(" Clear it?")))
            continue;
        settings.save(e.key, e.resetValue);
        for (const Setting other : e.alsoClears)
            settings.save(other, e.resetValue);
    }
}

} // namespace korvel
