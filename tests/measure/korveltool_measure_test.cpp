#include "grid/gridfile.h"
#include "measure/measuremodel.h"
#include "tests/measure/measurefixture.h"

#include "tests/support/testdir.h"
#include "tests/support/toolrun.h"
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace korvel;

namespace
{

using test::ToolRun;

ToolRun tool(const QStringList& args)
{
    return test::runProgram(QStringLiteral(KORVEL_TOOL), args);
}

// The example grid as a grid file on disk.
QString writeExampleGrid(const test::TestDir& dir, const ActiveGrid& g)
{
    GridFileData d;
    d.path = dir.file("example.ipt");
    d.description = g.description;
    for (int slot = 1; slot <= 4; ++slot)
        d.buoys[slot] = {g.buoyScreen[slot].x, g.buoyScreen[slot].y, g.buoySurvey[slot].X,
                         g.buoySurvey[slot].Y};
    d.c = g.c;
    d.jump = g.jump;
    EXPECT_TRUE(writeGridFiles(d.path, d));
    return d.path;
}

} // namespace

TEST(KorvelToolMeasure, PrintsTheResultTextRecordWrites)
{
    test::TestDir dir;
    const ActiveGrid grid = test::janeRoeGrid();
    const QString path = writeExampleGrid(dir, grid);
    struct Case {
        QStringList options;
        JumpSettings jump;
        const char* expected;
    };
    const Case cases[] = {
        {{}, {}, " 45.3m  (IWSF) 149ft  (AWSA) ( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)"},
        {{"--type", "normal", "--right-to-left"},
         {false, false, true},
         " 45.3m  (IWSF) 149ft  (AWSA) ( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)"},
        {{"--type", "sitski"},
         {false, true, false},
         " 45.1m  (IWSF) 147.9ft  (AWSA) ( 12.345/-6.789) ( 4530/ 3120) ( 45.0734)"},
        {{"--type", "barefoot"},
         {true, false, false},
         " 43.2m  (IWSF) 141.6ft  (AWSA) BAREFOOT  ( 12.345/-6.789) ( 4530/ 3120) ( 43.1734)"},
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(QStringList{"measure", path, "4530", "3120"} + c.options);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QStringList lines = r.out.split('\n');
        ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
        EXPECT_EQ(lines[0], QString(c.expected));
        // The same text the screen's Record puts into the results line.
        const auto d = impactDistance(grid, c.jump, test::kJaneRoeImpact);
        ASSERT_TRUE(d);
        EXPECT_EQ(lines[0], measuredJumpText(*d, c.jump.barefoot, false, {}));
        // And what a pixel is worth there.
        EXPECT_TRUE(lines[1].contains(QRegularExpression("^\u00b1 \\d+\\.\\d\\d m a pixel here")))
            << lines[1].toStdString();
    }
}

TEST(KorvelToolMeasure, RefusesHorizonPointsAndBadArguments)
{
    test::TestDir dir;
    ActiveGrid g = test::janeRoeGrid();
    g.c[5] = 1.0 / 4096;
    // The buoys follow the new mapping, so the grid still loads.
    for (int slot = 1; slot <= 4; ++slot) {
        const auto p = ScreenToSurvey(g.c, g.buoyScreen[slot].x, g.buoyScreen[slot].y);
        ASSERT_TRUE(p);
        g.buoySurvey[slot] = *p;
    }
    const QString path = writeExampleGrid(dir, g);

    const ToolRun horizon = tool({"measure", path, "100", "-4096"});
    EXPECT_EQ(horizon.code, 1);
    EXPECT_TRUE(horizon.out.isEmpty());
    EXPECT_TRUE(horizon.err.contains("horizon"));

    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"measure", path, "100"}, "grid file and screen x and y"},
        {{"measure", path, "100", "abc"}, "\"abc\" is not a number"},
        {{"measure", path, "100", "200", "--type", "slalom"},
         "--type is normal, sitski or barefoot"},
        {{"measure", path, "100", "200", "--type"}, "--type needs a value"},
        {{"measure", path, "100", "200", "--fast"}, "unknown option"},
        {{"measure", dir.file("missing.ipt"), "100", "200"}, "missing.ipt"},
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.code, 2) << c.says;
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
