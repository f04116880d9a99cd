#pragma once
// The jump on its road from the camera to the results: the recording, whose
// jump it is, where its first contact is thought to be, and where it came
// from. Capture makes it at the end of a recording, review when a video is
// opened; review corrects it (the skier's name fixed, the frame chosen) and
// measurement records under its skier and attempt. One value, handed on, so a
// name fixed on one screen is the name the next screen writes.

#include <QPointF>
#include <QString>

#include <cstdint>
#include <optional>

namespace korvel
{

enum class JumpSource {
    Capture,     // a recording that just ended
    Log,         // a video chosen in the video log
    Browse,      // a video chosen with the review screen's file dialog
    CommandLine, // a video named when korvel was started
};

struct Jump {
    QString video;   // the recording, by the name it has on the disk now
    QString skier;   // empty: not known from the recording (the operator types it)
    QString attempt; // the attempt number as text, as in the recording's name
    // Where to start looking for first contact: the frame where Contact was
    // pressed, or the frame the video was measured at before.
    std::optional<std::int64_t> contactFrame;
    double frameRate = 0;
    std::int64_t framesCaptured = 0;
    JumpSource source = JumpSource::Capture;
    // The frame exported for measuring; empty until one is.
    std::optional<std::int64_t> chosenFrame;
    // The frame review proposes as first contact (the first splash in the
    // landing area) and the picture point, in twips, where the splash
    // begins; empty while none is proposed.
    std::optional<std::int64_t> proposedFrame;
    std::optional<QPointF> proposedPoint;

    bool knowsSkier() const { return !skier.isEmpty() && !attempt.isEmpty(); }
    // The operator chose the very frame proposed.
    bool choseProposed() const
    {
        return chosenFrame && proposedFrame && *chosenFrame == *proposedFrame;
    }
};

} // namespace korvel
