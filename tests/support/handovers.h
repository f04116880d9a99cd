#pragma once
// The screens around a screen tested on its own: every hand-over it asks of
// them is noted in `asked`, in order, and `then` may act on it (open a tool,
// look at the screen) as the hub would.

#include "measure/measuremodel.h"
#include "review/reviewmodel.h"
#include "viewers/logviewer.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace korvel::test
{

struct HandOverLog {
    QStringList asked;
    std::function<void(const QString&)> then;
    void note(const QString& what)
    {
        asked << what;
        if (then)
            then(what);
    }
};

// "main", "capture", "picture log", "calibration", "review VIDEO at FRAME".
struct MeasureHandOvers : MeasureListener, HandOverLog {
    void showMainScreen() override { note(QStringLiteral("main")); }
    void showCapture() override { note(QStringLiteral("capture")); }
    void openPictureLog() override { note(QStringLiteral("picture log")); }
    void openCalibration() override { note(QStringLiteral("calibration")); }
    bool reviewMeasuredVideo(const QString& video, std::optional<qint64> frame) override
    {
        note(QStringLiteral("review %1 at %2").arg(video).arg(frame ? *frame : -1));
        return true;
    }
};

// "measure", "grid set-up", "capture", "main", "log".
struct ReviewHandOvers : ReviewListener, HandOverLog {
    void showMeasure() override { note(QStringLiteral("measure")); }
    void showGridSetup() override { note(QStringLiteral("grid set-up")); }
    void showCapture() override { note(QStringLiteral("capture")); }
    void showMainScreen() override { note(QStringLiteral("main")); }
    void openLogViewer() override { note(QStringLiteral("log")); }
};

// "video PATH", "picture PATH"; `answer` is whether the screen could show it.
struct ViewerHandOvers : ViewerListener, HandOverLog {
    bool answer = true;
    bool viewVideo(const QString& path) override
    {
        note(QStringLiteral("video ") + path);
        return answer;
    }
    bool showPictureOnMeasure(const QString& path) override
    {
        note(QStringLiteral("picture ") + path);
        return answer;
    }
};

} // namespace korvel::test
