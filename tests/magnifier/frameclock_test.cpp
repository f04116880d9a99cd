#include "magnifier/frameclock.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace lensor;

namespace
{
// Busy on the window's thread without entering the event loop, as a handler is.
void busyFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (!t.hasExpired(ms))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// The window's thread asleep in its event loop for ms.
void sleepInLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Asleep in the event loop until frames reaches count, for boundMs at most.
bool sleepUntil(const std::atomic<int>& frames, int count, int boundMs)
{
    QElapsedTimer t;
    t.start();
    while (frames.load() < count && !t.hasExpired(boundMs))
        sleepInLoop(5);
    return frames.load() >= count;
}
} // namespace

// A frame runs only while the window's thread sleeps in its event loop, so it
// finds the window's state as a handler left it; stopping and starting again,
// with the frame thread waiting for the window, neither hangs nor lets a
// frame through.
TEST(FrameClock, FramesRunOnlyWhileTheWindowThreadSleeps)
{
    int state = 0; // the window's, not atomic: the lock alone guards it
    std::atomic<int> frames{0};
    bool inconsistent = false;
    auto clock = FrameClock::create([&] {
        if (state % 2 != 0)
            inconsistent = true; // a frame in the middle of a handler
        ++frames;
    });
    ASSERT_TRUE(clock) << "the test's event loop is glib's";

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        clock->start(5);
        EXPECT_TRUE(sleepUntil(frames, 3, 5000)); // the event loop sleeps: frames run

        // A handler that takes its time: no frame while it runs.
        ++state;
        const int before = frames.load();
        busyFor(40);
        EXPECT_EQ(frames.load(), before);
        ++state;

        // Stopped while the frame thread waits for the window: returns, and
        // no frame comes after.
        ++state;
        busyFor(15);
        clock->stop();
        ++state;
        const int stopped = frames.load();
        sleepInLoop(30);
        EXPECT_EQ(frames.load(), stopped);
        EXPECT_FALSE(clock->running());
        frames = 0;
    }
    EXPECT_FALSE(inconsistent);

    // A new period takes effect on the running clock.
    clock->start(1000);
    sleepInLoop(20);
    clock->start(2);
    EXPECT_TRUE(sleepUntil(frames, 10, 900));
    clock.reset(); // stops and hands the event loop back
    sleepInLoop(10);
}
