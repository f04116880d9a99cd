#include "grid/gridfile.h"
#include "grid/sample/buoylake.h"
#include "shell/textrules.h"
#include "tests/grid/gridfixture.h"
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

QString fourValues(const ScreenPoint& s, const SurveyPoint& p)
{
    return QStringList{numberText(s.x), numberText(s.y), numberText(p.X), numberText(p.Y)}
        .replaceInStrings(" ", "")
        .join(",");
}

QStringList solveArgs(const test::Site& s, const QString& out)
{
    return {"solve",
            "--ur",
            fourValues(s.screen[1], s.survey[1]),
            "--lr",
            fourValues(s.screen[2], s.survey[2]),
            "--ul",
            fourValues(s.screen[3], s.survey[3]),
            "--ll",
            fourValues(s.screen[4], s.survey[4]),
            "--jump",
            "0,0",
            "--check",
            fourValues(s.checkScreen, s.checkSurvey),
            "--grid",
            "2",
            "--description",
            "Tower cam",
            "--out",
            out};
}

} // namespace

TEST(KorvelTool, SolveWritesTheGridAndMapsBothWays)
{
    test::TestDir t;
    const test::Site site = test::makeSite();
    const QString path = t.file("tower.ipt");
    const ToolRun solved = tool(solveArgs(site, path));
    ASSERT_EQ(solved.code, 0) << solved.err.toStdString();
    const QStringList cs = solved.out.trimmed().split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(cs.size(), 8);
    for (int k = 1; k <= 8; ++k)
        EXPECT_NEAR(cs[k - 1].toDouble(), site.truth[k],
                    1e-9 * std::max(1.0, std::fabs(site.truth[k])));

    const auto d = readGridFiles(path);
    ASSERT_TRUE(std::holds_alternative<GridFileData>(d));
    EXPECT_EQ(std::get<GridFileData>(d).description, "Tower cam");
    EXPECT_EQ(std::get<GridFileData>(d).gridNumber, 2);
    EXPECT_TRUE(std::get<GridFileData>(d).hasCheckBuoy);

    const ToolRun map = tool({"map", path, "600", "6000"});
    ASSERT_EQ(map.code, 0);
    const QStringList xy = map.out.trimmed().split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(xy.size(), 2);
    EXPECT_NEAR(xy[0].toDouble(), site.survey[4].X, 1e-9);
    EXPECT_NEAR(xy[1].toDouble(), site.survey[4].Y, 1e-9);

    const ToolRun unmap = tool({"unmap", path, xy[0], xy[1]});
    ASSERT_EQ(unmap.code, 0);
    const QStringList back = unmap.out.trimmed().split(' ', Qt::SkipEmptyParts);
    EXPECT_NEAR(back[0].toDouble(), 600, 1e-6);
    EXPECT_NEAR(back[1].toDouble(), 6000, 1e-6);

    const ToolRun show = tool({"show", path});
    ASSERT_EQ(show.code, 0);
    EXPECT_TRUE(show.out.contains("description: Tower cam"));
    EXPECT_TRUE(show.out.contains("check buoy off by 0 pixels"));
}

TEST(KorvelTool, FailuresGiveTheScreensMessageAndWriteNothing)
{
    test::TestDir t;
    struct Case {
        QStringList args;
        int code;
        const char* err;
    } cases[] = {
        {solveArgs(test::makeSite(30), t.file("wide.ipt")), 1,
         "Setup is not valid, Field of View is  47 degrees where the maximum allowed is 35 "
         "degrees"},
        {QStringList(solveArgs(test::makeSite(), t.file("x.ipt")))
             .replaceInStrings("4800,3600,", "4850,3600,"),
         1, "Check Buoy Does not Validate"},
        {QStringList(solveArgs(test::makeSite(), t.file("y.ipt")))
             .replaceInStrings(QRegularExpression("^7200,1500,.*"), "1,2,3"),
         2, "--ur takes 4 numbers"},
        {{"solve", "--ur", "1,2,3,4"}, 2, "solve needs --lr"},
        {{"map", t.file("absent.ipt"), "1", "2"}, 2, "absent.ipt"},
        {{"map", "x.ipt", "one", "2"}, 2, "\"one\" is not a number"},
        {{"frobnicate"}, 2, "unknown command"},
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.err))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(t.file("wide.ipt")));
    EXPECT_FALSE(QFile::exists(t.file("wide.ipt.cb")));
    EXPECT_FALSE(QFile::exists(t.file("x.ipt")));
    EXPECT_EQ(tool({"--help"}).code, 0);
}

TEST(KorvelTool, EveryCommandRefusesAGridTheLoadRefuses)
{
    test::TestDir t;
    const QString good = t.file("tower.ipt");
    ASSERT_EQ(tool(solveArgs(test::makeSite(), good)).code, 0);
    QStringList lines = *readLines(good);
    for (int k = 7; k <= 14; ++k)
        lines[k - 1] = " 0 ";
    const QString zero = t.file("zero.ipt");
    ASSERT_TRUE(writeLines(zero, lines));
    ASSERT_TRUE(QFile::copy(good + ".cb", zero + ".cb"));

    struct Case {
        QStringList args;
        int code;
    } cases[] = {
        {{"measure", zero, "4800", "3600"}, 2},
        {{"map", zero, "4800", "3600"}, 2},
        {{"unmap", zero, "0", "40"}, 2},
        {{"accuracy", zero}, 2},
        {{"show", zero}, 1}, // shows what the file holds, then the refusal
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(zero + ": the coefficients do not fit its buoys"))
            << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
        EXPECT_FALSE(r.out.contains(" m ")) << r.out.toStdString();
    }
    EXPECT_TRUE(tool({"show", zero}).out.contains("coefficients: 0  0  0"));
}

TEST(KorvelTool, MapKeepsNumbersApartAndSolveTakesThePictureWidth)
{
    test::TestDir t;
    const test::Site site = test::makeSite();
    const QString path = t.file("tower.ipt");
    // The near buoys span 8400 twips: 87.5 % of a 640-pixel picture, 70 % of
    // the 12000-twip picture assumed without one.
    const QString warning = "Front ratio is  70%  Zoom camera in until front is > 85%";
    const ToolRun assumed = tool(solveArgs(site, path));
    ASSERT_EQ(assumed.code, 0);
    EXPECT_TRUE(assumed.err.contains(warning)) << assumed.err.toStdString();
    const ToolRun given = tool(solveArgs(site, path) << "--picture-width"
                                                     << "9600");
    ASSERT_EQ(given.code, 0) << given.err.toStdString();
    EXPECT_FALSE(given.err.contains("Front ratio")) << given.err.toStdString();

    // The far left buoy lies at negative survey X; the lower left at negative screen x.
    const ToolRun map = tool({"map", path, "2400", "1500"});
    ASSERT_EQ(map.code, 0);
    const QStringList XY = map.out.split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(XY.size(), 2) << map.out.toStdString();
    EXPECT_NEAR(XY[0].toDouble(), -8, 1e-9);
    EXPECT_NEAR(XY[1].toDouble(), 300000.0 / 4500, 1e-9);
    const ToolRun unmap = tool({"unmap", path, "-8", "-20"});
    ASSERT_EQ(unmap.code, 0);
    const QStringList xy = unmap.out.split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(xy.size(), 2) << unmap.out.toStdString();
    EXPECT_LT(xy[1].toDouble(), 0) << unmap.out.toStdString();
}

TEST(KorvelTool, SnapPrintsTheBuoysCentreInTwipsOrSaysWhyNot)
{
    test::TestDir t;
    sample::BuoyLakeOptions o;
    o.size = QSize(320, 240);
    sample::BuoyLake lake(o);
    const QPointF centre(100.43, 80.71);
    lake.addBuoy({centre, 3.4, QColor(255, 120, 20)});
    const QString picture = t.file("lake.png");
    ASSERT_TRUE(lake.render().save(picture));

    const ToolRun found = tool({"snap", picture, "1515", "1200"});
    ASSERT_EQ(found.code, 0) << found.err.toStdString();
    const QStringList xy = found.out.split('\n').first().split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(xy.size(), 2);
    EXPECT_NEAR(xy[0].toDouble(), centre.x() * 15, 1.5);
    EXPECT_NEAR(xy[1].toDouble(), centre.y() * 15, 1.5);
    EXPECT_EQ(xy[0].toDouble(), std::round(xy[0].toDouble()));

    struct Case {
        QStringList args;
        int code;
        const char* err;
    } cases[] = {
        {{"snap", picture, "3000", "3000"}, 1, "No buoy stands out of the water within 5 pixels"},
        {{"snap", t.file("absent.png"), "1500", "1200"}, 2, "absent.png"},
        {{"snap", picture, "1500"}, 2, "snap takes a picture and the marker's x and y"},
    };
    for (const Case& c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.err))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(tool({"--help"}).out.contains("snap PICTURE x y"));
}
