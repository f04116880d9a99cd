// Time from korvel's start to the hub: the application object, every screen
// made, the start-up (reset question answered No, the day's log line, the
// set-up notice), the configuration load with the sample grid read back, its
// exit, and the main screen painted. The sample tournament and its recorded
// jump are made before the clock starts, as only the very first run makes
// them; their time is shown apart.
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
    qint64 video = 0;
    if (nothingConfigured(settings)) {
        prepareSampleTournament(settings, scratch);
        const qint64 beforeVideo = clock.nsecsElapsed();
        recordSampleJump(scratch + QStringLiteral("/videos"));
        video = clock.nsecsElapsed() - beforeVideo;
    }
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
                "start (first run's sample preparation %.1f ms, of it the recorded jump %.1f ms, "
                "not counted), prompts %d\n",
                made / 1e6, configured / 1e6, shown / 1e6, sample / 1e6, video / 1e6,
                prompt.messages);
    return 0;
}
