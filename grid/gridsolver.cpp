#include "grid/gridsolver.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace korvel
{

bool solveSurvey(GridState& s)
{
    auto& M = s.M;
    for (auto& row : M)
        row.fill(0);
    for (int i = 1; i <= 4; ++i) {
        const double x = s.screenX[i], y = s.screenY[i], X = s.surveyX[i], Y = s.surveyY[i];
        M[i][1] = 1;
        M[i][2] = x;
        M[i][3] = y;
        M[i][4] = -x * X;
        M[i][5] = -y * X;
        M[i][9] = X;
        M[i + 4][4] = -x * Y;
        M[i + 4][5] = -y * Y;
        M[i + 4][6] = 1;
        M[i + 4][7] = x;
        M[i + 4][8] = y;
        M[i + 4][9] = Y;
    }
    if (!gaussJordan(M, 8))
        return false;
    return s.coefficients().allFinite();
}

bool gaussJordan(SolveMatrix& M, int N)
{
    for (int k = 1; k <= N; ++k) {
        // The largest pivot left in the column: a rounding leftover (1e-16
        // where two buoys share a picture row) is never taken while a real
        // value is there. Only an exact zero means the buoys do not fix the
        // mapping; a tiny pivot that is the column's largest is still one.
        int p = k;
        for (int i = k + 1; i <= N; ++i) {
            if (std::fabs(M[i][k]) > std::fabs(M[p][k]))
                p = i;
        }
        if (M[p][k] == 0)
            return false;
        for (int j = 1; j <= N + 1; ++j)
            std::swap(M[k][j], M[p][j]);
        const double f = 1 / M[k][k];
        for (int j = 1; j <= N + 1; ++j)
            M[k][j] *= f;
        for (int i = 1; i <= N; ++i) {
            if (i == k)
                continue;
            const double g = -M[i][k];
            for (int j = 1; j <= N + 1; ++j)
                M[i][j] += g * M[k][j];
        }
    }
    return true;
}

bool checkBuoyValidates(const ScreenPoint& placed, const ScreenPoint& predicted)
{
    return std::fabs(placed.x - predicted.x) <= kCheckBuoyTolerance &&
           std::fabs(placed.y - predicted.y) <= kCheckBuoyTolerance;
}

double fieldOfViewFromAngles(double thetaLeft, double thetaRight)
{
    // 15 tenths, not a half: the limit carries a 1.5 degree allowance.
    return std::floor(10 * std::fabs(thetaLeft - thetaRight) + 15) / 10;
}

std::optional<SurveyPoint> sightLine(const Coefficients& c, double x, double y)
{
    const auto p1 = ScreenToSurvey(c, x, y);
    const auto p2 = ScreenToSurvey(c, x, y - 45);
    if (!p1 || !p2)
        return std::nullopt;
    const SurveyPoint step{p2->X - p1->X, p2->Y - p1->Y};
    if (step.X == 0 && step.Y == 0)
        return std::nullopt;
    return step;
}

double angleBetween(const SurveyPoint& a, const SurveyPoint& b)
{
    // atan2 of cross and dot has no jump where a line runs along a survey
    // axis, as the difference of two atan(dX / dY) has at the X axis.
    const double cross = a.X * b.Y - a.Y * b.X;
    const double dot = a.X * b.X + a.Y * b.Y;
    return std::atan2(std::fabs(cross), dot) * 180 / std::numbers::pi;
}

double fieldOfView(const SurveyPoint& left, const SurveyPoint& right)
{
    return fieldOfViewFromAngles(angleBetween(left, right), 0);
}

} // namespace korvel
