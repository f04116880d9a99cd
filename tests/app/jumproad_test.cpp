// A jump from the camera to the scoring program, headless: start-up, the
// WSTIMS link switched on, a recording from the test camera with Contact
// pressed near the landing, review stepped to the touchdown frame, and the
// jump measured on the sample grid and recorded. The result must land in the
// results file, the log and both exchange files, at the scene's true distance.
// The first run's recorded sample jump takes the same road from the review
// screen's file choice.

#include "app/firstrun.h"
#include "app/hub.h"
#include "capture/framecounter.h"
#include "capture/previewform.h"
#include "capture/testcamerascene.h"
#include "grid/sample/lakescene.h"
#include "measure/impact.h"
#include "measure/jumptrace.h"
#include "media/framesource.h"
#include "shell/namedwidgets.h"
#include "shell/paths.h"
#include "shell/pictureview.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/app/hubfixture.h"
#include "tests/support/eventually.h"
#include "tests/support/workplace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineF>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

using namespace korvel;
using namespace korvel::test;

namespace
{

QStringList linesOf(const QString& path)
{
    return readLines(path).value_or(QStringList{"<missing>"});
}

// What the measure screen made of the touchdown frame.
struct Measured {
    double metres = 0;
    JumpDistance shown;
    QString skier, jumpNo;
};

// On the review screen with the video at frame `from`: steps to the touchdown
// frame, measures it, clicks the scene's known impact pixel on the sample
// grid and records the jump (under typedSkier when given, as the operator
// types a name there). The distance must be the scene's true one within what
// one pixel there changes, and the screen must show it.
void measureTouchdown(Hub& hub, std::int64_t from, std::int64_t touchdown, Measured& out,
                      const QString& typedSkier = {})
{
    ReviewModel& review = hub.reviewScreen().model();
    ASSERT_EQ(review.player().positionFrame(), from);
    const ReviewControl step = from < touchdown ? ReviewControl::Command4 : ReviewControl::Command1;
    for (int guard = 0; review.player().positionFrame() != touchdown && guard < 100; ++guard)
        findControl<QPushButton>(&hub.reviewScreen(), step)->click();
    ASSERT_EQ(review.player().positionFrame(), touchdown);
    auto* useFrame = findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::cmdMarkStart);
    ASSERT_TRUE(eventually([&] { return useFrame->isEnabled(); }));
    useFrame->click();
    ASSERT_EQ(visibleScreens(), QStringList{"Measure"});

    // The measure screen shows the touchdown frame itself.
    MeasureScreen& measureScreen = hub.measureScreen();
    MeasureModel& measure = measureScreen.model();
    const QImage picture = measureScreen.picture()->picture();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(readFrameCounter(picture), std::optional<std::uint32_t>(touchdown));
    if (!typedSkier.isEmpty()) {
        measure.setText(MeasureControl::SkierName, typedSkier);
        measureScreen.sync();
    }
    out.skier = measure.text(MeasureControl::SkierName);
    out.jumpNo = measure.text(MeasureControl::JumpNo);

    // The sample grid, and the known impact pixel clicked on it.
    measure.selectGrid(1);
    const TestCameraScene scene(picture.size());
    const QPointF pixel = scene.touchdownPixel();
    measure.clickPicture(pixel.x() * 15, pixel.y() * 15);
    ASSERT_TRUE(measure.impact().has_value());
    findControl<QPushButton>(&measureScreen, MeasureControl::Record)->click();

    const auto at = [&](double dx, double dy) {
        const auto d = impactDistance(measure.activeGrid(), measure.jumpSettings(),
                                      ScreenPoint{(pixel.x() + dx) * 15, (pixel.y() + dy) * 15});
        EXPECT_TRUE(d.has_value());
        return d ? d->d : 0.0;
    };
    out.metres = at(0, 0);
    double sensitivity = 0;
    for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        sensitivity = std::max(sensitivity, std::abs(at(dx, dy) - out.metres));
    const QPointF jump = sample::defaultSite(picture.size()).jump;
    const double truth = QLineF(jump, scene.touchdownSurvey()).length() + 2.1;
    EXPECT_NEAR(out.metres, truth, sensitivity) << "one pixel there is " << sensitivity << " m";
    out.shown = roundedDistance(out.metres, false);
    EXPECT_EQ(measure.text(MeasureControl::Distance), out.shown.distanceText());
    EXPECT_EQ(measure.text(MeasureControl::DistanceFt), out.shown.distanceFtText());
    std::printf("measured %.4f m, true %.4f m, one pixel %.4f m\n", out.metres, truth, sensitivity);
}

// Start-up answered, on to the main screen.
void startToMainScreen(Hub& hub, ScriptedPrompt& prompt)
{
    prompt.expectYesNo("Do you want to reset all parameters to install values?", false)
        .expectMessage("Please Verify all Setup Parameters");
    ASSERT_TRUE(hub.start());
    hub.configScreen().findChild<QAction*>("mnuExit")->trigger();
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
}

} // namespace

TEST(JumpRoad, CapturedJumpIsMeasuredAndReachesResultsLogAndScoring)
{
    Workplace w;
    ASSERT_TRUE(QDir().mkpath(w.kvio));
    ASSERT_EQ(prepareSampleTournament(*w.settings, w.dir.path()), QString());
    // No size chosen: the camera's own, the 640 x 480 the sample grid was solved at.
    w.settings->save(Setting::TestCamera, "1");
    Hub hub(*w.settings, w.prompt, [] { return QString(); });
    w.prompt.expectYesNo("Do you want to reset all parameters to install values?", false)
        .expectMessage("Please Verify all Setup Parameters");
    ASSERT_TRUE(hub.start());
    const double rate = hub.frameRate();
    ASSERT_GT(rate, 0);

    // Configuration: the scoring program's link on, then on to the main screen.
    auto* wstims = findControl<QCheckBox>(&hub.configScreen(), ConfigCheck::WSTIMS);
    ASSERT_NE(wstims, nullptr);
    if (!wstims->isChecked())
        wstims->click();
    EXPECT_EQ(hub.shared().WstimsState, WstimsLink::On);
    hub.configScreen().findChild<QAction*>("mnuExit")->trigger();
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});

    // Capture: Contact pressed a few frames before the skis touch the water.
    const std::int64_t touchdown = TestCameraScene::touchdownFrame(rate);
    findControl<QPushButton>(&hub.mainScreen(), MainCommand::cmdGoCapture)->click();
    ASSERT_EQ(visibleScreens(), QStringList{"PreviewForm"});
    PreviewForm& form = hub.captureScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(50);
    form.model().setSkierName(QStringLiteral("Ann Lake"));
    findControl<QPushButton>(&form, PreviewControl::StartCapture)->click();
    ASSERT_TRUE(form.model().recording());
    const QString video = form.model().captureFile();
    const QString skier = form.model().skierName();
    ASSERT_FALSE(skier.isEmpty());
    CaptureControl& control = hub.captureControl();
    ASSERT_TRUE(eventually([&] { return control.framesCaptured() >= touchdown - 3; }));
    findControl<QPushButton>(&form, PreviewControl::Contact)->click();
    const int contact = form.model().text(PreviewControl::StartFrame).toInt();
    ASSERT_TRUE(eventually([&] { return control.framesCaptured() >= touchdown + 15; }));
    QTest::keyClick(&form, Qt::Key_Escape);
    ASSERT_EQ(visibleScreens(), QStringList{"frmSetStart"});

    // Review proposes the touchdown frame by itself, and leaves the position
    // where Contact put it.
    ReviewModel& review = hub.reviewScreen().model();
    ASSERT_TRUE(eventually([&] { return !review.proposing(); }, 20000));
    EXPECT_EQ(review.view().lblProposedContact,
              QStringLiteral("Proposed first contact: frame %1").arg(touchdown));
    EXPECT_TRUE(
        findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::cmdGoToProposed)->isEnabled());
    EXPECT_EQ(review.player().positionFrame(), contact);

    // Review: from the contact frame to the touchdown frame, kept, measured.
    w.prompt.expectYesNo("Do you want to save this video capture?", true);
    Measured m;
    ASSERT_NO_FATAL_FAILURE(measureTouchdown(hub, contact, touchdown, m));
    // The measure screen had the proposed touch point on the splash, and the
    // jump's trace says the frame measured is the proposed one.
    const std::optional<ScreenPoint> touch = hub.measureScreen().model().proposedTouch();
    ASSERT_TRUE(touch.has_value());
    const QPointF truePixel = TestCameraScene(QSize(640, 480)).touchdownPixel();
    EXPECT_LE(QLineF(QPointF(touch->x, touch->y) / 15.0, truePixel).length(), 3.0);
    const QStringList traced = linesOf(traceFilePath(hub.shared().ResultsFile));
    ASSERT_FALSE(traced.isEmpty());
    EXPECT_TRUE(
        traced.last().contains(QStringLiteral("proposed=%1\tchosen=proposed").arg(touchdown)))
        << traced.last().toStdString();
    EXPECT_EQ(m.skier, skier);
    const JumpDistance& shown = m.shown;
    const QString& jumpNo = m.jumpNo;

    // Results file: one line, date and time, skier, jump, metres (IWSF) and feet (AWSA).
    const QStringList results = linesOf(hub.shared().ResultsFile);
    ASSERT_FALSE(results.isEmpty());
    const QRegularExpression resultPattern(
        QStringLiteral("^\\S+ \\S+ ") + QRegularExpression::escape(skier) +
        QStringLiteral("  jump ") + QRegularExpression::escape(jumpNo) + QStringLiteral(" - ") +
        QRegularExpression::escape(shown.distanceText() + "  (IWSF)" + shown.distanceFtText() +
                                   "  (AWSA)") +
        QStringLiteral(" \\(.*\\)$"));
    EXPECT_TRUE(resultPattern.match(results.last()).hasMatch()) << results.last().toStdString();

    // The log: the captured video measured at the touchdown frame.
    const QStringList log = linesOf(QDir(hub.shared().VideoDir).filePath(hub.shared().LogFileName));
    ASSERT_FALSE(log.isEmpty());
    const QString logged = log.last();
    EXPECT_TRUE(logged.contains(QStringLiteral("Skier: ") + skier)) << logged.toStdString();
    EXPECT_TRUE(
        logged.contains(QRegularExpression(QStringLiteral("Contact Frame: +%1 ").arg(touchdown))))
        << logged.toStdString();
    EXPECT_TRUE(logged.contains(QStringLiteral("File: ") + video)) << logged.toStdString();

    // The scoring program's files: the current result, and the running record.
    const QString exchange = QStringLiteral("OK, ") + numberText(shown.m1) + QStringLiteral(", ") +
                             numberText(shown.feet) + QStringLiteral(", ") + jumpNo;
    EXPECT_EQ(linesOf(QDir(w.kvio).filePath("kvresult.dst")), QStringList{exchange});
    const QStringList raw = linesOf(QDir(w.kvio).filePath("kvraw.dst"));
    ASSERT_EQ(raw.size(), 1);
    const QRegularExpression rawPattern(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d ,") +
                                        QRegularExpression::escape(skier.section(',', 0, 0)) +
                                        QStringLiteral(",") + QRegularExpression::escape(exchange) +
                                        QStringLiteral("$"));
    EXPECT_TRUE(rawPattern.match(raw[0]).hasMatch()) << raw[0].toStdString();

    EXPECT_TRUE(w.prompt.done());
    for (QWidget* top : QApplication::topLevelWidgets())
        top->hide();
}

TEST(JumpRoad, FirstRunsRecordedSampleJumpIsMeasuredAtTheScenesTrueDistance)
{
    Workplace w;
    ASSERT_EQ(prepareFirstRun(*w.settings, w.dir.path()), QString());
    // Nothing that would record at another size than the sample grid's.
    EXPECT_FALSE(w.settings->contains(Setting::VideoResolution));

    // A whole recording as the test camera makes one: 3 s at 30 frames a
    // second, 640 x 480, alone in the video folder.
    const QDir videos(w.dir.file("videos"));
    const QString video = videos.filePath(QLatin1String(kSampleJumpVideo));
    const OpenResult opened = openVideo(video);
    ASSERT_TRUE(opened.source) << opened.reason.toStdString();
    const VideoProperties props = opened.source->properties();
    EXPECT_EQ(props.frameCount, 90);
    EXPECT_EQ(QSize(props.width, props.height), QSize(640, 480));
    EXPECT_EQ(props.rateNumerator / props.rateDenominator, 30);
    EXPECT_EQ(videos.entryList(QDir::Files | QDir::Hidden), QStringList{kSampleJumpVideo});

    // From the main screen to review, the sample jump chosen there, measured.
    Hub hub(*w.settings, w.prompt, [] { return QString(); });
    ASSERT_NO_FATAL_FAILURE(startToMainScreen(hub, w.prompt));
    findControl<QPushButton>(&hub.mainScreen(), MainCommand::cmdGoTimer)->click();
    ASSERT_EQ(visibleScreens(), QStringList{"frmSetStart"});
    w.prompt.expectOpenFile(video);
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::Command6)->click();
    Measured m;
    ASSERT_NO_FATAL_FAILURE(
        measureTouchdown(hub, 0, TestCameraScene::touchdownFrame(30), m, "Sample Skier"));
    const QStringList results = linesOf(hub.shared().ResultsFile);
    ASSERT_FALSE(results.isEmpty());
    EXPECT_TRUE(results.last().contains(QStringLiteral("Sample Skier  jump ") + m.jumpNo +
                                        QStringLiteral(" - ") + m.shown.distanceText()))
        << results.last().toStdString();
    EXPECT_TRUE(PathExists(video, PathKind::File)); // reviewed, never deleted

    EXPECT_TRUE(w.prompt.done());
    for (QWidget* top : QApplication::topLevelWidgets())
        top->hide();
}

TEST(JumpRoad, AFirstRunWhoseJumpCannotBeRecordedKeepsTheRestOfTheSample)
{
    Workplace w;
    // A folder where the recording would go.
    const QString blocked = w.dir.file(QStringLiteral("videos/") + kSampleJumpVideo);
    ASSERT_TRUE(QDir().mkpath(blocked));
    const QString told = prepareFirstRun(*w.settings, w.dir.path());
    EXPECT_TRUE(told.startsWith(QStringLiteral("The sample tournament is ready in %1, but its "
                                               "recorded jump could not be made in ")
                                    .arg(w.dir.path())))
        << told.toStdString();
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_EQ(QDir(w.dir.file("videos")).entryList(QDir::Files | QDir::Hidden), QStringList{});
    EXPECT_EQ(w.settings->get(Setting::LogPath), w.dir.file("videos"));
    EXPECT_TRUE(PathExists(w.settings->get(Setting::Grid1File), PathKind::File));
}
