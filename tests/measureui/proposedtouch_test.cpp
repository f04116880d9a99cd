// Review's proposed touch point on the measure screen: a faint mark of its
// own colour on the very frame proposed, taken as the impact with T or left
// aside; Record always uses the impact the operator placed.

#include "measure/jumptrace.h"
#include "shell/paths.h"
#include "tests/measureui/measureoperator.h"

#include <QShortcut>

using namespace korvel;
using namespace korvel::test;

namespace
{

// The measure screen opened on the exported frame of a jump review proposed
// frame 61 for, the splash a little off the skier's contact pixel.
struct OnProposedFrame : MeasureOperator {
    QPointF proposedTwips;

    explicit OnProposedFrame(std::int64_t chosen, bool fromReview = true)
    {
        const QPoint contact = scene.impact->click();
        proposedTwips = (QPointF(contact) + QPointF(2.4, -1.2)) * 15.0;
        Jump j;
        j.video = dir.file("Sample Skierjump1.avi");
        j.skier = "Sample Skier";
        j.attempt = "1";
        j.chosenFrame = chosen;
        j.proposedFrame = 61;
        j.proposedPoint = proposedTwips;
        model->takeJump(j);
        if (fromReview) {
            const QString frame = joinPath(programFolder(), "currentcapture.bmp");
            EXPECT_TRUE(scene.picture.save(frame));
            shared.LastScreen = ScreenTag::SelectFrame;
            screen->enter();
            QFile::remove(frame);
        } else {
            loadSampleJump();
        }
    }
    QWidget* mark() { return find<QWidget>("shpProposedTouch"); }
    void pressT()
    {
        screen->show();
        screen->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(screen.get()));
        QTest::keyClick(screen.get(), Qt::Key_T);
    }
};

} // namespace

TEST(ProposedTouch, AFaintMarkTheOperatorTakesWithTOrIgnores)
{
    {
        OnProposedFrame op(61);
        op.screen->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(op.screen.get()));
        ASSERT_TRUE(op.mark()->isVisible());
        const QPoint centre = (op.proposedTwips / 15.0).toPoint();
        EXPECT_EQ(op.mark()->geometry().center(), centre);
        // Its own colour: cyan, never the impact's red.
        const QImage drawn = op.mark()->grab().toImage();
        bool cyan = false;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) {
                const QColor c = drawn.pixelColor(x, y);
                cyan = cyan || (c.blue() > c.red() + 60 && c.green() > c.red() + 60);
            }
        EXPECT_TRUE(cyan);
        EXPECT_FALSE(op.model->impact().has_value())
            << "the proposal is never the impact by itself";

        // Ignored: the operator's own click is what Record records.
        op.typeSkier("Sample Skier");
        const QPoint contact = op.scene.impact->click();
        op.clickPixel(contact);
        EXPECT_TRUE(op.mark()->isVisible());
        op.press("Record");
        const std::optional<JumpTrace> trace =
            findTrace(op.shared.ResultsFile, op.results().last());
        ASSERT_TRUE(trace.has_value());
        EXPECT_EQ(trace->impactTwips, contact * 15);
        EXPECT_EQ(trace->frame, 61);
        EXPECT_EQ(trace->proposedFrame, 61);
    }
    {
        // Taken with T: the impact stands on the proposed point, in whole twips.
        OnProposedFrame op(61);
        op.pressT();
        ASSERT_TRUE(op.model->impact().has_value());
        EXPECT_EQ(op.model->impact()->x, std::round(op.proposedTwips.x()));
        EXPECT_EQ(op.model->impact()->y, std::round(op.proposedTwips.y()));
        EXPECT_TRUE(op.shown("AdjustmentLabel"));
    }
}

TEST(ProposedTouch, OnlyOnTheFrameProposed)
{
    // Another frame chosen, or a picture loaded from a file: no mark, and T
    // places nothing.
    for (const bool fromReview : {true, false}) {
        OnProposedFrame op(fromReview ? 62 : 61, fromReview);
        EXPECT_FALSE(op.mark()->isVisible()) << fromReview;
        op.pressT();
        EXPECT_FALSE(op.model->impact().has_value()) << fromReview;
    }
}
