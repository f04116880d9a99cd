// korvel: the measurement program. The main screen's start-up runs first
// (the reset question, the video folder, the day's log), then the
// configuration screen brings back the configured grids; from there the main
// screen is the hub of the day's work. "korvel VIDEO.avi" also opens the
// review screen on that video; "korvel --capture" goes straight to the capture
// screen.

#include "app/firstrun.h"
#include "app/hub.h"
#include "shell/qtprompt.h"
#include "shell/settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>

using namespace korvel;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvel"));

    Settings settings;
    QtPrompt prompt;
    // Before anything reads or writes a setting: a damaged file is said, and
    // kept aside as it was.
    reportDamagedSettings(settings, prompt);
    settings.setSaveProblemHandler([&prompt](const QString& text) {
        prompt.message(text, QStringLiteral("Settings"), Icon::Exclamation);
    });
    const bool firstRun = isFirstRun(settings);

    Hub hub(settings, prompt);
    // The reset question comes first; the sample is prepared after it.
    const auto prepareSample = [&] {
        if (!firstRun)
            return;
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/korvel");
        if (const QString problem = prepareFirstRun(settings, base); !problem.isEmpty())
            prompt.message(problem, QString(), Icon::Exclamation);
    };
    if (!hub.start(prepareSample))
        return 0;
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.removeAll(QStringLiteral("--capture")) > 0) {
        // Straight to the capture screen, as from the main screen.
        hub.configScreen().hide();
        hub.shared().LastScreen = ScreenTag::Setup;
        hub.show(Screen::Capture);
    } else if (!args.isEmpty()) {
        // A video named on the command line: reviewed as one from the log.
        hub.viewVideo(QFileInfo(args.first()).absoluteFilePath());
    }
    return app.exec();
}
