#include "measure/impact.h"
#include "shell/textrules.h"
#include "tests/grid/gridfixture.h"
#include "tests/measure/measurefixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace korvel;
using korvel::test::flatGrid;
using korvel::test::kTwipsPerMetre;

namespace
{

JumpSettings normal()
{
    return {};
}
JumpSettings barefoot()
{
    return {true, false, false};
}
JumpSettings sitSki()
{
    return {false, true, false};
}

} // namespace

TEST(Distance, RoundsMetresAndFeetHalfUp)
{
    struct Case {
        double d;
        bool tenths;
        const char* metres;
        const char* feet;
    };
    const Case cases[] = {
        {20.0, true, " 20m", " 65.6ft"},    // barefoot: no offset, tenths of a foot
        {22.1, false, " 22.1m", " 73ft"},   // normal: 20 m + 2.1, whole feet
        {21.9, true, " 21.9m", " 71.9ft"},  // sit-ski: 20 m + 1.9, tenths
        {45.25, false, " 45.3m", " 148ft"}, // half up
        {45.249, false, " 45.2m", " 148ft"}, {45.2734, false, " 45.3m", " 149ft"},
        {0.04, false, " 0m", " 0ft"},
    };
    for (const Case& c : cases) {
        const JumpDistance r = roundedDistance(c.d, c.tenths);
        EXPECT_EQ(r.distanceText(), c.metres) << c.d;
        EXPECT_EQ(r.distanceFtText(), c.feet) << c.d;
    }
    EXPECT_EQ(roundedDistance(45.27344, false).m4, 45.2734);
    EXPECT_EQ(roundedDistance(45.27346, false).m4, 45.2735);
}

TEST(Distance, LandingOffsetFollowsTheJumpType)
{
    struct Case {
        JumpSettings jump;
        const char* metres;
        const char* feet;
    };
    const Case cases[] = {
        {normal(), " 22.1m", " 73ft"},
        {sitSki(), " 21.9m", " 71.9ft"},
        {barefoot(), " 20m", " 65.6ft"},
        {{true, true, false}, " 20m", " 65.6ft"}, // barefoot wins
    };
    const ActiveGrid g = flatGrid();
    for (const Case& c : cases) {
        const auto d = impactDistance(g, c.jump, {20 * kTwipsPerMetre, 0});
        ASSERT_TRUE(d);
        EXPECT_EQ(d->distanceText(), c.metres);
        EXPECT_EQ(d->distanceFtText(), c.feet);
        // The survey point carries no offset.
        EXPECT_DOUBLE_EQ(d->point.X, 20);
    }
}

TEST(ImpactMark, HalfCrossAndSplashPointDownTheCourse)
{
    struct Case {
        const char* what;
        JumpSettings jump;
        int direction;
        double armEnd;   // x of the horizontal arm's far end
        double splashDx; // splash x minus impact x, twips
    };
    const double offset = 2.1 * kTwipsPerMetre;
    const double sitOffset = 1.9 * kTwipsPerMetre;
    const Case cases[] = {
        {"left to right, X grows right", normal(), -1, 2000 - 100, +offset},
        {"right to left, X grows right", {false, false, true}, -1, 2000 + 100, -offset},
        // Survey X runs the other way on the screen: s flips the shift.
        {"left to right, X grows left", normal(), +1, 2000 - 100, -offset},
        {"right to left, X grows left", {false, false, true}, +1, 2000 + 100, +offset},
        {"sit-ski", sitSki(), -1, 2000 - 100, +sitOffset},
        {"barefoot: no shift", barefoot(), -1, 2000 - 100, 0},
    };
    for (const Case& c : cases) {
        ActiveGrid g = flatGrid();
        g.direction = c.direction;
        const ImpactMark m = DrawImpactMark(g, c.jump, {2000, 3000}, 100);
        EXPECT_EQ(m.horizontal.from.x, 2000) << c.what;
        EXPECT_EQ(m.horizontal.to.x, c.armEnd) << c.what;
        EXPECT_EQ(m.horizontal.to.y, 3000) << c.what;
        EXPECT_EQ(m.vertical.from.y, 2900) << c.what;
        EXPECT_EQ(m.vertical.to.y, 3100) << c.what;
        ASSERT_TRUE(m.splash) << c.what;
        EXPECT_NEAR(m.splash->from.x - 2000, c.splashDx, 1e-9) << c.what;
        EXPECT_NEAR(m.splash->from.y, 3000, 1e-9) << c.what;
        EXPECT_NEAR(m.splash->to.y, 3000 - kSplashHeight, 1e-9) << c.what;
        EXPECT_EQ(m.splash->to.x, m.splash->from.x) << c.what;
    }
}

TEST(ImpactMark, SplashFollowsThePerspectiveOfARealCamera)
{
    // On a perspective grid the splash lies 2.1 m further in survey X, which
    // is not a fixed number of twips.
    const test::Site site = test::makeSite();
    ActiveGrid g;
    g.c = site.truth;
    for (int slot = 1; slot <= 4; ++slot) {
        g.buoyScreen[slot] = site.screen[slot];
        g.buoySurvey[slot] = site.survey[slot];
    }
    g.direction = site.survey[UpperRight].X < site.survey[UpperLeft].X ? 1 : -1;
    const ImpactMark m = DrawImpactMark(g, normal(), {5000, 2000}, 100);
    ASSERT_TRUE(m.splashPoint);
    const auto at = *ScreenToSurvey(g.c, 5000, 2000);
    const auto splash = *ScreenToSurvey(g.c, m.splashPoint->x, m.splashPoint->y);
    EXPECT_NEAR(splash.X - at.X, -g.direction * 2.1, 1e-9);
    EXPECT_NEAR(splash.Y, at.Y, 1e-9);
}

TEST(ImpactMark, NudgesMoveOnePixelFromTheLastDrawnPoint)
{
    ScreenPoint p{4530, 3120};
    for (auto dir :
         {NudgeDirection::Left, NudgeDirection::Left, NudgeDirection::Left, NudgeDirection::Right})
        p = nudged(p, dir);
    EXPECT_EQ(p.x, 4530 - 30);
    EXPECT_EQ(p.y, 3120);
    p = nudged(nudged(p, NudgeDirection::Up), NudgeDirection::Up);
    p = nudged(p, NudgeDirection::Down);
    EXPECT_EQ(p.y, 3120 - 15);
}

TEST(Horizon, PointsOnOrBeyondItHaveNoDistance)
{
    // Horizon where 1 + y / 4096 = 0: exactly representable, so W is exactly 0 there.
    ActiveGrid g = flatGrid();
    g.c[4] = 0;
    g.c[5] = 1.0 / 4096;
    for (int slot = 1; slot <= 4; ++slot)
        g.buoySurvey[slot] = *ScreenToSurvey(g.c, g.buoyScreen[slot].x, g.buoyScreen[slot].y);

    struct Case {
        double y;
        bool onWater;
    };
    const Case cases[] = {{-4096, false}, {-5000, false}, {-4000, true}, {3000, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(g.onWater(1000, c.y), c.onWater) << c.y;
        EXPECT_EQ(impactDistance(g, normal(), {1000, c.y}).has_value(), c.onWater) << c.y;
        EXPECT_EQ(liveReadout(g, normal(), 1000, c.y).has_value(), c.onWater) << c.y;
        const ImpactMark m = DrawImpactMark(g, normal(), {1000, c.y}, 100);
        EXPECT_EQ(m.splash.has_value(), c.onWater) << c.y;
        // The cross itself is always drawn where the operator clicked.
        EXPECT_EQ(m.vertical.from.y, c.y - 100);
    }
}

TEST(Horizon, NonFiniteCoefficientsGiveNoDistance)
{
    ActiveGrid g = flatGrid();
    g.c[2] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(impactDistance(g, normal(), {1000, 1000}));
    EXPECT_FALSE(liveReadout(g, normal(), 1000, 1000));
    EXPECT_FALSE(impactDistance(flatGrid(), normal(), {std::nan(""), 0}));
}

TEST(LiveReadout, TextsInNumberText)
{
    const ActiveGrid g = test::janeRoeGrid();
    const auto r = liveReadout(g, normal(), test::kJaneRoeImpact.x + 0.7, test::kJaneRoeImpact.y);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->xtwips, " 4530");
    EXPECT_EQ(r->ytwips, " 3120");
    EXPECT_EQ(r->xposition, " 12.36"); // 12.345 + 0.7 / 64, to hundredths
    EXPECT_EQ(r->yposition, "-6.79");
    EXPECT_EQ(r->VerifyDistance, " 45.3m  149ft");
}

TEST(LiveReadout, QuickFeetMayDifferFromRecordedFeet)
{
    // 45.57 m: 3.28 ft/m gives 149, the recorded 1 / 0.3048 gives 150.
    const ActiveGrid g = flatGrid();
    const double x = (45.57 - 2.1) * kTwipsPerMetre;
    const auto live = liveReadout(g, normal(), x, 0);
    const auto recorded = impactDistance(g, normal(), {x, 0});
    ASSERT_TRUE(live && recorded);
    EXPECT_EQ(live->VerifyDistance, " 45.6m  149ft");
    EXPECT_EQ(recorded->distanceFtText(), " 150ft");
}

TEST(GridOverlay, MarksInDrawingOrderAndBuoyDistanceLabels)
{
    ActiveGrid g = flatGrid();
    g.jump = {0, 0};
    // Upper left 45.3 m out, upper right 30 m (survey X = x / 64).
    g.buoyScreen[UpperLeft] = {2400, 1500};
    g.buoySurvey[UpperLeft] = {45.3, 0};
    g.buoyScreen[UpperRight] = {7200, 1500};
    g.buoySurvey[UpperRight] = {18, 24};

    const GridOverlay circles = show_the_grid(g, MarkerStyle::Circle, 60);
    const int order[4] = {3, 1, 4, 2};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(circles.marks[k].slot, order[k]);
        EXPECT_FALSE(circles.marks[k].cross);
        EXPECT_EQ(circles.marks[k].radius, 120);
    }
    const BuoyMark& ul = circles.marks[0];
    EXPECT_EQ(ul.dots[1].y, 1505);
    EXPECT_EQ(ul.dots[4].x, 2395);

    const GridOverlay crosses = show_the_grid(g, MarkerStyle::Cross, 60);
    EXPECT_TRUE(crosses.marks[1].cross);
    EXPECT_EQ(crosses.marks[1].horizontal.from.x, 7200 - 60);
    EXPECT_EQ(crosses.marks[1].horizontal.to.x, 7200 + 60);
    EXPECT_EQ(crosses.marks[1].vertical.from.y, 1500 - 60);
    // Only "cross" in the settings draws crosses.
    EXPECT_EQ(markerStyleFromSetting(u"cross"), MarkerStyle::Cross);
    for (const char* other : {"Cross", "circle", "", "x"})
        EXPECT_EQ(markerStyleFromSetting(QString::fromLatin1(other)), MarkerStyle::Circle) << other;

    struct Label {
        const char* name;
        double left, top;
        const char* caption;
    };
    const Label labels[4] = {
        {"maxbuoy", 2300, 1100, " 149 feet"}, // Int(3.28 * 45.3 + 0.5) = 149
        {"minbuoy", 7100, 1100, " 98 feet"},  // 30 m
        {"maxbuoym", 2300, 900, " 45.3 meters"},
        {"minbuoym", 7100, 900, " 30 meters"},
    };
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(crosses.labels[k].name, labels[k].name);
        EXPECT_EQ(crosses.labels[k].left, labels[k].left) << labels[k].name;
        EXPECT_EQ(crosses.labels[k].top, labels[k].top) << labels[k].name;
        EXPECT_EQ(crosses.labels[k].caption, labels[k].caption) << labels[k].name;
    }
    EXPECT_EQ(crosses.grid_description, "Flat test grid");
}

// What a pixel is worth, against the distance itself: on random grids of
// varied perspective, at random points of the water, moving the impact one
// pixel in each of 720 directions moves the distance at most by the figure
// shown, and by nearly that much in the worst one. The check buoy's miss,
// in pixels, carries as many pixels' worth.
TEST(PixelWorth, MatchesTheDistanceMovedByOnePixelOnRandomGrids)
{
    std::mt19937 random(20261209);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    int tried = 0;
    for (int g = 0; g < 40; ++g) {
        ActiveGrid grid;
        Coefficients& c = grid.c;
        c[1] = uniform(-50, 50);
        c[2] = uniform(0.003, 0.02);
        c[3] = uniform(-0.004, 0.004);
        c[4] = uniform(-2e-5, 2e-5);
        c[5] = uniform(0, 1.5e-4); // far side of the lake higher up: smaller
        c[6] = uniform(-50, 50);
        c[7] = uniform(-0.004, 0.004);
        c[8] = uniform(-0.02, -0.003);
        grid.jump = {uniform(-30, 30), uniform(-30, 30)};
        const std::array<ScreenPoint, 4> corners{
            {{1000, 1000}, {8600, 1000}, {1000, 6200}, {8600, 6200}}};
        for (int slot = 1; slot <= 4; ++slot)
            grid.buoyScreen[slot] = corners[slot - 1];
        const double missX = uniform(-45, 45), missY = uniform(-45, 45); // up to 3 pixels
        const ScreenPoint checkAt{uniform(2000, 7600), uniform(2000, 5200)};
        const auto checkSurvey = ScreenToSurvey(c, checkAt.x, checkAt.y);
        ASSERT_TRUE(checkSurvey);
        grid.checkSurvey = *checkSurvey;
        grid.checkScreen = ScreenPoint{checkAt.x + missX, checkAt.y + missY};

        for (int k = 0; k < 10; ++k) {
            const ScreenPoint at{uniform(1500, 8100), uniform(1500, 5700)};
            const auto worth = pixelWorth(grid, at);
            if (!worth)
                continue; // beyond this grid's horizon
            const auto d0 = distance_calculation(c, grid.jump, at.x, at.y, false, false);
            ASSERT_TRUE(d0);
            double largest = 0;
            for (int a = 0; a < 720; ++a) {
                const double t = a * M_PI / 360;
                const auto d = distance_calculation(c, grid.jump, at.x + 15 * std::cos(t),
                                                    at.y + 15 * std::sin(t), false, false);
                ASSERT_TRUE(d);
                largest = std::max(largest, std::abs(d->d - d0->d));
            }
            EXPECT_NEAR(worth->perPixel, largest, 0.02 * largest + 1e-6)
                << "grid " << g << " at " << at.x << "," << at.y;
            ASSERT_TRUE(worth->check);
            EXPECT_NEAR(*worth->check, std::hypot(missX, missY) / 15 * largest,
                        0.03 * *worth->check + 1e-6);
            ++tried;
        }
    }
    EXPECT_GT(tried, 200) << "enough points on the water";
}

TEST(PixelWorth, SaidInMetresWithTheCheckWhenThereIsOne)
{
    EXPECT_EQ(pixelWorthText({0.0912, std::nullopt}), "\u00b1 0.09 m a pixel here");
    EXPECT_EQ(pixelWorthText({0.0912, 0.0251}),
              "\u00b1 0.09 m a pixel here; the grid's check \u00b1 0.03 m");
}
