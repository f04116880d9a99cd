#pragma once
// The survey solve: from four buoys seen on the screen and surveyed on the
// water, the eight coefficients of the picture-to-water mapping; and the two
// checks that decide whether a camera set-up may measure jumps.

#include "grid/gridmapping.h"
#include "grid/gridstate.h"

#include <optional>

namespace korvel
{

// Builds the 8 x 9 system from the working arrays into state.M and reduces it
// by Gauss-Jordan elimination, taking the first non-zero pivot of each column
// (exact comparison: a tiny pivot is still a pivot). False when a column has
// no non-zero pivot (buoys on one line) or the result is not finite.
bool solveSurvey(GridState& state);

// Gauss-Jordan elimination of an n x (n + 1) system held in rows and columns
// 1..n+1 of M; afterwards column n + 1 holds the solution. False when a
// column has no non-zero pivot.
using SolveMatrix = std::array<std::array<double, 11>, 11>;
bool gaussJordan(SolveMatrix& M, int n);

// A check buoy validates when its placed marker lies within 1.5 pixels
// (22.5 twips, inclusive) of where the grid predicts it on both axes.
constexpr double kCheckBuoyTolerance = 22.5;
bool checkBuoyValidates(const ScreenPoint& placed, const ScreenPoint& predicted);

// Field of view in degrees from the difference of the sight-line angles at
// the two near buoys: the difference plus 1.5 degrees, cut to one decimal.
// The magnitude is taken, so a site surveyed with its axes the other way
// round is judged like any other.
double fieldOfViewFromAngles(double thetaLeft, double thetaRight);
constexpr double kFieldOfViewLimit = 35.0;

// The sight-line angle at a screen point: the direction on the water of a
// 3-pixel step up the picture. nullopt on the horizon or when the step runs
// along the survey X axis.
std::optional<double> sightLineAngle(const Coefficients& c, double x, double y);

} // namespace korvel
