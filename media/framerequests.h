#pragma once
// While an arrow key is held the review screen asks for the next frame every
// 100 ms, and dragging the slider asks for dozens in a second. Requests are
// only noted here; the picture is decoded when the screen is ready to show
// one, and only for the latest request, so what is shown never lags more than
// one request behind the position however slow a frame is to decode.
//
// Between requests the source decodes ahead in small slices (idle()), so a
// jump into a long group of pictures finds its frame already decoded instead
// of decoding from the key frame before it. A waiting request always goes
// first: idle() does nothing while one is pending.

#include "media/framesource.h"

#include <cstdint>
#include <optional>

namespace korvel
{

class FrameRequests
{
public:
    explicit FrameRequests(FrameSource& source) : m_source(source) {}

    // Asks for frame n; a request not yet served is superseded.
    void request(std::int64_t n);
    bool pending() const { return m_pending.has_value(); }
    // The latest frame asked for (served or not), -1 before the first request.
    std::int64_t wanted() const { return m_wanted; }

    // Decodes the latest request; nullopt when there is none.
    std::optional<FrameResult> serve();
    // The latest request was answered elsewhere (decoded ahead) with r.
    void served(const FrameResult& r);

    // One slice of decoding ahead, for the player's zero-time idle timer.
    // False when a request waits (serve it, then call again) or when the
    // source has nothing left to decode ahead; the player stops its timer
    // then and starts it again after the next serve().
    bool idle();

    // The frame number of the picture last served, -1 before the first.
    std::int64_t shown() const { return m_shown; }
    // Requests dropped because a later one came before they were served.
    std::int64_t superseded() const { return m_superseded; }

private:
    FrameSource& m_source;
    std::optional<std::int64_t> m_pending;
    std::int64_t m_wanted = -1;
    std::int64_t m_shown = -1;
    std::int64_t m_superseded = 0;
};

} // namespace korvel
