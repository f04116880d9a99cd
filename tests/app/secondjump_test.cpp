// The road of the second jump and of the screens come back to: what a
// screen made fresh shows right, but a screen shown again, after a jump was
// measured, a window closed or a grid saved, showed wrong.

#include "capture/previewform.h"
#include "grid/gridsetupcontrols.h"
#include "measure/calibrationline.h"
#include "shell/namedwidgets.h"
#include "shell/paths.h"
#include "shell/pictureview.h"
#include "shell/textfile.h"
#include "tests/app/hubfixture.h"
#include "tests/support/eventually.h"
#include "tests/support/findcontrol.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::test;

namespace
{

void click(QWidget* screen, MainCommand c)
{
    auto* b = findControl<QPushButton>(screen, c);
    ASSERT_NE(b, nullptr) << controlName(c).toStdString();
    b->click();
}

void trigger(QWidget* screen, const char* action)
{
    auto* a = screen->findChild<QAction*>(QString::fromLatin1(action));
    ASSERT_NE(a, nullptr) << action;
    a->trigger();
}

void hideAll()
{
    for (QWidget* top : QApplication::topLevelWidgets())
        top->hide();
}

} // namespace

TEST(SecondVisit, GridSetUpFromTheMainScreenShowsTheGridAsLoaded)
{
    Workplace w;
    SampleHub run(w);
    ASSERT_NO_FATAL_FAILURE(run.start());
    Hub& hub = run.hub;
    trigger(&hub.configScreen(), "mnuExit");
    ASSERT_EQ(hub.shared().GridsReady, 1);
    const QString gridFile = w.settings->get(Setting::Grid1File);
    ASSERT_FALSE(gridFile.isEmpty());
    // A contact frame exported earlier (this day or the last) lies in the
    // program folder, as it does after the first measured jump.
    ASSERT_TRUE(sample::makeSampleScene().picture.save(
        joinPath(programFolder(), QStringLiteral("currentcapture.bmp"))));

    // Twice: the first visit, and one after the screen was left.
    for (int visit = 1; visit <= 2; ++visit) {
        click(&hub.mainScreen(), MainCommand::cmdSetup);
        ASSERT_EQ(visibleScreens(), QStringList{"Grid_Setup"});
        GridSetupScreen& setup = hub.gridSetupScreen();
        EXPECT_EQ(findControl<QLineEdit>(&setup, GridControl::FileName)->text(), gridFile)
            << "visit " << visit;
        EXPECT_EQ(findControl<QLineEdit>(&setup, GridControl::Description)->text(),
                  hub.grids().gridDescription[1])
            << "visit " << visit;
        auto* state = findControl<QLabel>(&setup, GridControl::StateIcon);
        ASSERT_NE(state, nullptr);
        EXPECT_TRUE(state->property("valid").toBool()) << "visit " << visit;
        trigger(&setup, "gridExit");
        ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
    }
    hideAll();
}

TEST(SecondVisit, AGridSavedUnderANewDescriptionIsShownSoOnTheMainAndMeasureScreens)
{
    Workplace w;
    SampleHub run(w);
    ASSERT_NO_FATAL_FAILURE(run.start());
    Hub& hub = run.hub;
    trigger(&hub.configScreen(), "mnuExit");
    const QString before = hub.grids().gridDescription[1];
    ASSERT_FALSE(before.isEmpty());
    auto* descriptions =
        findControl<QPlainTextEdit>(&hub.mainScreen(), MainControl::txtGridDescription);
    ASSERT_NE(descriptions, nullptr);
    ASSERT_TRUE(descriptions->toPlainText().contains(before));

    click(&hub.mainScreen(), MainCommand::cmdSetup);
    const QString renamed = w.dir.file("lake-east.ipt");
    ASSERT_TRUE(hub.gridSetupScreen().model().saveGrid(1, renamed, "East shore, new mast"));
    trigger(&hub.gridSetupScreen(), "gridExit");
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
    EXPECT_TRUE(descriptions->toPlainText().contains("East shore, new mast"))
        << descriptions->toPlainText().toStdString();
    EXPECT_FALSE(descriptions->toPlainText().contains(before));
    // Still ready: saving changes the description, not the grid.
    EXPECT_EQ(hub.shared().GridsReady, 1);

    click(&hub.mainScreen(), MainCommand::ccmdGoToMeasure);
    ASSERT_EQ(visibleScreens(), QStringList{"Measure"});
    EXPECT_EQ(hub.measureScreen().model().text(MeasureControl::GridDescription),
              "East shore, new mast");
    hideAll();
}

// The calibration line is drawn only through a grid that is ready: a grid
// whose set-up was left unsolved says so instead of a line drawn through
// coefficients that mean nothing.
TEST(SecondVisit, TheCalibrationLineWaitsForAReadyGrid)
{
    Workplace w;
    SampleHub run(w, {{Setting::TestCamera, "1"}});
    ASSERT_NO_FATAL_FAILURE(run.start());
    Hub& hub = run.hub;
    trigger(&hub.configScreen(), "mnuExit");
    click(&hub.mainScreen(), MainCommand::ccmdGoToMeasure);
    ASSERT_TRUE(hub.measureScreen().isVisible());
    hub.grids().gridReady[1] = false; // as after a set-up left unsolved
    trigger(&hub.measureScreen(), "mnuCalibrate");
    QWidget* calibration = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "Calibrate" && top->isVisible())
            calibration = top;
    ASSERT_NE(calibration, nullptr);
    w.prompt.expectMessage(
        "There is no ready grid to draw the line through. Solve or load the grid first.", QString(),
        Icon::Exclamation);
    auto* draw = findControl<QPushButton>(calibration, CalibrationControl::Draw);
    ASSERT_NE(draw, nullptr);
    draw->click();
}

TEST(SecondVisit, ClosingAScreensWindowLeavesAsItsOwnExitDoes)
{
    Workplace w;
    SampleHub run(w, {{Setting::TestCamera, "1"}});
    ASSERT_NO_FATAL_FAILURE(run.start());
    Hub& hub = run.hub;
    int lastWindowClosed = 0;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { ++lastWindowClosed; });
    trigger(&hub.configScreen(), "mnuExit");
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});

    struct Case {
        MainCommand open;
        const char* screen;
    } cases[] = {
        {MainCommand::cmdSetup, "Grid_Setup"},
        {MainCommand::ccmdGoToMeasure, "Measure"},
        {MainCommand::cmdGoTimer, "frmSetStart"},
        {MainCommand::cmdGoCapture, "PreviewForm"},
    };
    // Each twice: the second time a screen is shown again, as in a day's work.
    for (int round = 1; round <= 2; ++round) {
        for (const Case& c : cases) {
            click(&hub.mainScreen(), c.open);
            ASSERT_EQ(visibleScreens(), QStringList{c.screen}) << c.screen;
            QWidget* screen = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == c.screen)
                    screen = top;
            ASSERT_NE(screen, nullptr);
            EXPECT_TRUE(screen->close()) << c.screen;
            EXPECT_EQ(visibleScreens(), QStringList{"MainForm"}) << c.screen << " round " << round;
            EXPECT_EQ(lastWindowClosed, 0) << c.screen;
        }
    }

    // A recording is not left by closing its window: Escape stops it.
    click(&hub.mainScreen(), MainCommand::cmdGoCapture);
    PreviewForm& form = hub.captureScreen();
    findControl<QPushButton>(&form, PreviewControl::StartCapture)->click();
    ASSERT_TRUE(form.model().recording());
    EXPECT_FALSE(form.close());
    EXPECT_EQ(visibleScreens(), QStringList{"PreviewForm"});
    EXPECT_TRUE(form.model().recording());
    form.model().escape();
    EXPECT_FALSE(form.model().recording());
    EXPECT_EQ(lastWindowClosed, 0);
    hideAll();
}

namespace
{

// Records a jump on the capture screen: Start, Contact after `contactAfter`
// frames, Escape once `frames` are in. Returns the contact frame shown.
int recordJump(Hub& hub, std::int64_t contactAfter, std::int64_t frames)
{
    PreviewForm& form = hub.captureScreen();
    CaptureControl& control = hub.captureControl();
    findControl<QPushButton>(&form, PreviewControl::StartCapture)->click();
    EXPECT_TRUE(form.model().recording());
    EXPECT_TRUE(eventually([&] { return control.framesCaptured() >= contactAfter; }));
    findControl<QPushButton>(&form, PreviewControl::Contact)->click();
    const int contact = form.model().text(PreviewControl::StartFrame).toInt();
    EXPECT_TRUE(eventually([&] { return control.framesCaptured() >= frames; }));
    QTest::keyClick(&form, Qt::Key_Escape);
    return contact;
}

} // namespace

TEST(SecondJump, ReviewStepsTheNextRecordingAndItsFixedNameIsTheOneMeasured)
{
    Workplace w;
    SampleHub run(w, {{Setting::TestCamera, "1"}});
    ASSERT_NO_FATAL_FAILURE(run.start());
    Hub& hub = run.hub;
    trigger(&hub.configScreen(), "mnuExit");
    ReviewModel& review = hub.reviewScreen().model();
    MeasureScreen& measure = hub.measureScreen();

    // The first jump: stepped one frame on from Contact, measured, recorded.
    click(&hub.mainScreen(), MainCommand::cmdGoCapture);
    PreviewForm& form = hub.captureScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.model().setSkierName("Ann Lake");
    const int firstContact = recordJump(hub, 30, 60);
    ASSERT_EQ(visibleScreens(), QStringList{"frmSetStart"});
    ASSERT_EQ(review.player().positionFrame(), firstContact);
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::Command4)->click();
    EXPECT_EQ(review.player().positionFrame(), firstContact + 1);
    w.prompt.expectYesNo("Do you want to save this video capture?", true);
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::cmdMarkStart)->click();
    ASSERT_EQ(visibleScreens(), QStringList{"Measure"});
    EXPECT_EQ(measure.model().text(MeasureControl::SkierName), "Ann Lake");
    EXPECT_EQ(measure.model().text(MeasureControl::JumpNo), "1");
    measure.model().clickPicture(300 * 15, 300 * 15);
    findControl<QPushButton>(&measure, MeasureControl::Record)->click();
    w.prompt.expectYesNo("Do you want to save this picture?", false);
    findControl<QPushButton>(&measure, MeasureControl::NextJump)->click();
    ASSERT_EQ(visibleScreens(), QStringList{"PreviewForm"});

    // The second: the attempt typed back to 1, so the name gains an "X"
    // and review asks for the name; Contact pressed at once, before the
    // recording's first frames have come.
    form.model().setPass("1");
    w.prompt.expectInput(
        "The skier's name was changed to prevent overwriting an existing file. You can change "
        "the skier's name here if you want. Just modify it in the input box to what it should "
        "be. ",
        QStringLiteral("Bea Lake"), QStringLiteral("Fix the skier's name"));
    const int secondContact = recordJump(hub, 0, 45);
    EXPECT_LT(secondContact, 30) << "the first recording's frame count was handed on";
    ASSERT_EQ(visibleScreens(), QStringList{"frmSetStart"});
    const QString renamed = QDir(hub.shared().VideoDir).filePath("Bea Lakejump1.avi");
    EXPECT_EQ(review.view().Text6, renamed);
    EXPECT_TRUE(QFile::exists(renamed));

    // Review steps this recording too, with the buttons and the arrow keys.
    const std::int64_t at = review.player().positionFrame();
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::Command4)->click();
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::Command4)->click();
    EXPECT_EQ(review.player().positionFrame(), at + 2);
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::Command1)->click();
    EXPECT_EQ(review.player().positionFrame(), at + 1);
    w.prompt.expectYesNo("Do you want to save this video capture?", true);
    findControl<QPushButton>(&hub.reviewScreen(), ReviewControl::cmdMarkStart)->click();
    ASSERT_EQ(visibleScreens(), QStringList{"Measure"});
    // Measured under the name the operator gave on review, as the video is named.
    EXPECT_EQ(measure.model().text(MeasureControl::SkierName), "Bea Lake");
    EXPECT_EQ(measure.model().text(MeasureControl::JumpNo), "1");
    measure.model().clickPicture(300 * 15, 300 * 15);
    findControl<QPushButton>(&measure, MeasureControl::Record)->click();
    const QStringList results = readLines(hub.shared().ResultsFile).value_or(QStringList{});
    ASSERT_FALSE(results.isEmpty());
    EXPECT_TRUE(results.last().contains(" Bea Lake  jump 1 - ")) << results.last().toStdString();
    const QStringList log =
        readLines(QDir(hub.shared().VideoDir).filePath(hub.shared().LogFileName))
            .value_or(QStringList{});
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(log.last().contains("Skier: Bea Lake ")) << log.last().toStdString();
    EXPECT_TRUE(log.last().endsWith("File: " + renamed)) << log.last().toStdString();
    EXPECT_TRUE(w.prompt.done());
    hideAll();
}
