#pragma once
// Finds the buoy under a marker in a still picture of the lake, to a fraction
// of a pixel: the bright or coloured blob nearest the marker, its centre
// weighed by how far each pixel stands out from the water around it. A buoy a
// few pixels across covers its edge pixels in part; weighing them by their
// contrast puts the centre between the pixels, where the buoy really is, and
// twips (15 to a pixel) keep that fraction in the grid file.

#include "grid/gridmapping.h"

#include <QImage>
#include <QString>

namespace korvel
{

// How far from the marker, in pixels, the nearest pixel of a buoy may lie.
inline constexpr double kBuoyReachPixels = 5.0;
// The largest blob taken for a buoy, in pixels across.
inline constexpr int kBuoyLargestPixels = 12;

struct BuoyFinding {
    bool found = false;
    ScreenPoint centre; // twips, whole: what a marker stores
    double x = 0;       // the centre in pixels, before rounding to twips
    double y = 0;
    double diameter = 0; // pixels
    double contrast = 0; // the buoy's colour distance from the water (0..441)
    QString reason;      // why nothing was found
};

// The buoy nearest `marker` (twips of the picture). Not found, with the
// reason, when no blob standing out of the water's noise lies within reach,
// when the blob is too large or long for a buoy (glare, a boat, the shore),
// or when the picture's edge cuts it.
BuoyFinding findBuoy(const QImage& picture, const ScreenPoint& marker);

} // namespace korvel
