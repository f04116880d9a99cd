#pragma once
// The review player without its widget: the video on show, its position as a
// frame number, and which picture is on screen. Positions are frame numbers of
// the video's first video stream counted from 0, the numbers the export
// decodes; a position between two frames shows (and exports) the nearest one,
// halves to even.
//
// Moving the position only asks for a frame. work() does the decoding when
// the screen has time: first the newest position asked for (older requests
// are dropped, so a held key or a dragged slider never builds a backlog), then
// a slice of decoding ahead around it. A frame that cannot be decoded leaves
// nothing on show but the reason, never the picture of another frame.
//
// While the position travels a frame or a few at a time (an arrow key held,
// steps in a row), the frames it will reach are decoded beside the screen, in
// its direction (AheadDecoder), and work() only takes them as they come; the
// player's source is the lanes' until the position rests or jumps.

#include "media/framerequests.h"
#include "media/framesource.h"
#include "review/aheaddecoder.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace korvel
{

class PlayerEngine
{
public:
    PlayerEngine();
    virtual ~PlayerEngine();
    PlayerEngine(const PlayerEngine&) = delete;
    PlayerEngine& operator=(const PlayerEngine&) = delete;

    // Loads a video by full path, at position 0; an empty path unloads. A
    // video that cannot be opened leaves the player empty, with the reason
    // on show; false then.
    bool load(const QString& path);
    void unload() { load(QString()); }
    bool loaded() const { return m_source != nullptr; }
    // The loaded video's path; empty when none is.
    const QString& file() const { return m_file; }
    std::int64_t frameCount() const;
    const VideoProperties* properties() const;
    // The source, for the caller alone: decoding ahead stops first.
    FrameSource* source();

    double position() const { return m_position; }
    // Moves to p, kept within the video's frames, and asks for its frame.
    void setPosition(double p);
    // The frame the position shows.
    std::int64_t positionFrame() const;

    // The operator may move the position (slider, keys) only while on.
    bool controlsEnabled() const { return m_controls; }
    virtual void setControlsEnabled(bool on);

    // What is on screen: a frame's picture, or the reason there is none.
    struct Shown {
        std::int64_t frame = -1; // -1: no frame asked for yet
        PicturePtr picture;      // null for a frame that could not be decoded
        QString problem;         // why there is no picture
        bool damaged = false;    // the frame's own data in the file is damaged
        ScreenPicturePtr screen; // the picture laid out for the screen, when decoded ahead
    };
    const Shown& shown() const { return m_shown; }
    bool waiting() const { return m_requests && m_requests->pending(); }

    // One unit of work for the idle timer: serves the newest request, or else
    // decodes one slice ahead. False when there is nothing left to do.
    bool work();
    // Requests dropped because a newer one came first.
    std::int64_t superseded() const { return m_requests ? m_requests->superseded() : 0; }

    // Whether travelling steps are decoded ahead beside the screen; off,
    // each step is decoded when it is served. Off for the engine alone,
    // whose work() nobody calls again when a frame comes ready: the review
    // screen's player, which hears of it, turns it on.
    void setDecodeAheadWhileHeld(bool on);
    bool decodeAheadWhileHeld() const { return m_aheadOn; }
    // The key was released, or the position rests: nothing more is decoded
    // ahead beyond it, and the source comes back once the lanes are idle.
    void endTravel();
    // The decoding beside the screen, while there is one.
    const AheadDecoder* ahead() const { return m_ahead.get(); }

    // Hooks for the widget.
    virtual void takeFocus() {}
    virtual void resetSize() {}

protected:
    // The position changed or a frame is waiting: the widget restarts its
    // idle timer and moves its slider.
    virtual void positionChanged() {}
    // The picture on show changed.
    virtual void shownChanged() {}
    // A frame was decoded ahead: called on the decoding thread, it may only
    // hand over to the screen's thread, which then calls work().
    virtual void aheadReady() {}
    // The picture as the widget will draw it, made on the decoding thread
    // (null: the widget lays it out when it paints).
    virtual ScreenPicturePtr layOut(const Picture&) { return nullptr; }
    // Stops decoding ahead and waits for it; the widget's destructor calls
    // it before the parts aheadReady() uses are gone.
    void stopAhead();
    // Stops it and lets go of what it decoded: the screen is left.
    void releaseAhead();

private:
    QString m_file;
    std::unique_ptr<FrameSource> m_source;
    std::unique_ptr<FrameRequests> m_requests;
    double m_position = 0;
    bool m_controls = true;
    Shown m_shown;
    bool m_aheadOn = false;
    bool m_travelling = false;
    bool m_arriving = false; // no position set since the video was loaded
    std::unique_ptr<AheadDecoder> m_ahead;
};

} // namespace korvel
