#pragma once
// Proposes the frame of first contact: the first frame in which a splash
// begins inside the landing area, and the picture point where it begins.
//
// A splash is new white water that stays where it appeared: a picture point
// that turns clearly brighter than it was in the frames just before and stays
// so for a quarter of a second. What else turns bright goes by: the skier and
// a boat move on within a few frames; a cloud or the sun changes the whole
// picture at once (each frame is taken relative to its own median
// brightness); noise and compression are smoothed away and only a patch of a
// few pixels counts; and a boat's wake, which also stays where it appears,
// grows out of the white water it left the frame before, where a splash
// starts on clear water. Every frame is compared with the frames before it
// from the start of the recording, so a Contact pressed early or late does
// not matter.

#include "media/framesource.h"

#include <QPointF>
#include <QPolygonF>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <optional>

namespace korvel
{

struct ContactSearch {
    // Where the skier can land, in picture pixels (the grid's four buoys);
    // widened a little before use. Empty: the whole picture but its top and
    // bottom tenths (burned-in time stamps and counters).
    QPolygonF landingArea;
    // The size of the picture the buoys were placed on. A grid set on
    // another picture size is not this camera's view: its buoys would mark
    // the wrong water, so the whole picture is searched instead. Not valid:
    // taken to be the video's.
    QSize areaPicture;
    // Frames per second when the video does not say.
    double fallbackRate = 30;
};

struct ContactProposal {
    std::optional<std::int64_t> frame; // in the player's numbering, from 0
    QPointF pixel;                     // the splash's centre, picture pixels
    QString reason;                    // why there is no proposal
    bool wholePicture = false;         // searched without the landing area
    std::int64_t framesRead = 0;

    explicit operator bool() const { return frame.has_value(); }
    QPointF twips() const { return pixel * 15.0; }
};

// The landing area a little larger than the buoys enclose: a skier may land
// just outside the buoy lines.
QPolygonF widenedLandingArea(const QPolygonF& buoys);

// Searches the video from its first frame. cancel, when set, stops the
// search (the proposal then says so). Reads frames in order only.
ContactProposal findContact(FrameSource& source, const ContactSearch& search,
                            const std::atomic_bool* cancel = nullptr);
// The same on a video file, opened on its own (for a worker thread).
ContactProposal findContact(const QString& video, const ContactSearch& search,
                            const std::atomic_bool* cancel = nullptr);

} // namespace korvel
