// The grid set-up screen operated like an operator does: options clicked,
// buoys clicked on the sample lake, survey values typed, menus chosen.

#include "grid/gridsetupscreen.h"
#include "grid/sample/buoylake.h"
#include "grid/sample/lakescene.h"
#include "shell/arrowkeys.h"
#include "shell/pictureview.h"
#include "shell/settings.h"
#include "shell/textrules.h"
#include "tests/support/findcontrol.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"
#include "tests/support/toolrun.h"
#include "tests/support/workplace.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;
using Slot = sample::BuoySlot;

namespace
{

struct Corner {
    Slot slot;
    const char* option;
    const char* survey;
    const char* toolOption;
};
const Corner kCorners[] = {
    {Slot::UpperRight, "upper_right_button", "ur_survey", "--ur"},
    {Slot::LowerRight, "lower_right_button", "lr_survey", "--lr"},
    {Slot::UpperLeft, "upper_left_button", "ul_survey", "--ul"},
    {Slot::LowerLeft, "lower_left_button", "ll_survey", "--ll"},
};

QString plain(double v)
{
    return numberText(v).trimmed();
}

struct Operator : test::Workplace {
    sample::SampleScene scene = sample::makeSampleScene();
    std::unique_ptr<GridSetupModel> model;
    std::unique_ptr<GridSetupScreen> screen;

    explicit Operator(int gridCount = 1)
    {
        shared.GridCount = gridCount;
        shared.VideoDir = dir.path();
        shared.SetupDir = dir.path();
        shared.ResultsFile = dir.file("JumpMeasurementResults.txt");
        model = std::make_unique<GridSetupModel>(grids, shared, *settings, prompt);
        screen = std::make_unique<GridSetupScreen>(*model, shared, *settings, prompt);
        screen->setBackground(scene.picture);
        screen->show();
    }

    template <class T> T* find(const char* name)
    {
        return test::requireControl<T>(screen.get(), QString::fromLatin1(name));
    }
    QString box(const char* name) { return find<QLineEdit>(name)->text(); }
    // On the indicator, where a click always lands on the option.
    void choose(const char* option)
    {
        QRadioButton* b = find<QRadioButton>(option);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void tick(const char* box)
    {
        QCheckBox* b = find<QCheckBox>(box);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void clickPixel(QPoint p) { QTest::mouseClick(screen->picture(), Qt::LeftButton, {}, p); }
    void type(const char* name, const QString& text)
    {
        QLineEdit* e = find<QLineEdit>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    void press(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    void menu(const char* name) { find<QAction>(name)->trigger(); }

    // Every buoy clicked at its pixel and every survey value typed.
    void calibrate(QPoint checkOffset = {})
    {
        for (const Corner& c : kCorners) {
            const sample::SceneMark& m = scene.buoy(c.slot);
            choose(c.option);
            clickPixel(m.click());
            type((QString(c.survey) + "_x").toLatin1(), plain(m.survey.x()));
            type((QString(c.survey) + "_y").toLatin1(), plain(m.survey.y()));
        }
        const sample::SceneMark& check = scene.buoy(Slot::Check);
        choose("optCheckBuoy");
        clickPixel(check.click() + checkOffset);
        type("txtCheckX", plain(check.survey.x()));
        type("txtCheckY", plain(check.survey.y()));
        type("jump_x", plain(scene.jump.survey.x()));
        type("jump_y", plain(scene.jump.survey.y()));
    }

    bool stateValid() { return find<QLabel>("grid_state_icon")->property("valid").toBool(); }
};

QString fourValues(QPoint px, QPointF survey)
{
    return QStringList{plain(px.x() * 15.0), plain(px.y() * 15.0), plain(survey.x()),
                       plain(survey.y())}
        .join(',');
}

} // namespace

TEST(GridSetupScreen, TheOperatorCalibratesSavesAndReloadsTheSampleLake)
{
    Operator op;
    EXPECT_EQ(op.screen->windowTitle(), "Grid Setup");
    EXPECT_EQ(op.box("upper_left_x"), "auto");
    EXPECT_FALSE(op.find<QPushButton>("btnAccuracyCheck")->isVisible());
    op.calibrate();
    EXPECT_EQ(op.box("upper_right_x"),
              numberText(op.scene.buoy(Slot::UpperRight).click().x() * 15.0));
    EXPECT_FALSE(op.stateValid());
    op.press("Load");
    EXPECT_TRUE(op.stateValid());
    EXPECT_TRUE(op.find<QPushButton>("btnAccuracyCheck")->isVisible());
    EXPECT_EQ(op.shared.GridsReady, 1);

    // korvel-tool solves the same clicks and values into a reference file.
    const QString path = op.dir.file("lake.ipt");
    QStringList args = {"solve"};
    for (const Corner& c : kCorners) {
        const sample::SceneMark& m = op.scene.buoy(c.slot);
        args << c.toolOption << fourValues(m.click(), m.survey);
    }
    const sample::SceneMark& check = op.scene.buoy(Slot::Check);
    args << "--jump" << plain(op.scene.jump.survey.x()) + "," + plain(op.scene.jump.survey.y())
         << "--check" << fourValues(check.click(), check.survey) << "--description"
         << "Shore camera"
         << "--picture-size"
         << QStringLiteral("%1x%2").arg(op.scene.picture.width()).arg(op.scene.picture.height())
         << "--out" << path;
    const test::ToolRun solved = test::runProgram(KORVEL_TOOL, args);
    ASSERT_EQ(solved.code, 0) << solved.err.toStdString();
    const QByteArray reference = test::readAll(path);
    const QByteArray referenceCb = test::readAll(path + ".cb");
    ASSERT_FALSE(reference.isEmpty());

    op.prompt.expectSaveFile(path);
    op.prompt.expectInput("Enter descriptive line about grid", QString("Shore camera"),
                          QString("Grid Description"));
    op.prompt.expectYesNo("Save Grid 1", true, QString("Current Grid"));
    op.menu("gridSave");
    EXPECT_EQ(op.prompt.lastFilter,
              "All Files (*.*)|*.*|Text Files (*.TXT)|*.TXT|Parameter Files (*.IPT)|*.IPT|");
    EXPECT_EQ(test::readAll(path), reference);
    EXPECT_EQ(test::readAll(path + ".cb"), referenceCb);
    EXPECT_EQ(op.settings->get(Setting::Grid1File, ""), path);

    Operator again;
    again.prompt.expectYesNo("Load Grid 1", true, QString("Current Grid"));
    again.prompt.expectOpenFile(path);
    again.menu("gridLoad");
    for (const ControlRow<GridControl>& row : kGridControls) {
        if (!isGridBox(row.id) || row.id == GridControl::PicWidth ||
            row.id == GridControl::PicHeight)
            continue;
        EXPECT_EQ(leadingNumber(again.box(row.objectName)), leadingNumber(op.box(row.objectName)))
            << row.objectName;
    }
    EXPECT_EQ(again.box("ipt_file_description"), path);
    EXPECT_EQ(again.box("ipt_file_description_2"), "Shore camera");
    EXPECT_TRUE(again.stateValid());
}

TEST(GridSetupScreen, AClickWithoutAChosenMarkerChangesNothing)
{
    Operator op;
    op.clickPixel({100, 100});
    for (const char* b : {"upper_left_x", "upper_right_y", "lower_left_x", "lower_right_y"})
        EXPECT_EQ(op.box(b), "auto");
    EXPECT_EQ(op.box("txtCheckXpix"), "");
}

TEST(GridSetupScreen, TheLockMovesEveryMarkerByTheSameOffset)
{
    Operator op;
    op.calibrate();
    QStringList before;
    const char* boxes[] = {"upper_left_x", "upper_left_y", "upper_right_x", "upper_right_y",
                           "lower_left_x", "lower_left_y", "lower_right_x", "lower_right_y",
                           "txtCheckXpix", "txtCheckYpix"};
    for (const char* b : boxes)
        before << op.box(b);
    op.tick("chkboxGridLock");
    EXPECT_TRUE(op.find<QLabel>("gridLockedLabel")->isVisible());
    op.choose("lower_left_button");
    op.clickPixel(op.scene.buoy(Slot::LowerLeft).click() + QPoint(10, -4));
    for (int k = 0; k < 10; ++k) {
        const double shift = k % 2 == 0 ? 150 : -60;
        EXPECT_EQ(leadingNumber(op.box(boxes[k])), leadingNumber(before[k]) + shift) << boxes[k];
    }
}

TEST(GridSetupScreen, LockingIsRefusedUntilEveryBuoyIsIn)
{
    Operator op;
    op.prompt.expectMessage("Cannot Lock Grid Until buoy positions have been entered for all four "
                            "buoys and check buoy");
    op.tick("chkboxGridLock");
    EXPECT_FALSE(op.find<QCheckBox>("chkboxGridLock")->isChecked());
    EXPECT_FALSE(op.find<QLabel>("gridLockedLabel")->isVisible());
}

TEST(GridSetupScreen, GridSelectCyclesOnlyThroughConfiguredGrids)
{
    struct Case {
        int grids;
        QStringList captions;
    } cases[] = {
        {1, {"Grid 1", "Grid 1"}}, {2, {"Grid 2", "Grid 1"}}, {3, {"Grid 2", "Grid 3", "Grid 1"}}};
    for (const Case& c : cases) {
        Operator op(c.grids);
        for (const QString& caption : c.captions) {
            op.press("grid_select");
            EXPECT_EQ(op.find<QPushButton>("grid_select")->text(), caption) << c.grids;
        }
    }
}

TEST(GridSetupScreen, AMisplacedCheckBuoyShowsWhereItShouldBe)
{
    Operator op;
    op.calibrate(QPoint(3, 0));
    op.prompt.expectMessage("Check Buoy Does not Validate");
    op.press("Load");
    EXPECT_FALSE(op.stateValid());
    QLabel* hint = op.find<QLabel>("lblCB");
    EXPECT_TRUE(hint->isVisible());
    // Where the operator's grid puts the surveyed check buoy, in pixels.
    const QPointF survey = op.scene.buoy(Slot::Check).survey;
    const auto predicted = SurveyToScreen(op.grids.coefficients(), survey.x(), survey.y());
    ASSERT_TRUE(predicted);
    EXPECT_NEAR(hint->x(), (predicted->x + 15) / 15, 0.51);
    EXPECT_NEAR(hint->y(), (predicted->y - 105) / 15, 0.51);
    EXPECT_NEAR(predicted->x / 15, op.scene.buoy(Slot::Check).pixel.x(), 1.0);
    EXPECT_EQ(hint->text(), "<-Check Buoy Should Be Here");
}

TEST(GridSetupScreen, OnlyANearLeftYEditLeavesTheGridsReady)
{
    struct Case {
        const char* box;
        bool asks;
    } cases[] = {{"ll_survey_y", false}, {"ur_survey_x", true}, {"jump_y", true}};
    for (const Case& c : cases) {
        Operator op;
        op.calibrate();
        op.press("Load");
        op.type(c.box, "40");
        if (c.asks)
            op.prompt.expectYesNo(
                "Do you want to leave the grid setup with all configured grids not setup?", false,
                QString("Grid Setup Error"));
        op.menu("gridExit");
        EXPECT_EQ(op.screen->isVisible(), c.asks) << c.box;
    }
}

TEST(GridSetupScreen, StandardAccuracyShowsTheChosenLineOnly)
{
    Operator op;
    op.calibrate();
    op.press("Load");
    ASSERT_TRUE(op.find<QRadioButton>("optStandardAccuracy")->isChecked());
    op.prompt.expectInput("Pick the line number that best represents where the skier will land",
                          QString("4"), QString("Input the skier path line"));
    op.press("btnAccuracyCheck");
    const auto indicators = op.screen->findChildren<QLabel*>("AccuracyIndicator");
    ASSERT_EQ(indicators.size(), 51);
    QList<int> shown;
    for (QLabel* l : indicators) {
        if (l->isVisible())
            shown << l->property("index").toInt();
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, QList<int>({3, 10, 17, 24, 31, 38, 45}));
    for (QLabel* l : op.screen->findChildren<QLabel*>("LineLabel"))
        EXPECT_FALSE(l->isVisible());
}

// The marker colour of the configuration is the colour of the accuracy
// figures over the lake: white unless black or yellow is chosen (on a
// bright lake white figures cannot be read).
TEST(GridSetupScreen, TheAccuracyFiguresTakeTheConfiguredMarkerColour)
{
    for (const auto& [chosen, shown] : {std::pair{"yellow", "#ffff00"},
                                        std::pair{"Black", "#000000"}, std::pair{"", "#ffffff"}}) {
        SCOPED_TRACE(chosen);
        Operator op;
        op.settings->save(Setting::LabelColor, chosen);
        op.calibrate();
        op.press("Load");
        op.prompt.expectInput("Pick the line number that best represents where the skier will land",
                              QString("4"), QString("Input the skier path line"));
        op.press("btnAccuracyCheck");
        int checked = 0;
        for (QLabel* l : op.screen->findChildren<QLabel*>("AccuracyIndicator")) {
            if (!l->isVisible())
                continue;
            EXPECT_TRUE(l->styleSheet().contains(QString("color: ") + shown))
                << l->styleSheet().toStdString();
            ++checked;
        }
        EXPECT_EQ(checked, 7);
    }
}

TEST(GridSetupScreen, HoldingAnArrowKeyMovesOnePixelPerTick)
{
    Operator op;
    op.choose("upper_left_button");
    op.clickPixel({200, 200});
    auto* timer = op.find<QTimer>("keyTimer");
    EXPECT_EQ(timer->interval(), 100);
    ArrowKeys::instance().press(ArrowKeys::Right);
    for (int tick = 0; tick < 10; ++tick) // one second of polls
        QMetaObject::invokeMethod(timer, "timeout");
    ArrowKeys::instance().release(ArrowKeys::Right);
    ArrowKeys::instance().poll(ArrowKeys::Right);
    EXPECT_EQ(op.box("upper_left_x"), " 3150");
    EXPECT_EQ(op.box("upper_left_y"), " 3000");

    // Two quick taps from the keyboard before the next poll: two pixels.
    QWidget* keyboard = op.screen->focusWidget();
    ASSERT_NE(keyboard, nullptr);
    QTest::keyClick(keyboard, Qt::Key_Left);
    QTest::keyClick(keyboard, Qt::Key_Left);
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(op.box("upper_left_x"), " 3120");
}

TEST(GridSetupScreen, ChoosingTheChosenMarkerAgainKeepsArrowKeysOnThatMarker)
{
    Operator op;
    op.choose("upper_right_button");
    op.clickPixel({600, 200});
    op.choose("upper_left_button");
    op.clickPixel({200, 200});
    op.choose("upper_left_button"); // already chosen: the operator clicks it again
    QWidget* keyboard = op.screen->focusWidget();
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->objectName(), "ipt_file_description");

    // Right, where the keyboard is, as the operator presses it; then one poll.
    QTest::keyPress(keyboard, Qt::Key_Right);
    QMetaObject::invokeMethod(op.find<QTimer>("keyTimer"), "timeout");
    QTest::keyRelease(keyboard, Qt::Key_Right);
    ArrowKeys::instance().poll(ArrowKeys::Right);

    EXPECT_TRUE(op.find<QRadioButton>("upper_left_button")->isChecked());
    EXPECT_EQ(op.model->selectedMarker(), Marker::UpperLeft);
    EXPECT_EQ(op.box("upper_left_x"), " 3015");
    EXPECT_EQ(op.box("upper_right_x"), " 9000");
}

namespace
{

// A lake with two buoys at known centres and flat water elsewhere.
struct SnapLake {
    QPointF near{200.37, 150.62};
    QPointF far{420.81, 96.26};
    QImage picture;
    SnapLake()
    {
        sample::BuoyLakeOptions o;
        o.noise = 4;
        o.seed = 3;
        sample::BuoyLake lake(o);
        lake.addBuoy({near, 5.2, QColor(255, 120, 20)});
        lake.addBuoy({far, 2.6, QColor(240, 240, 235)});
        picture = lake.render();
    }
};

double pixels(const QString& box)
{
    return leadingNumber(box) / 15;
}

} // namespace

TEST(GridSetupScreen, SnapMovesTheChosenMarkerToItsBuoysCentre)
{
    Operator op;
    const SnapLake lake;
    op.screen->setBackground(lake.picture);
    op.screen->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(op.screen.get()));
    QLabel* status = op.find<QLabel>("lblSnapBuoy");
    EXPECT_EQ(op.find<QPushButton>("cmdSnapBuoy")->text(), "Snap to Buoy");

    // The button, then Ctrl+B where the keyboard is (the file description).
    op.choose("upper_left_button");
    op.clickPixel({202, 149});
    op.press("cmdSnapBuoy");
    EXPECT_NEAR(pixels(op.box("upper_left_x")), lake.near.x(), 0.1);
    EXPECT_NEAR(pixels(op.box("upper_left_y")), lake.near.y(), 0.1);
    EXPECT_EQ(op.grids.screenX[UpperLeft], leadingNumber(op.box("upper_left_x")));
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->text().startsWith("The upper left marker moved"))
        << status->text().toStdString();

    op.choose("optCheckBuoy");
    op.clickPixel({421, 96});
    QTest::keyClick(op.screen->focusWidget(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_NEAR(pixels(op.box("txtCheckXpix")), lake.far.x(), 0.1);
    EXPECT_NEAR(pixels(op.box("txtCheckYpix")), lake.far.y(), 0.1);
    EXPECT_EQ(op.box("ipt_file_description"), "No File"); // the key typed nothing

    // Again: the marker is on the centre already and stays.
    const QString x = op.box("txtCheckXpix"), y = op.box("txtCheckYpix");
    op.press("cmdSnapBuoy");
    EXPECT_EQ(op.box("txtCheckXpix"), x);
    EXPECT_EQ(op.box("txtCheckYpix"), y);
    EXPECT_EQ(status->text(), "The check buoy marker is on its buoy's centre.");

    // An arrow step after a snap moves from the snapped place, and clears the line.
    QTest::mouseClick(op.find<QToolButton>("AdjustRight"), Qt::LeftButton);
    EXPECT_EQ(leadingNumber(op.box("txtCheckXpix")), leadingNumber(x) + 15);
    EXPECT_FALSE(status->isVisible());
}

TEST(GridSetupScreen, WithoutABuoyUnderTheMarkerSnapLeavesItAndSaysSo)
{
    Operator op;
    const SnapLake lake;
    op.screen->setBackground(lake.picture);
    QLabel* status = op.find<QLabel>("lblSnapBuoy");

    op.press("cmdSnapBuoy");
    EXPECT_EQ(status->text(), "Choose the marker to snap to its buoy first.");
    op.choose("lower_right_button");
    op.press("cmdSnapBuoy");
    EXPECT_EQ(status->text(), "Place the lower right marker on its buoy first.");

    op.clickPixel({300, 300}); // open water
    op.press("cmdSnapBuoy");
    EXPECT_EQ(op.box("lower_right_x"), " 4500");
    EXPECT_EQ(op.box("lower_right_y"), " 4500");
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->text().startsWith("No buoy under the lower right marker; it stays."))
        << status->text().toStdString();
}

// A snap is a marker move like an arrow step: a solved grid must be solved
// again; with the grid locked it is refused, since the markers move together.
TEST(GridSetupScreen, SnappingASolvedOrLockedGridActsAsAMarkerMove)
{
    Operator op;
    op.calibrate();
    op.press("Load");
    ASSERT_TRUE(op.stateValid());
    op.tick("chkboxGridLock");
    ASSERT_TRUE(op.find<QCheckBox>("chkboxGridLock")->isChecked());
    op.choose("upper_right_button");
    const QString before = op.box("upper_right_x");
    op.press("cmdSnapBuoy");
    EXPECT_EQ(op.box("upper_right_x"), before);
    EXPECT_TRUE(op.stateValid());
    EXPECT_TRUE(op.find<QLabel>("lblSnapBuoy")->text().startsWith("The grid is locked"));

    op.tick("chkboxGridLock");
    op.press("cmdSnapBuoy");
    EXPECT_TRUE(op.find<QLabel>("lblSnapBuoy")->text().startsWith("The upper right marker moved"))
        << op.find<QLabel>("lblSnapBuoy")->text().toStdString();
    EXPECT_FALSE(op.stateValid());
    EXPECT_EQ(op.shared.GridsReady, 0);
}
