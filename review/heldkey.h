#pragma once
// Steps for an arrow key held down, by the clock: ten frames a second however
// long the screen took between two polls. When a frame takes longer than a
// poll's 100 ms to decode, a held key shows fewer of the frames it passes (the
// newest position wins), never a slower pace.

#include <array>
#include <cstdint>

namespace korvel
{

class HeldKeySteps
{
public:
    explicit HeldKeySteps(int intervalMs = 100) : m_interval(intervalMs) {}

    // Key k (0..3) is down, or was pressed, at the poll at nowMs: the steps
    // to take. One, unless it was also down at the poll before.
    int steps(int k, std::int64_t nowMs);
    // The poll is over: a key not reported in it is no longer held. True
    // when a key held until now was released.
    bool endPoll();

private:
    int m_interval;
    std::array<std::int64_t, 4> m_last{-1, -1, -1, -1};
    std::array<bool, 4> m_seen{};
};

} // namespace korvel
