// The proposed first contact on the review screen, operated as an operator
// does: it arrives by itself without moving the position, is shown as a line
// and a mark on the slider, and the P key or its button moves there; a newer
// video replaces the proposal of an older one, and a video opened without a
// grid is not searched.

#include "review/mediaplayer.h"
#include "review/setstartscreen.h"

#include "shell/namedwidgets.h"
#include "shell/paths.h"
#include "tests/media/testvideos.h"
#include "tests/review/jumpvideos.h"
#include "tests/support/handovers.h"
#include "tests/support/workplace.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

using namespace korvel;
using C = korvel::ReviewControl;

namespace
{

struct Screen {
    test::Workplace& w;
    test::ReviewHandOvers screens;
    SetStartScreen screen{w.shared, *w.settings, w.prompt, screens, [](const QString&) {
                              return std::optional<std::int64_t>(5'000'000'000);
                          }};
    std::optional<LandingArea> landingArea; // the grid's buoys, while one is ready

    explicit Screen(test::Workplace& place) : w(place)
    {
        w.shared.VideoDir = w.dir.path();
        w.shared.LogFileName = "log.txt";
        screen.model().setLandingArea([this] { return landingArea; });
    }
    QString label() { return findControl<QLabel>(&screen, C::lblProposedContact)->text(); }
    QPushButton* button() { return findControl<QPushButton>(&screen, C::cmdGoToProposed); }
    MediaPlayer* player() { return screen.player(); }
    void recorded(const QString& video, std::int16_t contactPressed)
    {
        w.shared.LastScreen = ScreenTag::Capture;
        w.shared.StartFrame = contactPressed;
        screen.model().setText6(video);
        screen.enter();
    }
    void opened(const QString& video)
    {
        w.shared.LastScreen = ScreenTag::View;
        screen.model().setFileToView(video);
        screen.enter();
    }
    bool answered()
    {
        return QTest::qWaitFor([this] { return !screen.model().proposing(); }, 20000);
    }
    std::int64_t shownFrame()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !player()->waiting(); }));
        return player()->shown().frame;
    }
};

// The grey level of a frame's picture at a point given in twips.
int greyAt(const Picture& picture, QPointF twips)
{
    const QPoint p = (twips / 15.0).toPoint();
    const std::uint8_t* px = picture.row(p.y()) + 3 * p.x();
    return (px[0] + px[1] + px[2]) / 3;
}

class ProposedContact : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (test::ffmpegProgram().isEmpty())
            GTEST_SKIP() << "the ffmpeg program is not installed";
    }
    QString film(test::Workplace& w, const char* name, const test::JumpFilm& f)
    {
        const QString path = w.dir.file(name);
        EXPECT_TRUE(test::filmJump(path, f));
        return path;
    }
};

} // namespace

TEST_F(ProposedContact, ShownBesideThePositionAndReachedByKeyAndButton)
{
    test::Workplace w;
    Screen s(w);
    const test::JumpFilm f = test::JumpFilm::seeded(41);
    const QString video = film(w, "Smithjump1.avi", f);
    const std::int64_t pressed = f.touchdownFrame() + 9; // Contact pressed late
    s.recorded(video, std::int16_t(pressed));
    ASSERT_TRUE(s.answered());

    const std::optional<std::int64_t> proposed = s.screen.model().jump().proposedFrame;
    ASSERT_TRUE(proposed.has_value()) << s.label().toStdString();
    EXPECT_LE(std::abs(*proposed - f.touchdownFrame()), 1);
    EXPECT_EQ(s.label(), QStringLiteral("Proposed first contact: frame %1").arg(*proposed));
    EXPECT_EQ(s.player()->proposedMark(), proposed);
    EXPECT_TRUE(s.button()->isEnabled());
    EXPECT_EQ(s.button()->text(), "Go to Proposed Contact");
    EXPECT_EQ(s.shownFrame(), pressed) << "the proposal never moves the position";
    EXPECT_EQ(s.screen.model().jump().contactFrame, pressed);

    // The frame the screen numbers N is the one whose picture shows the
    // splash at the proposed point, and the frame before does not.
    QTest::keyClick(s.player(), Qt::Key_P);
    EXPECT_EQ(s.shownFrame(), *proposed);
    EXPECT_EQ(s.player()->frameText(),
              QStringLiteral("Frame %1 of %2").arg(*proposed).arg(s.player()->frameCount()));
    const QPointF point = *s.screen.model().jump().proposedPoint;
    const PicturePtr atSplash = s.player()->shown().picture;
    ASSERT_TRUE(atSplash);
    QTest::mouseClick(findControl<QPushButton>(&s.screen, C::Command1), Qt::LeftButton);
    EXPECT_EQ(s.shownFrame(), *proposed - 1);
    const PicturePtr before = s.player()->shown().picture;
    ASSERT_TRUE(before);
    EXPECT_GT(greyAt(*atSplash, point) - greyAt(*before, point), 40);

    // The button goes there too; choosing that frame records that it was the proposed one.
    QTest::mouseClick(findControl<QPushButton>(&s.screen, C::Command4), Qt::LeftButton);
    QTest::mouseClick(findControl<QPushButton>(&s.screen, C::Command4), Qt::LeftButton);
    EXPECT_EQ(s.shownFrame(), *proposed + 1);
    QTest::mouseClick(s.button(), Qt::LeftButton);
    EXPECT_EQ(s.shownFrame(), *proposed);
    w.shared.GridsReady = 1;
    w.shared.VideoSavePolicy = SavePolicy::Save;
    QTest::mouseClick(findControl<QPushButton>(&s.screen, C::cmdMarkStart), Qt::LeftButton);
    EXPECT_EQ(s.screens.asked, QStringList{"measure"});
    EXPECT_EQ(s.screen.model().jump().chosenFrame, proposed);
    EXPECT_TRUE(s.screen.model().jump().choseProposed());
}

TEST_F(ProposedContact, ANewerVideoReplacesTheProposalAndOneWithoutAGridIsNotSearched)
{
    test::Workplace w;
    Screen s(w);
    test::JumpFilm first = test::JumpFilm::seeded(42);
    test::JumpFilm second = test::JumpFilm::seeded(43);
    second.flight.touchdownSeconds = first.flight.touchdownSeconds - 0.4; // another frame
    const QString a = film(w, "Smithjump1.avi", first);
    const QString b = film(w, "Smithjump2.avi", second);

    // The first recording's search is overtaken by a video opened with a
    // grid ready: only the second's proposal shows, now and later.
    s.recorded(a, 0);
    s.landingArea = LandingArea{TestCameraScene(second.size).landingArea(), second.size};
    s.opened(b);
    ASSERT_TRUE(s.answered());
    const std::optional<std::int64_t> proposed = s.screen.model().jump().proposedFrame;
    ASSERT_TRUE(proposed.has_value()) << s.label().toStdString();
    EXPECT_LE(std::abs(*proposed - second.touchdownFrame()), 1);
    QTest::qWait(0);
    EXPECT_EQ(s.screen.model().jump().video, b);
    EXPECT_EQ(s.screen.model().jump().proposedFrame, proposed);
    EXPECT_EQ(s.label(), QStringLiteral("Proposed first contact: frame %1").arg(*proposed));
    EXPECT_EQ(s.player()->proposedMark(), proposed);
    EXPECT_EQ(s.shownFrame(), 0);

    // The next jump recorded gets its own proposal, not the last one's.
    s.recorded(a, 5);
    EXPECT_FALSE(s.screen.model().jump().proposedFrame.has_value());
    EXPECT_FALSE(s.player()->proposedMark().has_value());
    ASSERT_TRUE(s.answered());
    ASSERT_TRUE(s.screen.model().jump().proposedFrame.has_value());
    EXPECT_LE(std::abs(*s.screen.model().jump().proposedFrame - first.touchdownFrame()), 1);
    EXPECT_EQ(s.shownFrame(), 5);

    // No grid ready: an opened video is not searched, and P does nothing.
    s.landingArea.reset();
    s.opened(b);
    EXPECT_FALSE(s.screen.model().proposing());
    EXPECT_EQ(s.label(), "No proposed first contact: no grid is ready");
    EXPECT_FALSE(s.button()->isEnabled());
    EXPECT_FALSE(s.player()->proposedMark().has_value());
    QTest::keyClick(s.player(), Qt::Key_P);
    EXPECT_EQ(s.shownFrame(), 0);
}

TEST_F(ProposedContact, NoSplashIsSaidAndLeavesNothingToGoTo)
{
    test::Workplace w;
    Screen s(w);
    test::JumpFilm f = test::JumpFilm::seeded(44);
    f.flight.splashSeconds = 0;
    s.recorded(film(w, "Smithjump1.avi", f), 12);
    ASSERT_TRUE(s.answered());
    EXPECT_EQ(s.label(), "No proposed first contact: no splash found");
    EXPECT_FALSE(s.button()->isEnabled());
    QTest::mouseClick(s.button(), Qt::LeftButton);
    QTest::keyClick(s.player(), Qt::Key_P);
    EXPECT_EQ(s.shownFrame(), 12);
}
