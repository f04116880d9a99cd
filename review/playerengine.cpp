#include "review/playerengine.h"

#include "media/frameexport.h"
#include "review/useframe.h"

#include <algorithm>
#include <cstdlib>

namespace korvel
{

namespace
{

// Steps of a held key (up to five at a poll that came late) travel; a longer
// move is a jump, which the frames decoded ahead do not serve.
constexpr std::int64_t kTravelStep = 5;
// Pictures decoded ahead, with their screen layout: eight at 1080p, thirty
// at 720 x 480.
constexpr std::int64_t kAheadBytes = 128LL * 1024 * 1024;

} // namespace

PlayerEngine::PlayerEngine() = default;

PlayerEngine::~PlayerEngine()
{
    // The lanes and the requests refer to the source: they go first.
    m_ahead.reset();
    m_requests.reset();
    m_source.reset();
}

bool PlayerEngine::load(const QString& path)
{
    m_ahead.reset();
    m_travelling = false;
    m_arriving = !path.isEmpty();
    m_requests.reset();
    m_source.reset();
    m_file.clear();
    m_position = 0;
    m_shown = {};
    bool ok = true;
    if (!path.isEmpty()) {
        OpenResult opened = openVideo(path);
        if (opened.source) {
            m_source = std::move(opened.source);
            m_requests = std::make_unique<FrameRequests>(*m_source);
            m_file = path;
            // Nothing is decoded yet: an arrival that moves on at once (to
            // the contact frame) costs no decoding of frame 0.
            m_requests->request(0);
        } else {
            m_shown.problem = openFailureMessage(opened.failure, path);
            ok = false;
        }
    }
    shownChanged();
    positionChanged();
    return ok;
}

std::int64_t PlayerEngine::frameCount() const
{
    return m_source ? m_source->properties().frameCount : 0;
}

const VideoProperties* PlayerEngine::properties() const
{
    return m_source ? &m_source->properties() : nullptr;
}

FrameSource* PlayerEngine::source()
{
    stopAhead();
    return m_source.get();
}

void PlayerEngine::setPosition(double p)
{
    if (!m_source)
        return;
    const double last = double(std::max<std::int64_t>(0, frameCount() - 1));
    if (!(p >= 0)) // NaN included
        p = 0;
    const std::int64_t before = positionFrame();
    m_position = std::min(p, last);
    const std::int64_t now = positionFrame();
    const std::int64_t move = now - before;
    // The first position of a video just opened (a contact frame deep in a
    // long group of pictures) is decoded beside the screen while the screen
    // opens, and the frames after it, where the operator steps first. A
    // frame that stands alone is one decode: nothing to gain.
    const bool arriving = m_arriving && now > 0 && !m_source->independentFrames();
    m_arriving = false;
    if (m_aheadOn && (arriving || (move != 0 && std::abs(move) <= kTravelStep))) {
        if (!m_ahead)
            m_ahead = std::make_unique<AheadDecoder>(
                *m_source, m_source->independentFrames() ? m_file : QString(), kAheadBytes,
                [this] { aheadReady(); },
                [this](const Picture& picture) { return layOut(picture); });
        m_ahead->travel(now, move >= 0 ? 1 : -1);
        m_travelling = true;
    } else if (move != 0 && m_ahead && m_ahead->running() && !m_ahead->covers(now)) {
        stopAhead();
    }
    m_requests->request(now);
    positionChanged();
}

void PlayerEngine::setDecodeAheadWhileHeld(bool on)
{
    m_aheadOn = on;
    if (!on) {
        stopAhead();
        m_ahead.reset();
    }
}

void PlayerEngine::endTravel()
{
    if (m_travelling && m_ahead)
        m_ahead->rest(positionFrame());
    m_travelling = false;
}

void PlayerEngine::stopAhead()
{
    m_travelling = false;
    if (m_ahead)
        m_ahead->stop();
}

void PlayerEngine::releaseAhead()
{
    stopAhead();
    m_ahead.reset();
}

std::int64_t PlayerEngine::positionFrame() const
{
    return std::min<std::int64_t>(frameAtPosition(m_position),
                                  std::max<std::int64_t>(0, frameCount() - 1));
}

void PlayerEngine::setControlsEnabled(bool on)
{
    m_controls = on;
}

bool PlayerEngine::work()
{
    if (!m_requests)
        return false;
    if (m_requests->pending()) {
        const std::int64_t n = m_requests->wanted();
        std::optional<FrameResult> r;
        ScreenPicturePtr screen;
        if (m_ahead) {
            if (std::optional<AheadDecoder::Frame> f = m_ahead->ready(n)) {
                r = std::move(f->result);
                screen = std::move(f->screen);
                m_requests->served(*r);
            } else if (m_ahead->running() && m_ahead->covers(n)) {
                return false; // a lane is on it: aheadReady() calls again
            } else {
                stopAhead();
            }
        }
        if (!r)
            r = m_requests->serve();
        if (!r)
            return false;
        m_shown.frame = n;
        m_shown.picture = r->picture;
        m_shown.problem = r->picture ? QString() : r->error;
        m_shown.damaged = r->damaged();
        m_shown.screen = std::move(screen);
        shownChanged();
        return true;
    }
    if (m_ahead && m_ahead->running()) {
        // The source stays the lanes' while the position travels, and until
        // the frame they decode is done.
        if (m_travelling || m_ahead->busy())
            return false;
        m_ahead->stop();
    }
    return m_requests->idle();
}

} // namespace korvel
