#include "review/aheaddecoder.h"

#include <algorithm>
#include <system_error>

namespace korvel
{

namespace
{

// More frames ahead than this only take memory: at ten steps a second they
// are three seconds of travel.
constexpr int kMostAhead = 30;
// The second lane's source keeps few decoded frames: it never steps back.
constexpr std::int64_t kSecondCacheBytes = 32LL * 1024 * 1024;
// How far beyond the window going backward the group before is decoded: six
// seconds of a held key.
constexpr std::int64_t kWarmBehind = 60;
// Steps of decoding toward one frame behind the window before it is given
// up (a cut or damaged file): a key-frame interval of several hundred
// pictures and the decoder's delay.
constexpr int kWarmSteps = 4096;

} // namespace

AheadDecoder::AheadDecoder(FrameSource& source, const QString& secondPath, std::int64_t byteLimit,
                           Ready ready, ScreenLayout layout)
    : m_source(source), m_secondPath(secondPath), m_byteLimit(byteLimit),
      m_notify(std::move(ready)), m_layout(std::move(layout)),
      m_frameCount(source.properties().frameCount)
{
    const VideoProperties& p = source.properties();
    // The decoded picture and its screen layout at its own size, four bytes
    // a pixel.
    const std::int64_t each = std::int64_t(Picture::strideFor(p.width)) * p.height +
                              (m_layout ? std::int64_t(p.width) * p.height * 4 : 0);
    m_window =
        int(std::clamp<std::int64_t>(each > 0 ? m_byteLimit / each : kMostAhead, 1, kMostAhead));
}

AheadDecoder::~AheadDecoder()
{
    stop();
}

void AheadDecoder::travel(std::int64_t at, int direction)
{
    {
        const std::lock_guard lock(m_mutex);
        m_at = at;
        m_direction = direction < 0 ? -1 : 1;
        m_span = m_window;
        m_stop = false;
        trimLocked();
    }
    m_wake.notify_all();
    if (m_lanes.empty()) {
        const int lanes = m_secondPath.isEmpty() ? 1 : 2;
        try {
            for (int i = 0; i < lanes; ++i)
                m_lanes.emplace_back([this, i] { lane(i); });
        } catch (const std::system_error&) {
            // No thread to be had: the lanes started do the work, or with
            // none the player decodes each step itself, as before.
        }
    }
}

void AheadDecoder::rest(std::int64_t at)
{
    {
        const std::lock_guard lock(m_mutex);
        m_at = at;
        m_span = 1;
        trimLocked();
    }
    m_wake.notify_all();
}

void AheadDecoder::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_lanes)
        t.join();
    m_lanes.clear();
}

bool AheadDecoder::inWindow(std::int64_t n) const
{
    if (n < 0 || n >= m_frameCount)
        return false;
    const std::int64_t k = (n - m_at) * m_direction;
    return k >= 0 && k < m_span;
}

std::int64_t AheadDecoder::nextWanted() const
{
    for (int k = 0; k < m_span; ++k) {
        const std::int64_t n = m_at + std::int64_t(k) * m_direction;
        if (n < 0 || n >= m_frameCount)
            return -1;
        if (!m_ready.count(n) && !m_decoding.count(n))
            return n;
    }
    return -1;
}

std::int64_t AheadDecoder::frameBytes(const Frame& f) const
{
    std::int64_t bytes = 0;
    if (f.result.picture)
        bytes += std::int64_t(f.result.picture->bytes.size());
    if (f.screen)
        bytes += f.screen->bytes();
    return bytes;
}

void AheadDecoder::trimLocked()
{
    for (auto it = m_ready.begin(); it != m_ready.end();) {
        if (inWindow(it->first)) {
            ++it;
        } else {
            m_bytes -= frameBytes(it->second);
            it = m_ready.erase(it);
        }
    }
}

void AheadDecoder::lane(int index)
{
    if (index == 1 && !m_second) {
        FrameSourceLimits limits;
        limits.cacheBytes = kSecondCacheBytes;
        m_second = openVideo(m_secondPath, limits).source;
        // A second source that cannot be opened leaves the work to lane 0.
        if (!m_second)
            return;
    }
    FrameSource& source = index == 0 ? m_source : *m_second;
    WarmedTo warmedTo;
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        const std::int64_t n = nextWanted();
        if (n < 0) {
            if (index == 0 && warmBehind(lock, warmedTo))
                continue;
            m_wake.wait(lock, [this] { return m_stop || nextWanted() >= 0; });
            continue;
        }
        m_decoding.insert(n);
        lock.unlock();
        Frame f{source.frame(n), nullptr};
        if (f.result.picture && m_layout)
            f.screen = m_layout(*f.result.picture);
        lock.lock();
        m_decoding.erase(n);
        // The position may have moved on while it was decoded. The screen
        // hears of every decode: it waits for the lanes to be idle.
        if (!inWindow(n)) {
            notify(lock);
            continue;
        }
        const std::int64_t bytes = frameBytes(f);
        // The limit holds whatever the pictures weigh: the frames farthest
        // ahead give way.
        while (!m_ready.empty() && m_bytes + bytes > m_byteLimit) {
            auto farthest = m_direction > 0 ? std::prev(m_ready.end()) : m_ready.begin();
            if ((farthest->first - n) * m_direction <= 0)
                break;
            m_bytes -= frameBytes(farthest->second);
            m_ready.erase(farthest);
        }
        if (m_bytes + bytes > m_byteLimit && !m_ready.empty()) {
            // Larger pictures than foreseen: the window ends before this
            // one, from now on.
            m_span = int(std::max<std::int64_t>(1, (n - m_at) * m_direction));
            m_window = std::min(m_window, m_span);
            notify(lock);
            continue;
        }
        m_bytes += bytes;
        m_ready[n] = std::move(f);
        notify(lock);
    }
}

bool AheadDecoder::warmBehind(std::unique_lock<std::mutex>& lock, WarmedTo& warmed)
{
    // Going backward through long groups of pictures, the group before the
    // position is decoded from its key frame before the position reaches
    // it: toward the frame nearest beyond the window that the source does
    // not hold yet, one picture at a time so the window's frames go first,
    // into the source's own cache. Where every frame stands alone there is
    // nothing to gain.
    if (m_direction > 0 || m_span <= 1 || m_source.independentFrames())
        return false;
    // A new travel backward, not the next step of one: from the window on.
    if (warmed.direction != m_direction || m_at > warmed.at)
        warmed = WarmedTo{};
    warmed.direction = m_direction;
    warmed.at = m_at;
    if (warmed.target < 0 || warmed.steps >= kWarmSteps) {
        const std::int64_t from = std::min(m_at - m_span, warmed.frame - 1);
        warmed.target = -1;
        for (std::int64_t n = from; n >= 0 && n > m_at - m_span - kWarmBehind; --n) {
            if (!m_source.isDecoded(n)) {
                warmed.target = n;
                warmed.frame = n;
                warmed.steps = 0;
                break;
            }
        }
        if (warmed.target < 0)
            return false;
    }
    const std::int64_t target = warmed.target;
    lock.unlock();
    const bool more = m_source.decodeToward(target);
    lock.lock();
    ++warmed.steps;
    if (!more)
        warmed.target = -1;
    return true;
}

void AheadDecoder::notify(std::unique_lock<std::mutex>& lock)
{
    lock.unlock();
    if (m_notify)
        m_notify();
    lock.lock();
}

std::optional<AheadDecoder::Frame> AheadDecoder::ready(std::int64_t n) const
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_ready.find(n);
    if (it == m_ready.end())
        return std::nullopt;
    return it->second;
}

bool AheadDecoder::covers(std::int64_t n) const
{
    const std::lock_guard lock(m_mutex);
    return m_ready.count(n) || (!m_lanes.empty() && !m_stop && inWindow(n));
}

bool AheadDecoder::busy() const
{
    const std::lock_guard lock(m_mutex);
    return !m_decoding.empty();
}

std::vector<std::int64_t> AheadDecoder::readyFrames() const
{
    const std::lock_guard lock(m_mutex);
    std::vector<std::int64_t> out;
    for (const auto& entry : m_ready)
        out.push_back(entry.first);
    return out;
}

int AheadDecoder::window() const
{
    const std::lock_guard lock(m_mutex);
    return m_window;
}

std::int64_t AheadDecoder::readyBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_bytes;
}

} // namespace korvel
