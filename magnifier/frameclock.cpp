#include "magnifier/frameclock.h"

#include <QAbstractEventDispatcher>

#include <cerrno>
#include <climits>
#include <dlfcn.h>
#include <linux/futex.h>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

namespace lensor
{

namespace
{
// glib's poll hook, found in the glib the toolkit already loaded: lensor is
// built without glib's headers. A GPollFD on Unix is an int and two shorts.
struct PollFd {
    int fd;
    unsigned short events;
    unsigned short revents;
};
using PollFunc = int (*)(PollFd*, unsigned, int);
using ContextFunc = void* (*)();
using GetPollFunc = PollFunc (*)(void*);
using SetPollFunc = void (*)(void*, PollFunc);

// Held by the window's thread except inside the event loop's poll.
std::mutex g_frameLock;
PollFunc g_poll = nullptr;
void* g_context = nullptr;
SetPollFunc g_setPoll = nullptr;
int g_clocks = 0;

int pollWithoutTheLock(PollFd* fds, unsigned count, int timeout)
{
    g_frameLock.unlock();
    const int result = g_poll(fds, count, timeout);
    g_frameLock.lock();
    return result;
}

template <class F> F glibFunction(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}
} // namespace

std::unique_ptr<FrameClock> FrameClock::create(std::function<void()> frame)
{
    if (g_clocks == 0) {
        const QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance();
        const auto context = glibFunction<ContextFunc>("g_main_context_default");
        const auto getPoll = glibFunction<GetPollFunc>("g_main_context_get_poll_func");
        g_setPoll = glibFunction<SetPollFunc>("g_main_context_set_poll_func");
        if (!loop || !loop->inherits("QEventDispatcherGlib") || !context || !getPoll || !g_setPoll)
            return nullptr;
        g_context = context();
        g_poll = getPoll(g_context);
        if (!g_poll)
            return nullptr;
        // Taken before the hook is in place: the loop's next poll lets it go.
        g_frameLock.lock();
        g_setPoll(g_context, &pollWithoutTheLock);
    }
    ++g_clocks;
    return std::unique_ptr<FrameClock>(new FrameClock(std::move(frame)));
}

FrameClock::FrameClock(std::function<void()> frame) : m_frame(std::move(frame)) {}

FrameClock::~FrameClock()
{
    stop();
    if (--g_clocks == 0) {
        g_setPoll(g_context, g_poll);
        g_frameLock.unlock();
    }
}

void FrameClock::start(int periodMs)
{
    m_periodMs = std::max(periodMs, 1);
    wake();
    if (!running()) {
        m_stop = false;
        m_thread = std::thread([this] { run(); });
    }
}

void FrameClock::stop()
{
    if (!running())
        return;
    m_stop = true;
    wake();
    // The frame thread may be waiting for the lock this thread holds.
    g_frameLock.unlock();
    m_thread.join();
    g_frameLock.lock();
    m_thread = std::thread();
}

// The futex word is the atomic's int: one word, no lock beside it.
static_assert(sizeof(std::atomic<int>) == sizeof(int) && std::atomic<int>::is_always_lock_free);

void FrameClock::wake()
{
    m_wakes.fetch_add(1);
    syscall(SYS_futex, reinterpret_cast<int*>(&m_wakes), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr,
            nullptr, 0);
}

bool FrameClock::sleepUntil(int seen, std::chrono::steady_clock::time_point due)
{
    // The steady clock is the monotonic one, which an absolute futex wait counts in.
    const auto since = due.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
    const timespec until{static_cast<time_t>(seconds.count()),
                         static_cast<long>(std::chrono::nanoseconds(since - seconds).count())};
    for (;;) {
        if (m_wakes.load() != seen)
            return true;
        const long result = syscall(SYS_futex, reinterpret_cast<int*>(&m_wakes),
                                    FUTEX_WAIT_BITSET | FUTEX_PRIVATE_FLAG, seen, &until, nullptr,
                                    FUTEX_BITSET_MATCH_ANY);
        if (result != 0 && errno == ETIMEDOUT)
            return false;
        // Woken, interrupted, or the word had changed already: look again.
    }
}

void FrameClock::run()
{
    using Clock = std::chrono::steady_clock;
    int seen = m_wakes.load();
    auto next = Clock::now() + std::chrono::milliseconds(m_periodMs.load());
    while (!m_stop) {
        if (sleepUntil(seen, next)) {
            // A new period counts from now; a stop ends the loop.
            seen = m_wakes.load();
            next = Clock::now() + std::chrono::milliseconds(m_periodMs.load());
            continue;
        }
        {
            std::lock_guard frame(g_frameLock);
            if (m_stop)
                break;
            m_frame();
        }
        // Behind after a long wait for the window: the next frame at once,
        // not a burst of the ones missed. One reading of the clock a frame.
        next = std::max(next + std::chrono::milliseconds(m_periodMs.load()), Clock::now());
    }
}

} // namespace lensor
