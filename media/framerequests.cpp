#include "media/framerequests.h"

namespace korvel
{

void FrameRequests::request(std::int64_t n)
{
    if (m_pending && *m_pending != n)
        ++m_superseded;
    m_pending = n;
    m_wanted = n;
}

std::optional<FrameResult> FrameRequests::serve()
{
    if (!m_pending)
        return std::nullopt;
    const std::int64_t n = *m_pending;
    m_pending.reset();
    FrameResult r = m_source.frame(n);
    if (r)
        m_shown = n;
    return r;
}

void FrameRequests::served(const FrameResult& r)
{
    if (!m_pending)
        return;
    if (r)
        m_shown = *m_pending;
    m_pending.reset();
}

bool FrameRequests::idle()
{
    if (m_pending)
        return false;
    return m_source.prefetchStep();
}

} // namespace korvel
