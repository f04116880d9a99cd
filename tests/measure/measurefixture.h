#pragma once
// Grids with round numbers for the measurement tests: survey X and Y are the
// screen twips over 64 (plus a shift), so distances come out exactly and a
// click at 1280 twips from the jump point lies 20 m from it.

#include "grid/gridstate.h"
#include "measure/impact.h"

#include <QDateTime>

namespace korvel::test
{

constexpr double kTwipsPerMetre = 64;

// X = x / 64 + shiftX, Y = y / 64 + shiftY. Survey X grows to the right, so
// the upper-right buoy has the larger X and the direction sign is -1.
inline ActiveGrid flatGrid(double shiftX = 0, double shiftY = 0)
{
    ActiveGrid g;
    g.c[1] = shiftX;
    g.c[2] = 1 / kTwipsPerMetre;
    g.c[6] = shiftY;
    g.c[8] = 1 / kTwipsPerMetre;
    g.jump = {0, 0};
    const ScreenPoint screens[5] = {{}, {7200, 1500}, {9000, 6000}, {2400, 1500}, {600, 6000}};
    for (int slot = 1; slot <= 4; ++slot) {
        g.buoyScreen[slot] = screens[slot];
        g.buoySurvey[slot] = *ScreenToSurvey(g.c, screens[slot].x, screens[slot].y);
    }
    g.direction = -1;
    g.description = QStringLiteral("Flat test grid");
    return g;
}

// The grid of the results-line example: the impact at (4530, 3120) twips lies
// at survey (12.345, -6.789), 43.1734 m from the jump point, so a normal jump
// measures 45.2734 m, 45.3 m and 149 ft.
inline ActiveGrid janeRoeGrid()
{
    ActiveGrid g = flatGrid(12.345 - 4530 / kTwipsPerMetre, -6.789 - 3120 / kTwipsPerMetre);
    g.jump = {12.345 - 43.1734, -6.789};
    for (int slot = 1; slot <= 4; ++slot)
        g.buoySurvey[slot] = *ScreenToSurvey(g.c, g.buoyScreen[slot].x, g.buoyScreen[slot].y);
    return g;
}
inline const ScreenPoint kJaneRoeImpact{4530, 3120};

// Writes an active grid into record g of the table, as a solve or load would.
inline void storeGrid(GridState& grids, int g, const ActiveGrid& a)
{
    GridRecord& r = grids.table[g];
    for (int slot = 1; slot <= 4; ++slot) {
        const int b = rec::slotBase(slot);
        r[b] = a.buoyScreen[slot].x;
        r[b + 1] = a.buoyScreen[slot].y;
        r[b + 2] = a.buoySurvey[slot].X;
        r[b + 3] = a.buoySurvey[slot].Y;
    }
    for (int k = 1; k <= 8; ++k)
        r[rec::coefficient(k)] = a.c[k];
    r[rec::JumpX] = a.jump.X;
    r[rec::JumpY] = a.jump.Y;
    r[rec::GridNumber] = g;
    grids.gridDescription[g] = a.description;
    grids.gridReady[g] = true;
    grids.surveyXDirection = a.direction;
}

inline QDateTime exampleTime()
{
    return QDateTime(QDate(2026, 12, 7), QTime(14, 3, 11));
}

} // namespace korvel::test
