#pragma once
// The test camera's scene recorded without the camera: every frame rendered
// in turn and written as a recording from the test camera is (MJPEG, the
// frame number in the counter band, first contact on the scene's touchdown
// frame at the sample impact point), so a jump to review exists before anyone
// has filmed one.

#include <QSize>
#include <QString>

namespace korvel
{

struct SceneVideo {
    QSize size{640, 480};
    int rate = 30;        // frames per second
    double seconds = 3.0; // touch-down comes at 2 s
};

// Writes the recording to path, whole or not at all: it is made beside the
// target under a passing name and put in place when complete. Empty when
// written, else why not.
QString recordSceneVideo(const QString& path, const SceneVideo& video = {});

} // namespace korvel
