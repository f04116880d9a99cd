// korvel: the measurement program. Until the main screen joins it, korvel
// opens on grid set-up, with the sample lake as its picture when no frame
// has been exported yet, so a newcomer can calibrate a grid at once.

#include "grid/gridsetupmodel.h"
#include "grid/gridsetupscreen.h"
#include "grid/sample/lakescene.h"
#include "shell/paths.h"
#include "shell/qtprompt.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"
#include "shell/textrules.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

using namespace korvel;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvel"));

    Settings settings;
    QtPrompt prompt;
    SharedState shared;
    GridState grids;

    QString videoDir = StripTrailingBackslash(settings.get(QStringLiteral("logpath"), QString()));
    if (videoDir.isEmpty() || !PathExists(videoDir, PathKind::Folder)) {
        videoDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/korvel/videos");
        QDir().mkpath(videoDir);
    }
    shared.VideoDir = videoDir;
    shared.ResultsFile =
        joinPath(videoDir, QStringLiteral("JumpMeasurementResults") + dateStamp() + QStringLiteral(".txt"));
    shared.SetupDir = settings.get(QStringLiteral("SetupFiles"), videoDir);
    shared.CapturesDir = videoDir;
    const int gridCount = settings.getWhole(QStringLiteral("grids"), 0, prompt);
    shared.GridCount = (gridCount >= 1 && gridCount <= 3) ? gridCount : 1;

    GridSetupModel model(grids, shared, settings, prompt);
    GridSetupScreen screen(model, shared, settings, prompt);
    const QString frame = joinPath(programFolder(), QStringLiteral("currentcapture.bmp"));
    if (PathExists(frame, PathKind::File)) {
        shared.LastScreen = QStringLiteral("SelectFrame");
    } else {
        screen.setBackground(sample::makeSampleScene().picture);
    }
    screen.enter();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
