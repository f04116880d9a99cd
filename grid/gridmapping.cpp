#include "grid/gridmapping.h"

#include <cmath>

namespace korvel
{

bool Coefficients::allFinite() const
{
    for (int k = 1; k <= 8; ++k) {
        if (!std::isfinite(c[k]))
            return false;
    }
    return true;
}

std::optional<SurveyPoint> ScreenToSurvey(const Coefficients& c, double x, double y, double* W)
{
    const double w = 1 + c[4] * x + c[5] * y;
    if (W)
        *W = w;
    if (w == 0 || !std::isfinite(w))
        return std::nullopt;
    const SurveyPoint p{(c[1] + c[2] * x + c[3] * y) / w, (c[6] + c[7] * x + c[8] * y) / w};
    if (!std::isfinite(p.X) || !std::isfinite(p.Y))
        return std::nullopt;
    return p;
}

std::optional<ScreenPoint> SurveyToScreen(const Coefficients& c, double X, double Y)
{
    const double D = (c[7] * c[5] - c[8] * c[4]) * X + (c[3] * c[4] - c[2] * c[5]) * Y +
                     (c[2] * c[8] - c[3] * c[7]);
    if (D == 0 || !std::isfinite(D))
        return std::nullopt;
    const ScreenPoint p{
        ((c[8] - c[6] * c[5]) * X + (c[1] * c[5] - c[3]) * Y + (c[3] * c[6] - c[1] * c[8])) / D,
        ((c[6] * c[4] - c[7]) * X + (c[2] - c[1] * c[4]) * Y + (c[1] * c[7] - c[2] * c[6])) / D};
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return std::nullopt;
    return p;
}

double landingOffset(bool barefoot, bool sitSki)
{
    if (barefoot)
        return 0;
    // A set flag counts as -1 in the arithmetic: 2.1 + 0.2 * -1 = 1.9 for sit-ski.
    const double s = sitSki ? -1 : 0;
    return 0.2 * s + 2.1;
}

std::optional<Distance> distance_calculation(const Coefficients& c, const SurveyPoint& jump,
                                             double x, double y, bool barefoot, bool sitSki)
{
    Distance out;
    const auto p = ScreenToSurvey(c, x, y, &out.W);
    if (!p)
        return std::nullopt;
    out.point = *p;
    out.d = std::sqrt((jump.X - p->X) * (jump.X - p->X) + (jump.Y - p->Y) * (jump.Y - p->Y)) +
            landingOffset(barefoot, sitSki);
    return out;
}

} // namespace korvel
