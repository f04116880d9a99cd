#pragma once
// Decoding ahead of a held arrow key, beside the screen. A key held down asks
// for a frame every 100 ms; a 1080p picture takes about as long to decode on
// one core, so the screen would show only some of the frames it passes. While
// the position travels, lanes of their own decode the frames it will reach
// next, in its direction, and convert them for the screen, so a step finds
// its picture ready.
//
// Lane 0 decodes with the player's own source: its decoder stands where the
// last step left it, so long groups of pictures go on forward without going
// back to a key frame, and going backward it keeps the frames it decodes on
// the way from the key frame before. The player does not touch that source
// while the lanes run (stop() hands it back). Where every frame is a picture
// of its own (MJPEG, uncompressed), a second lane decodes with a second
// source of the same file, the frames in between.
//
// Every frame is kept under the number it was asked for, with what decoding
// said of it (a damaged frame stays damaged), and only the frames between the
// position and a window ahead of it are kept, up to a limit in bytes. Each
// comes laid out for the screen too (converted and scaled as the player draws
// it), so a step only puts it on screen.

#include "media/framesource.h"

#include <climits>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

namespace korvel
{

// A picture as the player draws it, made beside the screen by the player's
// own layout.
struct ScreenPicture {
    virtual ~ScreenPicture() = default;
    virtual std::int64_t bytes() const = 0;
};
using ScreenPicturePtr = std::shared_ptr<const ScreenPicture>;
// Lays a decoded picture out for the screen; called on a lane's thread.
using ScreenLayout = std::function<ScreenPicturePtr(const Picture&)>;

class AheadDecoder
{
public:
    struct Frame {
        FrameResult result;
        ScreenPicturePtr screen; // with a picture and a layout only
    };
    // Called on a lane's thread when a frame is ready; it may only hand the
    // news over to the screen's thread.
    using Ready = std::function<void()>;

    // source: the player's, used by lane 0 while travelling. secondPath: the
    // same video for the second lane, empty for none.
    AheadDecoder(FrameSource& source, const QString& secondPath, std::int64_t byteLimit,
                 Ready ready, ScreenLayout layout = {});
    // Waits for the lanes.
    ~AheadDecoder();
    AheadDecoder(const AheadDecoder&) = delete;
    AheadDecoder& operator=(const AheadDecoder&) = delete;

    // The position is at `at` and moves by `direction` (+1 or -1): frames at,
    // at + direction, ... are decoded in that order, as many as the limit
    // holds. Starts the lanes when they are not running.
    void travel(std::int64_t at, int direction);
    // The key was released: nothing more beyond `at` is decoded; `at`
    // itself still comes.
    void rest(std::int64_t at);
    // Waits for the frame in decoding to end and the lanes to stop; the
    // player's source is its own again. What is ready stays ready.
    void stop();
    bool running() const { return !m_lanes.empty(); }

    // Frame n when it is ready.
    std::optional<Frame> ready(std::int64_t n) const;
    // Whether frame n is ready or will be without another travel().
    bool covers(std::int64_t n) const;
    // Whether a lane is decoding now.
    bool busy() const;

    // The numbers of the frames ready, and the bytes they take.
    std::vector<std::int64_t> readyFrames() const;
    std::int64_t readyBytes() const;
    // Frames the window ahead holds at most, from the byte limit.
    int window() const;

private:
    void lane(int index);
    // Under the lock: the frame a lane should decode next, -1 for none.
    std::int64_t nextWanted() const;
    bool inWindow(std::int64_t n) const;
    void trimLocked();
    void notify(std::unique_lock<std::mutex>& lock);
    // Lane 0's decoding beyond the window going backward: how far it went
    // for a travel at `at`.
    struct WarmedTo {
        int direction = 0;
        std::int64_t at = -1;
        std::int64_t frame = INT64_MAX; // the nearest frame behind decoded toward so far
        std::int64_t target = -1;       // the frame now decoded toward
        int steps = 0;
    };
    bool warmBehind(std::unique_lock<std::mutex>& lock, WarmedTo& warmed);
    std::int64_t frameBytes(const Frame& f) const;

    FrameSource& m_source;
    QString m_secondPath;
    std::unique_ptr<FrameSource> m_second; // lane 1's, opened on its thread
    std::int64_t m_byteLimit;
    Ready m_notify;
    ScreenLayout m_layout;
    std::int64_t m_frameCount;
    int m_window = 1;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::int64_t m_at = 0;
    int m_direction = 1;
    int m_span = 1; // frames from m_at on wanted: m_window, or 1 at rest
    std::map<std::int64_t, Frame> m_ready;
    std::set<std::int64_t> m_decoding;
    std::int64_t m_bytes = 0;
    std::vector<std::thread> m_lanes;
};

} // namespace korvel
