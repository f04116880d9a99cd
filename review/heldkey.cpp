#include "review/heldkey.h"

#include <algorithm>

namespace korvel
{

int HeldKeySteps::steps(int k, std::int64_t nowMs)
{
    if (k < 0 || k >= 4)
        return 0;
    m_seen[std::size_t(k)] = true;
    const std::int64_t last = m_last[std::size_t(k)];
    m_last[std::size_t(k)] = nowMs;
    if (last < 0 || nowMs <= last)
        return 1;
    // Polls that came late are made up, but a stall of the whole program
    // (a dialog, a slow disk) does not throw the position far ahead.
    const std::int64_t periods = (nowMs - last + m_interval / 2) / m_interval;
    return int(std::clamp<std::int64_t>(periods, 1, 5));
}

bool HeldKeySteps::endPoll()
{
    bool released = false;
    for (std::size_t k = 0; k < 4; ++k) {
        if (!m_seen[k]) {
            released = released || m_last[k] >= 0;
            m_last[k] = -1;
        }
        m_seen[k] = false;
    }
    return released;
}

} // namespace korvel
