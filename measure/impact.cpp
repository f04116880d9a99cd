#include "measure/impact.h"

#include "shell/textrules.h"

#include <cmath>

namespace korvel
{

namespace
{

double denominator(const Coefficients& c, double x, double y)
{
    return 1 + c[4] * x + c[5] * y;
}

double surveyDistance(const SurveyPoint& a, const SurveyPoint& b)
{
    return std::sqrt((a.X - b.X) * (a.X - b.X) + (a.Y - b.Y) * (a.Y - b.Y));
}

} // namespace

ActiveGrid ActiveGrid::fromRecord(const GridState& grids, int g)
{
    ActiveGrid a;
    a.number = g;
    const GridRecord& r = grids.table[g];
    for (int slot = 1; slot <= 4; ++slot) {
        const int b = rec::slotBase(slot);
        a.buoyScreen[slot] = {r[b], r[b + 1]};
        a.buoySurvey[slot] = {r[b + 2], r[b + 3]};
    }
    for (int k = 1; k <= 8; ++k)
        a.c[k] = r[rec::coefficient(k)];
    a.jump = {r[rec::JumpX], r[rec::JumpY]};
    a.description = grids.gridDescription[g];
    a.direction = grids.surveyXDirection;
    a.pictureSize = grids.pictureSize[g];
    if (r[rec::CheckScreenX] != 0 || r[rec::CheckScreenY] != 0) {
        a.checkScreen = ScreenPoint{r[rec::CheckScreenX], r[rec::CheckScreenY]};
        a.checkSurvey = {r[rec::CheckSurveyX], r[rec::CheckSurveyY]};
    }
    return a;
}

ActiveGrid ActiveGrid::fromFile(const GridFileData& d)
{
    ActiveGrid a;
    a.number = static_cast<int>(d.gridNumber);
    for (int slot = 1; slot <= 4; ++slot) {
        a.buoyScreen[slot] = {d.buoys[slot].x, d.buoys[slot].y};
        a.buoySurvey[slot] = {d.buoys[slot].X, d.buoys[slot].Y};
    }
    a.c = d.c;
    a.jump = d.jump;
    a.description = d.description;
    a.pictureSize = d.pictureSize;
    a.direction = d.buoys[UpperRight].X < d.buoys[UpperLeft].X ? 1 : -1;
    if (d.hasCheckBuoy) {
        a.checkScreen = d.checkScreen;
        a.checkSurvey = d.checkSurvey;
    }
    return a;
}

bool ActiveGrid::onWater(double x, double y) const
{
    const double w = denominator(c, x, y);
    if (w == 0 || !std::isfinite(w))
        return false;
    // The buoys float on the water, so the denominator's sign there is the
    // water's side of the horizon.
    double side = 1;
    for (int slot = 1; slot <= 4; ++slot) {
        const double wb = denominator(c, buoyScreen[slot].x, buoyScreen[slot].y);
        if (wb != 0 && std::isfinite(wb)) {
            side = wb;
            break;
        }
    }
    return (w > 0) == (side > 0);
}

QString JumpSettings::indicatorText() const
{
    if (barefoot)
        return QStringLiteral("Barefoot Jump");
    if (sitSki)
        return QStringLiteral("Sit Ski Jump");
    return {};
}

ImpactMark DrawImpactMark(const ActiveGrid& grid, const JumpSettings& jump,
                          const ScreenPoint& impact, double halfLength)
{
    const double x = impact.x;
    const double y = impact.y;
    ImpactMark m;
    m.impact = impact;
    // The half cross points back towards the ramp.
    const double armEnd = jump.rightToLeft ? x + halfLength : x - halfLength;
    m.horizontal = {{x, y}, {armEnd, y}};
    m.vertical = {{x, y - halfLength}, {x, y + halfLength}};

    if (!grid.onWater(x, y))
        return m;
    const auto p = ScreenToSurvey(grid.c, x, y);
    if (!p)
        return m;
    // The distance counts the landing offset beyond the clicked point; the
    // splash indicator shows where that lies, the offset further down the
    // course in survey X (s tells which way survey X runs on this grid).
    double X = p->X;
    if (!jump.barefoot) {
        const double o = landingOffset(false, jump.sitSki);
        X = jump.rightToLeft ? X + grid.direction * o : X - grid.direction * o;
    }
    const auto s = SurveyToScreen(grid.c, X, p->Y);
    if (!s)
        return m;
    m.splashPoint = *s;
    m.splash = Segment{*s, {s->x, s->y - kSplashHeight}};
    return m;
}

ScreenPoint nudged(const ScreenPoint& lastDrawn, NudgeDirection dir)
{
    switch (dir) {
    case NudgeDirection::Left:
        return {lastDrawn.x - kNudge, lastDrawn.y};
    case NudgeDirection::Right:
        return {lastDrawn.x + kNudge, lastDrawn.y};
    case NudgeDirection::Up:
        return {lastDrawn.x, lastDrawn.y - kNudge};
    case NudgeDirection::Down:
        return {lastDrawn.x, lastDrawn.y + kNudge};
    }
    return lastDrawn;
}

QString JumpDistance::distanceText() const
{
    return numberText(m1) + QStringLiteral("m");
}

QString JumpDistance::distanceFtText() const
{
    return numberText(feet) + QStringLiteral("ft");
}

JumpDistance roundedDistance(double d, bool tenthsOfFeet)
{
    JumpDistance r;
    r.d = d;
    r.m4 = roundHalfUp(d, 4);
    r.m1 = roundHalfUp(d, 1);
    // Feet from the unrounded metres, never from m1.
    r.feet = tenthsOfFeet ? intDown(d / 0.03048 + 0.5) / 10 : intDown(d / 0.3048 + 0.5);
    return r;
}

std::optional<JumpDistance> impactDistance(const ActiveGrid& grid, const JumpSettings& jump,
                                           const ScreenPoint& impact)
{
    if (!std::isfinite(impact.x) || !std::isfinite(impact.y) || !grid.onWater(impact.x, impact.y))
        return std::nullopt;
    const auto dist =
        distance_calculation(grid.c, grid.jump, impact.x, impact.y, jump.barefoot, jump.sitSki);
    if (!dist || !std::isfinite(dist->d))
        return std::nullopt;
    JumpDistance r = roundedDistance(dist->d, jump.indicatorShown());
    if (!std::isfinite(r.m4) || !std::isfinite(r.feet))
        return std::nullopt;
    r.point = dist->point;
    r.impact = impact;
    return r;
}

std::optional<PixelWorth> pixelWorth(const ActiveGrid& grid, const ScreenPoint& at)
{
    const Coefficients& c = grid.c;
    double W = 0;
    const auto P = ScreenToSurvey(c, at.x, at.y, &W);
    if (!P || !grid.onWater(at.x, at.y))
        return std::nullopt;
    // The mapping's derivatives at the point: X = (c1 + c2 x + c3 y) / W,
    // Y = (c6 + c7 x + c8 y) / W, W = 1 + c4 x + c5 y.
    const double dXdx = (c[2] - P->X * c[4]) / W, dXdy = (c[3] - P->X * c[5]) / W;
    const double dYdx = (c[7] - P->Y * c[4]) / W, dYdy = (c[8] - P->Y * c[5]) / W;
    const double toJumpX = P->X - grid.jump.X, toJumpY = P->Y - grid.jump.Y;
    const double length = std::hypot(toJumpX, toJumpY);
    double gx = 0, gy = 0;
    if (length > 0) {
        // The distance grows along the line from the jump point.
        const double ux = toJumpX / length, uy = toJumpY / length;
        gx = ux * dXdx + uy * dYdx;
        gy = ux * dXdy + uy * dYdy;
    } else {
        // At the jump point itself every direction lengthens it by the
        // largest stretch of the mapping.
        const double a = dXdx * dXdx + dYdx * dYdx, b = dXdx * dXdy + dYdx * dYdy,
                     d = dXdy * dXdy + dYdy * dYdy;
        const double largest = (a + d) / 2 + std::sqrt((a - d) * (a - d) / 4 + b * b);
        gx = std::sqrt(largest);
    }
    PixelWorth w;
    w.perPixel = kTwipsPerPixel * std::hypot(gx, gy);
    if (!std::isfinite(w.perPixel))
        return std::nullopt;
    if (grid.checkScreen) {
        if (const auto predicted = SurveyToScreen(c, grid.checkSurvey.X, grid.checkSurvey.Y)) {
            const double missPixels =
                std::hypot(predicted->x - grid.checkScreen->x, predicted->y - grid.checkScreen->y) /
                kTwipsPerPixel;
            w.check = missPixels * w.perPixel;
        }
    }
    return w;
}

QString pixelWorthText(const PixelWorth& w)
{
    QString text = QStringLiteral("\u00b1 %1 m a pixel here").arg(w.perPixel, 0, 'f', 2);
    if (w.check)
        text += QStringLiteral("; the grid's check \u00b1 %1 m").arg(*w.check, 0, 'f', 2);
    return text;
}

std::optional<LiveReadout> liveReadout(const ActiveGrid& grid, const JumpSettings& jump, double x,
                                       double y)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !grid.onWater(x, y))
        return std::nullopt;
    const auto dist = distance_calculation(grid.c, grid.jump, x, y, jump.barefoot, jump.sitSki);
    if (!dist || !std::isfinite(dist->d))
        return std::nullopt;
    const double d = dist->d;
    const double X = roundHalfUp(dist->point.X, 2);
    const double Y = roundHalfUp(dist->point.Y, 2);
    const double metres = roundHalfUp(d, 1);
    // The quick read-out uses 3.28 feet to the metre and whole feet, so it may
    // differ by one from the recorded feet.
    const double feet = intDown(d * 3.28 + 0.5);
    if (!std::isfinite(X) || !std::isfinite(Y) || !std::isfinite(metres) || !std::isfinite(feet))
        return std::nullopt;
    LiveReadout r;
    r.xtwips = numberText(intDown(x));
    r.ytwips = numberText(intDown(y));
    r.xposition = numberText(X);
    r.yposition = numberText(Y);
    r.VerifyDistance =
        numberText(metres) + QStringLiteral("m ") + numberText(feet) + QStringLiteral("ft");
    return r;
}

GridOverlay show_the_grid(const ActiveGrid& grid, MarkerStyle marker, double halfLength)
{
    GridOverlay o;
    const bool cross = marker == MarkerStyle::Cross;
    const int order[4] = {UpperLeft, UpperRight, LowerLeft, LowerRight};
    for (int k = 0; k < 4; ++k) {
        BuoyMark& m = o.marks[k];
        m.slot = order[k];
        m.at = grid.buoyScreen[m.slot];
        m.cross = cross;
        const double x = m.at.x;
        const double y = m.at.y;
        if (cross) {
            m.horizontal = {{x - halfLength, y}, {x + halfLength, y}};
            m.vertical = {{x, y - halfLength}, {x, y + halfLength}};
        } else {
            m.radius = 2 * halfLength;
            m.dots = {ScreenPoint{x, y}, {x, y + 5}, {x, y - 5}, {x + 5, y}, {x - 5, y}};
        }
    }

    // Reference read-outs of the two far buoys, straight from the survey:
    // no landing offset.
    const ScreenPoint b3 = grid.buoyScreen[UpperLeft];
    const ScreenPoint b1 = grid.buoyScreen[UpperRight];
    const double d3 = surveyDistance(grid.jump, grid.buoySurvey[UpperLeft]);
    const double d1 = surveyDistance(grid.jump, grid.buoySurvey[UpperRight]);
    const auto feet = [](double d) {
        return numberText(intDown(3.28 * d + 0.5)) + QStringLiteral(" feet");
    };
    const auto metres = [](double d) {
        return numberText(roundHalfUp(d, 1)) + QStringLiteral(" meters");
    };
    o.labels[0] = {QStringLiteral("maxbuoy"), b3.x - 100, b3.y - 400, feet(d3)};
    o.labels[1] = {QStringLiteral("minbuoy"), b1.x - 100, b1.y - 400, feet(d1)};
    o.labels[2] = {QStringLiteral("maxbuoym"), b3.x - 100, b3.y - 600, metres(d3)};
    o.labels[3] = {QStringLiteral("minbuoym"), b1.x - 100, b1.y - 600, metres(d1)};
    o.grid_description = grid.description;
    return o;
}

} // namespace korvel
