#include "app/firstrun.h"

#include "capture/scenevideo.h"
#include "grid/sample/lakescene.h"
#include "grid/sample/samplegrid.h"
#include "grid/sample/scenefile.h"
#include "shell/paths.h"
#include "shell/settings.h"

#include <QDir>

namespace korvel
{

bool nothingConfigured(const Settings& settings)
{
    for (const Setting key : {Setting::LogPath, Setting::SetupFiles, Setting::Grid1File,
                              Setting::Grid2File, Setting::Grid3File}) {
        if (!settings.get(key, QString()).trimmed().isEmpty())
            return false;
    }
    return true;
}

bool sampleJumpsRightToLeft()
{
    const sample::SampleScene jump = sample::makeSampleScene({.skier = true});
    return jump.impact && jump.impact->click().x() < jump.jump.click().x();
}

bool isFirstRun(const Settings& settings)
{
    return !settings.existedAtStart();
}

QString prepareSampleTournament(Settings& settings, const QString& base)
{
    const QString videos = joinPath(base, QStringLiteral("videos"));
    const QString setup = joinPath(base, QStringLiteral("sample"));
    const QString grid = joinPath(setup, QStringLiteral("sample-lake.ipt"));
    if (!QDir().mkpath(videos))
        return QStringLiteral("The folder %1 could not be made.").arg(videos);
    if (!PathExists(grid, PathKind::File)) {
        const sample::SampleScene lake = sample::makeSampleScene();
        const sample::SampleScene jump = sample::makeSampleScene({.skier = true});
        if (QString problem = sample::writeSampleFiles(setup, lake, &jump); !problem.isEmpty())
            return problem;
        if (QString problem = sample::writeSampleGrid(grid, lake); !problem.isEmpty())
            return problem;
    }
    settings.save(Setting::LogPath, videos);
    settings.save(Setting::SetupFiles, setup);
    settings.save(Setting::Grids, QStringLiteral("1"));
    settings.save(Setting::Grid1File, grid);
    // The sample skier flies the way the camera sees the course: the half
    // cross of the impact mark points back towards the ramp.
    settings.save(Setting::RightToLeft, Settings::boolText(sampleJumpsRightToLeft()));
    return {};
}

QString recordSampleJump(const QString& videos)
{
    const QString path = joinPath(videos, QLatin1String(kSampleJumpVideo));
    if (PathExists(path, PathKind::File))
        return {};
    return recordSceneVideo(path);
}

QString prepareFirstRun(Settings& settings, const QString& base)
{
    if (const QString problem = prepareSampleTournament(settings, base); !problem.isEmpty())
        return QStringLiteral("The sample tournament could not be prepared in %1: %2")
            .arg(base, problem);
    const QString videos = joinPath(base, QStringLiteral("videos"));
    if (const QString problem = recordSampleJump(videos); !problem.isEmpty())
        return QStringLiteral("The sample tournament is ready in %1, but its recorded jump "
                              "could not be made in %2: %3")
            .arg(base, videos, problem);
    return {};
}

} // namespace korvel
