#pragma once
// The camera of the sample lake: a fixed camera on a tower at the shore,
// looking across the landing area. Its picture of the water surface is a plane
// projective mapping between survey metres on the water and picture pixels,
// the same kind of mapping a grid calibration recovers from the buoys, so the
// sample scene knows the exact answer every calibration of it should find.
//
// Pixel positions follow korvel's screen convention: (x, y) from the picture's
// top-left corner, the whole numbers naming the pixel an operator clicks
// (pixel (12, 7) covers x 12 and y 7). Twips are pixels times 15.

#include <QPointF>
#include <QSize>

#include <array>
#include <optional>

namespace korvel::sample
{

// A plane projective mapping, survey (X, Y) in metres to pixel (x, y), and its
// exact inverse, in double precision.
class PlaneMapping
{
public:
    PlaneMapping();
    // Row-major 3 x 3 matrix acting on (X, Y, 1); must be invertible.
    explicit PlaneMapping(const std::array<double, 9>& surveyToPixel);

    QPointF surveyToPixel(QPointF survey) const;
    QPointF pixelToSurvey(QPointF pixel) const;

    // The denominator of the pixel -> survey mapping at a pixel. It is zero on
    // the horizon and negative above it, where a "survey point" would lie
    // behind the camera.
    double pixelDenominator(QPointF pixel) const;

    // The eight calibration coefficients c1 ... c8 that map a screen point in
    // twips to survey metres as a grid does:
    // W = 1 + c4 x + c5 y, X = (c1 + c2 x + c3 y) / W, Y = (c6 + c7 x + c8 y) / W.
    std::array<double, 8> twipsCoefficients() const;

    const std::array<double, 9>& forward() const { return m_forward; }
    const std::array<double, 9>& inverse() const { return m_inverse; }

private:
    std::array<double, 9> m_forward;
    std::array<double, 9> m_inverse;
};

// A pin-hole camera without roll. The sample site's survey frame has X along
// the course (the way the skier travels) and Y away from the camera's shore;
// seen from the camera, X therefore grows to the left, as it does at lakes
// whose survey runs that way.
struct ShoreCamera {
    QPointF position{145.0, -42.0}; // survey X, Y of the lens
    double height = 25.0;           // metres above the water: a judges' tower
    double heading = 0.0;           // degrees from +Y; positive pans to the right
    double tilt = 11.0;             // degrees below the horizontal
    double focal = 1090.0;          // pixels at a picture 640 pixels wide
    QSize size{640, 480};

    // Focal length in pixels of this picture size (the lens keeps its angle of
    // view when the picture is larger).
    double focalPixels() const;

    // The pixel of a point in survey metres and height above the water;
    // nothing for a point at or behind the camera's image plane.
    std::optional<QPointF> project(double x, double y, double z) const;

    // The mapping of the water surface (height 0).
    PlaneMapping waterMapping() const;

    // The picture row of the horizon (the water's vanishing line).
    double horizonY() const;
};

} // namespace korvel::sample
