#pragma once
// The plane projective mapping between the picture (twips) and the water
// surface (survey metres), and the jump distance built on it.

#include <array>
#include <optional>

namespace korvel
{

// c1 ... c8 of the mapping; index 0 is unused so the numbering matches the
// grid files and the record.
struct Coefficients {
    std::array<double, 9> c{};
    double operator[](int k) const { return c[k]; }
    double& operator[](int k) { return c[k]; }
    bool allFinite() const;
};

struct SurveyPoint {
    double X = 0;
    double Y = 0;
};

struct ScreenPoint {
    double x = 0;
    double y = 0;
};

// Screen to survey: W = 1 + c4 x + c5 y, X = (c1 + c2 x + c3 y) / W,
// Y = (c6 + c7 x + c8 y) / W. nullopt when W is 0 (a point on the grid's
// horizon) or the result is not a finite number.
std::optional<SurveyPoint> ScreenToSurvey(const Coefficients& c, double x, double y,
                                          double* W = nullptr);

// The exact inverse, through the adjugate of [[c2 c3 c1] [c7 c8 c6] [c4 c5 1]].
// nullopt when its denominator is 0 or the result is not finite.
std::optional<ScreenPoint> SurveyToScreen(const Coefficients& c, double X, double Y);

// Landing offset added to the plain survey distance: 2.1 m for a normal jump,
// 1.9 m sit-ski, none barefoot (barefoot wins when both flags are set).
double landingOffset(bool barefoot, bool sitSki);

struct Distance {
    double d = 0;      // survey distance from the jump point plus the landing offset
    SurveyPoint point; // the impact on the water, without the offset
    double W = 0;
};

// The distance of a screen point from the surveyed jump point.
std::optional<Distance> distance_calculation(const Coefficients& c, const SurveyPoint& jump,
                                             double x, double y, bool barefoot, bool sitSki);

} // namespace korvel
