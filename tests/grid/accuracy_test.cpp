#include "grid/accuracy.h"
#include "grid/gridsetupmodel.h"
#include "shell/settings.h"
#include "shell/textrules.h"
#include "tests/grid/gridfixture.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"
#include "tests/support/toolrun.h"
#include "tests/support/workplace.h"

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;

namespace
{
const QString kLineQuestion = "Pick the line number that best represents where the skier will land";

AccuracyInput inputFor(const test::Site& s, AccuracyDisplay display = AccuracyDisplay::Grades)
{
    AccuracyInput in;
    in.c = s.truth;
    in.jump = s.jump;
    in.corners = {s.screen[3], s.screen[4], s.screen[1], s.screen[2]};
    in.display = display;
    return in;
}

// A solved grid on the set-up model, its video folder in a temp folder.
struct Solved : test::Workplace {
    GridSetupModel model{grids, shared, *settings, prompt};
    Solved()
    {
        shared.VideoDir = dir.path();
        shared.ResultsFile = dir.file("JumpMeasurementResults120726.txt");
        model.setText(GridControl::PicWidth, "9600");
        const test::Site s = test::makeSite();
        const Marker markers[] = {Marker::UpperRight, Marker::LowerRight, Marker::UpperLeft,
                                  Marker::LowerLeft};
        for (int slot = 1; slot <= 4; ++slot) {
            model.selectMarker(markers[slot - 1]);
            model.clickPicture(s.screen[slot].x, s.screen[slot].y);
            const BoxPair survey = surveyBoxes(markers[slot - 1]);
            model.setText(survey.x, numberText(s.survey[slot].X));
            model.setText(survey.y, numberText(s.survey[slot].Y));
        }
        model.selectMarker(Marker::CheckBuoy);
        model.clickPicture(s.checkScreen.x, s.checkScreen.y);
        model.setText(GridControl::JumpX, "0");
        model.setText(GridControl::JumpY, "0");
        model.setText(GridControl::CheckX, numberText(s.checkSurvey.X));
        model.setText(GridControl::CheckY, numberText(s.checkSurvey.Y));
        EXPECT_TRUE(model.complete());
    }
    QString report() const { return accuracyReportPath(shared.VideoDir, QDate::currentDate()); }
};
} // namespace

TEST(Accuracy, GradeBoundariesBelongToTheBetterGrade)
{
    struct Case {
        double e;
        const char* grade;
    } cases[] = {{0, "R"},   {0.1, "R"},        {0.1000001, "L"}, {0.15, "L"},
                 {0.2, "C"}, {0.2000001, "NH"}, {3, "NH"}};
    for (const Case& c : cases)
        EXPECT_EQ(accuracyGrade(c.e).toStdString(), c.grade) << c.e;
}

TEST(Accuracy, LatticeSpansTheBuoysAndGradesEachPoint)
{
    const test::Site s = test::makeSite();
    const auto lattice = computeAccuracy(inputFor(s));
    ASSERT_TRUE(lattice);
    const auto& p = lattice->points;
    // Corners sit on the buoys: (0,0) upper left, (0,6) lower left, (6,0) upper right, (6,6) lower
    // right.
    EXPECT_DOUBLE_EQ(p[0][0].x, 2400);
    EXPECT_DOUBLE_EQ(p[0][6].x, 600);
    EXPECT_DOUBLE_EQ(p[6][0].x, 7200);
    EXPECT_DOUBLE_EQ(p[6][6].y, 6000);
    // Bilinear: the centre is the mean of the corners here.
    EXPECT_DOUBLE_EQ(p[3][3].x, 4800);
    EXPECT_DOUBLE_EQ(p[3][3].y, 3750);
    EXPECT_DOUBLE_EQ(p[3][3].labelPos.y, 3750 + 75);
    EXPECT_DOUBLE_EQ(lattice->lineLabelPos[6].x, 9000 + 30);
    EXPECT_DOUBLE_EQ(lattice->lineLabelPos[6].y, 6000 - 90);

    for (int i = 0; i <= 6; ++i) {
        for (int j = 0; j <= 6; ++j) {
            const LatticePoint& lp = p[i][j];
            // e is the larger change of a one-pixel step, independent of the offset.
            const double dh =
                distance_calculation(s.truth, s.jump, lp.x + 15, lp.y, true, false)->d;
            const double d0 = distance_calculation(s.truth, s.jump, lp.x, lp.y, true, false)->d;
            const double dv =
                distance_calculation(s.truth, s.jump, lp.x, lp.y + 15, true, false)->d;
            EXPECT_NEAR(lp.e, std::max(std::fabs(dh - d0), std::fabs(dv - d0)), 1e-12);
            EXPECT_NEAR(lp.d0, d0 + 2.1, 1e-12);
            EXPECT_EQ(lp.caption, accuracyGrade(lp.e));
        }
    }
    // Far points are coarser than near ones with a camera on the shore.
    EXPECT_GT(p[3][0].e, p[3][6].e);
}

TEST(Accuracy, CaptionsFollowTheDisplay)
{
    const test::Site s = test::makeSite();
    const auto dist = computeAccuracy(inputFor(s, AccuracyDisplay::Distance));
    const auto detail = computeAccuracy(inputFor(s, AccuracyDisplay::Detail));
    ASSERT_TRUE(dist && detail);
    const LatticePoint& a = dist->points[2][4];
    EXPECT_EQ(a.caption, numberText(roundHalfUp(a.d0, 1)));
    const LatticePoint& b = detail->points[2][4];
    EXPECT_EQ(b.caption, numberText(roundHalfUp(b.e, 2)));
}

TEST(Accuracy, LineAnswersMustBeAWholeRowNumber)
{
    struct Case {
        const char* answer;
        std::optional<int> line;
    } cases[] = {{"4", 4},
                 {"1", 1},
                 {"7", 7},
                 {" 3", 3},
                 {"0", std::nullopt},
                 {"8", std::nullopt},
                 {"4.5", std::nullopt},
                 {"abc", std::nullopt},
                 {"", std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(accuracyLineAnswer(c.answer), c.line) << c.answer;
}

TEST(Accuracy, StandardAsksForTheLineAndShowsOnlyThatRow)
{
    Solved s;
    s.model.setAccuracyDisplay(AccuracyDisplay::Detail);
    s.prompt.expectInput(kLineQuestion, QString("9"), QString("Input the skier path line"));
    s.prompt.expectInput(kLineQuestion, QString("x"));
    s.prompt.expectInput(kLineQuestion, QString("4"));
    ASSERT_TRUE(s.model.accuracyCheck());
    EXPECT_EQ(s.model.accuracyDisplay(), AccuracyDisplay::Grades);
    int visible = 0;
    for (int k = 0; k < 49; ++k) {
        if (s.model.indicatorVisible(k)) {
            ++visible;
            EXPECT_EQ(k % 7, 3) << k;
        }
    }
    EXPECT_EQ(visible, 7);

    // Advanced shows every indicator, and a second run appends to the same report.
    s.model.setAdvancedAccuracy(true);
    ASSERT_TRUE(s.model.accuracyCheck());
    for (int k = 0; k < 49; ++k)
        EXPECT_TRUE(s.model.indicatorVisible(k));
    const QStringList lines = *readLines(s.report());
    EXPECT_EQ(lines.count("Accuracy Check Complete"), 2);
    EXPECT_EQ(lines.size(), 2 * (25 + 49 + 2));

    // An edit of the near-left Y clears them.
    s.model.setText(GridControl::LlSurveyY, "31");
    for (int k = 0; k < 49; ++k)
        EXPECT_FALSE(s.model.indicatorVisible(k));
}

TEST(Accuracy, ReportHeaderAndPointLines)
{
    Solved s;
    s.model.setAdvancedAccuracy(true);
    s.model.setText(GridControl::Description, "North camera");
    ASSERT_TRUE(s.model.accuracyCheck());
    const QStringList lines = *readLines(s.report());
    ASSERT_EQ(lines.size(), 76);
    EXPECT_TRUE(lines[0].endsWith(" Accuracy Check"));
    EXPECT_EQ(lines[0].mid(10, 2), "  ");
    const QStringList head = {"Grid Set-up for accuracy check",
                              "Not saved yet",
                              "North camera",
                              "Grid Number:  1 ",
                              " ",
                              "Front Ratio:  87",
                              "Back Ratio:  50",
                              "Upper Left X,Y Pixels:  2400   1500"};
    for (qsizetype k = 0; k < head.size(); ++k)
        EXPECT_EQ(lines[k + 1], head[k]);
    EXPECT_EQ(lines[22], "Check Buoy X,Y Pixels:  4800   3600");
    EXPECT_TRUE(lines[23].startsWith("Check Buoy X,Y Survey: "));
    EXPECT_EQ(lines[24], " ");
    const LatticePoint& first = s.model.lattice()->points[0][0];
    auto v = [](double x) { return numberText(roundHalfUp(x, 2)); };
    EXPECT_EQ(lines[25], "xpix:  2400  ypix:  1515  x: " + v(first.down.X) +
                             "  y: " + v(first.down.Y) + "  distance: " + v(first.d0) +
                             "  v inc: " + v(first.dv) + "  h inc: " + v(first.dh) +
                             "  delta: " + v(first.e));
    EXPECT_EQ(lines[74], "Accuracy Check Complete");
    EXPECT_EQ(lines[75], "");
}

TEST(Accuracy, AnUnwritableReportStopsTheCheck)
{
    Solved s;
    s.shared.VideoDir = s.dir.file("missing/folder");
    s.prompt.expectMessage("The accuracy report could not be written:\n" + s.report() +
                           "\nNo such file or directory");
    EXPECT_FALSE(s.model.accuracyCheck());
    EXPECT_FALSE(s.model.lattice().has_value());
}

TEST(Accuracy, KorvelToolPrintsTheSameLattice)
{
    Solved s;
    const QString path = s.dir.file("north.ipt");
    ASSERT_TRUE(s.model.saveGrid(1, path, "North"));
    s.model.setAdvancedAccuracy(true);
    s.model.setAccuracyDisplay(AccuracyDisplay::Distance);
    ASSERT_TRUE(s.model.accuracyCheck());

    const test::ToolRun run = test::runProgram(
        KORVEL_TOOL, {"accuracy", path, "--picture-width", "9600", "--display", "distance"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList out = run.out.split('\n');
    for (int j = 0; j <= 6; ++j) {
        QStringList row;
        for (int i = 0; i <= 6; ++i)
            row << s.model.lattice()->points[i][j].caption.trimmed();
        EXPECT_EQ(out[j].split(' ', Qt::SkipEmptyParts), row) << "row " << j;
    }
    EXPECT_EQ(out[7], "Grid Set-up for accuracy check");
    EXPECT_EQ(out[8], path);
    EXPECT_TRUE(out.contains("Accuracy Check Complete"));
}
