#include "grid/gridsolver.h"
#include "tests/grid/gridfixture.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace korvel;

namespace
{

GridState stateFor(const Coefficients& truth, const std::array<ScreenPoint, 5>& screen)
{
    GridState s;
    for (int slot = 1; slot <= 4; ++slot) {
        const SurveyPoint p = *ScreenToSurvey(truth, screen[slot].x, screen[slot].y);
        s.screenX[slot] = screen[slot].x;
        s.screenY[slot] = screen[slot].y;
        s.surveyX[slot] = p.X;
        s.surveyY[slot] = p.Y;
    }
    return s;
}

} // namespace

TEST(SurveySolve, RecoversAKnownProjectiveMapping)
{
    // Mappings with perspective along either axis, rotation and offset.
    Coefficients tilted;
    tilted.c = {0, 12.5, 0.004, -0.0011, 2.0e-5, 9.0e-5, -40.0, 0.0007, 0.0095};
    Coefficients rotated;
    rotated.c = {0, 100.0, -0.001, 0.003, -1.0e-5, 6.0e-5, 50.0, 0.0025, -0.002};
    const Coefficients cases[] = {test::pinhole(15, 300000, 4800, -3000), tilted, rotated,
                                  test::pinhole(-15, 300000, 4800, -3000)};
    const test::Site site = test::makeSite();
    for (const Coefficients& truth : cases) {
        GridState s = stateFor(truth, site.screen);
        ASSERT_TRUE(solveSurvey(s));
        const Coefficients c = s.coefficients();
        for (int k = 1; k <= 8; ++k)
            EXPECT_NEAR(c[k], truth[k], 1e-9 * std::max(1.0, std::fabs(truth[k]))) << "c" << k;

        // Survey -> screen is the exact inverse anywhere off the horizon.
        for (double x : {0.0, 1234.5, 9600.0}) {
            for (double y : {0.0, 3333.0, 7200.0}) {
                const auto p = ScreenToSurvey(c, x, y);
                ASSERT_TRUE(p);
                const auto back = SurveyToScreen(c, p->X, p->Y);
                ASSERT_TRUE(back);
                EXPECT_NEAR(back->x, x, 1e-6);
                EXPECT_NEAR(back->y, y, 1e-6);
            }
        }
    }
}

TEST(SurveySolve, BuoysThatDoNotFixTheMappingHaveNoUniqueSolution)
{
    struct Case {
        const char* name;
        std::array<ScreenPoint, 5> screen;
    } cases[] = {
        {"on one slanting line",
         {ScreenPoint{}, {1000, 700}, {2000, 1200}, {3000, 1700}, {4000, 2200}}},
        {"on one row", {ScreenPoint{}, {7200, 3000}, {9000, 3000}, {2400, 3000}, {600, 3000}}},
        {"on one column", {ScreenPoint{}, {4800, 1500}, {4800, 6000}, {4800, 2500}, {4800, 4000}}},
        {"all on one spot",
         {ScreenPoint{}, {4800, 3600}, {4800, 3600}, {4800, 3600}, {4800, 3600}}},
    };
    const test::Site site = test::makeSite();
    for (const Case& c : cases) {
        GridState s = stateFor(site.truth, site.screen);
        for (int slot = 1; slot <= 4; ++slot) {
            s.screenX[slot] = c.screen[slot].x;
            s.screenY[slot] = c.screen[slot].y;
        }
        EXPECT_FALSE(solveSurvey(s)) << c.name;
    }
}

TEST(SurveySolve, ATinyPivotIsStillAPivot)
{
    // 1e-300 x = 1e-300 and 2 y = 4: only an exact zero is refused.
    SolveMatrix M{};
    M[1][1] = 1e-300;
    M[1][3] = 1e-300;
    M[2][2] = 2;
    M[2][3] = 4;
    ASSERT_TRUE(gaussJordan(M, 2));
    EXPECT_DOUBLE_EQ(M[1][3], 1);
    EXPECT_DOUBLE_EQ(M[2][3], 2);

    SolveMatrix Z{};
    Z[1][1] = 0;
    Z[2][1] = 0;
    Z[2][2] = 1;
    EXPECT_FALSE(gaussJordan(Z, 2));
}

TEST(GridValidation, CheckBuoyToleranceIsInclusive)
{
    const ScreenPoint predicted{1000, 2000};
    struct Case {
        double dx, dy;
        bool ok;
    } cases[] = {{22.5, 22.5, true}, {-22.5, -22.5, true}, {22.6, 0, false},
                 {0, -22.6, false},  {0, 0, true},         {22.5, 22.6, false}};
    for (const Case& c : cases)
        EXPECT_EQ(checkBuoyValidates({predicted.x + c.dx, predicted.y + c.dy}, predicted), c.ok)
            << c.dx << "," << c.dy;
}

TEST(GridValidation, FieldOfViewAddsOneAndAHalfAndCuts)
{
    struct Case {
        double left, right;
        double fov;
    } cases[] = {
        {33.5, 0, 35.0},       {33.51, 0, 35.0}, {33.6, 0, 35.1},
        {16.75, -16.75, 35.0}, {0, 33.6, 35.1}, // axes surveyed the other way round
        {-16.8, 16.8, 35.1},   {10, 10, 1.5},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(fieldOfViewFromAngles(c.left, c.right), c.fov) << c.left << " " << c.right;
}

TEST(GridValidation, SightLinesOfThePinholeSite)
{
    const test::Site site = test::makeSite(15);
    const auto left = sightLine(site.truth, site.screen[4].x, site.screen[4].y);
    const auto right = sightLine(site.truth, site.screen[2].x, site.screen[2].y);
    ASSERT_TRUE(left && right);
    // Each leans atan(a (x - x0) / b) off the survey Y axis, to either side.
    const double lean = std::atan(15.0 * 4200 / 300000) * 180 / M_PI;
    EXPECT_NEAR(angleBetween(*left, {0, 1}), lean, 1e-9);
    EXPECT_NEAR(angleBetween(*right, {0, 1}), lean, 1e-9);
    EXPECT_DOUBLE_EQ(fieldOfView(*left, *right), 25.2);
}

TEST(GridValidation, AngleBetweenSightLinesIgnoresHowTheAxesLie)
{
    auto dir = [](double degrees) {
        return SurveyPoint{std::sin(degrees * M_PI / 180), std::cos(degrees * M_PI / 180)};
    };
    struct Case {
        double a, b; // directions, degrees from the survey Y axis
        double angle;
    } cases[] = {
        {10, -10, 20},   {-10, 10, 20}, {80, 100, 20}, // across the survey X axis
        {170, -170, 20}, {0, 90, 90},   {45, 45, 0},   {0, 180, 180},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(angleBetween(dir(c.a), dir(c.b)), c.angle, 1e-9) << c.a << " " << c.b;
        // Mirrored and scaled: the same angle.
        const SurveyPoint m1{-dir(c.a).X * 3, dir(c.a).Y * 3};
        const SurveyPoint m2{-dir(c.b).X, dir(c.b).Y};
        EXPECT_NEAR(angleBetween(m1, m2), c.angle, 1e-9) << c.a << " " << c.b;
    }
    EXPECT_DOUBLE_EQ(fieldOfView(dir(80), dir(100)), 21.5);
    EXPECT_FALSE(sightLine(Coefficients{}, 100, 100)) << "every point maps onto one spot";
}

TEST(Distance, LandingOffsetByJumpType)
{
    struct Case {
        bool barefoot, sitSki;
        double offset;
    } cases[] = {{false, false, 2.1}, {false, true, 1.9}, {true, false, 0}, {true, true, 0}};
    Coefficients identity;
    identity[2] = 1;
    identity[8] = 1;
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(landingOffset(c.barefoot, c.sitSki), c.offset);
        const auto d = distance_calculation(identity, {0, 0}, 12, 16, c.barefoot, c.sitSki);
        ASSERT_TRUE(d);
        EXPECT_DOUBLE_EQ(d->d, 20 + c.offset);
    }
}

TEST(Distance, HorizonPointsGiveNoNumber)
{
    const test::Site site = test::makeSite();
    // W = 1 - y / yh is zero on the horizon row y = yh.
    EXPECT_FALSE(ScreenToSurvey(site.truth, 100, -3000));
    EXPECT_FALSE(distance_calculation(site.truth, {0, 0}, 100, -3000, false, false));
    Coefficients degenerate; // all zero: D = 0 everywhere
    EXPECT_FALSE(SurveyToScreen(degenerate, 1, 2));
}
