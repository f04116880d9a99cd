// Measurement commands of korvel-tool: the distance of an impact on a grid,
// written exactly as the measure screen's Record writes it into the results
// line.

#include "grid/gridfile.h"
#include "measure/impact.h"
#include "measure/measuremodel.h"
#include "shell/textrules.h"
#include "tools/commands.h"
#include "tools/toolsupport.h"

#include <variant>

namespace korvel::tool
{

namespace
{

int runMeasure(const QStringList& args)
{
    return guarded([&] {
        QStringList positional;
        JumpSettings jump;
        for (qsizetype k = 0; k < args.size(); ++k) {
            const QString& a = args[k];
            if (a == QLatin1String("--right-to-left")) {
                jump.rightToLeft = true;
            } else if (a == QLatin1String("--type")) {
                if (k + 1 >= args.size())
                    throw UsageError{QStringLiteral("--type needs a value")};
                const QString& type = args[++k];
                if (type == QLatin1String("barefoot"))
                    jump.barefoot = true;
                else if (type == QLatin1String("sitski"))
                    jump.sitSki = true;
                else if (type != QLatin1String("normal"))
                    throw UsageError{
                        QStringLiteral("--type is normal, sitski or barefoot, not \"%1\"")
                            .arg(type)};
            } else if (a.startsWith(QLatin1String("--"))) {
                throw UsageError{QStringLiteral("unknown option \"%1\"").arg(a)};
            } else {
                positional << a;
            }
        }
        if (positional.size() != 3)
            throw UsageError{QStringLiteral("measure takes a grid file and screen x and y")};
        const double x = oneNumber(QStringLiteral("x"), positional[1]);
        const double y = oneNumber(QStringLiteral("y"), positional[2]);
        const ActiveGrid grid = ActiveGrid::fromFile(loadGridOrThrow(positional[0]));
        const auto d = impactDistance(grid, jump, {x, y});
        if (!d) {
            err(QStringLiteral(
                "korvel-tool: this screen point lies on or beyond the grid's horizon; "
                "it has no distance on the water"));
            return 1;
        }
        out(measuredJumpText(*d, jump.barefoot, false, QString()));
        // What a pixel is worth there, on a line of its own.
        if (const auto worth = pixelWorth(grid, {x, y}))
            out(pixelWorthText(*worth));
        return 0;
    });
}

} // namespace

QList<Command> measureCommands()
{
    return {
        {"measure",
         "  measure FILE.ipt x y [--type normal|sitski|barefoot] [--right-to-left]\n"
         "      The impact at screen x, y (twips) on that grid, as the results line\n"
         "      writes it after \" - \": metres, feet and the three bracketed groups;\n"
         "      then how far the distance moves for one pixel there, and the grid's\n"
         "      check buoy miss carried to that point.",
         runMeasure},
    };
}

} // namespace korvel::tool
