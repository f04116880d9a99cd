#pragma once
// Measures buoy snapping on rendered lakes whose buoys sit at known sub-pixel
// centres: how close the found centre comes to the true one, and how much
// closer to the truth a grid set up on snapped markers measures impacts than
// one set up on the whole pixel an operator clicks. The benchmark prints it as
// a table; a lean test holds it to its figures.

#include <QList>
#include <QString>

#include <cstdint>

namespace korvel::sample
{

struct BuoyTrialOptions {
    int lakes = 8;
    int buoysPerLake = 40;
    int clickSpread = 2; // the marker lands up to this many whole pixels off, each axis
    std::uint64_t seed = 1;
};

// One buoy of one lake.
struct BuoyTrial {
    double diameter = 0; // pixels
    int colour = 0;      // index into buoyColours()
    double noise = 0;    // levels
    bool glareNear = false;
    bool found = false;
    double error = 0;      // pixels between the stored centre (whole twips) and the truth
    double clickError = 0; // pixels between the whole pixel nearest the truth and the truth
    QString reason;
};

QList<BuoyTrial> buoyTrial(const BuoyTrialOptions& options);

struct GridTrialOptions {
    int lakes = 20;
    int impactsPerSide = 5; // impacts on a lattice over the landing area
    std::uint64_t seed = 1;
};

// Impact errors in metres (the mapped impact against its true survey
// position) of the grids of all lakes, for markers on whole pixels and for
// snapped markers.
struct GridTrial {
    QList<double> wholePixel;
    QList<double> snapped;
    QList<double> wholeDistance; // the same as jump distance errors
    QList<double> snappedDistance;
    int snapMisses = 0; // buoys the finder refused (their marker stayed on the pixel)
    int buoys = 0;
};

GridTrial gridTrial(const GridTrialOptions& options);

} // namespace korvel::sample
