#pragma once
// The impact on the frozen contact frame: where the operator clicked, the
// marks drawn for it, and the jump distance it gives through the active grid.
// Plain geometry and arithmetic; the measure screen only draws the results.

#include "grid/gridfile.h"
#include "grid/gridmapping.h"
#include "grid/gridstate.h"
#include "shell/sharedstate.h"
#include "shell/twips.h"

#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace korvel
{

// A nudge moves the impact by one pixel.
constexpr double kNudge = kTwipsPerPixel;

// The splash indicator rises this far (twips) above the shifted point.
constexpr double kSplashHeight = 1000;

// The marker half-length scroll bar `CrossSize`.
constexpr int kCrossSizeMin = 15;
constexpr int kCrossSizeMax = 120;
constexpr int kCrossSizeStep = 15;
constexpr int kCrossSizeInitial = 100;

// The grid the measure screen works with: a copy of one record of the grid
// table, taken when the grid is chosen.
struct ActiveGrid {
    int number = 1;
    Coefficients c;
    SurveyPoint jump;
    // Buoy slots 1..4: upper right, lower right, upper left, lower left.
    std::array<ScreenPoint, 5> buoyScreen{};
    std::array<SurveyPoint, 5> buoySurvey{};
    QString description;
    // +1 when survey X grows from the upper-right buoy towards the upper-left.
    int direction = 1;
    // The pictures it was set up on, in pixels; not valid when not known.
    QSize pictureSize;
    // The check buoy as marked and as surveyed, when the grid has one.
    std::optional<ScreenPoint> checkScreen;
    SurveyPoint checkSurvey;

    static ActiveGrid fromRecord(const GridState& grids, int g);
    // A grid file on its own (korvel-tool): the direction follows from its buoys
    // as it does when a file is loaded.
    static ActiveGrid fromFile(const GridFileData& d);

    // True when (x, y) lies on the water side of the grid's horizon: the
    // mapping's denominator is non-zero there and has the sign it has at the
    // buoys. A point on or beyond the horizon maps to no place on the water.
    bool onWater(double x, double y) const;
};

// The jump type and direction as the configuration sets them.
struct JumpSettings {
    bool barefoot = false;
    bool sitSki = false;
    bool rightToLeft = false;

    // The jump-type indicator is shown for barefoot and sit-ski jumps; while
    // it is, feet are given to a tenth.
    bool indicatorShown() const { return barefoot || sitSki; }
    QString indicatorText() const; // "Barefoot Jump", "Sit Ski Jump" or empty
};

struct Segment {
    ScreenPoint from;
    ScreenPoint to;
};

// What DrawImpactMark draws for one impact point.
struct ImpactMark {
    ScreenPoint impact;
    // lineHorizontalImpact: a half cross pointing back to the ramp side.
    Segment horizontal;
    // lineVerticalImpact.
    Segment vertical;
    // lineSplashIndicator: where the skier's feet went in, the landing offset
    // ahead of the impact. None when the impact is off the water.
    std::optional<Segment> splash;
    std::optional<ScreenPoint> splashPoint;
};

ImpactMark DrawImpactMark(const ActiveGrid& grid, const JumpSettings& jump,
                          const ScreenPoint& impact, double halfLength);

enum class NudgeDirection { Left, Right, Up, Down };
ScreenPoint nudged(const ScreenPoint& lastDrawn, NudgeDirection dir);

// The recorded distance of a jump.
struct JumpDistance {
    double d = 0;      // metres, with the landing offset, unrounded
    double m1 = 0;     // metres to a tenth (IWSF)
    double m4 = 0;     // metres to four decimals (kept in the results line)
    double feet = 0;   // whole feet, or tenths while the jump-type indicator is shown (AWSA)
    SurveyPoint point; // the impact on the water, without the landing offset
    ScreenPoint impact;

    QString distanceText() const;   // `distance`: " 45.3m"
    QString distanceFtText() const; // `distance_ft`: " 149ft"
};

// Rounds a distance d (metres, offset included) to the recorded values.
JumpDistance roundedDistance(double d, bool tenthsOfFeet);

// The distance of the impact through the grid; none when the point is off the
// water (on or beyond the horizon) or the result is not a finite number.
std::optional<JumpDistance> impactDistance(const ActiveGrid& grid, const JumpSettings& jump,
                                           const ScreenPoint& impact);

// The verify-mode read-outs that follow the mouse.
// What one pixel is worth at a point of the water: how far the distance
// moves when the impact moves one pixel (15 twips) in the worst direction,
// from the grid's own mapping there; and the check buoy's miss (the pixels
// between where the grid puts the surveyed check buoy and where it was
// marked) carried to that point.
struct PixelWorth {
    double perPixel = 0;         // metres per pixel
    std::optional<double> check; // metres; none without a check buoy
};
std::optional<PixelWorth> pixelWorth(const ActiveGrid& grid, const ScreenPoint& at);
// "± 0.09 m a pixel here; the grid's check ± 0.02 m".
QString pixelWorthText(const PixelWorth& w);

struct LiveReadout {
    QString xtwips, ytwips, xposition, yposition, VerifyDistance;
};
std::optional<LiveReadout> liveReadout(const ActiveGrid& grid, const JumpSettings& jump, double x,
                                       double y);

// The overlay of show_the_grid.
struct BuoyMark {
    int slot = 0;
    ScreenPoint at;
    bool cross = false;
    // Cross: two lines, white.
    Segment horizontal, vertical;
    // Circle: radius 2 L and five dots, in the label colour.
    double radius = 0;
    std::array<ScreenPoint, 5> dots{};
};

struct BuoyLabel {
    QString name; // maxbuoy, maxbuoym, minbuoy, minbuoym
    double left = 0;
    double top = 0;
    QString caption;
};

struct GridOverlay {
    std::array<BuoyMark, 4> marks;   // in drawing order: buoys 3, 1, 4, 2
    std::array<BuoyLabel, 4> labels; // maxbuoy, minbuoy, maxbuoym, minbuoym
    QString grid_description;
};

GridOverlay show_the_grid(const ActiveGrid& grid, MarkerStyle marker, double halfLength);

} // namespace korvel
