#include "grid/buoyfinder.h"

#include "shell/twips.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace korvel
{

namespace
{

struct Rgb {
    double r = 0, g = 0, b = 0;
};
Rgb operator-(const Rgb& a, const Rgb& b)
{
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
double dot(const Rgb& a, const Rgb& b)
{
    return a.r * b.r + a.g * b.g + a.b * b.b;
}
double norm(const Rgb& a)
{
    return std::sqrt(dot(a, a));
}

// Pixels read each side of the marker: the reach, the largest buoy and a ring
// of water around it.
constexpr int kRegion = 20;
// The water's first estimate takes the pixels beyond any buoy within reach.
constexpr double kWaterBeyond = kBuoyReachPixels + kBuoyLargestPixels / 2.0;
// A pixel belongs to a blob when it stands this many noise deviations out of
// the water, and at least kLeastContrast levels: flat water with a little
// compression noise holds no buoy.
constexpr double kNoiseDeviations = 6.0;
constexpr double kLeastContrast = 14.0;
// The ring of water around a found blob, in pixels beyond its radius.
constexpr double kRingFrom = 2.0;
constexpr double kRingTo = 5.0;

double median(std::vector<double>& v)
{
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

struct Water {
    Rgb colour;
    double sigma = 0; // one channel's noise, robust (median absolute deviation)
    bool known = false;
};

// The picture around the marker, as doubles.
struct Region {
    int x0 = 0, y0 = 0, w = 0, h = 0;
    std::vector<Rgb> px;
    std::vector<int> label; // blob number + 1, 0 for water

    bool inside(int x, int y) const { return x >= x0 && y >= y0 && x < x0 + w && y < y0 + h; }
    int index(int x, int y) const { return (y - y0) * w + (x - x0); }
    const Rgb& at(int x, int y) const { return px[static_cast<size_t>(index(x, y))]; }

    // Median colour and noise of the pixels `take` chooses.
    template <class Take> Water water(Take take) const
    {
        std::vector<double> ch[3];
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x) {
                if (!take(x, y))
                    continue;
                const Rgb& c = at(x, y);
                ch[0].push_back(c.r);
                ch[1].push_back(c.g);
                ch[2].push_back(c.b);
            }
        }
        Water out;
        if (ch[0].size() < 8)
            return out;
        out.colour = {median(ch[0]), median(ch[1]), median(ch[2])};
        const double m[3] = {out.colour.r, out.colour.g, out.colour.b};
        std::vector<double> dev;
        dev.reserve(3 * ch[0].size());
        for (int k = 0; k < 3; ++k) {
            for (double v : ch[k])
                dev.push_back(std::abs(v - m[k]));
        }
        out.sigma = std::max(0.5, 1.4826 * median(dev));
        out.known = true;
        return out;
    }
};

Region readRegion(const QImage& picture, int cx, int cy)
{
    Region r;
    r.x0 = std::max(0, cx - kRegion);
    r.y0 = std::max(0, cy - kRegion);
    const int x1 = std::min(picture.width() - 1, cx + kRegion);
    const int y1 = std::min(picture.height() - 1, cy + kRegion);
    r.w = x1 - r.x0 + 1;
    r.h = y1 - r.y0 + 1;
    r.px.resize(static_cast<size_t>(r.w) * static_cast<size_t>(r.h));
    r.label.assign(r.px.size(), 0);
    const QImage rgb = picture.copy(r.x0, r.y0, r.w, r.h).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < r.h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < r.w; ++x) {
            const QRgb c = line[x];
            r.px[std::size_t(y) * std::size_t(r.w) + std::size_t(x)] = {
                double(qRed(c)), double(qGreen(c)), double(qBlue(c))};
        }
    }
    return r;
}

struct Blob {
    std::vector<int> pixels; // region indices
    double nearest = 1e9;    // pixels from the marker to its nearest pixel
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool atPictureEdge = false;
    bool atRegionEdge = false;
};

// Blobs: 8-connected pixels standing out of the water.
std::vector<Blob> findBlobs(Region& r, const Water& water, double threshold, double mx, double my,
                            QSize pictureSize)
{
    std::vector<Blob> blobs;
    std::vector<int> stack;
    for (int start = 0; start < static_cast<int>(r.px.size()); ++start) {
        if (r.label[static_cast<size_t>(start)] != 0 ||
            norm(r.px[static_cast<size_t>(start)] - water.colour) <= threshold)
            continue;
        Blob b;
        const int id = static_cast<int>(blobs.size()) + 1;
        r.label[static_cast<size_t>(start)] = id;
        stack.assign(1, start);
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            b.pixels.push_back(i);
            const int x = r.x0 + i % r.w;
            const int y = r.y0 + i / r.w;
            b.nearest = std::min(b.nearest, std::hypot(x - mx, y - my));
            b.left = std::min(b.left, x);
            b.right = std::max(b.right, x);
            b.top = std::min(b.top, y);
            b.bottom = std::max(b.bottom, y);
            if (x == 0 || y == 0 || x == pictureSize.width() - 1 || y == pictureSize.height() - 1)
                b.atPictureEdge = true;
            if ((x == r.x0 && x > 0) || (y == r.y0 && y > 0) ||
                (x == r.x0 + r.w - 1 && x < pictureSize.width() - 1) ||
                (y == r.y0 + r.h - 1 && y < pictureSize.height() - 1))
                b.atRegionEdge = true;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (!r.inside(nx, ny))
                        continue;
                    const int n = r.index(nx, ny);
                    if (r.label[static_cast<size_t>(n)] != 0 ||
                        norm(r.at(nx, ny) - water.colour) <= threshold)
                        continue;
                    r.label[static_cast<size_t>(n)] = id;
                    stack.push_back(n);
                }
            }
        }
        blobs.push_back(std::move(b));
    }
    return blobs;
}

const QString kCutByEdge = QStringLiteral("The picture's edge cuts the buoy at the marker: its "
                                          "centre cannot be found.");

// Why a blob is no buoy; empty when it may be one.
QString notABuoy(const Blob& b)
{
    const int w = b.right - b.left + 1;
    const int h = b.bottom - b.top + 1;
    if (b.atRegionEdge || w > kBuoyLargestPixels || h > kBuoyLargestPixels)
        return QStringLiteral("The blob at the marker is larger than a buoy (more than %1 "
                              "pixels across): glare, a boat or the shore.")
            .arg(kBuoyLargestPixels);
    if (std::max(w, h) > 2 * std::min(w, h) + 2)
        return QStringLiteral("The blob at the marker is %1 x %2 pixels, long and thin like "
                              "glare: not a buoy.")
            .arg(w)
            .arg(h);
    if (b.atPictureEdge)
        return kCutByEdge;
    return {};
}

} // namespace

BuoyFinding findBuoy(const QImage& picture, const ScreenPoint& marker)
{
    BuoyFinding out;
    if (picture.isNull()) {
        out.reason = QStringLiteral("There is no picture to find the buoy in.");
        return out;
    }
    const double mx = marker.x / kTwipsPerPixel;
    const double my = marker.y / kTwipsPerPixel;
    if (!(mx >= -0.5 && my >= -0.5 && mx < picture.width() - 0.5 && my < picture.height() - 0.5)) {
        out.reason = QStringLiteral("The marker lies outside the picture.");
        return out;
    }
    const int cx = static_cast<int>(std::lround(mx));
    const int cy = static_cast<int>(std::lround(my));
    Region r = readRegion(picture, cx, cy);

    // The water first from beyond the reach: any buoy near the marker lies
    // inside it. Near a corner there may be too little of it; then all.
    Water water = r.water([&](int x, int y) { return std::hypot(x - mx, y - my) > kWaterBeyond; });
    if (!water.known)
        water = r.water([](int, int) { return true; });
    const double least = std::max(kLeastContrast, kNoiseDeviations * water.sigma);

    // The blob nearest the marker that may be a buoy. A buoy with glare
    // right beside it may run into the glare at the water's noise level;
    // higher up only the two brightest parts stand out, apart.
    std::vector<Blob> blobs;
    int chosen = -1;
    for (const double raise : {1.0, 1.6, 2.5, 4.0}) {
        std::fill(r.label.begin(), r.label.end(), 0);
        blobs = findBlobs(r, water, least * raise, mx, my, picture.size());
        std::vector<int> order;
        for (int k = 0; k < static_cast<int>(blobs.size()); ++k) {
            if (blobs[static_cast<size_t>(k)].nearest <= kBuoyReachPixels)
                order.push_back(k);
        }
        if (order.empty())
            break;
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return blobs[static_cast<size_t>(a)].nearest < blobs[static_cast<size_t>(b)].nearest;
        });
        bool split = false;
        for (int k : order) {
            const QString why = notABuoy(blobs[static_cast<size_t>(k)]);
            if (why.isEmpty()) {
                chosen = k;
                break;
            }
            if (out.reason.isEmpty())
                out.reason = why;
            split = split || why != kCutByEdge;
        }
        if (chosen >= 0 || !split)
            break;
    }
    if (chosen < 0) {
        if (out.reason.isEmpty())
            out.reason = QStringLiteral("No buoy stands out of the water within %1 pixels of "
                                        "the marker.")
                             .arg(kBuoyReachPixels);
        return out;
    }
    out.reason.clear();
    const Blob& blob = blobs[static_cast<size_t>(chosen)];
    const int ownLabel = chosen + 1;

    // First guesses from the blob: the buoy's colour against the water (the
    // contrast is measured along it, so that each pixel's share of the buoy
    // counts linearly and the water's noise across it averages out), its
    // centroid and its size.
    auto leaning = [&](auto&& pixels) {
        Rgb lean;
        double weight = 0;
        pixels([&](const Rgb& d) {
            const double w = norm(d);
            lean = {lean.r + w * d.r, lean.g + w * d.g, lean.b + w * d.b};
            weight += w;
        });
        const double n = norm(lean);
        out.contrast = weight > 0 ? n / weight : 0;
        return n > 0 ? Rgb{lean.r / n, lean.g / n, lean.b / n} : Rgb{};
    };
    Rgb u = leaning([&](auto&& take) {
        for (int i : blob.pixels)
            take(r.px[static_cast<size_t>(i)] - water.colour);
    });
    double sx = 0, sy = 0, sw = 0, peak = 0;
    for (int i : blob.pixels) {
        const double s = dot(r.px[static_cast<size_t>(i)] - water.colour, u);
        const int column = i % r.w, row = i / r.w; // whole pixels of the region
        sx += s * (r.x0 + column);
        sy += s * (r.y0 + row);
        sw += s;
        peak = std::max(peak, s);
    }
    double x = sx / sw, y = sy / sw;
    auto sizeOf = [](double sum, double top) {
        return std::clamp(std::sqrt(sum / top / std::numbers::pi), 0.8, kBuoyLargestPixels / 2.0);
    };
    double radius = sizeOf(sw, peak);

    // Each pixel near the buoy that is no other blob's (glare, a second
    // buoy), with its distance from the centre.
    auto near = [&](double reach, auto&& take) {
        const int xa = static_cast<int>(std::floor(x - reach - 1));
        const int xb = static_cast<int>(std::ceil(x + reach + 1));
        const int ya = static_cast<int>(std::floor(y - reach - 1));
        const int yb = static_cast<int>(std::ceil(y + reach + 1));
        for (int py = ya; py <= yb; ++py) {
            for (int px = xa; px <= xb; ++px) {
                if (!r.inside(px, py))
                    continue;
                const int label = r.label[static_cast<size_t>(r.index(px, py))];
                if (label != 0 && label != ownLabel)
                    continue;
                take(px, py, std::hypot(px - x, py - y));
            }
        }
    };

    // The water around the buoy as a plane: its level and its slope across
    // the buoy, from a ring of pixels around it. Ripples and glare make the
    // lake brighter on one side of a buoy than the other, and that slope
    // under the buoy would pull its weighed centre.
    Rgb slopeX, slopeY;
    double originX = x, originY = y;
    auto waterAt = [&](int px, int py) {
        const double dx = px - originX, dy = py - originY;
        return Rgb{water.colour.r + slopeX.r * dx + slopeY.r * dy,
                   water.colour.g + slopeX.g * dx + slopeY.g * dy,
                   water.colour.b + slopeX.b * dx + slopeY.b * dy};
    };
    auto fitWater = [&](double cx, double cy, double rad) {
        struct Sample {
            double dx, dy;
            Rgb c;
        };
        std::vector<Sample> ring;
        for (int py = r.y0; py < r.y0 + r.h; ++py) {
            for (int px = r.x0; px < r.x0 + r.w; ++px) {
                const double d = std::hypot(px - cx, py - cy);
                if (d >= rad + kRingFrom && d <= rad + kRingTo)
                    ring.push_back({px - cx, py - cy, r.at(px, py)});
            }
        }
        if (ring.size() < 12)
            return;
        std::vector<bool> keep(ring.size(), true);
        Rgb level, gx, gy;
        for (int pass = 0; pass < 2; ++pass) {
            // Level: the median; slopes: least squares about it.
            std::vector<double> ch[3];
            for (size_t k = 0; k < ring.size(); ++k) {
                if (!keep[k])
                    continue;
                const Sample& q = ring[k];
                ch[0].push_back(q.c.r - gx.r * q.dx - gy.r * q.dy);
                ch[1].push_back(q.c.g - gx.g * q.dx - gy.g * q.dy);
                ch[2].push_back(q.c.b - gx.b * q.dx - gy.b * q.dy);
            }
            if (ch[0].size() < 12)
                return;
            level = {median(ch[0]), median(ch[1]), median(ch[2])};
            double sxx = 0, sxy = 0, syy = 0;
            Rgb bx, by;
            for (size_t k = 0; k < ring.size(); ++k) {
                if (!keep[k])
                    continue;
                const Sample& q = ring[k];
                const Rgb e = q.c - level;
                sxx += q.dx * q.dx;
                sxy += q.dx * q.dy;
                syy += q.dy * q.dy;
                bx = {bx.r + q.dx * e.r, bx.g + q.dx * e.g, bx.b + q.dx * e.b};
                by = {by.r + q.dy * e.r, by.g + q.dy * e.g, by.b + q.dy * e.b};
            }
            const double det = sxx * syy - sxy * sxy;
            if (det <= 0)
                return;
            gx = {(syy * bx.r - sxy * by.r) / det, (syy * bx.g - sxy * by.g) / det,
                  (syy * bx.b - sxy * by.b) / det};
            gy = {(sxx * by.r - sxy * bx.r) / det, (sxx * by.g - sxy * bx.g) / det,
                  (sxx * by.b - sxy * bx.b) / det};
            // Glare or a neighbour in the ring is no water: drop what lies
            // far off the plane and fit again.
            std::vector<double> off;
            off.reserve(ring.size());
            for (const Sample& q : ring)
                off.push_back(norm(q.c - level -
                                   Rgb{gx.r * q.dx + gy.r * q.dy, gx.g * q.dx + gy.g * q.dy,
                                       gx.b * q.dx + gy.b * q.dy}));
            std::vector<double> sorted = off;
            const double spread = std::max(1.0, median(sorted));
            for (size_t k = 0; k < ring.size(); ++k)
                keep[k] = off[k] <= 4 * spread;
        }
        water.colour = level;
        slopeX = gx;
        slopeY = gy;
        originX = cx;
        originY = cy;
    };

    // Then all of it again from the water and the pixels around the centre,
    // until nothing moves: the answer depends on the buoy and the water
    // around it, not on where the marker started, so a second snap keeps it.
    for (int round = 0; round < 40; ++round) {
        const double startX = x, startY = y, startRadius = radius;
        // The water right around the buoy: ripples and glare make the lake
        // brighter in one place than another.
        fitWater(x, y, radius);
        const Rgb lean = leaning([&](auto&& take) {
            near(radius, [&](int px, int py, double d) {
                if (d <= radius)
                    take(r.at(px, py) - waterAt(px, py));
            });
        });
        if (norm(lean) > 0)
            u = lean;

        // A window a pixel beyond the buoy's edge, recentred on each
        // estimate; its soft rim keeps a pixel from jumping in or out as the
        // centre moves by a hair.
        const double reach = radius + 1.0;
        for (int step = 0; step < 200; ++step) {
            double ax = 0, ay = 0, aw = 0, top = 0;
            near(reach, [&](int px, int py, double d) {
                const double rim = std::clamp(reach + 0.5 - d, 0.0, 1.0);
                const double s = std::max(0.0, dot(r.at(px, py) - waterAt(px, py), u));
                ax += s * rim * px;
                ay += s * rim * py;
                aw += s * rim;
                top = std::max(top, s);
            });
            if (aw <= 0)
                break;
            const double moved = std::hypot(ax / aw - x, ay / aw - y);
            x = ax / aw;
            y = ay / aw;
            sw = aw;
            peak = top;
            if (moved < 1e-9)
                break;
        }
        radius = sizeOf(sw, peak);
        if (std::hypot(x - startX, y - startY) < 1e-9 && std::abs(radius - startRadius) < 1e-9)
            break;
    }

    out.found = true;
    out.x = x;
    out.y = y;
    out.centre = {std::round(x * kTwipsPerPixel), std::round(y * kTwipsPerPixel)};
    out.diameter = 2 * radius;
    return out;
}

} // namespace korvel
