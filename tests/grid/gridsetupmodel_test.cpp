#include "grid/gridsetupmodel.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/grid/gridfixture.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"
#include "tests/support/workplace.h"

#include <QDate>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;

namespace
{

const QString kNotAll = "Warning - Not all parameters have been set up on grid";

struct Recorder : GridSetupListener {
    QStringList events;
    void gridActivated(int g, const QString& d, bool saved) override
    {
        events << QStringLiteral("activated %1 %2 %3").arg(g).arg(d).arg(saved);
    }
    void gridChanged(int g) override { events << QStringLiteral("changed %1").arg(g); }
};

// A set-up screen over a fresh grid table, with its results file in a temp folder.
struct Bench : test::Workplace {
    Recorder recorder;
    GridSetupModel model{grids, shared, *settings, prompt};

    Bench()
    {
        shared.GridCount = 1;
        shared.ResultsFile = dir.file("JumpMeasurementResults120726.txt");
        model.setListener(&recorder);
        // The fixture's camera gives 640 x 480 pictures.
        model.setText(GridControl::PicWidth, "9600");
        model.setText(GridControl::PicHeight, "7200");
    }

    void place(Marker m, const ScreenPoint& p)
    {
        model.selectMarker(m);
        model.clickPicture(p.x, p.y);
    }

    void enter(const test::Site& s, ScreenPoint checkOffset = {})
    {
        place(Marker::UpperRight, s.screen[1]);
        place(Marker::LowerRight, s.screen[2]);
        place(Marker::UpperLeft, s.screen[3]);
        place(Marker::LowerLeft, s.screen[4]);
        place(Marker::CheckBuoy,
              {s.checkScreen.x + checkOffset.x, s.checkScreen.y + checkOffset.y});
        model.selectMarker(std::nullopt);
        const Marker ofSlot[5] = {Marker::CheckBuoy, Marker::UpperRight, Marker::LowerRight,
                                  Marker::UpperLeft, Marker::LowerLeft};
        for (int slot = 1; slot <= 4; ++slot) {
            const BoxPair boxes = surveyBoxes(ofSlot[slot]);
            model.setText(boxes.x, numberText(s.survey[slot].X));
            model.setText(boxes.y, numberText(s.survey[slot].Y));
        }
        model.setText(GridControl::JumpX, numberText(s.jump.X));
        model.setText(GridControl::JumpY, numberText(s.jump.Y));
        model.setText(GridControl::CheckX, numberText(s.checkSurvey.X));
        model.setText(GridControl::CheckY, numberText(s.checkSurvey.Y));
    }

    QStringList results() const { return readLines(shared.ResultsFile).value_or(QStringList()); }

    // Grid 1 solved from the site and saved as "North camera"; its file.
    QString saveSolved(const test::Site& s)
    {
        enter(s);
        EXPECT_TRUE(model.complete());
        const QString path = dir.file("north.ipt");
        EXPECT_TRUE(model.saveGrid(1, path, "North camera"));
        return path;
    }
};

} // namespace

TEST(GridSetupModel, CompleteSolvesStoresAndAppendsTheSetupBlock)
{
    Bench b;
    const test::Site site = test::makeSite();
    b.enter(site);
    b.model.setText(GridControl::Description, "North camera");
    b.recorder.events.clear();
    ASSERT_TRUE(b.model.complete());
    EXPECT_TRUE(b.model.gridValid());
    EXPECT_TRUE(b.model.accuracyControlsVisible());
    EXPECT_TRUE(b.grids.gridReady[1]);
    EXPECT_EQ(b.shared.GridsReady, 1);
    EXPECT_EQ(b.grids.surveyXDirection, -1); // upper right lies at larger survey X
    const GridRecord& r = b.grids.table[1];
    EXPECT_EQ(r[rec::Ten], 10);
    EXPECT_EQ(r[rec::Two], 2);
    EXPECT_EQ(r[rec::GridNumber], 1);
    for (int k = 1; k <= 8; ++k)
        EXPECT_NEAR(r[rec::coefficient(k)], site.truth[k],
                    1e-9 * std::max(1.0, std::fabs(site.truth[k])));
    EXPECT_EQ(r[rec::slotBase(UpperLeft)], 2400);
    EXPECT_EQ(b.recorder.events, QStringList({"activated 1 North camera 0"}));

    const QStringList lines = b.results();
    ASSERT_EQ(lines.size(), 22);
    EXPECT_TRUE(lines[0].endsWith(" New Set-up now in place"));
    const QStringList expected = {
        "Not saved yet",
        "North camera",
        "Grid Number:  1 ",
        " ",
        "Upper Left X,Y Pixels:  2400   1500",
        "Upper Left X,Y Survey: " + numberText(site.survey[3].X) + "  " +
            numberText(site.survey[3].Y),
        " ",
        "Lower Left X,Y Pixels:  600   6000",
    };
    for (qsizetype k = 0; k < expected.size(); ++k)
        EXPECT_EQ(lines[k + 1], expected[k]);
    EXPECT_EQ(lines[17], "Jump X,Y Survey:  0   0");
    EXPECT_EQ(lines[19], "Check Buoy X,Y Pixels:  4800   3600");
    EXPECT_EQ(lines[21], " ");
}

TEST(GridSetupModel, GridsReadyOnlyWhenEveryConfiguredGridIs)
{
    struct Case {
        int gridCount;
        int solveGrid;
        int ready;
    } cases[] = {{1, 1, 1}, {2, 1, 0}, {2, 2, 0}, {3, 3, 0}};
    for (const Case& c : cases) {
        Bench b;
        b.shared.GridCount = c.gridCount;
        b.model.setGridNumber(c.solveGrid);
        b.enter(test::makeSite());
        ASSERT_TRUE(b.model.complete());
        EXPECT_EQ(b.shared.GridsReady, c.ready) << c.gridCount << "/" << c.solveGrid;
        EXPECT_EQ(b.shared.CurrentGrid, c.solveGrid);
    }
}

TEST(GridSetupModel, EachRefusalStopsBeforeAnythingIsStored)
{
    struct Case {
        const char* name;
        std::function<void(Bench&)> spoil;
        QStringList messages;
    } cases[] = {
        {"jump point not typed",
         [](Bench& b) { b.model.setText(GridControl::JumpY, "jump y"); },
         {kNotAll}},
        {"survey box left",
         [](Bench& b) { b.model.setText(GridControl::LlSurveyX, "input"); },
         {kNotAll}},
        {"check buoy not placed",
         [](Bench& b) { b.model.setText(GridControl::CheckXPix, "auto"); },
         {"Setup of Check Buoy is Mandatory", kNotAll}},
        {"check buoy off by 22.6 twips",
         [](Bench& b) {
             const test::Site s = test::makeSite();
             b.place(Marker::CheckBuoy, {s.checkScreen.x + 22.6, s.checkScreen.y});
         },
         {"Check Buoy Does not Validate"}},
        {"buoys on one line",
         [](Bench& b) {
             b.place(Marker::UpperRight, {3000, 3000});
             b.place(Marker::LowerRight, {4000, 4000});
             b.place(Marker::UpperLeft, {1000, 1000});
             b.place(Marker::LowerLeft, {2000, 2000});
         },
         {"No Unique Solution - Re-enter data"}},
    };
    for (const Case& c : cases) {
        Bench b;
        b.enter(test::makeSite());
        c.spoil(b);
        for (const QString& m : c.messages)
            b.prompt.expectMessage(m);
        EXPECT_FALSE(b.model.complete()) << c.name;
        EXPECT_FALSE(b.model.gridValid()) << c.name;
        EXPECT_FALSE(b.model.accuracyControlsVisible()) << c.name;
        EXPECT_FALSE(b.grids.gridReady[1]) << c.name;
        EXPECT_EQ(b.grids.table[1][rec::Ten], 0) << c.name;
        EXPECT_TRUE(b.results().isEmpty()) << c.name;
    }
}

TEST(GridSetupModel, MessagesCarryTheirTitlesAndIcons)
{
    Bench b;
    b.prompt.expectMessage(kNotAll, QString("Error Message"), Icon::Exclamation);
    EXPECT_FALSE(b.model.complete());
    b.enter(test::makeSite());
    b.model.setText(GridControl::CheckXPix, "");
    b.prompt.expectMessage("Setup of Check Buoy is Mandatory", QString(), Icon::None);
    b.prompt.expectMessage(kNotAll, QString("Error Message"), Icon::Exclamation);
    EXPECT_FALSE(b.model.complete());
}

TEST(GridSetupModel, AFailedCheckBuoyShowsWhereItShouldBe)
{
    Bench b;
    const test::Site s = test::makeSite();
    b.enter(s, {0, -22.4});
    ASSERT_TRUE(b.model.complete()) << "22.4 twips is inside the tolerance";
    b.enter(s, {-30, 0});
    b.prompt.expectMessage("Check Buoy Does not Validate", QString(), Icon::None);
    EXPECT_FALSE(b.model.complete());
    EXPECT_TRUE(b.model.checkBuoyHintVisible());
    EXPECT_NEAR(b.model.checkBuoyHintPosition().x, s.checkScreen.x + 15, 1e-6);
    EXPECT_NEAR(b.model.checkBuoyHintPosition().y, s.checkScreen.y - 105, 1e-6);
}

TEST(GridSetupModel, AWideCameraIsRefusedWhicheverWayTheSiteIsSurveyed)
{
    for (double a : {30.0, -30.0}) {
        Bench b;
        b.enter(test::makeSite(a));
        b.prompt.expectMessage("Setup is not valid, Field of View is  47 degrees where the maximum "
                               "allowed is 35 degrees");
        EXPECT_FALSE(b.model.complete()) << a;
        EXPECT_FALSE(b.grids.gridReady[1]);
    }
}

TEST(GridSetupModel, TheSameSiteInAnySurveyFrameSolvesAndMeasuresTheSame)
{
    // One lake surveyed four ways: the survey axes turned or mirrored change
    // no angle and no distance on the water.
    struct Frame {
        const char* name;
        SurveyPoint (*to)(SurveyPoint);
    } frames[] = {
        {"as surveyed", [](SurveyPoint p) { return p; }},
        {"turned 90 degrees",
         [](SurveyPoint p) {
             return SurveyPoint{-p.Y, p.X};
         }},
        {"mirrored",
         [](SurveyPoint p) {
             return SurveyPoint{-p.X, p.Y};
         }},
        {"turned and mirrored",
         [](SurveyPoint p) {
             return SurveyPoint{p.Y, p.X};
         }},
    };
    const ScreenPoint impact{5100, 4300};
    std::optional<double> first;
    for (const Frame& f : frames) {
        test::Site s = test::makeSite();
        s.jump = {1.5, 20};
        for (int slot = 1; slot <= 4; ++slot)
            s.survey[slot] = f.to(s.survey[slot]);
        s.checkSurvey = f.to(s.checkSurvey);
        s.jump = f.to(s.jump);
        Bench b;
        b.enter(s);
        ASSERT_TRUE(b.model.complete()) << f.name;
        EXPECT_TRUE(b.grids.gridReady[1]) << f.name;
        const auto d = distance_calculation(b.grids.coefficients(), b.grids.jump, impact.x,
                                            impact.y, false, false);
        ASSERT_TRUE(d) << f.name;
        if (!first)
            first = d->d;
        EXPECT_EQ(roundHalfUp(d->d, 4), roundHalfUp(*first, 4)) << f.name;
    }
}

TEST(GridSetupModel, FarBuoysOnOnePictureRowSolve)
{
    // The far pair on one row leaves a rounding leftover where the elimination
    // meets that row. The check buoy, placed on the upper-right buoy itself,
    // validates; the set-up is then refused only for its 90 degree view.
    Bench b;
    test::Site s;
    s.screen = {ScreenPoint{}, {9000, 3000}, {11000, 7000}, {3000, 3000}, {1000, 7000}};
    s.survey = {SurveyPoint{}, {40, 40}, {20, 0}, {-20, 40}, {0, 0}};
    s.checkScreen = s.screen[1];
    s.checkSurvey = s.survey[1];
    s.jump = {10, -5};
    b.model.setText(GridControl::PicWidth, "12000");
    b.enter(s);
    b.prompt.expectMessage("Setup is not valid, Field of View is  91.4 degrees where the maximum "
                           "allowed is 35 degrees");
    EXPECT_FALSE(b.model.complete());
    // Solved by hand in exact fractions.
    const double exact[9] = {0, 40, -0.005, -0.005, 0, -0.0005, -35, 0, 0.005};
    const Coefficients c = b.grids.coefficients();
    for (int k = 1; k <= 8; ++k)
        EXPECT_NEAR(c[k], exact[k], 1e-12) << "c" << k;
}

TEST(GridSetupModel, FrontRatioWarnsBelowEightyPercent)
{
    struct Case {
        double picWidth;
        QStringList messages;
    } cases[] = {
        {8400 * 100 / 79.9, {"Front ratio is  79%  Zoom camera in until front is > 85%"}},
        {8400 * 100 / 80.0, {}},
        {9600, {}},
    };
    for (const Case& c : cases) {
        Bench b;
        b.model.setText(GridControl::PicWidth, numberText(c.picWidth));
        b.enter(test::makeSite());
        for (const QString& m : c.messages)
            b.prompt.expectMessage(m);
        EXPECT_TRUE(b.model.complete());
    }
}

TEST(GridSetupModel, SaveAndLoadRestoreEveryBox)
{
    Bench a;
    const test::Site site = test::makeSite();
    const QString path = a.saveSolved(site);
    EXPECT_EQ(a.settings->get(Setting::Grid1File, ""), path);
    EXPECT_EQ(a.model.text(GridControl::FileName), path);

    Bench b;
    b.shared.ResultsFile = a.shared.ResultsFile;
    const int before = a.results().size();
    ASSERT_TRUE(b.model.loadGrid(1, path));
    for (const ControlRow<GridControl>& row : kGridControls) {
        if (!isGridBox(row.id) || row.id == GridControl::PicWidth ||
            row.id == GridControl::PicHeight)
            continue;
        EXPECT_EQ(leadingNumber(b.model.text(row.id)), leadingNumber(a.model.text(row.id)))
            << row.objectName;
    }
    EXPECT_EQ(b.model.text(GridControl::Description), "North camera");
    EXPECT_TRUE(b.model.gridValid());
    EXPECT_TRUE(b.grids.gridReady[1]);
    EXPECT_EQ(b.shared.GridsReady, 1);
    EXPECT_EQ(b.grids.surveyXDirection, a.grids.surveyXDirection);
    for (int k = 0; k < rec::Size; ++k)
        EXPECT_NEAR(b.grids.table[1][k], a.grids.table[1][k],
                    1e-9 * std::max(1.0, std::fabs(a.grids.table[1][k])))
            << "record position " << k;
    EXPECT_EQ(b.settings->get(Setting::Grid1File, ""), path);

    const QStringList lines = b.results();
    ASSERT_EQ(lines.size(), before + 22);
    EXPECT_EQ(lines[before + 1], path);
    EXPECT_EQ(lines[before + 5], "Upper Left X,Y Twips:  2400   1500");
    EXPECT_EQ(lines[before + 17], "Jump X,Y Survey: 0  0");
    EXPECT_EQ(lines[before + 19], "Check Buoy X,Y Twips:  4800   3600");
    EXPECT_TRUE(lines[before + 20].startsWith("Check Buoyt X,Y Survey: "));
}

TEST(GridSetupModel, WithoutAResultsFileTheGridIsReadyAndOnlyKorvelSaysSo)
{
    Bench a;
    const test::Site site = test::makeSite();
    const QString path = a.saveSolved(site);
    const QString told = "No results file is set, so the set-up of grid 2 was not written to it. "
                         "Choose the results file on the configuration screen.";
    for (const bool loaded : {false, true}) {
        for (const WithoutResultsFile w : {WithoutResultsFile::Report, WithoutResultsFile::Quiet}) {
            SCOPED_TRACE(std::string(loaded ? "loaded" : "solved") +
                         (w == WithoutResultsFile::Report ? ", reported" : ", quiet"));
            Bench b;
            b.shared.GridCount = 2;
            b.shared.ResultsFile.clear();
            b.model.setWithoutResultsFile(w);
            if (w == WithoutResultsFile::Report)
                b.prompt.expectMessage(told, QString(), Icon::Exclamation);
            if (loaded) {
                ASSERT_TRUE(b.model.loadGrid(2, path));
            } else {
                b.model.setGridNumber(2);
                b.enter(site);
                ASSERT_TRUE(b.model.complete());
            }
            EXPECT_TRUE(b.grids.gridReady[2]);
            EXPECT_TRUE(b.prompt.done());
        }
    }
}

TEST(GridSetupModel, ARefusedLoadChangesNothing)
{
    // A good grid is loaded; each damaged copy of it is then refused whole.
    const test::Site site = test::makeSite();
    Bench a;
    a.enter(site);
    ASSERT_TRUE(a.model.complete());
    const QString good = a.dir.file("good.ipt");
    ASSERT_TRUE(a.model.saveGrid(1, good, "good"));
    const QStringList lines = *readLines(good);

    // Line 6 is the lower-left buoy, the last record the coefficient check
    // reads; line 7 is c1, line 19 the grid number. The pinhole's W is
    // 1 + y / 3000: 3 at the near buoys, 1.5 at the far ones.
    const SurveyPoint ll = site.survey[LowerLeft];
    const QString unfit =
        ": the coefficients do not fit its buoys (off by %1 m). The file may have "
        "been edited or damaged; solve this grid again and save it.";
    const QString gridNumber = ", line 19: the grid number is 1, 2 or 3, not %1";
    struct Case {
        const char* name;
        int line; // 0: every coefficient line
        QString text;
        QString why; // after the path
    } cases[] = {
        {"lower-left survey X 2.5 m out", 6,
         " 600 , 6000 ," + fieldText(ll.X + 2.5) + "," + fieldText(ll.Y), unfit.arg("2.5")},
        {"c1 3 larger", 7, fieldText(site.truth[1] + 3), unfit.arg("2")},
        // Every buoy maps onto the survey origin; the far ones lie 8 m
        // aside and 66.667 m out.
        {"all coefficients 0", 0, " 0 ", unfit.arg("67.145")},
        {"grid number 1e300", 19, " 1E+300 ", gridNumber.arg("1E+300")},
        {"grid number 9", 19, " 9 ", gridNumber.arg("9")},
        {"grid number 2.5", 19, " 2.5 ", gridNumber.arg("2.5")},
        {"text for a number", 4, " 1 , 2 , oops , 4 ", ", line 4: \"oops\" is not a number"},
    };
    for (const Case& c : cases) {
        Bench b;
        ASSERT_TRUE(b.model.loadGrid(1, good));
        const QString path = b.dir.file("damaged.ipt");
        QStringList damaged = lines;
        if (c.line > 0) {
            damaged[c.line - 1] = c.text;
        } else {
            for (int k = 7; k <= 14; ++k)
                damaged[k - 1] = c.text;
        }
        ASSERT_TRUE(writeLines(path, damaged));
        ASSERT_TRUE(QFile::copy(good + ".cb", path + ".cb"));

        const GridState before = b.grids;
        const QStringList resultsBefore = b.results();
        const QStringList eventsBefore = b.recorder.events;
        b.prompt.expectMessage("The grid file could not be loaded; nothing was changed.\n" + path +
                                   c.why,
                               "Error Message", Icon::Exclamation);
        EXPECT_FALSE(b.model.loadGrid(1, path)) << c.name;

        EXPECT_EQ(b.settings->get(Setting::Grid1File, ""), good) << c.name;
        EXPECT_EQ(b.grids.gridFile[1], good) << c.name;
        EXPECT_EQ(b.grids.gridDescription[1], "good") << c.name;
        EXPECT_EQ(b.model.text(GridControl::FileName), good) << c.name;
        EXPECT_EQ(b.model.text(GridControl::Description), "good") << c.name;
        EXPECT_EQ(b.grids.table, before.table) << c.name;
        EXPECT_EQ(b.grids.M, before.M) << c.name;
        EXPECT_EQ(b.grids.screenX, before.screenX) << c.name;
        EXPECT_EQ(b.grids.surveyX, before.surveyX) << c.name;
        EXPECT_TRUE(b.grids.gridReady[1]) << c.name;
        EXPECT_TRUE(b.model.gridValid()) << c.name;
        EXPECT_EQ(b.shared.GridsReady, 1) << c.name;
        EXPECT_EQ(b.results(), resultsBefore) << c.name;
        EXPECT_EQ(b.recorder.events, eventsBefore) << c.name;
    }
}

TEST(GridSetupModel, AnOldFileWithoutCheckBuoyLoadsWithTheNotice)
{
    Bench a;
    a.enter(test::makeSite());
    ASSERT_TRUE(a.model.complete());
    const QString path = a.dir.file("old.ipt");
    ASSERT_TRUE(a.model.saveGrid(1, path, "old"));
    QFile::remove(path + ".cb");

    Bench b;
    b.prompt.expectMessage(
        "I cannot find a  check  buoy file for this setup.  That means you are "
        "inputting an old set-up file that does not have a check buoy.  To "
        "complete the set up correctly, you must have a check buoy input to the set up.",
        QString(), Icon::Critical);
    EXPECT_TRUE(b.model.loadGrid(1, path));
    EXPECT_EQ(b.model.text(GridControl::CheckXPix), "auto");
    EXPECT_EQ(b.model.text(GridControl::CheckYPix), "auto");
    EXPECT_EQ(b.model.text(GridControl::CheckX), "");
    EXPECT_TRUE(b.results().contains("No check buoy for this set up"));
}

TEST(GridSetupModel, EditsInvalidateTheGrid)
{
    struct Case {
        GridControl box;
        int gridsReadyAfter;
    } cases[] = {{GridControl::LlSurveyY, 1},
                 {GridControl::LlSurveyX, 0},
                 {GridControl::UrSurveyY, 0},
                 {GridControl::JumpX, 0},
                 {GridControl::CheckY, 0}};
    for (const Case& c : cases) {
        Bench b;
        b.enter(test::makeSite());
        ASSERT_TRUE(b.model.complete());
        b.settings->save(Setting::Grid1File, "/grids/north.ipt");
        b.recorder.events.clear();
        b.model.setText(c.box, "12.5");
        EXPECT_EQ(b.shared.GridsReady, c.gridsReadyAfter) << controlName(c.box).toStdString();
        EXPECT_FALSE(b.model.gridValid()) << controlName(c.box).toStdString();
        EXPECT_FALSE(b.model.accuracyControlsVisible()) << controlName(c.box).toStdString();
        EXPECT_EQ(b.settings->get(Setting::Grid1File, "x"), "") << controlName(c.box).toStdString();
        EXPECT_EQ(b.recorder.events, QStringList({"changed 1"}))
            << controlName(c.box).toStdString();
    }
    // While the configuration loads grid files nothing is marked as changed.
    Bench b;
    b.shared.LoadingGrids = true;
    b.settings->save(Setting::Grid1File, "/grids/north.ipt");
    b.model.setText(GridControl::JumpX, "3");
    EXPECT_EQ(b.settings->get(Setting::Grid1File, ""), "/grids/north.ipt");
    EXPECT_TRUE(b.recorder.events.isEmpty());
}

TEST(GridSetupModel, MarkersFollowClicksAndTheLock)
{
    Bench b;
    b.model.clickPicture(100, 100); // nothing selected: nothing moves
    EXPECT_EQ(b.model.text(GridControl::UpperLeftX), "auto");

    b.prompt.expectMessage("Cannot Lock Grid Until buoy positions have been entered for all four "
                           "buoys and check buoy");
    EXPECT_FALSE(b.model.setLocked(true));
    EXPECT_FALSE(b.model.locked());

    b.enter(test::makeSite());
    ASSERT_TRUE(b.model.setLocked(true));
    b.model.selectMarker(Marker::UpperLeft);
    b.model.clickPicture(2400 + 150, 1500 - 45);
    EXPECT_EQ(b.model.text(GridControl::UpperLeftX), " 2550");
    EXPECT_EQ(b.model.text(GridControl::LowerRightX), " 9150");
    EXPECT_EQ(b.model.text(GridControl::LowerRightY), " 5955");
    EXPECT_EQ(b.model.text(GridControl::CheckXPix), " 4950");
    EXPECT_EQ(b.grids.screenX[LowerRight], 9150);
    EXPECT_EQ(b.grids.checkScreen.y, 3555);

    b.model.setLocked(false);
    b.model.adjust(-15, 0);
    EXPECT_EQ(b.model.text(GridControl::UpperLeftX), " 2535");
    EXPECT_EQ(b.model.text(GridControl::LowerRightX), " 9150");
}

TEST(GridSetupModel, EveryBlockNamesTheGridItDescribes)
{
    // Lake A loaded; then a new camera set up over it on the same grid
    // number, solved, and only then saved as lake C.
    Bench a;
    const test::Site site = test::makeSite();
    const QString lakeA = a.saveSolved(site);
    Bench b;
    ASSERT_TRUE(b.model.loadGrid(1, lakeA));
    const qsizetype afterLoad = b.results().size();
    ASSERT_EQ(b.results().at(afterLoad - 21), lakeA);
    ASSERT_EQ(b.results().at(afterLoad - 20), "North camera");

    // Moving the buoys makes it another grid: lake A's name leaves the boxes.
    b.enter(site, {15, 0});
    b.enter(site);
    EXPECT_EQ(b.model.text(GridControl::FileName), "No File");
    EXPECT_EQ(b.model.text(GridControl::Description), "");
    ASSERT_TRUE(b.model.complete());
    QStringList lines = b.results();
    ASSERT_EQ(lines.size(), afterLoad + 22);
    EXPECT_EQ(lines[afterLoad + 1], "Not saved yet");
    EXPECT_EQ(lines[afterLoad + 2], "");
    // Solved, not saved: the grid has no file, and start-up will not load lake A for it.
    EXPECT_EQ(b.grids.gridFile[1], "");
    EXPECT_EQ(b.settings->get(Setting::Grid1File, ""), "");

    const QString lakeC = b.dir.file("lakeC.ipt");
    ASSERT_TRUE(b.model.saveGrid(1, lakeC, "Lake C camera"));
    lines = b.results();
    ASSERT_EQ(lines.size(), afterLoad + 44);
    EXPECT_TRUE(lines[afterLoad + 22].endsWith(" New Set-up now in place"));
    EXPECT_EQ(lines[afterLoad + 23], lakeC);
    EXPECT_EQ(lines[afterLoad + 24], "Lake C camera");

    // The accuracy report heads with the saved grid too.
    b.shared.VideoDir = b.dir.path();
    b.model.setAdvancedAccuracy(true);
    ASSERT_TRUE(b.model.accuracyCheck());
    const QStringList report =
        readLines(accuracyReportPath(b.shared.VideoDir, QDate::currentDate()))
            .value_or(QStringList{});
    ASSERT_GE(report.size(), 4);
    EXPECT_EQ(report[2], lakeC);
    EXPECT_EQ(report[3], "Lake C camera");
}
