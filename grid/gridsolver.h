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
// by Gauss-Jordan elimination, taking the largest pivot left in each column.
// False when a column has nothing but exact zeros left (buoys on one line) or
// the result is not finite.
bool solveSurvey(GridState& state);

// Gauss-Jordan elimination of an n x (n + 1) system held in rows and columns
// 1..n+1 of M, with the largest pivot of each column; afterwards column n + 1
// holds the solution. False when a column has no non-zero pivot (a tiny one
// is still a pivot).
using SolveMatrix = std::array<std::array<double, 11>, 11>;
bool gaussJordan(SolveMatrix& M, int n);

// A check buoy validates when its placed marker lies within 1.5 pixels
// (22.5 twips, inclusive) of where the grid predicts it on both axes.
constexpr double kCheckBuoyTolerance = 22.5;
bool checkBuoyValidates(const ScreenPoint& placed, const ScreenPoint& predicted);

// Field of view in degrees from the angle between the sight lines at the two
// near buoys: the angle plus 1.5 degrees, cut to one decimal. The magnitude
// is taken, so a site surveyed with its axes the other way round is judged
// like any other.
double fieldOfViewFromAngles(double thetaLeft, double thetaRight);
constexpr double kFieldOfViewLimit = 35.0;

// The sight line at a screen point: the step on the water of a 3-pixel step
// up the picture. nullopt on the horizon or when the step has no length.
std::optional<SurveyPoint> sightLine(const Coefficients& c, double x, double y);

// The unsigned angle in degrees (0..180) between two sight lines, whatever
// way the survey axes are turned or mirrored.
double angleBetween(const SurveyPoint& a, const SurveyPoint& b);

// The field of view between the sight lines at the two near buoys.
double fieldOfView(const SurveyPoint& left, const SurveyPoint& right);

} // namespace korvel
