// A video opened at a frame deep in a long group of pictures: the frame is
// decoded beside the screen while it opens, and is the frame of its number.
// Apart from the player tests, which run under ThreadSanitizer: the clip is
// made by the ffmpeg program, and a program forked under it confuses it.

#include "review/playerengine.h"

#include "tests/media/testvideos.h"
#include "tests/support/eventually.h"
#include "tests/support/testdir.h"

#include <gtest/gtest.h>

using namespace korvel;

namespace
{

void serve(PlayerEngine& player)
{
    ASSERT_TRUE(test::eventually([&] {
        player.work();
        return !player.waiting();
    }));
}

} // namespace

TEST(ReviewPlayerAhead, OpeningDeepInALongGroupDecodesBesideTheScreen)
{
    if (test::ffmpegProgram().isEmpty())
        GTEST_SKIP() << "the ffmpeg program is not installed (apt-get install ffmpeg)";
    test::TestDir t;
    const QString path = t.file("gop.avi");
    QString error;
    ASSERT_TRUE(test::makeTestClip(
        path, "64x48", 30, 40, {"-c:v", "libx264", "-g", "40", "-bf", "2", "-pix_fmt", "yuv420p"},
        &error))
        << error.toStdString();
    PlayerEngine player;
    player.setDecodeAheadWhileHeld(true);
    ASSERT_TRUE(player.load(path));
    player.setPosition(30);
    ASSERT_TRUE(player.ahead() && player.ahead()->running())
        << "the contact frame is decoded beside";
    serve(player);
    ASSERT_TRUE(player.shown().picture);
    EXPECT_EQ(player.shown().frame, 30);
    // The same picture as a decode of its own, and so are the steps after it.
    OpenResult reference = openVideo(path);
    for (int n : {30, 31, 32}) {
        if (n > 30) {
            player.setPosition(n);
            serve(player);
        }
        const FrameResult r = reference.source->frame(n);
        ASSERT_TRUE(r && player.shown().picture);
        EXPECT_EQ(player.shown().picture->bytes, r.picture->bytes) << n;
    }
}
