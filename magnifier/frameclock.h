#pragma once
// Frames on a thread of their own. The window's thread holds the frame lock at
// all times except while its event loop sleeps; a frame takes the lock, so it
// runs only while the window's thread sleeps and finds the window's state as
// that thread left it. Following the pointer then costs a plain sleep and the
// frame itself, without a pass through the toolkit's event loop every 20 ms.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace lensor
{

class FrameClock
{
public:
    // Null where the event loop offers no way to hand the lock over while it
    // sleeps (another event loop than glib's): the window keeps its timer.
    // Made and used on the window's thread.
    static std::unique_ptr<FrameClock> create(std::function<void()> frame);
    ~FrameClock();
    FrameClock(const FrameClock&) = delete;
    FrameClock& operator=(const FrameClock&) = delete;

    // A frame every periodMs from now on; started again with a new period.
    void start(int periodMs);
    // No frame runs once this returns.
    void stop();
    bool running() const { return m_thread.joinable(); }

private:
    explicit FrameClock(std::function<void()> frame);
    void run();
    // Sleeps until due, or until wake() is called after seen was read;
    // true when woken.
    bool sleepUntil(int seen, std::chrono::steady_clock::time_point due);
    void wake();

    std::function<void()> m_frame;
    std::atomic<int> m_periodMs{20};
    std::atomic<bool> m_stop{false};
    // Counts the calls that wake the frame thread (a new period, stop); the
    // thread sleeps on it, one system call a frame and nothing else.
    std::atomic<int> m_wakes{0};
    std::thread m_thread;
};

} // namespace lensor
