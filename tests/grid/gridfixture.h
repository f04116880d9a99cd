#pragma once
// A camera on the shore looking out over the landing area, as a pinhole:
// survey X = a (x - x0) / (y - yh), survey Y = b / (y - yh), with yh the row
// of the horizon (above the picture). Grids built from it have known
// coefficients to check the solve against.

#include "grid/gridmapping.h"

#include <array>

namespace korvel::test
{

struct Site {
    Coefficients truth;
    // Buoy screen positions (twips) by slot 1..4 and the check buoy; survey
    // positions follow from the truth.
    std::array<ScreenPoint, 5> screen{};
    std::array<SurveyPoint, 5> survey{};
    ScreenPoint checkScreen;
    SurveyPoint checkSurvey;
    SurveyPoint jump{0, 0};
};

inline Coefficients pinhole(double a, double b, double x0, double yh)
{
    // X = (a x - a x0) / (y - yh) = (a x0 / yh - a / yh x) / (1 - y / yh)
    Coefficients c;
    c[1] = a * x0 / yh;
    c[2] = -a / yh;
    c[3] = 0;
    c[4] = 0;
    c[5] = -1 / yh;
    c[6] = -b / yh;
    c[7] = 0;
    c[8] = 0;
    return c;
}

// A 640 x 480 picture (9600 x 7200 twips); a = 15 gives a field of view of
// about 25 degrees at the near buoys, a = 30 about 47.
inline Site makeSite(double a = 15, double b = 300000)
{
    Site s;
    s.truth = pinhole(a, b, 4800, -3000);
    s.screen[1] = {7200, 1500}; // upper right
    s.screen[2] = {9000, 6000}; // lower right
    s.screen[3] = {2400, 1500}; // upper left
    s.screen[4] = {600, 6000};  // lower left
    for (int slot = 1; slot <= 4; ++slot)
        s.survey[slot] = *ScreenToSurvey(s.truth, s.screen[slot].x, s.screen[slot].y);
    s.checkScreen = {4800, 3600};
    s.checkSurvey = *ScreenToSurvey(s.truth, s.checkScreen.x, s.checkScreen.y);
    return s;
}

} // namespace korvel::test
