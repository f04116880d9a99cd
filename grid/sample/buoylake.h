#pragma once
// Lakes with buoys whose centres are known exactly, for measuring how well a
// buoy's centre is found: water with ripples, a gradient and soft glare,
// buoys painted as anti-aliased discs (each pixel takes the share of its area
// the disc covers) at sub-pixel centres, glare streaks, and Gaussian camera
// noise. Everything comes from the seed: the same lake, byte for byte, every
// time. Pixel positions follow korvel's convention: pixel (12, 7) is centred
// on x 12, y 7.

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>

#include <cstdint>

namespace korvel::sample
{

// A seeded generator whose numbers depend on nothing but the seed.
class LakeRandom
{
public:
    explicit LakeRandom(std::uint64_t seed) : m_state(seed * 2 + 1) {}
    double uniform(); // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return static_cast<int>(uniform() * n); }
    double gaussian();

private:
    std::uint64_t m_state;
    double m_spare = 0;
    bool m_hasSpare = false;
};

struct LakeBuoy {
    QPointF centre;  // pixels
    double diameter; // pixels
    QColor colour;
};

struct GlareStreak {
    QPointF centre;
    double length; // pixels
    double thickness;
    double angle;    // degrees from the horizontal
    double strength; // 0..1: how far towards white
};

struct BuoyLakeOptions {
    QSize size{640, 480};
    QColor water{20, 60, 80};
    double noise = 4;         // standard deviation, levels of each channel
    double ripples = 5;       // amplitude, levels
    double glarePatches = 30; // brightness of soft glare, levels (0: none)
    std::uint64_t seed = 1;
};

// Buoy colours seen on courses: orange, yellow, white, red.
QList<QColor> buoyColours();
// Water as cameras see it: dark blue-green, grey-green, bright overcast grey.
QList<QColor> waterColours();

class BuoyLake
{
public:
    explicit BuoyLake(const BuoyLakeOptions& options);
    void addBuoy(const LakeBuoy& b) { m_buoys.append(b); }
    void addGlare(const GlareStreak& g) { m_glare.append(g); }
    const QList<LakeBuoy>& buoys() const { return m_buoys; }
    QImage render() const; // RGB888

private:
    BuoyLakeOptions m_options;
    QList<LakeBuoy> m_buoys;
    QList<GlareStreak> m_glare;
};

} // namespace korvel::sample
