#include "review/playerengine.h"

#include "media/frameexport.h"
#include "review/useframe.h"

#include <algorithm>

namespace korvel
{

PlayerEngine::PlayerEngine() = default;

PlayerEngine::~PlayerEngine()
{
    // The requests refer to the source: they go first.
    m_requests.reset();
    m_source.reset();
}

bool PlayerEngine::load(const QString& path)
{
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

void PlayerEngine::setPosition(double p)
{
    if (!m_source)
        return;
    const double last = double(std::max<std::int64_t>(0, frameCount() - 1));
    if (!(p >= 0)) // NaN included
        p = 0;
    m_position = std::min(p, last);
    m_requests->request(positionFrame());
    positionChanged();
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
        std::optional<FrameResult> r = m_requests->serve();
        if (!r)
            return false;
        m_shown.frame = n;
        m_shown.picture = r->picture;
        m_shown.problem = r->picture ? QString() : r->error;
        m_shown.damaged = r->damaged();
        shownChanged();
        return true;
    }
    return m_requests->idle();
}

} // namespace korvel
