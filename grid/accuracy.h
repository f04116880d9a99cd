#pragma once
// How good a calibration is before the event: a 7 x 7 lattice over the area
// between the four buoys, and at each point how far the measured distance
// moves when the click is one pixel off. The grades are what homologators
// ask for: "R" record quality, "L" league, "C" class, "NH" not homologable.

#include "grid/gridmapping.h"
#include "grid/setupblock.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace korvel
{

enum class AccuracyDisplay { Grades, Distance, Detail };

// R for e <= 0.1 m per pixel, L up to 0.15, C up to 0.2, NH above.
QString accuracyGrade(double e);

struct LatticePoint {
    double x = 0, y = 0;           // screen, twips
    double d0 = 0, dh = 0, dv = 0; // distances at the point, a pixel right, a pixel down
    double e = 0;                  // metres per pixel
    SurveyPoint down;              // survey position of the point a pixel down
    QString caption;               // the indicator's text for the display chosen
    ScreenPoint labelPos;          // left, top of its indicator label
};

struct AccuracyCorners {
    ScreenPoint upperLeft, lowerLeft, upperRight, lowerRight;
};

struct AccuracyLattice {
    // points[i][j]: column i left to right, row j top to bottom; its indicator
    // label is number 7 i + j.
    std::array<std::array<LatticePoint, 7>, 7> points;
    // Top-left corner of the line label of each row (Standard display).
    std::array<ScreenPoint, 7> lineLabelPos;
};

struct AccuracyInput {
    Coefficients c;
    SurveyPoint jump;
    bool barefoot = false;
    bool sitSki = false;
    AccuracyCorners corners;
    AccuracyDisplay display = AccuracyDisplay::Grades;
};

// nullopt with the failing point in *failed when a lattice point (or its
// one-pixel neighbours) lies on the grid's horizon.
std::optional<AccuracyLattice> computeAccuracy(const AccuracyInput& in,
                                               ScreenPoint* failed = nullptr);

struct Ratios {
    double front = 0; // near buoys' span as a percentage of the picture width
    double back = 0;
};
Ratios frontBackRatios(const AccuracyCorners& corners, double pictureWidth);
// The warning when the near buoys span less than 80 % of the picture.
std::optional<QString> frontRatioMessage(double front);

// "acc" + month + day + ".txt" in the video folder.
QString accuracyReportPath(const QString& videoDir, const QDate& day);

// The report block of one run: header, one line per lattice point, the
// closing lines. box(name) gives the set-up screen's box texts.
QStringList accuracyReportLines(const QDateTime& when, int gridNumber, const Ratios& ratios,
                                const std::function<QString(GridControl)>& box,
                                const ScreenPoint& checkMarker, const AccuracyLattice& lattice);

// The answer to "Pick the line number ...": a whole number 1..7, else nullopt.
std::optional<int> accuracyLineAnswer(const QString& answer);

} // namespace korvel
