#include "grid/accuracy.h"

#include "shell/paths.h"
#include "shell/textrules.h"

#include <cmath>

namespace korvel
{

QString accuracyGrade(double e)
{
    if (e <= 0.1)
        return QStringLiteral("R");
    if (e <= 0.15)
        return QStringLiteral("L");
    if (e <= 0.2)
        return QStringLiteral("C");
    return QStringLiteral("NH");
}

namespace
{
ScreenPoint lerp(const ScreenPoint& a, const ScreenPoint& b, int step)
{
    return {a.x + (b.x - a.x) * step / 6.0, a.y + (b.y - a.y) * step / 6.0};
}
} // namespace

std::optional<AccuracyLattice> computeAccuracy(const AccuracyInput& in, ScreenPoint* failed)
{
    AccuracyLattice out;
    for (int j = 0; j <= 6; ++j) {
        const ScreenPoint left = lerp(in.corners.upperLeft, in.corners.lowerLeft, j);
        const ScreenPoint right = lerp(in.corners.upperRight, in.corners.lowerRight, j);
        for (int i = 0; i <= 6; ++i) {
            const ScreenPoint p = lerp(left, right, i);
            out.points[i][j].x = p.x;
            out.points[i][j].y = p.y;
        }
        out.lineLabelPos[j] = {right.x + 30, right.y - 90};
    }
    for (int i = 0; i <= 6; ++i) {
        for (int j = 0; j <= 6; ++j) {
            LatticePoint& lp = out.points[i][j];
            // One pixel is 15 twips.
            const auto d0 = distance_calculation(in.c, in.jump, lp.x, lp.y, in.barefoot, in.sitSki);
            const auto dh =
                distance_calculation(in.c, in.jump, lp.x + 15, lp.y, in.barefoot, in.sitSki);
            const auto dv =
                distance_calculation(in.c, in.jump, lp.x, lp.y + 15, in.barefoot, in.sitSki);
            if (!d0 || !dh || !dv) {
                if (failed)
                    *failed = {lp.x, lp.y};
                return std::nullopt;
            }
            lp.d0 = d0->d;
            lp.dh = dh->d;
            lp.dv = dv->d;
            lp.down = dv->point;
            const double eh = std::fabs(lp.dh - lp.d0);
            const double ev = std::fabs(lp.dv - lp.d0);
            lp.e = ev > eh ? ev : eh;
            switch (in.display) {
            case AccuracyDisplay::Grades:
                lp.caption = accuracyGrade(lp.e);
                break;
            case AccuracyDisplay::Distance:
                lp.caption = numberText(roundHalfUp(lp.d0, 1));
                break;
            case AccuracyDisplay::Detail:
                lp.caption = numberText(roundHalfUp(lp.e, 2));
                break;
            }
            lp.labelPos = {lp.x, lp.y + 15 + 60};
        }
    }
    return out;
}

Ratios frontBackRatios(const AccuracyCorners& c, double pictureWidth)
{
    return {std::fabs(c.lowerRight.x - c.lowerLeft.x) * 100 / pictureWidth,
            std::fabs(c.upperRight.x - c.upperLeft.x) * 100 / pictureWidth};
}

std::optional<QString> frontRatioMessage(double front)
{
    // Warned below 80 while asking for more than 85: a camera between the
    // two is tolerated, not encouraged.
    if (front >= 80)
        return std::nullopt;
    return QStringLiteral("Front ratio is ") + numberText(intDown(front)) +
           QStringLiteral("%  Zoom camera in until front is > 85%");
}

QString accuracyReportPath(const QString& videoDir, const QDate& day)
{
    return joinPath(videoDir, QStringLiteral("acc") + day.toString(QStringLiteral("MMdd")) +
                                  QStringLiteral(".txt"));
}

QStringList accuracyReportLines(const QDateTime& when, int gridNumber, const Ratios& ratios,
                                const std::function<QString(GridControl)>& box,
                                const ScreenPoint& checkMarker, const AccuracyLattice& lattice)
{
    QStringList lines;
    lines << dateText(when.date()) + QStringLiteral("  ") + timeText(when.time()) +
                 QStringLiteral(" Accuracy Check");
    lines << QStringLiteral("Grid Set-up for accuracy check");
    lines << box(GridControl::FileName);
    lines << box(GridControl::Description);
    lines << QStringLiteral("Grid Number: ") + fieldText(gridNumber);
    lines << QStringLiteral(" ");
    lines << QStringLiteral("Front Ratio: ") + numberText(intDown(ratios.front));
    lines << QStringLiteral("Back Ratio: ") + numberText(intDown(ratios.back));
    lines << setupBlockCornerLines(SetupBlockVariant::Solved, box);
    lines << QStringLiteral("Check Buoy X,Y Pixels: ") + numberText(checkMarker.x) +
                 QStringLiteral("  ") + numberText(checkMarker.y);
    lines << QStringLiteral("Check Buoy X,Y Survey: ") + box(GridControl::CheckX) +
                 QStringLiteral("  ") + box(GridControl::CheckY);
    lines << QStringLiteral(" ");
    auto v = [](double x) { return numberText(roundHalfUp(x, 2)); };
    for (int i = 0; i <= 6; ++i) {
        for (int j = 0; j <= 6; ++j) {
            const LatticePoint& p = lattice.points[i][j];
            // The y written is that of the point a pixel down, like x: and y:.
            lines << QStringLiteral("xpix: ") + v(intDown(p.x)) + QStringLiteral("  ypix: ") +
                         v(intDown(p.y + 15)) + QStringLiteral("  x: ") + v(p.down.X) +
                         QStringLiteral("  y: ") + v(p.down.Y) + QStringLiteral("  distance: ") +
                         v(p.d0) + QStringLiteral("  v inc: ") + v(p.dv) +
                         QStringLiteral("  h inc: ") + v(p.dh) + QStringLiteral("  delta: ") +
                         v(p.e);
        }
    }
    lines << QStringLiteral("Accuracy Check Complete");
    lines << QString();
    return lines;
}

std::optional<int> accuracyLineAnswer(const QString& answer)
{
    const double v = leadingNumber(answer);
    if (v >= 1 && v <= 7 && v == std::floor(v))
        return static_cast<int>(v);
    return std::nullopt;
}

} // namespace korvel
