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
        // The first non-zero pivot, however small: only an exact zero means
        // the buoys do not fix the mapping.
        int p = k;
        while (p <= N && M[p][k] == 0)
            ++p;
        if (p > N)
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

std::optional<double> sightLineAngle(const Coefficients& c, double x, double y)
{
    const auto p1 = ScreenToSurvey(c, x, y);
    const auto p2 = ScreenToSurvey(c, x, y - 45);
    if (!p1 || !p2 || p2->Y == p1->Y)
        return std::nullopt;
    return std::atan((p2->X - p1->X) / (p2->Y - p1->Y)) * 180 / std::numbers::pi;
}

} // namespace korvel
