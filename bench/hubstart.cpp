// Time from korvel's start to the hub: the application object, every screen
// made, the start-up (reset question answered No, the day's log line, the
// set-up notice), the configuration load with the sample grid read back, its
// exit, and the main screen painted. The sample tournament is prepared before
// the clock starts, as it is only made on the very first run.
//   hubstart-bench SCRATCH   (run under xvfb-run; bench/hubstart.sh repeats it)

#include "app/firstrun.h"
#include "app/hub.h"
#include "shell/consoleprompt.h"
#include "shell/settings.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace korvel;

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: hubstart-bench SCRATCH\n", stderr);
        return 2;
    }
    const QString scratch = QString::fromLocal8Bit(argv[1]);
    Settings settings(scratch + QStringLiteral("/korvel.ini"));
    const qint64 beforeSample = clock.nsecsElapsed();
    if (nothingConfigured(settings))
        prepareSampleTournament(settings, scratch);
    const qint64 sample = clock.nsecsElapsed() - beforeSample;

    ConsolePrompt prompt; // the reset declined, the set-up notice acknowledged
    Hub hub(settings, prompt, [] { return QString(); });
    const qint64 made = clock.nsecsElapsed() - sample;
    if (!hub.start())
        return 1;
    const qint64 configured = clock.nsecsElapsed() - sample;
    hub.configScreen().model().exitAndSave();
    hub.mainScreen().repaint();
    QApplication::processEvents();
    const qint64 shown = clock.nsecsElapsed() - sample;
    std::printf("screens made %.1f ms, configuration shown %.1f ms, hub shown %.1f ms after "
                "start (sample preparation %.1f ms not counted), prompts %d\n",
                made / 1e6, configured / 1e6, shown / 1e6, sample / 1e6, prompt.messages);
    return 0;
}
