// korvel: the measurement program. The main screen's start-up runs first
// (the reset question, the video folder, the day's log), then the
// configuration screen brings back the configured grids; from there the main
// screen is the hub of the day's work. "korvel VIDEO.avi" also opens the
// review screen on that video; "korvel --capture" goes straight to the capture
// screen; "korvel --check" runs the start-up without windows and reports.

#include "app/commandline.h"
#include "app/firstrun.h"
#include "app/hub.h"
#include "app/startcheck.h"
#include "shell/paths.h"
#include "shell/qtprompt.h"
#include "shell/settings.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

using namespace korvel;

namespace
{

// --help and --version answer before the application object exists, so they
// work without a display (over ssh, in a package's smoke test). The check
// runs offscreen unless a platform is asked for.
std::optional<int> beforeTheWindowSystem(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(args);
    // Without a display the toolkit cannot start at all: a command line
    // korvel refuses is said here rather than lost in the toolkit's abort.
    // With one, the toolkit's own options (-platform, -style) are taken out
    // first and the line read again below.
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") &&
                           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
                           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
                           !args.contains(QStringLiteral("-platform"));
    if (!line.problem.isEmpty() && noDisplay) {
        std::fprintf(stderr, "%s\n", qPrintable(line.problem));
        return 2;
    }
    switch (line.mode) {
    case CommandLine::Mode::Help:
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Mode::Version:
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Mode::Check:
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        break;
    case CommandLine::Mode::Run:
        break;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = beforeTheWindowSystem(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvel"));
    // The menu entry and icon of an installed copy (none in a build tree).
    QGuiApplication::setDesktopFileName(QStringLiteral("korvel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("korvel")));
    // Read again without the toolkit's own options (-platform, -style, ...).
    const CommandLine line = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (!line.problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(line.problem));
        return 2;
    }
    const bool checking = line.mode == CommandLine::Mode::Check;

    Settings settings;
    QtPrompt onScreen;
    CheckPrompt printed;
    Prompt& prompt = checking ? static_cast<Prompt&>(printed) : onScreen;
    // Before anything reads or writes a setting: a damaged file is said, and
    // kept aside as it was.
    reportDamagedSettings(settings, prompt);
    settings.setSaveProblemHandler([&prompt](const QString& text) {
        prompt.message(text, QStringLiteral("Settings"), Icon::Exclamation);
    });
    const bool firstRun = isFirstRun(settings);

    // The check starts no magnifier; it only says whether it is there.
    const QString lensor =
        joinPath(QCoreApplication::applicationDirPath(), QStringLiteral("lensor"));
    Hub hub(settings, prompt, checking ? MagnifierStarter([] { return QString(); }) : startLensor);
    // The reset question comes first; the sample is prepared after it.
    const auto prepareSample = [&] {
        if (!firstRun)
            return;
        if (const QString problem = prepareFirstRun(settings, userDataFolder()); !problem.isEmpty())
            prompt.message(problem, QString(), Icon::Exclamation);
    };
    if (!hub.start(prepareSample)) {
        if (checking)
            std::puts("The start-up ended: no video folder was given.");
        return checking ? 1 : 0;
    }
    if (checking) {
        const CheckReport report = checkReport(settings, hub.shared(), hub.grids(), lensor);
        for (const QString& l : report.lines)
            std::puts(l.toLocal8Bit().constData());
        return report.ready ? 0 : 1;
    }
    if (line.capture) {
        // Straight to the capture screen, as from the main screen.
        hub.configScreen().hide();
        hub.shared().LastScreen = ScreenTag::Setup;
        hub.show(Screen::Capture);
    } else if (!line.video.isEmpty()) {
        // A video named on the command line: reviewed as one from the log.
        hub.viewVideo(line.video);
    }
    return app.exec();
}
