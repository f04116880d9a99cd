// Decoding ahead of a held key: the frames decoded in the direction of
// travel and in that order, each under its own number, a damaged one still
// damaged; the window bounded in bytes; a released key, another video and an
// unload stopping the lanes cleanly; and the player's steps served from them.

#include "review/aheaddecoder.h"
#include "review/playerengine.h"

#include "tests/media/testvideos.h"
#include "tests/support/eventually.h"
#include "tests/support/testdir.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace korvel;
using korvel::test::RawAvi;

namespace
{

// 32 x 16 pixels at 3 bytes, rows of 96 bytes.
constexpr std::int64_t kPictureBytes = 96 * 16;

// The player's source seen from the lanes: which frames they asked for, in
// order, and a gate that holds each decode until the test opens it.
struct WatchedSource : FrameSource {
    std::unique_ptr<FrameSource> inner;
    std::mutex mutex;
    std::condition_variable opened;
    std::vector<std::int64_t> asked;
    std::vector<std::int64_t> toward; // frames decoded toward, beyond the window
    bool open = true;
    bool standAlone = true; // false: decoded as if frames leaned on the ones before

    explicit WatchedSource(const QString& path) : inner(openVideo(path).source) {}
    const VideoProperties& properties() const override { return inner->properties(); }
    bool independentFrames() const override { return standAlone; }
    bool isDecoded(std::int64_t n) const override { return inner->isDecoded(n); }
    bool decodeToward(std::int64_t n) override
    {
        {
            const std::lock_guard lock(mutex);
            if (toward.empty() || toward.back() != n)
                toward.push_back(n);
        }
        return inner->decodeToward(n);
    }
    FrameResult frame(std::int64_t n) override
    {
        {
            std::unique_lock lock(mutex);
            asked.push_back(n);
            opened.wait(lock, [this] { return open; });
        }
        return inner->frame(n);
    }
    bool prefetchStep() override { return inner->prefetchStep(); }
    std::vector<std::int64_t> askedSoFar()
    {
        const std::lock_guard lock(mutex);
        return asked;
    }
    std::vector<std::int64_t> towardSoFar()
    {
        const std::lock_guard lock(mutex);
        return toward;
    }
    void setOpen(bool on)
    {
        {
            const std::lock_guard lock(mutex);
            open = on;
        }
        opened.notify_all();
    }
};

// The frame as the lanes left it: its number from its colour, or -1 for a
// damaged one with no picture.
int readyNumber(const AheadDecoder& ahead, std::int64_t n)
{
    const std::optional<AheadDecoder::Frame> f = ahead.ready(n);
    if (!f)
        return -2;
    if (!f->result.picture)
        return f->result.damaged() ? -1 : -3;
    return RawAvi::solidFrameNumber(*f->result.picture);
}

struct Heavy : ScreenPicture {
    std::int64_t weight;
    explicit Heavy(std::int64_t w) : weight(w) {}
    std::int64_t bytes() const override { return weight; }
};

} // namespace

TEST(AheadDecoder, DecodesInTheDirectionOfTravelEachFrameUnderItsNumber)
{
    const struct {
        const char* what;
        int frames;
        int damaged;
        std::int64_t at;
        int direction;
        std::vector<std::int64_t> ready;
        bool standAlone = true;
        std::vector<std::int64_t> beyond = {}; // decoded beyond the window, in order
    } cases[] = {
        {"forward", 20, -1, 3, 1, {3, 4, 5, 6}},
        {"backward", 20, -1, 10, -1, {10, 9, 8, 7}},
        {"up to the last frame", 20, -1, 18, 1, {18, 19}},
        {"down to frame 0", 20, -1, 1, -1, {1, 0}},
        {"over a damaged frame", 20, 5, 3, 1, {3, 4, 5, 6}},
        // Frames that lean on the ones before: going backward the frames
        // before the window are decoded ahead of need, into the source.
        {"backward, long groups", 20, -1, 10, -1, {10, 9, 8, 7}, false, {6, 5, 4, 3, 2, 1, 0}},
        {"backward over a damaged frame", 20, 5, 9, -1, {9, 8, 7, 6}, false, {5, 4, 3, 2, 1, 0}},
        {"forward, long groups", 20, -1, 3, 1, {3, 4, 5, 6}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestDir t;
        WatchedSource source(test::writeSolidClip(t.file("a.avi"), c.frames, c.damaged));
        ASSERT_TRUE(source.inner);
        source.standAlone = c.standAlone;
        AheadDecoder ahead(source, QString(), 4 * kPictureBytes, {});
        EXPECT_EQ(ahead.window(), 4);
        ahead.travel(c.at, c.direction);
        ASSERT_TRUE(test::eventually([&] {
            return ahead.readyFrames().size() == c.ready.size() && !ahead.busy() &&
                   source.towardSoFar().size() >= c.beyond.size();
        }));
        ahead.stop();
        EXPECT_EQ(source.askedSoFar(), c.ready) << "one lane, nearest first, nothing else";
        EXPECT_EQ(source.towardSoFar(), c.beyond);
        for (std::int64_t n : c.beyond)
            EXPECT_TRUE(n == c.damaged || source.inner->isDecoded(n)) << n;
        for (std::int64_t n : c.ready)
            EXPECT_EQ(readyNumber(ahead, n), n == c.damaged ? -1 : int(n)) << n;
        EXPECT_LE(ahead.readyBytes(), 4 * kPictureBytes);
    }
}

TEST(AheadDecoder, FollowsThePositionWithinItsBytes)
{
    // The screen layout as foreseen (four bytes a pixel), and heavier than
    // foreseen: the window shrinks rather than the limit giving way.
    const struct {
        const char* what;
        std::int64_t layoutBytes;
        int window; // foreseen from a layout of four bytes a pixel
    } cases[] = {
        {"pictures alone", 0, 4},
        {"laid out as foreseen", 32 * 16 * 4, 4},
        {"laid out heavier", 3000, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestDir t;
        WatchedSource source(test::writeSolidClip(t.file("a.avi"), 20));
        const std::int64_t limit = 4 * (kPictureBytes + c.layoutBytes);
        ScreenLayout layout;
        if (c.layoutBytes > 0)
            layout = [&c](const Picture&) { return std::make_shared<Heavy>(c.layoutBytes); };
        AheadDecoder ahead(source, QString(), limit, {}, layout);
        EXPECT_EQ(ahead.window(), c.window);
        const std::size_t held = 4;
        for (std::int64_t at = 0; at < 12; ++at) {
            ahead.travel(at, 1);
            ASSERT_TRUE(test::eventually([&] {
                const auto ready = ahead.readyFrames();
                return ready.size() == held && ready.front() == at && !ahead.busy();
            })) << at;
            EXPECT_LE(ahead.readyBytes(), limit);
            EXPECT_EQ(ahead.readyFrames().back(), at + std::int64_t(held) - 1);
        }
        ahead.stop();
        EXPECT_LE(source.askedSoFar().size(), 12u + held) << "no frame decoded over and over";
    }
}

TEST(AheadDecoder, AReleasedKeyDecodesNothingBeyondItsFrame)
{
    test::TestDir t;
    WatchedSource source(test::writeSolidClip(t.file("a.avi"), 20));
    AheadDecoder ahead(source, QString(), 8 * kPictureBytes, {});
    source.setOpen(false);
    ahead.travel(2, 1);
    ASSERT_TRUE(test::eventually([&] { return ahead.busy(); }));
    ahead.rest(2);
    EXPECT_TRUE(ahead.covers(2));
    EXPECT_FALSE(ahead.covers(3));
    source.setOpen(true);
    ASSERT_TRUE(test::eventually([&] { return !ahead.busy() && readyNumber(ahead, 2) == 2; }));
    ahead.stop();
    EXPECT_FALSE(ahead.running());
    EXPECT_EQ(source.askedSoFar(), std::vector<std::int64_t>{2});
    // The source is the caller's again.
    const FrameResult r = source.frame(7);
    ASSERT_TRUE(r);
    EXPECT_EQ(RawAvi::solidFrameNumber(*r.picture), 7);
}

TEST(AheadDecoder, TwoLanesShareFramesThatStandAlone)
{
    test::TestDir t;
    const QString path = test::writeSolidClip(t.file("a.avi"), 20);
    WatchedSource source(path);
    ASSERT_TRUE(source.inner->independentFrames());
    AheadDecoder ahead(source, path, 10 * kPictureBytes, {});
    ahead.travel(9, -1);
    ASSERT_TRUE(test::eventually([&] { return ahead.readyFrames().size() == 10; }));
    for (std::int64_t n = 0; n <= 9; ++n)
        EXPECT_EQ(readyNumber(ahead, n), n);
    ahead.stop();
}

namespace
{

// The player's frame on show once the lanes have brought it.
void serve(PlayerEngine& player)
{
    ASSERT_TRUE(test::eventually([&] {
        player.work();
        return !player.waiting();
    }));
}

int shownNumber(const PlayerEngine& player)
{
    const PlayerEngine::Shown& s = player.shown();
    if (!s.picture)
        return s.damaged ? -1 : -3;
    return RawAvi::solidFrameNumber(*s.picture);
}

} // namespace

TEST(ReviewPlayerAhead, EachStepShowsItsOwnFrame)
{
    const struct {
        const char* what;
        int frames;
        int damaged;
        int start;
        std::vector<int> moves;
        std::vector<int> shown;
        int jumpTo;
    } cases[] = {
        {"forward", 20, -1, 3, {1, 1, 1, 1, 1, 1}, {4, 5, 6, 7, 8, 9}, 19},
        {"backward", 20, -1, 10, {-1, -1, -1, -1, -1}, {9, 8, 7, 6, 5}, 17},
        {"past the last frame", 20, -1, 17, {1, 1, 1, 1}, {18, 19, 19, 19}, 5},
        {"past frame 0", 20, -1, 2, {-1, -1, -1, -1}, {1, 0, 0, 0}, 12},
        {"over a damaged frame", 10, 5, 3, {1, 1, 1, 1}, {4, 5, 6, 7}, 0},
        {"late polls, two steps each", 20, -1, 3, {2, 2, 2}, {5, 7, 9}, 0},
        {"turning back", 20, -1, 8, {1, 1, -1, -1, -1}, {9, 10, 9, 8, 7}, 19},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TestDir t;
        PlayerEngine player;
        player.setDecodeAheadWhileHeld(true);
        ASSERT_TRUE(player.load(test::writeSolidClip(t.file("a.avi"), c.frames, c.damaged)));
        player.setPosition(c.start);
        serve(player);
        for (std::size_t i = 0; i < c.moves.size(); ++i) {
            player.setPosition(player.position() + c.moves[i]);
            serve(player);
            EXPECT_EQ(player.shown().frame, c.shown[i]) << i;
            EXPECT_EQ(shownNumber(player), c.shown[i] == c.damaged ? -1 : c.shown[i]) << i;
        }
        ASSERT_TRUE(player.ahead());
        player.setPosition(c.jumpTo);
        serve(player);
        EXPECT_EQ(shownNumber(player), c.jumpTo);
    }
}

TEST(ReviewPlayerAhead, AnotherVideoTheReleaseAndAnUnloadEndTheLanes)
{
    test::TestDir t;
    // Frames of the second video carry the numbers 12 and up: none of them
    // may show a frame of the first.
    RawAvi second = RawAvi::solidClip(0);
    for (int n = 0; n < 10; ++n)
        second.frames.push_back(RawAvi::solidFrame(second.width, second.height, 12 + n));
    ASSERT_TRUE(second.write(t.file("b.avi")));

    PlayerEngine player;
    player.setDecodeAheadWhileHeld(true);
    ASSERT_TRUE(player.load(test::writeSolidClip(t.file("a.avi"), 60)));
    player.setPosition(3);
    player.setPosition(4);
    ASSERT_TRUE(player.ahead() && player.ahead()->running());
    // A jump beyond the frames ahead: they stop, and the frame is decoded on
    // the spot.
    player.setPosition(50);
    EXPECT_FALSE(player.ahead()->running());
    EXPECT_TRUE(player.work());
    EXPECT_EQ(player.shown().frame, 50);
    player.setPosition(51);
    ASSERT_TRUE(player.ahead()->running());
    ASSERT_TRUE(player.load(t.file("b.avi")));
    EXPECT_FALSE(player.ahead());
    for (int n : {1, 2, 3}) {
        player.setPosition(n);
        serve(player);
        EXPECT_EQ(shownNumber(player), 12 + n);
    }

    // Released: the lanes finish the frame on show and give the source back.
    player.endTravel();
    ASSERT_TRUE(test::eventually([&] {
        player.work();
        return !player.ahead()->running();
    }));
    const FrameResult r = player.source()->frame(5);
    ASSERT_TRUE(r);
    EXPECT_EQ(RawAvi::solidFrameNumber(*r.picture), 17);

    // Unloaded, or the player gone, in the middle of a travel.
    player.setPosition(6);
    player.setPosition(7);
    player.unload();
    EXPECT_FALSE(player.loaded());
    ASSERT_TRUE(player.load(t.file("b.avi")));
    player.setPosition(1);
    player.setPosition(2);
}
