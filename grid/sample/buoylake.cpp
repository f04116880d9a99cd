#include "grid/sample/buoylake.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace korvel::sample
{

double LakeRandom::uniform()
{
    // splitmix64: fixed arithmetic, the same numbers on every platform.
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / 9007199254740992.0;
}

double LakeRandom::gaussian()
{
    // Box-Muller gives two at a time.
    if (m_hasSpare) {
        m_hasSpare = false;
        return m_spare;
    }
    const double u = 1.0 - uniform(); // (0, 1]
    const double v = uniform();
    const double r = std::sqrt(-2.0 * std::log(u));
    m_spare = r * std::sin(2.0 * std::numbers::pi * v);
    m_hasSpare = true;
    return r * std::cos(2.0 * std::numbers::pi * v);
}

QList<QColor> buoyColours()
{
    return {QColor(255, 120, 20), QColor(250, 215, 40), QColor(240, 240, 235), QColor(215, 35, 30)};
}

QList<QColor> waterColours()
{
    return {QColor(20, 60, 80), QColor(70, 95, 85), QColor(150, 165, 175), QColor(35, 45, 60)};
}

BuoyLake::BuoyLake(const BuoyLakeOptions& options) : m_options(options) {}

namespace
{

// The share of pixel (px, py) (a unit square centred there) inside a disc,
// from 16 x 16 samples.
double coverage(int px, int py, QPointF c, double r)
{
    constexpr int n = 16;
    int in = 0;
    for (int j = 0; j < n; ++j) {
        const double y = py - 0.5 + (j + 0.5) / n - c.y();
        for (int i = 0; i < n; ++i) {
            const double x = px - 0.5 + (i + 0.5) / n - c.x();
            if (x * x + y * y <= r * r)
                ++in;
        }
    }
    return in / double(n * n);
}

} // namespace

QImage BuoyLake::render() const
{
    const int w = m_options.size.width();
    const int h = m_options.size.height();
    std::vector<double> rgb(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    auto at = [&](int x, int y) { return &rgb[(static_cast<size_t>(y) * w + x) * 3]; };

    LakeRandom rnd(m_options.seed);
    // Ripples: a few long waves across the lake; glare: soft bright patches.
    struct Wave {
        double kx, ky, phase, amplitude;
    };
    std::vector<Wave> waves;
    for (int k = 0; k < 4; ++k) {
        const double length = rnd.uniform(8, 40);
        const double angle = rnd.uniform(-0.4, 0.4);
        waves.push_back({std::sin(angle) * 2 * std::numbers::pi / length,
                         std::cos(angle) * 2 * std::numbers::pi / length,
                         rnd.uniform(0, 2 * std::numbers::pi), m_options.ripples / 2});
    }
    struct Patch {
        double x, y, sigma, strength;
    };
    std::vector<Patch> patches;
    if (m_options.glarePatches > 0) {
        for (int k = 0; k < 5; ++k)
            patches.push_back({rnd.uniform(0, w), rnd.uniform(0, h), rnd.uniform(15, 50),
                               m_options.glarePatches * rnd.uniform(0.5, 1.0)});
    }
    const QColor& water = m_options.water;
    // sin(a + b) = sin a cos b + cos a sin b: the waves' sines by column
    // and by row, not by pixel.
    std::vector<double> colSin(waves.size() * w), colCos(waves.size() * w);
    std::vector<double> rowSin(waves.size() * h), rowCos(waves.size() * h);
    for (size_t k = 0; k < waves.size(); ++k) {
        for (int x = 0; x < w; ++x) {
            colSin[k * w + x] = std::sin(waves[k].kx * x);
            colCos[k * w + x] = std::cos(waves[k].kx * x);
        }
        for (int y = 0; y < h; ++y) {
            rowSin[k * h + y] = std::sin(waves[k].ky * y + waves[k].phase);
            rowCos[k * h + y] = std::cos(waves[k].ky * y + waves[k].phase);
        }
    }
    for (int y = 0; y < h; ++y) {
        const double far = 1.0 - double(y) / h; // farther water is lighter
        for (int x = 0; x < w; ++x) {
            double lift = 12 * far;
            for (size_t k = 0; k < waves.size(); ++k)
                lift += waves[k].amplitude * (colSin[k * w + x] * rowCos[k * h + y] +
                                              colCos[k * w + x] * rowSin[k * h + y]);
            for (const Patch& p : patches) {
                const double d2 =
                    ((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y)) / (p.sigma * p.sigma);
                if (d2 < 9)
                    lift += p.strength * std::exp(-d2 / 2);
            }
            double* c = at(x, y);
            c[0] = water.red() + lift;
            c[1] = water.green() + lift;
            c[2] = water.blue() + lift;
        }
    }

    // Glare streaks: thin bright ellipses, soft at their ends.
    for (const GlareStreak& g : m_glare) {
        const double a = g.angle * std::numbers::pi / 180;
        const double ca = std::cos(a), sa = std::sin(a);
        const int reach = static_cast<int>(std::ceil(g.length / 2 + g.thickness + 2));
        for (int y = int(g.centre.y()) - reach; y <= int(g.centre.y()) + reach; ++y) {
            for (int x = int(g.centre.x()) - reach; x <= int(g.centre.x()) + reach; ++x) {
                if (x < 0 || y < 0 || x >= w || y >= h)
                    continue;
                const double dx = x - g.centre.x(), dy = y - g.centre.y();
                const double along = (dx * ca + dy * sa) / (g.length / 2);
                const double across = (-dx * sa + dy * ca) / (g.thickness / 2);
                const double e = along * along + across * across;
                if (e >= 1.6)
                    continue;
                const double t = g.strength * std::clamp(1.6 - e, 0.0, 1.0);
                double* c = at(x, y);
                for (int k = 0; k < 3; ++k)
                    c[k] += (250 - c[k]) * t;
            }
        }
    }

    for (const LakeBuoy& b : m_buoys) {
        const double r = b.diameter / 2;
        const double col[3] = {double(b.colour.red()), double(b.colour.green()),
                               double(b.colour.blue())};
        for (int y = int(std::floor(b.centre.y() - r - 1));
             y <= int(std::ceil(b.centre.y() + r + 1)); ++y) {
            for (int x = int(std::floor(b.centre.x() - r - 1));
                 x <= int(std::ceil(b.centre.x() + r + 1)); ++x) {
                if (x < 0 || y < 0 || x >= w || y >= h)
                    continue;
                const double share = coverage(x, y, b.centre, r);
                double* c = at(x, y);
                for (int k = 0; k < 3; ++k)
                    c[k] = c[k] * (1 - share) + col[k] * share;
            }
        }
    }

    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const double* c = at(x, y);
            for (int k = 0; k < 3; ++k) {
                const double v = c[k] + m_options.noise * rnd.gaussian();
                line[x * 3 + k] = static_cast<uchar>(std::clamp(std::lround(v), 0L, 255L));
            }
        }
    }
    return img;
}

} // namespace korvel::sample
