#include "magnifier/frameclock.h"

#include <QAbstractEventDispatcher>

#include <chrono>
#include <dlfcn.h>

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
    {
        std::lock_guard lock(m_waitLock);
        m_periodMs = std::max(periodMs, 1);
        m_periodChanged = true;
    }
    m_wake.notify_all();
    if (!running())
        m_thread = std::jthread([this](const std::stop_token& stop) { run(stop); });
}

void FrameClock::stop()
{
    if (!running())
        return;
    m_thread.request_stop();
    // The frame thread may be waiting for the lock this thread holds.
    g_frameLock.unlock();
    m_thread.join();
    g_frameLock.lock();
    m_thread = std::jthread();
}

void FrameClock::run(const std::stop_token& stop)
{
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    while (!stop.stop_requested()) {
        {
            std::unique_lock wait(m_waitLock);
            if (m_periodChanged) {
                // A new period counts from now.
                m_periodChanged = false;
                next = Clock::now();
            }
            next += std::chrono::milliseconds(m_periodMs);
            // Behind after a long wait for the window: the next frame at
            // once, not a burst of the ones missed.
            next = std::max(next, Clock::now());
            if (m_wake.wait_until(wait, stop, next, [this] { return m_periodChanged; }))
                continue;
        }
        if (stop.stop_requested())
            break;
        std::lock_guard frame(g_frameLock);
        if (!stop.stop_requested())
            m_frame();
    }
}

} // namespace lensor
