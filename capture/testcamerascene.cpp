#include "capture/testcamerascene.h"

#include "capture/framecounter.h"
#include "grid/sample/lakescene.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace korvel
{

namespace
{

constexpr double kRampHeight = 1.7; // metres at the ramp's end
constexpr double kApex = 3.2;       // metres above the straight line, mid-flight
constexpr double kRunOut = 14.0;    // metres per second after touch-down

struct Pose {
    double x = 0;        // survey X of the ski tails
    double z = 0;        // height of the tails above the water
    double pitch = 0;    // ski angle, degrees, tips up
    bool splash = false; // tails in the water: spray
};

// SplitMix64: the same seed gives the same numbers on every machine.
struct SeedSequence {
    std::uint64_t state;
    std::uint64_t bits()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double next() { return double(bits() >> 11) / double(1ull << 53); } // [0, 1)
    double between(double lo, double hi) { return lo + (hi - lo) * next(); }
};

// Dims the picture by the cloud's share and adds the sensor's noise.
void filmLight(QImage& img, double gain, double noise, std::uint64_t seed)
{
    if (gain == 1.0 && noise <= 0)
        return;
    SeedSequence rng{seed};
    for (int y = 0; y < img.height(); ++y) {
        auto* px = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            double grain = 0;
            if (noise > 0) {
                // The sum of four uniform numbers is close enough to normal.
                const std::uint64_t b = rng.bits();
                const double sum = double(b & 0xffff) + double((b >> 16) & 0xffff) +
                                   double((b >> 32) & 0xffff) + double(b >> 48);
                grain = (sum / 65535.0 - 2.0) * std::sqrt(3.0) * noise;
            }
            auto level = [&](int v) {
                return std::clamp(int(std::lround(v * gain + grain)), 0, 255);
            };
            px[x] = qRgb(level(qRed(px[x])), level(qGreen(px[x])), level(qBlue(px[x])));
        }
    }
}

} // namespace

std::int64_t TestCameraScene::touchdownFrame(double rate)
{
    return TestFlight{}.touchdownFrame(rate);
}

std::int64_t TestFlight::touchdownFrame(double rate) const
{
    return std::llround(touchdownSeconds * rate);
}

TestFlight TestFlight::fromSeed(std::uint64_t seed)
{
    SeedSequence rng{seed};
    auto next = [&rng] { return rng.next(); };
    TestFlight f;
    f.touchdownSeconds = 1.3 + next();
    const double distance = 32.0 + 28.0 * next();
    const double across = -8.0 + 16.0 * next();
    const double along = std::sqrt(distance * distance - across * across);
    const sample::LakeSite site = sample::defaultSite();
    f.impact = site.jump + QPointF(along, across);
    return f;
}

TestConditions TestConditions::fromSeed(Kind kind, std::uint64_t seed)
{
    SeedSequence rng{seed ^ 0x5CE4E5B9ull};
    TestConditions c;
    switch (kind) {
    case Kind::Cloud:
        c.cloudStartSeconds = rng.between(0.3, 2.6);
        c.cloudSeconds = rng.between(0.15, 0.6);
        c.cloudDimming = rng.between(0.2, 0.45);
        break;
    case Kind::Noise:
        c.noise = rng.between(3.0, 9.0);
        c.noiseSeed = rng.bits();
        break;
    case Kind::Boat:
        // Across the landing area beside the skier's line, going either way.
        c.boat = true;
        c.boatSpeed = rng.between(6.0, 14.0) * (rng.next() < 0.5 ? -1.0 : 1.0);
        c.boatStartX = rng.between(120.0, 170.0) - c.boatSpeed * 1.5;
        c.boatY = rng.next() < 0.5 ? rng.between(26.0, 36.0) : rng.between(64.0, 74.0);
        break;
    }
    return c;
}

TestCameraScene::TestCameraScene(QSize size)
    : m_scene(std::make_unique<sample::SampleScene>(sample::makeSampleScene({.size = size})))
{
    m_background = m_scene->picture.convertToFormat(QImage::Format_RGB32);
    const sample::LakeSite site = sample::defaultSite(m_background.size());
    m_jump = site.jump;
    m_impact = site.impact;
}

TestCameraScene::~TestCameraScene() = default;

void TestCameraScene::drawBoat(QPainter& p, double t, const TestConditions& c) const
{
    const sample::ShoreCamera& cam = m_scene->camera;
    auto at = [&](double x, double y, double z) {
        return cam.project(x, y, z).value_or(QPointF(-1e4, -1e4)) + QPointF(0.5, 0.5);
    };
    const double heading = c.boatSpeed >= 0 ? 1.0 : -1.0;
    const double bow = c.boatStartX + c.boatSpeed * t;
    // The wake: white water left behind every tenth of a second over the last
    // three seconds, where the stern was, widening and fading as it ages.
    p.setPen(Qt::NoPen);
    for (int k = 30; k >= 0; --k) {
        const double age = k / 10.0;
        const double x = bow - c.boatSpeed * age - heading * 5.0;
        const double halfWidth = 0.8 + 0.7 * age;
        const QPointF centre = at(x, c.boatY, 0), side = at(x, c.boatY + halfWidth, 0);
        const QPointF ahead = at(x + 0.8, c.boatY, 0);
        p.setBrush(QColor(250, 252, 252, int(std::lround(190 * (1.0 - age / 3.2)))));
        p.drawEllipse(centre, std::max(1.0, std::abs(ahead.x() - centre.x())),
                      std::max(1.0, std::hypot(side.x() - centre.x(), side.y() - centre.y())));
    }
    // The hull, dark blue, five metres long.
    QPolygonF hull;
    hull << at(bow, c.boatY, 0.4) << at(bow - heading * 5.0, c.boatY - 1.0, 0.9)
         << at(bow - heading * 5.0, c.boatY + 1.0, 0.9) << at(bow - heading * 5.0, c.boatY + 1.0, 0)
         << at(bow - heading * 5.0, c.boatY - 1.0, 0);
    p.setBrush(QColor(34, 46, 90));
    p.drawPolygon(hull);
}

QSize TestCameraScene::size() const
{
    return m_background.size();
}

QPointF TestCameraScene::touchdownSurvey(const TestFlight& flight) const
{
    return flight.impact.value_or(m_impact);
}

QPointF TestCameraScene::touchdownPixel(const TestFlight& flight) const
{
    return m_scene->mapping.surveyToPixel(touchdownSurvey(flight));
}

QPolygonF TestCameraScene::landingArea() const
{
    using sample::BuoySlot;
    QPolygonF area;
    for (BuoySlot slot :
         {BuoySlot::UpperRight, BuoySlot::LowerRight, BuoySlot::LowerLeft, BuoySlot::UpperLeft})
        area << m_scene->buoy(slot).pixel;
    return area;
}

QImage TestCameraScene::frame(std::int64_t n, double rate, std::uint32_t counter,
                              const TestFlight& flight, const TestConditions& conditions) const
{
    QImage img = m_background.copy();
    const sample::ShoreCamera& cam = m_scene->camera;
    const QPointF impact = touchdownSurvey(flight);
    const std::int64_t takeoff = std::llround(kTakeoffSeconds * rate);
    const std::int64_t touchdown = std::max(takeoff + 1, flight.touchdownFrame(rate));
    const double flightMetres = impact.x() - m_jump.x();
    const double speed = flightMetres / (double(touchdown - takeoff) / rate);
    const std::int64_t cycle =
        std::max<std::int64_t>(touchdown + 1, std::llround(kCycleSeconds * rate));
    const std::int64_t f = ((n % cycle) + cycle) % cycle;

    // Where the skier is: up the ramp, in the air, then on the water. The
    // touch-down frame puts the tails exactly on the impact point.
    Pose pose;
    if (f <= takeoff) {
        const double back = double(takeoff - f) / rate * speed; // metres before the ramp's end
        const double rampLength = 6.4;
        pose.x = m_jump.x() - back;
        pose.z = back < rampLength ? kRampHeight * (1.0 - back / rampLength) : 0.0;
        pose.pitch = back < rampLength ? 15.0 : 0.0;
        pose.splash = back >= rampLength;
    } else if (f < touchdown) {
        const double s = double(f - takeoff) / double(touchdown - takeoff);
        pose.x = m_jump.x() + s * flightMetres;
        pose.z = kRampHeight * (1.0 - s) + 4.0 * kApex * s * (1.0 - s);
        pose.pitch = 18.0 - 10.0 * s;
    } else {
        pose.x = impact.x() + double(f - touchdown) / rate * kRunOut;
        pose.z = 0.0;
        pose.pitch = f == touchdown ? 8.0 : 0.0;
        pose.splash = true;
    }

    // The skier keeps to the straight line from the jump point through the
    // impact point, before and after it.
    const double slope = (impact.y() - m_jump.y()) / flightMetres;
    auto yAt = [&](double x) { return m_jump.y() + slope * (x - m_jump.x()); };
    auto at = [&](double x, double dy, double z) {
        return cam.project(x, yAt(x) + dy, z).value_or(QPointF(-1e4, -1e4)) + QPointF(0.5, 0.5);
    };
    const double depth = std::hypot(pose.x - cam.position.x(), yAt(pose.x) - cam.position.y());
    const double s = cam.focalPixels() / std::max(1.0, depth); // pixels per metre
    auto pen = [&](const QColor& c, double metres) {
        return QPen(c, std::max(1.0, metres * s), Qt::SolidLine, Qt::RoundCap);
    };

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (conditions.boat)
        drawBoat(p, double(n) / rate, conditions);
    if (pose.splash) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(at(pose.x, 0, 0), std::max(2.0, 0.5 * s), std::max(1.5, 0.18 * s));
    }
    const double a = pose.pitch * M_PI / 180.0;
    for (double dy : {-0.14, 0.14}) {
        p.setPen(pen(QColor(226, 228, 234), 0.12));
        p.drawLine(at(pose.x, dy, pose.z),
                   at(pose.x + 2.3 * std::cos(a), dy, pose.z + 2.3 * std::sin(a)));
    }
    const double fx = pose.x + 0.95, fz = pose.z + 0.95 * std::sin(a);
    p.setPen(pen(QColor(28, 30, 44), 0.18));
    p.drawLine(at(fx, 0, fz), at(fx + 0.3, 0, fz + 0.5));
    p.drawLine(at(fx + 0.3, 0, fz + 0.5), at(fx, 0, fz + 0.95));
    p.setPen(pen(QColor(210, 36, 36), 0.36));
    p.drawLine(at(fx, 0, fz + 0.95), at(fx + 0.2, 0, fz + 1.55));
    p.setPen(pen(QColor(226, 180, 150), 0.09));
    p.drawLine(at(fx + 0.2, 0, fz + 1.5), at(fx + 0.7, 0, fz + 1.05));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(244, 244, 246));
    p.drawEllipse(at(fx + 0.25, 0, fz + 1.74), 0.15 * s, 0.15 * s);
    const std::int64_t lasting = std::llround(flight.splashSeconds * rate);
    if (f == touchdown || (f > touchdown && f < touchdown + lasting)) {
        // First contact: the white splash centred on the impact point's pixel,
        // spreading and fading where it appeared while the skier skis on.
        const double age = f == touchdown ? 0.0 : double(f - touchdown) / double(lasting);
        p.setBrush(QColor(255, 255, 255, int(std::lround(255 * (1.0 - 0.45 * age)))));
        p.drawEllipse(at(impact.x(), 0, 0), std::max(1.8, 0.3 * s) * (1.0 + 1.5 * age),
                      std::max(1.4, 0.12 * s + 0.6) * (1.0 + age));
    }
    p.end();
    if (conditions.cloudSeconds > 0 || conditions.noise > 0) {
        const double t = double(n) / rate;
        const double into =
            conditions.cloudSeconds > 0
                ? std::clamp((t - conditions.cloudStartSeconds) / conditions.cloudSeconds, 0.0, 1.0)
                : 0.0;
        const double gain = 1.0 - conditions.cloudDimming * into * into * (3.0 - 2.0 * into);
        filmLight(img, gain, conditions.noise, conditions.noiseSeed ^ std::uint64_t(n));
    }
    drawFrameCounter(img, counter);
    return img;
}

} // namespace korvel
