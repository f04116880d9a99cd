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

void HeldKeySteps::endPoll()
{
    for (std::size_t k = 0; k < 4; ++k) {
        if (!m_seen[k])
            m_last[k] = -1;
        m_seen[k] = false;
    }
}

} // namespace korvel
