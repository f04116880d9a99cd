#include "grid/sample/lakescene.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>

namespace korvel::sample
{

namespace
{

constexpr double pi = std::numbers::pi;

// Deterministic noise: a fixed integer hash, so the picture never depends on
// a random generator, a seed from the clock or the platform's rand().
std::uint32_t hash(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0)
{
    std::uint32_t h =
        a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// A value in [0, 1) from a hash.
double unit(std::uint32_t a, std::uint32_t b = 0, std::uint32_t c = 0)
{
    return (hash(a, b, c) >> 8) / double(1u << 24);
}

// Smooth one-dimensional value noise in [0, 1].
double smoothNoise(double t, std::uint32_t seed)
{
    const double cell = std::floor(t);
    const double f = t - cell;
    const double s = f * f * (3.0 - 2.0 * f);
    const auto i = static_cast<std::uint32_t>(static_cast<std::int64_t>(cell) & 0xFFFFFFFF);
    return unit(i, seed) * (1.0 - s) + unit(i + 1, seed) * s;
}

int clampByte(double v)
{
    return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor(clampByte(a.red() + (b.red() - a.red()) * t),
                  clampByte(a.green() + (b.green() - a.green()) * t),
                  clampByte(a.blue() + (b.blue() - a.blue()) * t));
}

// Pixel positions name pixels by their whole numbers; the painter's pixel
// (12, 7) covers 12..13 x 7..8, so its centre is half a pixel further.
QPointF paintPoint(QPointF pixel)
{
    return pixel + QPointF(0.5, 0.5);
}

const QColor skyTop(112, 158, 212);
const QColor skyLow(202, 220, 234);
const QColor deepWater(26, 92, 104);
const QColor skyWater(138, 176, 188);
const QColor buoyOrange(255, 112, 16);

class Renderer
{
public:
    Renderer(const LakeSite& site, const ShoreCamera& camera, const PlaneMapping& mapping)
        : m_site(site), m_cam(camera), m_map(mapping), m_f(camera.focalPixels())
    {
    }

    QImage render(bool skier)
    {
        QImage img(m_cam.size, QImage::Format_RGB32);
        paintSkyAndWater(img);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        paintFarShore(p);
        if (skier)
            paintWake(p);

        // Everything on the water, farthest first, so nearer things cover it.
        struct Item {
            double depth;
            std::function<void()> paint;
        };
        QList<Item> items;
        for (const QPointF& pole : m_site.shorePoles)
            items.append({depthOf(pole), [&p, this, pole] { paintPole(p, pole); }});
        for (const QPointF& f : m_site.floats)
            items.append({depthOf(f), [&p, this, f] { paintFloat(p, f); }});
        for (const QPointF& b : m_site.buoys)
            items.append({depthOf(b), [&p, this, b] { paintBuoy(p, b); }});
        items.append({depthOf(m_site.jump), [&p, this] { paintRamp(p); }});
        if (skier) {
            items.append({depthOf(boatPosition()), [&p, this] { paintBoat(p); }});
            items.append({depthOf(m_site.impact), [&p, this] { paintSkier(p); }});
        }
        std::stable_sort(items.begin(), items.end(),
                         [](const Item& a, const Item& b) { return a.depth > b.depth; });
        for (const Item& item : items)
            item.paint();
        p.end();
        return img.convertToFormat(QImage::Format_RGB888);
    }

private:
    double depthOf(QPointF survey) const
    {
        return std::hypot(survey.x() - m_cam.position.x(), survey.y() - m_cam.position.y());
    }

    // Pixels per metre at a survey point (sideways scale of the picture).
    double scaleAt(QPointF survey) const { return m_f / std::max(1.0, depthOf(survey)); }

    std::optional<QPointF> at(double x, double y, double z) const
    {
        auto p = m_cam.project(x, y, z);
        if (p)
            return paintPoint(*p);
        return std::nullopt;
    }

    QPointF on(double x, double y, double z = 0.0) const
    {
        return at(x, y, z).value_or(QPointF(-1e4, -1e4));
    }

    // Sky above the horizon; below it water whose colour follows the survey
    // point it shows: steep views near the camera look into the water, grazing
    // ones far away mirror the sky, and wind ripples shrink with distance.
    void paintSkyAndWater(QImage& img) const
    {
        const int w = img.width(), h = img.height();
        const double horizon = m_cam.horizonY();
        struct Wave {
            double length, angle, phase, weight;
        };
        const Wave waves[] = {{3.7, 0.35, 0.4, 1.0},
                              {2.3, -0.5, 2.1, 0.8},
                              {1.4, 1.2, 4.0, 0.6},
                              {0.9, 0.1, 1.3, 0.45},
                              {5.9, 2.4, 5.2, 0.7}};
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const double grain = (unit(std::uint32_t(x), std::uint32_t(y), 7) - 0.5) * 4.0;
                const QPointF pix(x, y);
                if (y < horizon || m_map.pixelDenominator(pix) <= 0.0) {
                    const QColor c = mix(skyTop, skyLow, horizon > 0 ? y / horizon : 1.0);
                    line[x] =
                        qRgb(clampByte(c.red() + grain * 0.5), clampByte(c.green() + grain * 0.5),
                             clampByte(c.blue() + grain * 0.5));
                    continue;
                }
                const QPointF s = m_map.pixelToSurvey(pix);
                const double dist = std::max(1.0, depthOf(s));
                const double grazing = m_cam.height / dist; // tangent of the view's depression
                QColor c = mix(deepWater, skyWater,
                               std::pow(std::clamp(1.0 - grazing * 5.5, 0.0, 1.0), 1.6));
                // Metres of water covered by one picture row here.
                const double footprint = dist * dist / (m_f * m_cam.height);
                double ripple = 0.0;
                for (const Wave& wv : waves) {
                    const double fade = std::clamp(wv.length / (4.0 * footprint) - 0.5, 0.0, 1.0);
                    if (fade <= 0.0)
                        continue;
                    const double along = s.x() * std::cos(wv.angle) + s.y() * std::sin(wv.angle);
                    ripple += fade * wv.weight * std::sin(2.0 * pi * along / wv.length + wv.phase);
                }
                double shade = ripple * 9.0 + grain;
                if (ripple > 1.8)
                    shade += (ripple - 1.8) * 32.0; // sparkle on the crests
                line[x] = qRgb(clampByte(c.red() + shade), clampByte(c.green() + shade),
                               clampByte(c.blue() + shade));
            }
        }
    }

    // The far shore: a blue-grey hill line, the tree line and its reflection.
    void paintFarShore(QPainter& p) const
    {
        const double shoreY = m_site.farShoreY;
        const double cx = m_cam.position.x();
        const double horizon = m_cam.horizonY() + 0.5;
        QPolygonF hills, trees, reflection;
        QPolygonF waterline;
        for (double x = cx - 700.0; x <= cx + 700.0; x += 0.5) {
            const double hill =
                28.0 + 30.0 * smoothNoise(x / 60.0, 3) + 8.0 * smoothNoise(x / 17.0, 4);
            hills << on(x, shoreY + 550.0, hill);
            const double tree =
                11.0 + 6.0 * smoothNoise(x / 8.0, 1) + 2.5 * smoothNoise(x / 2.1, 2);
            QPointF top = on(x, shoreY, tree);
            top.setY(std::min(top.y(), horizon - 1.0));
            trees << top;
            waterline << on(x, shoreY, 0.0);
            reflection << on(x, shoreY, -tree * 0.55);
        }
        QPolygonF hillShape = hills;
        hillShape << QPointF(hills.last().x(), horizon + 2.0)
                  << QPointF(hills.first().x(), horizon + 2.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(124, 144, 160));
        p.drawPolygon(hillShape);

        QPolygonF reflectionShape = waterline;
        for (auto it = reflection.crbegin(); it != reflection.crend(); ++it)
            reflectionShape << *it;
        p.setBrush(QColor(30, 56, 40, 120));
        p.drawPolygon(reflectionShape);

        QPolygonF land = trees;
        for (auto it = waterline.crbegin(); it != waterline.crend(); ++it)
            land << *it;
        p.setBrush(QColor(48, 74, 46));
        p.drawPolygon(land);
        // Tree crowns: lighter and darker patches in the tree band.
        for (std::uint32_t k = 0; k < 420; ++k) {
            const double x = cx - 160.0 + 320.0 * unit(k, 11);
            const double z = 2.0 + 13.0 * unit(k, 12);
            const QPointF c = on(x, shoreY + 3.0, z);
            const double r = 1.4 + 2.0 * unit(k, 13);
            const int tone = int(unit(k, 14) * 3);
            const QColor colours[] = {QColor(62, 92, 54), QColor(38, 60, 38), QColor(74, 100, 60)};
            QColor col = colours[tone];
            col.setAlpha(150);
            const double treeTop =
                11.0 + 6.0 * smoothNoise(x / 8.0, 1) + 2.5 * smoothNoise(x / 2.1, 2);
            if (z + 1.0 > treeTop)
                continue;
            p.setBrush(col);
            p.drawEllipse(c, r, r * 0.8);
        }
        // A pale strip of bank at the water line.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(168, 160, 130), 1.2));
        p.drawPolyline(waterline);
    }

    // The tow boat's path along the course, and its foam behind it.
    QPointF boatPosition() const { return {m_site.impact.x() + 23.0, m_site.jump.y() + 7.0}; }

    void paintWake(QPainter& p) const
    {
        const double y = boatPosition().y();
        const double end = boatPosition().x() - 3.0;
        p.setPen(Qt::NoPen);
        for (std::uint32_t k = 0; k < 600; ++k) {
            const double x = m_site.jump.x() - 60.0 + (end - m_site.jump.x() + 60.0) * unit(k, 21);
            const double spread = 0.4 + 0.04 * (end - x);
            const double side = (unit(k, 22) - 0.5) * 2.0 * spread;
            const QPointF c = on(x, y + side);
            const double s = scaleAt(QPointF(x, y));
            QColor foam(236, 244, 246, 40 + int(50 * unit(k, 23)));
            p.setBrush(foam);
            p.drawEllipse(c, 0.35 * s, 0.08 * s + 0.3);
        }
    }

    void paintPole(QPainter& p, QPointF base) const
    {
        const double s = scaleAt(base);
        const QPointF bottom = on(base.x(), base.y(), 0.0), top = on(base.x(), base.y(), 3.5);
        p.setPen(QPen(QColor(245, 245, 240), std::max(1.0, 0.25 * s), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(bottom, top);
        p.setPen(QPen(QColor(200, 30, 30), std::max(1.0, 0.25 * s), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(on(base.x(), base.y(), 2.9), top);
    }

    void paintFloat(QPainter& p, QPointF at) const
    {
        const double r = std::max(1.3, 0.18 * scaleAt(at));
        const QPointF c = on(at.x(), at.y());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 50, 60, 90));
        p.drawEllipse(c + QPointF(0, r * 0.9), r * 1.2, r * 0.5);
        p.setBrush(QColor(246, 246, 242));
        p.drawEllipse(c, r, r);
    }

    // A floating buoy, centred exactly on its survey point's pixel: the
    // operator clicks the middle of the orange blob.
    void paintBuoy(QPainter& p, QPointF at) const
    {
        const double r = std::max(2.0, 0.25 * scaleAt(at));
        const QPointF c = on(at.x(), at.y());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 40, 50, 110)); // its shadow and reflection on the water
        p.drawEllipse(c + QPointF(0.2 * r, 0.95 * r), r * 1.25, r * 0.45);
        p.setBrush(QColor(206, 74, 8));
        p.drawEllipse(c + QPointF(0.12 * r, 0.12 * r), r, r);
        p.setBrush(buoyOrange);
        p.drawEllipse(c, r * 0.92, r * 0.92);
        p.setBrush(QColor(255, 190, 120));
        p.drawEllipse(c + QPointF(-0.45 * r, -0.45 * r), 0.28 * r, 0.28 * r);
    }

    // The jump ramp: its end (the jump point) at the water, 6.4 m long and
    // 4.2 m wide, 1.7 m high at the end.
    void paintRamp(QPainter& p) const
    {
        const double jx = m_site.jump.x(), jy = m_site.jump.y();
        const double len = 6.4, half = 2.1, top = 1.7;
        auto quad = [&](QPointF a, QPointF b, QPointF c, QPointF d, const QColor& col) {
            p.setBrush(col);
            p.drawPolygon(QPolygonF({a, b, c, d}));
        };
        p.setPen(QPen(QColor(90, 90, 90), 0.6));
        const double nearY = jy - half, farY = jy + half;
        // The side facing the camera, the end face and the sloping surface.
        quad(on(jx - len, nearY), on(jx, nearY), on(jx, nearY, top), on(jx - len, nearY),
             QColor(170, 170, 165));
        quad(on(jx, nearY), on(jx, farY), on(jx, farY, top), on(jx, nearY, top),
             QColor(140, 140, 136));
        quad(on(jx - len, nearY), on(jx, nearY, top), on(jx, farY, top), on(jx - len, farY),
             QColor(236, 236, 230));
    }

    void paintBoat(QPainter& p) const
    {
        const QPointF b = boatPosition();
        const double bx = b.x(), by = b.y(), nearY = by - 1.1, farY = by + 1.1;
        p.setPen(QPen(QColor(90, 96, 104), 0.7));
        // Deck, then the side facing the camera; the bow points ahead (+X).
        p.setBrush(QColor(214, 216, 218));
        p.drawPolygon(
            QPolygonF({on(bx - 3.0, nearY, 0.9), on(bx + 1.5, nearY, 0.95), on(bx + 3.4, by, 0.95),
                       on(bx + 1.5, farY, 0.95), on(bx - 3.0, farY, 0.9)}));
        p.setBrush(QColor(248, 248, 246));
        p.drawPolygon(QPolygonF({on(bx - 3.0, nearY, 0.05), on(bx + 2.2, nearY + 0.1, 0.05),
                                 on(bx + 3.4, by, 0.95), on(bx + 1.5, nearY, 0.95),
                                 on(bx - 3.0, nearY, 0.9)}));
        p.setPen(QPen(QColor(30, 60, 140), std::max(1.0, 0.12 * scaleAt(b))));
        p.drawLine(on(bx - 3.0, nearY, 0.5), on(bx + 2.6, nearY + 0.3, 0.55));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 56, 80));
        p.drawPolygon(QPolygonF({on(bx + 0.6, nearY + 0.1, 0.95), on(bx + 0.9, nearY + 0.1, 1.45),
                                 on(bx + 0.9, farY - 0.1, 1.45), on(bx + 0.6, farY - 0.1, 0.95)}));
        p.setPen(QPen(QColor(60, 60, 60), 1.0));
        p.drawLine(on(bx - 1.0, by, 0.95), on(bx - 1.0, by, 2.0)); // the pylon
        // Foam where the hull meets the water.
        p.setPen(QPen(QColor(240, 246, 248, 200), 1.2));
        p.drawLine(on(bx - 3.2, nearY, 0.0), on(bx + 2.4, nearY + 0.1, 0.0));
    }

    // A skier at the moment of first contact: the ski tails touch the water at
    // the impact point and throw up spray; body upright over the bindings,
    // arms out to the handle, the rope running ahead to the boat.
    void paintSkier(QPainter& p) const
    {
        const double ix = m_site.impact.x(), iy = m_site.impact.y();
        const double s = scaleAt(m_site.impact);
        auto width = [&](double metres) { return std::max(1.0, metres * s); };
        p.setBrush(Qt::NoBrush);

        // Spray thrown back and up from the tails.
        p.setPen(Qt::NoPen);
        for (std::uint32_t k = 0; k < 140; ++k) {
            const double back = 2.4 * unit(k, 31);
            const double side = (unit(k, 32) - 0.5) * (0.6 + 0.8 * back);
            const double up = 1.4 * unit(k, 33) * (1.0 - back / 2.8);
            const QPointF c = on(ix - back, iy + side, up);
            const double r = 0.5 + 1.1 * unit(k, 34);
            p.setBrush(QColor(255, 255, 255, 120 + int(120 * unit(k, 35))));
            p.drawEllipse(c, r, r);
        }

        // Skis: tails at the impact, tips up ahead.
        const double tipAngle = 14.0 * pi / 180.0, skiLength = 2.3;
        for (double dy : {-0.14, 0.14}) {
            p.setPen(QPen(QColor(226, 228, 234), width(0.12), Qt::SolidLine, Qt::RoundCap));
            p.drawLine(on(ix, iy + dy, 0.0), on(ix + skiLength * std::cos(tipAngle), iy + dy,
                                                skiLength * std::sin(tipAngle)));
        }
        const double fx = ix + 0.95, fz = 0.95 * std::tan(tipAngle);
        auto limb = [&](double x0, double z0, double x1, double z1, double dy, const QColor& col,
                        double w) {
            p.setPen(QPen(col, width(w), Qt::SolidLine, Qt::RoundCap));
            p.drawLine(on(x0, iy + dy, z0), on(x1, iy + dy, z1));
        };
        const QColor suit(28, 30, 44), vest(210, 36, 36), skin(226, 180, 150);
        for (double dy : {-0.14, 0.14}) {
            limb(fx, fz, fx + 0.38, fz + 0.5, dy, suit, 0.16);               // shin, knee forward
            limb(fx + 0.38, fz + 0.5, fx + 0.02, fz + 0.95, dy, suit, 0.18); // thigh
        }
        limb(fx + 0.02, fz + 0.95, fx + 0.22, fz + 1.55, 0.0, vest, 0.36); // torso in the vest
        for (double dy : {-0.2, 0.2})
            limb(fx + 0.22, fz + 1.5, fx + 0.72, fz + 1.05, dy, skin, 0.09); // arms to the handle
        const QPointF handle = on(fx + 0.76, iy, fz + 1.03);
        p.setPen(QPen(QColor(30, 30, 30), width(0.05)));
        p.drawLine(on(fx + 0.76, iy - 0.25, fz + 1.03), on(fx + 0.76, iy + 0.25, fz + 1.03));
        const QPointF boat = boatPosition();
        p.setPen(QPen(QColor(60, 60, 60), 0.8));
        p.drawLine(handle, on(boat.x() - 1.0, boat.y(), 2.0));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(244, 244, 246)); // helmet
        p.drawEllipse(on(fx + 0.27, iy, fz + 1.74), 0.15 * s, 0.15 * s);

        // The splash where the tails first cut the water: its middle is the
        // impact point's pixel.
        const QPointF contact = on(ix, iy);
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(contact + QPointF(0.25 * s, 0.0), 0.75 * s, 0.22 * s + 0.8);
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(contact, std::max(1.8, 0.3 * s), std::max(1.4, 0.12 * s + 0.6));
    }

    const LakeSite& m_site;
    const ShoreCamera& m_cam;
    const PlaneMapping& m_map;
    double m_f;
};

SceneMark markOf(const QString& name, QPointF survey, const PlaneMapping& mapping)
{
    return {name, survey, mapping.surveyToPixel(survey)};
}

} // namespace

QString slotName(BuoySlot slot)
{
    switch (slot) {
    case BuoySlot::UpperRight:
        return QStringLiteral("upper_right");
    case BuoySlot::LowerRight:
        return QStringLiteral("lower_right");
    case BuoySlot::UpperLeft:
        return QStringLiteral("upper_left");
    case BuoySlot::LowerLeft:
        return QStringLiteral("lower_left");
    case BuoySlot::Check:
        return QStringLiteral("check");
    }
    return {};
}

QPoint SceneMark::click() const
{
    return {static_cast<int>(std::floor(pixel.x() + 0.5)),
            static_cast<int>(std::floor(pixel.y() + 0.5))};
}

namespace
{

LakeSite nominalSite()
{
    LakeSite site;
    // X grows along the course (the skier's way), Y away from the camera's
    // shore; the surveyed values are as a surveyor hands them over, not round.
    site.buoys = {
        QPointF(126.3, 63.8), // upper right: far side, nearer the ramp
        QPointF(124.7, 36.6), // lower right: near side, nearer the ramp
        QPointF(164.6, 64.3), // upper left: far side, far end
        QPointF(165.2, 37.4), // lower left: near side, far end
        QPointF(138.6, 44.2), // check buoy inside the landing area
    };
    site.jump = QPointF(100.0, 50.0);
    site.impact = QPointF(145.0, 50.0); // 45.0 m from the jump point
    site.floats = {QPointF(152.5, 82.0), QPointF(133.0, 86.5)};
    site.shorePoles = {QPointF(160.0, 339.0), QPointF(128.0, 339.0)};
    site.farShoreY = 340.0;
    return site;
}

// Moves a buoy by whole centimetres (at most 20 along the course and 60
// across it, where the picture moves least) to the nearest place whose picture
// lands within 0.05 pixel of a pixel's middle, or the closest one to it. An
// operator clicks whole pixels; with the buoys centred on them the clicks are
// exact and the check buoy validates on the clicks alone. The near-flat view
// of a shore camera makes the check buoy very sensitive to sub-pixel errors in
// the corners.
QPointF settleOnPixel(QPointF nominal, const PlaneMapping& mapping)
{
    const double x0 = std::round(nominal.x() * 100.0), y0 = std::round(nominal.y() * 100.0);
    QPointF best(x0 / 100.0, y0 / 100.0);
    double bestError = 1.0, bestMove = 0.0;
    constexpr double goodEnough = 0.05;
    for (int dy = -60; dy <= 60; ++dy) {
        for (int dx = -20; dx <= 20; ++dx) {
            const QPointF s((x0 + dx) / 100.0, (y0 + dy) / 100.0);
            const QPointF p = mapping.surveyToPixel(s);
            const double error =
                std::max(std::abs(p.x() - std::round(p.x())), std::abs(p.y() - std::round(p.y())));
            const double move = dx * dx + dy * dy;
            const bool better = error <= goodEnough ? (bestError > goodEnough || move < bestMove)
                                                    : (bestError > goodEnough && error < bestError);
            if (better) {
                bestError = error;
                bestMove = move;
                best = s;
            }
        }
    }
    return best;
}

} // namespace

LakeSite defaultSite(QSize size)
{
    LakeSite site = nominalSite();
    const PlaneMapping mapping = defaultCamera(size).waterMapping();
    for (QPointF& b : site.buoys)
        b = settleOnPixel(b, mapping);
    return site;
}

ShoreCamera defaultCamera(QSize size)
{
    ShoreCamera cam;
    cam.size = size;
    return cam;
}

SampleScene renderScene(const LakeSite& site, const ShoreCamera& camera, bool skier)
{
    SampleScene scene;
    scene.camera = camera;
    scene.mapping = camera.waterMapping();
    for (int i = 0; i < buoyCount; ++i)
        scene.buoys[i] = markOf(slotName(static_cast<BuoySlot>(i)), site.buoys[i], scene.mapping);
    scene.jump = markOf(QStringLiteral("jump"), site.jump, scene.mapping);
    if (skier)
        scene.impact = markOf(QStringLiteral("impact"), site.impact, scene.mapping);
    for (int i = 0; i < site.floats.size(); ++i)
        scene.references.append(
            markOf(QStringLiteral("float%1").arg(i + 1), site.floats[i], scene.mapping));
    for (int i = 0; i < site.shorePoles.size(); ++i)
        scene.references.append(
            markOf(QStringLiteral("pole%1").arg(i + 1), site.shorePoles[i], scene.mapping));
    Renderer renderer(site, scene.camera, scene.mapping);
    scene.picture = renderer.render(skier);
    return scene;
}

SampleScene makeSampleScene(const SceneOptions& options)
{
    const QSize size(std::max(160, options.size.width()), std::max(120, options.size.height()));
    return renderScene(defaultSite(size), defaultCamera(size), options.skier);
}

} // namespace korvel::sample
