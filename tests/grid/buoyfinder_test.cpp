// The buoy under a marker, found to a fraction of a pixel on rendered lakes
// whose buoys sit at known centres.

#include "grid/buoyfinder.h"
#include "grid/sample/buoylake.h"
#include "grid/sample/snaptrial.h"

#include <QList>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

using namespace korvel;
using namespace korvel::sample;

namespace
{

const QColor kOrange(255, 120, 20);
const QColor kWhite(240, 240, 235);
const QColor kYellow(250, 215, 40);
const QColor kDarkWater(20, 60, 80);
const QColor kBrightWater(150, 165, 175);

struct Scene {
    QColor water = kDarkWater;
    double noise = 4;
    QList<LakeBuoy> buoys;
    QList<GlareStreak> glare;
    QSize size{160, 120};
};

QImage render(const Scene& s)
{
    BuoyLakeOptions o;
    o.size = s.size;
    o.water = s.water;
    o.noise = s.noise;
    o.seed = 7;
    BuoyLake lake(o);
    for (const LakeBuoy& b : s.buoys)
        lake.addBuoy(b);
    for (const GlareStreak& g : s.glare)
        lake.addGlare(g);
    return lake.render();
}

ScreenPoint twips(QPointF pixel)
{
    return {pixel.x() * 15, pixel.y() * 15};
}

double pixelsOff(const BuoyFinding& f, QPointF truth)
{
    return std::hypot(f.centre.x / 15 - truth.x(), f.centre.y / 15 - truth.y());
}

} // namespace

TEST(BuoyFinder, FindsTheCentreToATenthOfAPixel)
{
    struct Case {
        const char* what;
        double diameter;
        QColor colour;
        QColor water;
        double noise;
        QPointF offset; // of the centre from the whole pixel clicked
        QPointF click;  // of the marker from that pixel
    } cases[] = {
        {"smallest, orange", 2.0, kOrange, kDarkWater, 3, {0.37, -0.21}, {0, 0}},
        {"small yellow, clicked off", 3.0, kYellow, kDarkWater, 5, {-0.45, 0.12}, {2, -1}},
        {"white on bright water", 4.5, kWhite, kBrightWater, 4, {0.08, 0.44}, {-1, 1}},
        {"large, noisy", 8.0, kOrange, kBrightWater, 8, {-0.3, -0.3}, {3, 3}},
        {"dark buoy on bright water",
         5.0,
         QColor(30, 30, 30),
         kBrightWater,
         4,
         {0.25, 0.0},
         {0, 2}},
        {"on a whole pixel", 6.0, QColor(215, 35, 30), kDarkWater, 2, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s;
        s.water = c.water;
        s.noise = c.noise;
        const QPointF centre = QPointF(80, 60) + c.offset;
        s.buoys = {{centre, c.diameter, c.colour}};
        const BuoyFinding f = findBuoy(render(s), twips(QPointF(80, 60) + c.click));
        ASSERT_TRUE(f.found) << f.reason.toStdString();
        EXPECT_LE(pixelsOff(f, centre), 0.1);
        EXPECT_EQ(f.centre.x, std::round(f.centre.x)); // whole twips
        EXPECT_NEAR(f.diameter, c.diameter, 1.5);
    }
}

TEST(BuoyFinder, NeitherGlareNorANeighbourPullsTheCentre)
{
    const QPointF centre(60.3, 50.6);
    struct Case {
        const char* what;
        QList<LakeBuoy> others;
        QList<GlareStreak> glare;
        QPointF click;
    } cases[] = {
        {"a glare streak below", {}, {{{62, 56.5}, 24, 2, 3, 0.9}}, {60, 51}},
        {"a glare streak above, clicked towards it", {}, {{{58, 45}, 30, 1.5, -5, 0.8}}, {60, 49}},
        // Two buoys 8 pixels apart: the one nearest the marker is taken.
        {"a second buoy beside", {{{68.1, 50.2}, 4, kOrange}}, {}, {62, 51}},
        {"a second buoy beside, larger", {{{52.4, 51.0}, 7, kWhite}}, {}, {59, 51}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene s;
        s.buoys = c.others;
        s.buoys.append({centre, 4, kOrange});
        s.glare = c.glare;
        const BuoyFinding f = findBuoy(render(s), twips(c.click));
        ASSERT_TRUE(f.found) << f.reason.toStdString();
        EXPECT_LE(pixelsOff(f, centre), 0.1);
    }
}

TEST(BuoyFinder, RefusesWhatIsNoBuoyAndSaysWhy)
{
    struct Case {
        const char* what;
        Scene scene;
        QPointF click;
        const char* reason;
    } cases[] = {
        {"flat noisy water", {kDarkWater, 8, {}, {}}, {80, 60}, "No buoy stands out"},
        {"flat bright water", {kBrightWater, 2, {}, {}}, {80, 60}, "No buoy stands out"},
        {"a buoy out of reach",
         {kDarkWater, 4, {{{80, 60}, 4, kOrange}}, {}},
         {80, 68},
         "No buoy stands out"},
        {"a long glare streak",
         {kDarkWater, 4, {}, {{{80, 60}, 40, 2, 0, 0.9}}},
         {80, 60},
         "larger than a buoy"},
        {"a short glare streak",
         {kDarkWater, 4, {}, {{{80, 60}, 9, 1.2, 0, 0.9}}},
         {80, 60},
         "long and thin"},
        {"a blob larger than a buoy",
         {kDarkWater, 4, {{{80, 60}, 16, kWhite}}, {}},
         {80, 60},
         "larger than a buoy"},
        {"a buoy cut by the picture's edge",
         {kDarkWater, 4, {{{1.2, 60}, 6, kOrange}}, {}},
         {1, 60},
         "picture's edge cuts"},
        {"a marker off the picture", {kDarkWater, 4, {}, {}}, {200, 60}, "outside the picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const BuoyFinding f = findBuoy(render(c.scene), twips(c.click));
        EXPECT_FALSE(f.found);
        EXPECT_TRUE(f.reason.contains(QLatin1String(c.reason))) << f.reason.toStdString();
    }
    EXPECT_EQ(findBuoy(QImage(), {150, 150}).reason, "There is no picture to find the buoy in.");
}

TEST(BuoyFinder, ABuoyNearTheEdgeButWholeIsFound)
{
    for (const QPointF centre : {QPointF(3.4, 60.2), QPointF(80.1, 116.3), QPointF(156.7, 3.6)}) {
        Scene s;
        s.buoys = {{centre, 3.5, kYellow}};
        const BuoyFinding f =
            findBuoy(render(s), twips({std::round(centre.x()), std::round(centre.y())}));
        ASSERT_TRUE(f.found) << f.reason.toStdString();
        EXPECT_LE(pixelsOff(f, centre), 0.1) << centre.x() << "," << centre.y();
    }
}

TEST(BuoyFinder, FindingAgainFromTheFoundCentreKeepsIt)
{
    Scene s;
    s.noise = 6;
    s.buoys = {{{40.37, 30.71}, 2.6, kWhite}, {{100.52, 80.05}, 7.3, kOrange}};
    const QImage picture = render(s);
    for (const LakeBuoy& b : s.buoys) {
        const BuoyFinding first =
            findBuoy(picture, twips({std::round(b.centre.x()) + 1, std::round(b.centre.y())}));
        ASSERT_TRUE(first.found);
        const BuoyFinding again = findBuoy(picture, first.centre);
        ASSERT_TRUE(again.found);
        EXPECT_EQ(again.centre.x, first.centre.x);
        EXPECT_EQ(again.centre.y, first.centre.y);
    }
}

// Hundreds of buoys of every size and colour on noisy lakes with ripples and
// glare: the centre within a tenth of a pixel for at least 95 % of them.
TEST(BuoyFinder, NineteenOfTwentyBuoysWithinATenthOfAPixel)
{
    BuoyTrialOptions o;
    o.lakes = 6;
    o.buoysPerLake = 40;
    o.seed = 11;
    const QList<BuoyTrial> trials = buoyTrial(o);
    ASSERT_EQ(trials.size(), 240);
    const auto found =
        std::count_if(trials.begin(), trials.end(), [](const BuoyTrial& t) { return t.found; });
    const auto within = std::count_if(trials.begin(), trials.end(),
                                      [](const BuoyTrial& t) { return t.found && t.error <= 0.1; });
    EXPECT_GE(found, 238);
    EXPECT_GE(within, 0.95 * trials.size());
}

// The same lakes set up twice: grids on snapped markers put impacts closer
// to where they really are than grids on the whole pixels an operator clicks.
TEST(BuoyFinder, SnappedGridsMeasureCloserThanWholePixelGrids)
{
    GridTrialOptions o;
    o.lakes = 8;
    o.seed = 5;
    const GridTrial g = gridTrial(o);
    ASSERT_EQ(g.snapped.size(), g.wholePixel.size());
    ASSERT_GE(g.snapped.size(), 150);
    EXPECT_EQ(g.snapMisses, 0);
    const auto mean = [](const QList<double>& v) {
        return std::accumulate(v.begin(), v.end(), 0.0) / v.size();
    };
    EXPECT_LT(mean(g.snapped) * 3, mean(g.wholePixel));
    EXPECT_LT(mean(g.snappedDistance) * 3, mean(g.wholeDistance));
}
