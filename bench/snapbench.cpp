// Buoys snapped on rendered lakes: how close the found centre comes to the
// true one, by buoy size, colour, noise and glare; then grids set up on the
// same kind of lakes with markers on the whole pixel an operator clicks and
// with snapped markers, and how far each puts known impacts from the truth.
//
//   korvel-snap-bench [LAKES] [GRIDS] [SEED]

#include "grid/sample/buoylake.h"
#include "grid/sample/snaptrial.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>

using namespace korvel::sample;

namespace
{

double percentile(QList<double> v, double q)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min<qsizetype>(v.size() - 1, static_cast<qsizetype>(q * (v.size() - 1) + 0.5))];
}

double mean(const QList<double>& v)
{
    return v.isEmpty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / v.size();
}

void row(const char* name, const QList<BuoyTrial>& all,
         const std::function<bool(const BuoyTrial&)>& take)
{
    QList<double> errors, clicks;
    int n = 0, found = 0, within = 0;
    for (const BuoyTrial& t : all) {
        if (!take(t))
            continue;
        ++n;
        clicks.append(t.clickError);
        if (!t.found)
            continue;
        ++found;
        errors.append(t.error);
        if (t.error <= 0.1)
            ++within;
    }
    if (n == 0)
        return;
    std::printf("| %s | %d | %.1f %% | %.1f %% | %.3f | %.3f | %.3f | %.3f |\n", name, n,
                100.0 * found / n, 100.0 * within / n, mean(errors), percentile(errors, 0.95),
                percentile(errors, 1.0), mean(clicks));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int lakes = argc > 1 ? std::atoi(argv[1]) : 40;
    const int grids = argc > 2 ? std::atoi(argv[2]) : 200;
    const auto seed = static_cast<std::uint64_t>(argc > 3 ? std::atoll(argv[3]) : 1);

    QElapsedTimer clock;
    clock.start();
    BuoyTrialOptions bo;
    bo.lakes = lakes;
    bo.seed = seed;
    const QList<BuoyTrial> trials = buoyTrial(bo);
    const double buoySeconds = clock.elapsed() / 1000.0;

    std::printf("Buoys on %d lakes of 640 x 480, marker up to %d pixels off the nearest whole "
                "pixel (seed %llu)\n\n",
                lakes, bo.clickSpread, static_cast<unsigned long long>(seed));
    std::printf("| buoys | n | found | within 0.1 px | mean px | 95 %% px | max px | whole "
                "pixel's mean px |\n|---|---|---|---|---|---|---|---|\n");
    row("all", trials, [](const BuoyTrial&) { return true; });
    for (int d = 2; d < 8; ++d) {
        const QByteArray name = QStringLiteral("%1-%2 px across").arg(d).arg(d + 1).toLatin1();
        row(name.constData(), trials,
            [d](const BuoyTrial& t) { return t.diameter >= d && t.diameter < d + 1; });
    }
    const char* colours[] = {"orange", "yellow", "white", "red"};
    for (int c = 0; c < 4; ++c)
        row(colours[c], trials, [c](const BuoyTrial& t) { return t.colour == c; });
    row("noise 2-5 levels", trials, [](const BuoyTrial& t) { return t.noise < 5; });
    row("noise 5-8 levels", trials, [](const BuoyTrial& t) { return t.noise >= 5; });
    row("glare streak beside", trials, [](const BuoyTrial& t) { return t.glareNear; });
    int shown = 0;
    for (const BuoyTrial& t : trials) {
        if (!t.found && shown++ < 5)
            std::printf("  not found (%.1f px, colour %d): %s\n", t.diameter, t.colour,
                        qPrintable(t.reason));
    }

    clock.restart();
    GridTrialOptions go;
    go.lakes = grids;
    go.seed = seed;
    const GridTrial g = gridTrial(go);
    const double gridSeconds = clock.elapsed() / 1000.0;
    std::printf("\nGrids on %d lakes, %d impacts each, %d buoys (%d not snapped)\n\n", grids,
                go.impactsPerSide * go.impactsPerSide, g.buoys, g.snapMisses);
    std::printf("| markers | impact error mean m | 95 %% m | max m | distance error mean m | "
                "max m |\n|---|---|---|---|---|---|\n");
    std::printf("| whole pixel | %.4f | %.4f | %.4f | %.4f | %.4f |\n", mean(g.wholePixel),
                percentile(g.wholePixel, 0.95), percentile(g.wholePixel, 1.0),
                mean(g.wholeDistance), percentile(g.wholeDistance, 1.0));
    std::printf("| snapped | %.4f | %.4f | %.4f | %.4f | %.4f |\n", mean(g.snapped),
                percentile(g.snapped, 0.95), percentile(g.snapped, 1.0), mean(g.snappedDistance),
                percentile(g.snappedDistance, 1.0));
    std::printf("| whole / snapped | %.1f | %.1f | %.1f | %.1f | %.1f |\n",
                mean(g.wholePixel) / mean(g.snapped),
                percentile(g.wholePixel, 0.95) / percentile(g.snapped, 0.95),
                percentile(g.wholePixel, 1.0) / percentile(g.snapped, 1.0),
                mean(g.wholeDistance) / mean(g.snappedDistance),
                percentile(g.wholeDistance, 1.0) / percentile(g.snappedDistance, 1.0));
    std::printf("\n%.1f s for the buoys (%.2f ms a buoy with its share of rendering), %.1f s "
                "for the grids\n",
                buoySeconds, 1000 * buoySeconds / std::max<qsizetype>(1, trials.size()),
                gridSeconds);
    return 0;
}
