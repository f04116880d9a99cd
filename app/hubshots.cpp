// korvel-hub-shots FOLDER: the main and configuration screens on the sample
// tournament, written as main.png and config.png for the documentation. Run
// under a real X server (xvfb-run) or the offscreen platform.

#include "app/firstrun.h"
#include "app/hub.h"
#include "shell/consoleprompt.h"
#include "shell/settings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace korvel;

namespace
{

bool grab(QWidget& w, const QString& path)
{
    w.show();
    w.adjustSize();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    return w.grab().save(path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: korvel-hub-shots FOLDER\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
    if (const QString problem = prepareSampleTournament(settings, scratch.path());
        !problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    settings.save(Setting::TournamentName, QStringLiteral("Sample Lake Open"));
    settings.save(Setting::Wstims, QStringLiteral("1"));
    settings.save(Setting::FrameRate, QStringLiteral("30"));
    ConsolePrompt prompt; // the reset declined, every message printed
    Hub hub(settings, prompt, [] { return QString(); });
    if (!hub.start())
        return 1;
    bool ok = grab(hub.configScreen(), out + QStringLiteral("/config.png"));
    hub.configScreen().model().exitAndSave();
    ok = grab(hub.mainScreen(), out + QStringLiteral("/main.png")) && ok;
    return ok ? 0 : 1;
}
