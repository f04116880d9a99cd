// The hub's capture road, headless: from the main screen to the capture
// screen, a short recording from the test camera with Contact pressed, and
// on to review with that recording at the contact frame.

#include "capture/capturepanels.h"
#include "capture/previewform.h"
#include "shell/namedwidgets.h"
#include "tests/app/hubfixture.h"
#include "tests/support/eventually.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::test;

namespace
{

// Waits, without a timing assertion, until the recording has at least n frames.
bool framesReach(CaptureControl& control, std::int64_t n)
{
    return eventually([&] { return control.framesCaptured() >= n; });
}

} // namespace

TEST(HubCapture, RecordsAJumpAndReviewsItAtTheContactFrame)
{
    Workplace w;
    SampleHub run(w, {{Setting::TestCamera, "1"}});
    ASSERT_NO_FATAL_FAILURE(run.start());
    Hub& hub = run.hub;
    EXPECT_GT(hub.frameRate(), 0);
    hub.configScreen().findChild<QAction*>("mnuExit")->trigger();
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});

    // The device panels sit beside the main screen's buttons, hidden until asked for.
    EXPECT_EQ(hub.devicePanels().parentWidget(), hub.mainScreen().devicePanelHost());
    EXPECT_FALSE(hub.devicePanels().isVisibleTo(&hub.mainScreen()));
    findControl<QPushButton>(&hub.mainScreen(), MainCommand::cmdShowConfig)->click();
    EXPECT_TRUE(hub.devicePanels().isVisibleTo(&hub.mainScreen()));

    findControl<QPushButton>(&hub.mainScreen(), MainCommand::cmdGoCapture)->click();
    ASSERT_EQ(visibleScreens(), QStringList{"PreviewForm"});
    EXPECT_TRUE(hub.captureControl().preview());

    PreviewForm& form = hub.captureScreen();
    // The screen's first paint checks the attempt against the folder; an
    // operator sees the screen before pressing Start.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(50);
    findControl<QPushButton>(&form, PreviewControl::StartCapture)->click();
    ASSERT_TRUE(form.model().recording());
    const QString file = form.model().captureFile();
    ASSERT_TRUE(framesReach(hub.captureControl(), 20));
    findControl<QPushButton>(&form, PreviewControl::Contact)->click();
    const int contact = form.model().text(PreviewControl::StartFrame).toInt();
    EXPECT_GT(contact, 0);
    ASSERT_TRUE(framesReach(hub.captureControl(), contact + 20));
    QTest::keyClick(&form, Qt::Key_Escape);

    EXPECT_FALSE(form.model().recording());
    EXPECT_EQ(visibleScreens(), QStringList{"frmSetStart"});
    ReviewModel& review = hub.reviewScreen().model();
    EXPECT_EQ(review.view().Text6, file);
    EXPECT_TRUE(QFileInfo(file).size() > 0);
    EXPECT_EQ(hub.shared().StartFrame, contact);
    EXPECT_GE(hub.shared().FramesCaptured, contact + 20);
    EXPECT_EQ(review.player().positionFrame(), contact);
    // The measure screen was told who jumps.
    EXPECT_EQ(hub.measureScreen().model().text(MeasureControl::SkierName),
              form.model().skierName());

    // Review's way back to capture, for the next attempt.
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::cmdGoToCapture)->click();
    EXPECT_EQ(visibleScreens(), QStringList{"PreviewForm"});
    EXPECT_TRUE(w.prompt.done());
}
