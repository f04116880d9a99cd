#include "review/useframe.h"

#include "review/reviewfiles.h"
#include "shell/prompt.h"
#include "shell/sharedstate.h"

#include <QFile>

#include <cmath>

namespace korvel
{

std::int32_t frameAtPosition(double position)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const double r = std::nearbyint(position);
    if (!(r >= 0))
        return 0;
    if (r > 2147483647.0)
        return 2147483647;
    return std::int32_t(r);
}

NextScreen UseDisplayedFrame(ReviewSession& session, SharedState& state, double playerPosition,
                             bool forSetup, Prompt& prompt, const FrameExporter& exportFrame,
                             const PlayerUnloader& unload)
{
    // Each press says where it goes: after a grid set-up export that failed,
    // the measure button still leads to measuring.
    session.setupRequested = forSetup;
    session.currentFrame = frameAtPosition(playerPosition);
    session.CurrentVideoFile = session.videoPath;
    session.SelectedFrame = session.currentFrame;

    if (!exportFrame(session.CurrentVideoFile, session.SelectedFrame))
        return NextScreen::Stay;
    if (unload)
        unload();

    if (session.videoFromCapture) {
        const QString& video = session.CurrentVideoFile;
        const SavePolicy policy = state.VideoSavePolicy;
        bool remove = false;
        if (policy == SavePolicy::NoSave) {
            remove = true;
        } else if (policy == SavePolicy::Ask) {
            if (prompt.askYesNo(QStringLiteral("Do you want to save this video capture?"),
                                kProgramTitle, Icon::Question, true))
                RecordMeasuredCapture(video, session.currentFrame, state, prompt);
            else
                remove = true;
        } else if (policy == SavePolicy::Save) {
            RecordMeasuredCapture(video, session.currentFrame, state, prompt);
        }
        if (remove) {
            // A read-only flag must not keep an unwanted video on the disk.
            QFile::setPermissions(video, QFile::permissions(video) | QFileDevice::WriteOwner);
            if (!QFile::remove(video) && QFile::exists(video))
                prompt.message(QStringLiteral("The video could not be deleted:\r\n") + video,
                               kProgramTitle, Icon::Exclamation);
        }
        session.videoFromCapture = false;
    }

    state.LastScreen = ScreenTag::SelectFrame;
    if (state.GridsReady == 1 && !session.setupRequested)
        return NextScreen::Measure;
    if (!session.setupRequested)
        prompt.message(
            QStringLiteral("One or more grids are not configured.  You may not use the Measure "
                           "Screen until all listed grids are configured"),
            kProgramTitle, Icon::Exclamation);
    return NextScreen::GridSetup;
}

} // namespace korvel
