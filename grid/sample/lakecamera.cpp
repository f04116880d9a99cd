#include "grid/sample/lakecamera.h"

#include <cmath>
#include <numbers>

namespace korvel::sample
{

namespace
{

using Matrix = std::array<double, 9>;

Matrix inverted(const Matrix& m)
{
    const double a = m[0], b = m[1], c = m[2];
    const double d = m[3], e = m[4], f = m[5];
    const double g = m[6], h = m[7], i = m[8];
    const Matrix adj{e * i - f * h, c * h - b * i, b * f - c * e, f * g - d * i, a * i - c * g,
                     c * d - a * f, d * h - e * g, b * g - a * h, a * e - b * d};
    const double det = a * adj[0] + b * adj[3] + c * adj[6];
    Matrix inv;
    for (int k = 0; k < 9; ++k)
        inv[k] = adj[k] / det;
    return inv;
}

QPointF apply(const Matrix& m, QPointF p)
{
    const double w = m[6] * p.x() + m[7] * p.y() + m[8];
    return {(m[0] * p.x() + m[1] * p.y() + m[2]) / w, (m[3] * p.x() + m[4] * p.y() + m[5]) / w};
}

struct Vec3 {
    double x, y, z;
    double dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
};

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// The camera's axes in the survey frame: forward, right and up in the picture.
struct Axes {
    Vec3 forward, right, up;
};

Axes axesOf(const ShoreCamera& cam)
{
    const double sp = std::sin(radians(cam.heading)), cp = std::cos(radians(cam.heading));
    const double st = std::sin(radians(cam.tilt)), ct = std::cos(radians(cam.tilt));
    return {{-sp * ct, cp * ct, -st}, {-cp, -sp, 0.0}, {-sp * st, cp * st, ct}};
}

} // namespace

PlaneMapping::PlaneMapping() : PlaneMapping(Matrix{1, 0, 0, 0, 1, 0, 0, 0, 1}) {}

PlaneMapping::PlaneMapping(const Matrix& surveyToPixel)
    : m_forward(surveyToPixel), m_inverse(inverted(surveyToPixel))
{
}

QPointF PlaneMapping::surveyToPixel(QPointF survey) const
{
    return apply(m_forward, survey);
}

QPointF PlaneMapping::pixelToSurvey(QPointF pixel) const
{
    return apply(m_inverse, pixel);
}

double PlaneMapping::pixelDenominator(QPointF pixel) const
{
    return m_inverse[6] * pixel.x() + m_inverse[7] * pixel.y() + m_inverse[8];
}

std::array<double, 8> PlaneMapping::twipsCoefficients() const
{
    // Survey = inverse * (x / 15, y / 15, 1), scaled so that W's constant is 1.
    const Matrix& m = m_inverse;
    const double n = m[8];
    const double t = 15.0 * n;
    return {m[2] / n, m[0] / t, m[1] / t, m[6] / t, m[7] / t, m[5] / n, m[3] / t, m[4] / t};
}

double ShoreCamera::focalPixels() const
{
    return focal * size.width() / 640.0;
}

std::optional<QPointF> ShoreCamera::project(double x, double y, double z) const
{
    const Axes ax = axesOf(*this);
    const Vec3 v{x - position.x(), y - position.y(), z - height};
    const double depth = v.dot(ax.forward);
    if (depth <= 1e-9)
        return std::nullopt;
    const double f = focalPixels();
    return QPointF(size.width() / 2.0 + f * v.dot(ax.right) / depth,
                   size.height() / 2.0 - f * v.dot(ax.up) / depth);
}

PlaneMapping ShoreCamera::waterMapping() const
{
    const Axes ax = axesOf(*this);
    const double f = focalPixels();
    const double cx = size.width() / 2.0, cy = size.height() / 2.0;
    // Each picture coordinate times the depth is a linear function of the
    // offset from the lens, (X - px, Y - py, -height).
    const Vec3 rows[3] = {
        {f * ax.right.x + cx * ax.forward.x, f * ax.right.y + cx * ax.forward.y,
         f * ax.right.z + cx * ax.forward.z},
        {-f * ax.up.x + cy * ax.forward.x, -f * ax.up.y + cy * ax.forward.y,
         -f * ax.up.z + cy * ax.forward.z},
        ax.forward,
    };
    Matrix m;
    for (int r = 0; r < 3; ++r) {
        m[3 * r] = rows[r].x;
        m[3 * r + 1] = rows[r].y;
        m[3 * r + 2] = -rows[r].x * position.x() - rows[r].y * position.y() - rows[r].z * height;
    }
    return PlaneMapping(m);
}

double ShoreCamera::horizonY() const
{
    return size.height() / 2.0 - focalPixels() * std::tan(radians(tilt));
}

} // namespace korvel::sample
