#include "grid/sample/snaptrial.h"

#include "grid/buoyfinder.h"
#include "grid/gridsolver.h"
#include "grid/sample/buoylake.h"
#include "grid/sample/lakescene.h"

#include <cmath>

namespace korvel::sample
{

namespace
{

QColor pick(const QList<QColor>& list, LakeRandom& rnd, int* index = nullptr)
{
    const int k = rnd.below(static_cast<int>(list.size()));
    if (index)
        *index = k;
    return list[k];
}

BuoyLakeOptions lakeOptions(LakeRandom& rnd)
{
    BuoyLakeOptions o;
    o.water = pick(waterColours(), rnd);
    o.noise = rnd.uniform(2, 8);
    o.ripples = rnd.uniform(2, 8);
    o.glarePatches = 30;
    o.seed = static_cast<std::uint64_t>(rnd.uniform() * 4294967296.0);
    return o;
}

// A streak of sun glare on the water just above or below a buoy, with a gap
// of a few pixels to its edge.
GlareStreak glareBeside(const LakeBuoy& b, LakeRandom& rnd)
{
    GlareStreak g;
    g.length = rnd.uniform(10, 30);
    g.thickness = rnd.uniform(1, 2.5);
    g.angle = rnd.uniform(-10, 10);
    g.strength = rnd.uniform(0.5, 0.9);
    const double side = rnd.uniform() < 0.5 ? -1 : 1;
    const double gap = rnd.uniform(2.5, 4);
    g.centre = b.centre + QPointF(rnd.uniform(-g.length / 2, g.length / 2),
                                  side * (b.diameter / 2 + gap + g.thickness));
    return g;
}

double length(QPointF p)
{
    return std::hypot(p.x(), p.y());
}

} // namespace

QList<BuoyTrial> buoyTrial(const BuoyTrialOptions& options)
{
    QList<BuoyTrial> out;
    LakeRandom rnd(options.seed);
    for (int lake = 0; lake < options.lakes; ++lake) {
        const BuoyLakeOptions lo = lakeOptions(rnd);
        BuoyLake water(lo);
        QList<BuoyTrial> trials;
        // One buoy in each of a lattice of 48-pixel cells, well apart.
        QList<int> cells;
        const int columns = lo.size.width() / 48, rows = lo.size.height() / 48;
        for (int k = 0; k < columns * rows; ++k)
            cells.append(k);
        for (int n = 0; n < options.buoysPerLake && !cells.isEmpty(); ++n) {
            const int cell = cells.takeAt(rnd.below(static_cast<int>(cells.size())));
            LakeBuoy b;
            const int column = cell % columns, row = cell / columns;
            b.centre =
                QPointF(column * 48 + 24 + rnd.uniform(-8, 8), row * 48 + 24 + rnd.uniform(-8, 8));
            b.diameter = rnd.uniform(2, 8);
            BuoyTrial t;
            b.colour = pick(buoyColours(), rnd, &t.colour);
            t.diameter = b.diameter;
            t.noise = lo.noise;
            t.glareNear = rnd.uniform() < 0.35;
            if (t.glareNear)
                water.addGlare(glareBeside(b, rnd));
            water.addBuoy(b);
            trials.append(t);
        }
        const QImage picture = water.render();
        for (int k = 0; k < trials.size(); ++k) {
            const QPointF truth = water.buoys()[k].centre;
            const QPointF nearest(std::round(truth.x()), std::round(truth.y()));
            const QPointF click =
                nearest + QPointF(rnd.below(2 * options.clickSpread + 1) - options.clickSpread,
                                  rnd.below(2 * options.clickSpread + 1) - options.clickSpread);
            BuoyTrial& t = trials[k];
            t.clickError = length(nearest - truth);
            const BuoyFinding f = findBuoy(picture, {click.x() * 15, click.y() * 15});
            t.found = f.found;
            t.reason = f.reason;
            if (f.found)
                t.error = length(QPointF(f.centre.x, f.centre.y) / 15 - truth);
        }
        out += trials;
    }
    return out;
}

GridTrial gridTrial(const GridTrialOptions& options)
{
    GridTrial out;
    LakeRandom rnd(options.seed);
    const QSize size(640, 480);
    for (int lake = 0; lake < options.lakes; ++lake) {
        ShoreCamera camera = defaultCamera(size);
        camera.heading += rnd.uniform(-2, 2);
        camera.tilt += rnd.uniform(-0.5, 0.5);
        const PlaneMapping mapping = camera.waterMapping();
        LakeSite site = defaultSite(size);
        for (QPointF& s : site.buoys)
            s += QPointF(rnd.uniform(-0.5, 0.5), rnd.uniform(-0.5, 0.5));

        BuoyLake water(lakeOptions(rnd));
        // Slots in the grid's order: upper right, lower right, upper left,
        // lower left; then the check buoy. Far buoys look smaller.
        const double smallest[buoyCount] = {2, 4, 2, 4, 3};
        const double largest[buoyCount] = {4, 8, 4, 8, 6};
        for (int k = 0; k < buoyCount; ++k) {
            LakeBuoy b;
            b.centre = mapping.surveyToPixel(site.buoys[k]);
            b.diameter = rnd.uniform(smallest[k], largest[k]);
            b.colour = pick(buoyColours(), rnd);
            water.addBuoy(b);
            if (rnd.uniform() < 0.35)
                water.addGlare(glareBeside(b, rnd));
        }
        const QImage picture = water.render();

        GridState whole, snapped;
        for (int k = 0; k < 4; ++k) {
            const int slot = k + 1; // the sample's slot order is the grid's
            const QPointF truth = water.buoys()[k].centre;
            const ScreenPoint click{std::round(truth.x()) * 15, std::round(truth.y()) * 15};
            const BuoyFinding f = findBuoy(picture, click);
            ++out.buoys;
            if (!f.found)
                ++out.snapMisses;
            const ScreenPoint snap = f.found ? f.centre : click;
            for (GridState* g : {&whole, &snapped}) {
                g->surveyX[slot] = site.buoys[k].x();
                g->surveyY[slot] = site.buoys[k].y();
            }
            whole.screenX[slot] = click.x;
            whole.screenY[slot] = click.y;
            snapped.screenX[slot] = snap.x;
            snapped.screenY[slot] = snap.y;
        }
        if (!solveSurvey(whole) || !solveSurvey(snapped))
            continue;

        // Impacts on a lattice over the landing area between the buoys.
        const QPointF ur = site.buoys[0], lr = site.buoys[1], ul = site.buoys[2],
                      ll = site.buoys[3];
        const int n = options.impactsPerSide;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const double u = (i + 0.5) / n, v = (j + 0.5) / n;
                const QPointF impact =
                    (ul * (1 - u) + ur * u) * (1 - v) + (ll * (1 - u) + lr * u) * v;
                const QPointF at = mapping.surveyToPixel(impact) * 15;
                const double trueDistance = length(impact - site.jump);
                const auto measure = [&](const GridState& g, QList<double>& error,
                                         QList<double>& distanceError) {
                    const auto p = ScreenToSurvey(g.coefficients(), at.x(), at.y());
                    if (!p)
                        return;
                    const QPointF mapped(p->X, p->Y);
                    error.append(length(mapped - impact));
                    distanceError.append(std::abs(length(mapped - site.jump) - trueDistance));
                };
                measure(whole, out.wholePixel, out.wholeDistance);
                measure(snapped, out.snapped, out.snappedDistance);
            }
        }
    }
    return out;
}

} // namespace korvel::sample
