// An arrow key held on the review screen: every frame the key passes is
// painted, in order, its own picture above its own number, the pictures
// decoded and laid out beside the screen.

#include "review/mediaplayer.h"
#include "review/setstartscreen.h"

#include "shell/arrowkeys.h"
#include "shell/namedwidgets.h"
#include "tests/media/testvideos.h"
#include "tests/support/eventually.h"
#include "tests/support/handovers.h"
#include "tests/support/workplace.h"

#include <QTimer>

using namespace korvel;

TEST(ReviewHeldKey, EveryFramePassedIsPaintedInOrderUnderItsNumber)
{
    test::Workplace w;
    w.shared.VideoDir = w.dir.path();
    w.shared.LogFileName = "log.txt";
    test::ReviewHandOvers screens;
    SetStartScreen screen(w.shared, *w.settings, w.prompt, screens, [](const QString&) {
        return std::optional<std::int64_t>(5'000'000'000);
    });
    w.shared.LastScreen = ScreenTag::View;
    screen.model().setFileToView(test::writeSolidClip(w.dir.file("Smithjump1.avi"), 25));
    screen.enter();
    MediaPlayer* player = screen.player();
    ASSERT_TRUE(test::eventually([&] { return player->paintedFrame() == 0; }));

    // Frames painted one after another; the frame on show is painted again
    // (behind the slider) until the next one comes.
    std::vector<std::int64_t> painted{0};
    QObject::connect(player, &MediaPlayer::framePainted, [&](qint64 f) {
        if (painted.back() != f)
            painted.push_back(f);
        // The picture drawn is the frame named under it: its first pixel's
        // green tells the frame of the test clip.
        const QImage& drawn = player->drawnPicture();
        EXPECT_EQ((255 - qGreen(drawn.pixel(0, 0))) / 10, f);
        EXPECT_EQ(player->frameText(), QStringLiteral("Frame %1 of 25").arg(f));
    });
    QTimer* timer2 = findControl<QTimer>(&screen, ReviewControl::Timer2);
    ASSERT_TRUE(timer2);
    // The test polls the keys itself, one poll at a time.
    timer2->setInterval(24 * 3600 * 1000);
    // Forward, then back: each poll steps (one frame, or more after a late
    // poll) and its frame is painted before the next.
    std::vector<std::int64_t> passed{0};
    int laidOutAhead = 0;
    for (const auto& [key, polls] : {std::pair{ArrowKeys::Right, 12}, {ArrowKeys::Left, 6}}) {
        ArrowKeys::instance().press(key);
        for (int i = 0; i < polls; ++i) {
            QMetaObject::invokeMethod(timer2, "timeout");
            const std::int64_t at = player->positionFrame();
            passed.push_back(at);
            ASSERT_TRUE(test::eventually([&] { return player->paintedFrame() == at; })) << at;
            laidOutAhead += player->shown().screen != nullptr;
        }
        ArrowKeys::instance().release(key);
        ArrowKeys::instance().poll(key);
        QMetaObject::invokeMethod(timer2, "timeout");
    }
    EXPECT_EQ(painted, passed);
    EXPECT_EQ(passed[1], 1);
    EXPECT_GT(laidOutAhead, 0) << "the frames came from beside the screen";
    // Released, the lanes stop once idle and the player decodes around the
    // position again.
    ASSERT_TRUE(test::eventually([&] { return !player->ahead()->running(); }));

    // Held again, and the screen left meanwhile: the lanes end with it.
    ArrowKeys::instance().press(ArrowKeys::Right);
    QMetaObject::invokeMethod(timer2, "timeout");
    ASSERT_TRUE(player->ahead() && player->ahead()->running());
    screen.hide();
    EXPECT_FALSE(player->ahead());
    ArrowKeys::instance().release(ArrowKeys::Right);
    ArrowKeys::instance().poll(ArrowKeys::Right);
}
