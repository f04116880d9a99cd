#pragma once
// "Use displayed frame to measure jump" and "Use displayed frame to set up
// Grid" without the screen: export the frame on show, apply the keeping
// policy to a freshly captured video, and say which screen comes next.

#include <QString>

#include <cstdint>
#include <functional>

namespace korvel
{

class Prompt;
struct SharedState;

// The review screen's own state for the video on show.
struct ReviewSession {
    QString videoPath;              // the video the screen works on
    bool videoFromCapture = false;  // arrived straight from a recording
    bool setupRequested = false;    // the grid set-up button was pressed
    std::int32_t currentFrame = 0;  // the frame chosen for export
    QString CurrentVideoFile;       // the video whose frame was exported
    std::int32_t SelectedFrame = 0; // the exported frame
};

enum class NextScreen { Stay, Measure, GridSetup };

// Writes frame n of the video as "currentcapture.bmp"; false when it did not
// (the operator has been told why).
using FrameExporter = std::function<bool(const QString& videoPath, std::int32_t n)>;

// The player's position as a frame: nearest whole number, halves to even.
std::int32_t frameAtPosition(double position);

// Closes the video on show, so the keeping policy may delete it.
using PlayerUnloader = std::function<void()>;

// Runs the button. When the export fails nothing else happens: the video is
// neither deleted nor logged, stays open, and the operator stays on the review
// screen, where the previous contact picture cannot be mistaken for this one.
// A captured video is deleted only after its frame is written whole.
NextScreen UseDisplayedFrame(ReviewSession& session, SharedState& state, double playerPosition,
                             bool forSetup, Prompt& prompt, const FrameExporter& exportFrame,
                             const PlayerUnloader& unload = {});

} // namespace korvel
