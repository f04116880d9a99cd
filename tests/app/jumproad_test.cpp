// A jump from the camera to the scoring program, headless: start-up, the
// WSTIMS link switched on, a recording from the test camera with Contact
// pressed near the landing, review stepped to the touchdown frame, and the
// jump measured on the sample grid and recorded. The result must land in the
// results file, the log and both exchange files, at the scene's true distance.

#include "app/firstrun.h"
#include "app/hub.h"
#include "capture/framecounter.h"
#include "capture/previewform.h"
#include "capture/testcamerascene.h"
#include "grid/sample/lakescene.h"
#include "measure/impact.h"
#include "shell/namedwidgets.h"
#include "shell/pictureview.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/support/workplace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
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

QStringList visibleScreens()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->objectName().isEmpty())
            names << w->objectName();
    names.sort();
    return names;
}

// Polls, without a timing assertion, until done() holds or a generous ceiling passes.
template <typename F> bool eventually(F done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 30000)
        QTest::qWait(20);
    return done();
}

QStringList linesOf(const QString& path)
{
    return readLines(path).value_or(QStringList{"<missing>"});
}

} // namespace

TEST(JumpRoad, CapturedJumpIsMeasuredAndReachesResultsLogAndScoring)
{
    Workplace w;
    ASSERT_TRUE(QDir().mkpath(w.kvio));
    ASSERT_EQ(prepareSampleTournament(*w.settings, w.dir.path()), QString());
    // No size chosen: the camera's own, the 640 x 480 the sample grid was solved at.
    w.settings->save("testcamera", "1");
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

    // Review: step from the contact frame to the touchdown frame.
    ReviewModel& review = hub.reviewScreen().model();
    ASSERT_EQ(review.player().positionFrame(), contact);
    const ReviewControl step =
        contact < touchdown ? ReviewControl::Command4 : ReviewControl::Command1;
    for (int guard = 0; review.player().positionFrame() != touchdown && guard < 100; ++guard)
        findControl<QPushButton>(&hub.reviewScreen(), step)->click();
    ASSERT_EQ(review.player().positionFrame(), touchdown);
    auto* useFrame = findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::cmdMarkStart);
    ASSERT_TRUE(eventually([&] { return useFrame->isEnabled(); }));
    w.prompt.expectYesNo("Do you want to save this video capture?", true);
    useFrame->click();
    ASSERT_EQ(visibleScreens(), QStringList{"Measure"});

    // The measure screen shows the touchdown frame itself.
    MeasureScreen& measureScreen = hub.measureScreen();
    MeasureModel& measure = measureScreen.model();
    const QImage picture = measureScreen.picture()->picture();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(readFrameCounter(picture), std::optional<std::uint32_t>(touchdown));
    EXPECT_EQ(measure.text(MeasureControl::SkierName), skier);
    const QString jumpNo = measure.text(MeasureControl::JumpNo);

    // The sample grid, and the known impact pixel clicked on it.
    measure.selectGrid(1);
    const TestCameraScene scene(picture.size());
    const QPointF pixel = scene.touchdownPixel();
    measure.clickPicture(pixel.x() * 15, pixel.y() * 15);
    ASSERT_TRUE(measure.impact().has_value());
    findControl<QPushButton>(&measureScreen, MeasureControl::Record)->click();

    // The distance is the scene's true one within what one pixel there changes.
    const auto at = [&](double dx, double dy) {
        const auto d = impactDistance(measure.activeGrid(), measure.jumpSettings(),
                                      ScreenPoint{(pixel.x() + dx) * 15, (pixel.y() + dy) * 15});
        EXPECT_TRUE(d.has_value());
        return d ? d->d : 0.0;
    };
    const double measured = at(0, 0);
    double sensitivity = 0;
    for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        sensitivity = std::max(sensitivity, std::abs(at(dx, dy) - measured));
    const QPointF jump = sample::defaultSite(picture.size()).jump;
    const double truth = QLineF(jump, scene.touchdownSurvey()).length() + 2.1;
    EXPECT_NEAR(measured, truth, sensitivity) << "one pixel there is " << sensitivity << " m";
    const JumpDistance shown = roundedDistance(measured, false);
    EXPECT_EQ(measure.text(MeasureControl::Distance), shown.distanceText());
    EXPECT_EQ(measure.text(MeasureControl::DistanceFt), shown.distanceFtText());
    std::printf("measured %.4f m, true %.4f m, one pixel %.4f m\n", measured, truth, sensitivity);

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
