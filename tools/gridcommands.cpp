// Grid commands of korvel-tool: solve a grid from typed values exactly as the
// set-up screen's "Complete" does, and inspect or apply a grid file.

#include "grid/accuracy.h"
#include "grid/buoyfinder.h"
#include "grid/gridfile.h"
#include "grid/gridsetupmodel.h"
#include "grid/gridsolver.h"
#include "shell/consoleprompt.h"
#include "shell/picturefile.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textrules.h"
#include "tools/commands.h"
#include "tools/toolsupport.h"

#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <variant>

namespace korvel::tool
{

namespace
{

// The front-ratio warning belongs to the accuracy report on stdout; a message
// with an icon is a failure or a notice and goes to stderr.
class ReportPrompt : public ConsolePrompt
{
public:
    void message(const QString& text, const QString& title, Icon icon) override
    {
        toStdout = icon == Icon::None;
        ConsolePrompt::message(text, title, icon);
    }
};

int runSolve(const QStringList& args)
{
    return guarded([&] {
        const QStringList known = {
            "--ur",          "--lr",   "--ul",          "--ll",  "--jump",
            "--check",       "--grid", "--description", "--out", "--picture-width",
            "--picture-size"};
        const auto o = options(args, known);
        for (const char* required :
             {"--ur", "--lr", "--ul", "--ll", "--jump", "--check", "--out"}) {
            if (!o.contains(QString::fromLatin1(required)))
                throw UsageError{
                    QStringLiteral("solve needs %1").arg(QString::fromLatin1(required))};
        }
        // Checked as a number first: 1e300 is no grid, and no int either.
        const double gridValue = o.contains("--grid") ? oneNumber("--grid", o["--grid"]) : 1;
        if (gridValue != 1 && gridValue != 2 && gridValue != 3)
            throw UsageError{QStringLiteral("--grid is 1, 2 or 3")};
        const int grid = static_cast<int>(gridValue);

        QTemporaryDir scratch; // settings of a headless run stay out of the operator's
        Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
        SharedState shared;
        shared.GridCount = 3;
        GridState grids;
        ConsolePrompt prompt;
        GridSetupModel model(grids, shared, settings, prompt);
        model.setWithoutResultsFile(WithoutResultsFile::Quiet);
        model.setGridNumber(grid);
        // The front ratio is the near buoys' span against the picture's width,
        // as the screen takes it from the picture loaded.
        if (o.contains("--picture-width"))
            model.setText(GridControl::PicWidth,
                          numberText(oneNumber("--picture-width", o["--picture-width"])));
        // The pictures the buoys were clicked on: the grid file records their
        // size, so a picture of another size is refused when measuring.
        if (o.contains("--picture-size")) {
            static const QRegularExpression size(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
            const auto m = size.match(o["--picture-size"]);
            const QSize pixels =
                m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
            if (pixels.isEmpty())
                throw UsageError{QStringLiteral("--picture-size is WIDTHxHEIGHT in pixels, "
                                                "for example 640x480")};
            model.setBackgroundSize(pixels);
        }

        struct Corner {
            const char* option;
            Marker marker;
            GridControl surveyX;
            GridControl surveyY;
        };
        const Corner corners[] = {
            {"--ur", Marker::UpperRight, GridControl::UrSurveyX, GridControl::UrSurveyY},
            {"--lr", Marker::LowerRight, GridControl::LrSurveyX, GridControl::LrSurveyY},
            {"--ul", Marker::UpperLeft, GridControl::UlSurveyX, GridControl::UlSurveyY},
            {"--ll", Marker::LowerLeft, GridControl::LlSurveyX, GridControl::LlSurveyY},
        };
        for (const Corner& c : corners) {
            const QString opt = QString::fromLatin1(c.option);
            const QList<double> v = numberList(opt, o[opt], 4);
            model.selectMarker(c.marker);
            model.clickPicture(v[0], v[1]);
            model.setText(c.surveyX, numberText(v[2]).trimmed());
            model.setText(c.surveyY, numberText(v[3]).trimmed());
        }
        const QList<double> jump = numberList("--jump", o["--jump"], 2);
        model.setText(GridControl::JumpX, numberText(jump[0]).trimmed());
        model.setText(GridControl::JumpY, numberText(jump[1]).trimmed());
        const QList<double> check = numberList("--check", o["--check"], 4);
        model.selectMarker(Marker::CheckBuoy);
        model.clickPicture(check[0], check[1]);
        model.setText(GridControl::CheckX, numberText(check[2]).trimmed());
        model.setText(GridControl::CheckY, numberText(check[3]).trimmed());
        model.selectMarker(std::nullopt);

        if (!model.complete())
            return 1;
        if (!model.saveGrid(grid, o["--out"], oneLine(o.value("--description"))))
            return 1;
        QStringList cs;
        const Coefficients c = grids.coefficients();
        for (int k = 1; k <= 8; ++k)
            cs << numberText(c[k]);
        out(cs.join(QLatin1Char(' ')));
        return 0;
    });
}

int runShow(const QStringList& args)
{
    return guarded([&] {
        if (args.size() != 1)
            throw UsageError{QStringLiteral("show takes one grid file")};
        // What the file holds is shown even when the load would refuse it, so
        // a damaged grid can be looked into; the refusal follows on stderr.
        auto read = readGridFiles(args[0]);
        if (const auto* e = std::get_if<GridFileError>(&read))
            throw UsageError{e->message};
        const GridFileData& d = std::get<GridFileData>(read);
        out(QStringLiteral("description: ") + d.description);
        out(QStringLiteral("grid:") + numberText(d.gridNumber));
        const char* names[] = {"", "upper right", "lower right", "upper left", "lower left"};
        for (int slot = 1; slot <= 4; ++slot) {
            const GridBuoy& b = d.buoys[slot];
            out(QStringLiteral("%1: screen%2%3  survey%4%5")
                    .arg(QString::fromLatin1(names[slot]), numberText(b.x), numberText(b.y),
                         numberText(b.X), numberText(b.Y)));
        }
        QStringList cs;
        for (int k = 1; k <= 8; ++k)
            cs << numberText(d.c[k]);
        out(QStringLiteral("coefficients:") + cs.join(QLatin1Char(' ')));
        out(QStringLiteral("jump point: survey%1%2")
                .arg(numberText(d.jump.X), numberText(d.jump.Y)));
        if (!d.hasCheckBuoy) {
            out(QStringLiteral("check buoy: none (no .cb file)"));
        } else {
            out(QStringLiteral("check buoy: screen%1%2  survey%3%4")
                    .arg(numberText(d.checkScreen.x), numberText(d.checkScreen.y),
                         numberText(d.checkSurvey.X), numberText(d.checkSurvey.Y)));
            if (const auto p = SurveyToScreen(d.c, d.checkSurvey.X, d.checkSurvey.Y)) {
                const double px = std::hypot(p->x - d.checkScreen.x, p->y - d.checkScreen.y) / 15;
                out(QStringLiteral("check buoy off by%1 pixels from where the grid predicts it")
                        .arg(numberText(roundHalfUp(px, 2))));
            } else {
                out(QStringLiteral("check buoy: the grid maps it onto its horizon"));
            }
        }
        if (const auto problem = gridFileProblem(args[0], d)) {
            err(QStringLiteral("korvel-tool: ") + problem->message);
            return 1;
        }
        return 0;
    });
}

int runMap(const QStringList& args, bool inverse)
{
    return guarded([&] {
        if (args.size() != 3)
            throw UsageError{inverse ? QStringLiteral("unmap takes a grid file and survey X and Y")
                                     : QStringLiteral("map takes a grid file and screen x and y")};
        const double a = oneNumber(inverse ? "X" : "x", args[1]);
        const double b = oneNumber(inverse ? "Y" : "y", args[2]);
        const GridFileData d = loadGridOrThrow(args[0]);
        if (inverse) {
            const auto p = SurveyToScreen(d.c, a, b);
            if (!p) {
                err(QStringLiteral("korvel-tool: this survey point lies on the grid's horizon"));
                return 1;
            }
            out(numberText(p->x) + QLatin1Char(' ') + numberText(p->y));
        } else {
            const auto p = ScreenToSurvey(d.c, a, b);
            if (!p) {
                err(QStringLiteral("korvel-tool: this screen point lies on the grid's horizon"));
                return 1;
            }
            // A blank between: a minus sign is no separator for a reader.
            out(numberText(p->X) + QLatin1Char(' ') + numberText(p->Y));
        }
        return 0;
    });
}

int runAccuracy(const QStringList& args)
{
    return guarded([&] {
        if (args.isEmpty())
            throw UsageError{QStringLiteral("accuracy takes a grid file")};
        const auto o = options(args.mid(1), {"--picture-width", "--display"});
        const QString& path = args[0];
        AccuracyDisplay display = AccuracyDisplay::Grades;
        const QString d = o.value("--display", "grades");
        if (d == "distance")
            display = AccuracyDisplay::Distance;
        else if (d == "detail")
            display = AccuracyDisplay::Detail;
        else if (d != "grades")
            throw UsageError{QStringLiteral("--display is grades, distance or detail")};
        loadGridOrThrow(path); // a damaged file is a usage error, not a failed check

        QTemporaryDir scratch;
        Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
        SharedState shared;
        shared.GridCount = 3;
        GridState grids;
        ReportPrompt prompt;
        GridSetupModel model(grids, shared, settings, prompt);
        model.setWithoutResultsFile(WithoutResultsFile::Quiet);
        if (o.contains("--picture-width"))
            model.setText(GridControl::PicWidth,
                          numberText(oneNumber("--picture-width", o["--picture-width"])));
        if (!model.loadGrid(1, path))
            return 1;

        AccuracyInput in;
        in.c = grids.coefficients();
        in.jump = grids.jump;
        in.corners = model.corners();
        in.display = display;
        ScreenPoint failed;
        const auto lattice = computeAccuracy(in, &failed);
        if (!lattice) {
            err(QStringLiteral("korvel-tool: the lattice point at%1,%2 lies on the grid's horizon")
                    .arg(numberText(failed.x), numberText(failed.y)));
            return 1;
        }
        for (int j = 0; j <= 6; ++j) {
            QString row;
            for (int i = 0; i <= 6; ++i)
                row += lattice->points[i][j].caption.trimmed().leftJustified(8);
            out(row.trimmed());
        }
        const QStringList report = accuracyReportLines(
            QDateTime::currentDateTime(), static_cast<int>(grids.table[1][rec::GridNumber]),
            frontBackRatios(in.corners, model.pictureWidth()),
            [&model](GridControl b) { return model.text(b); }, grids.checkScreen, *lattice);
        for (const QString& line : report.mid(1))
            out(line);
        return 0;
    });
}

int runSnap(const QStringList& args)
{
    return guarded([&] {
        if (args.size() != 3)
            throw UsageError{QStringLiteral("snap takes a picture and the marker's x and y")};
        const double x = oneNumber("x", args[1]);
        const double y = oneNumber("y", args[2]);
        QString why;
        const QImage picture = readPictureFile(args[0], &why);
        if (picture.isNull())
            throw UsageError{
                QStringLiteral("%1 is not a picture korvel can read: %2").arg(args[0], why)};
        const BuoyFinding f = findBuoy(picture, {x, y});
        if (!f.found) {
            err(QStringLiteral("korvel-tool: ") + f.reason);
            return 1;
        }
        out(numberText(f.centre.x) + QLatin1Char(' ') + numberText(f.centre.y));
        out(QStringLiteral("pixel %1 %2, a buoy %3 pixels across")
                .arg(QString::number(f.x, 'f', 3), QString::number(f.y, 'f', 3),
                     QString::number(f.diameter, 'f', 1)));
        return 0;
    });
}

} // namespace

QList<Command> gridCommands()
{
    return {
        {"solve",
         "  solve --ur x,y,X,Y --lr x,y,X,Y --ul x,y,X,Y --ll x,y,X,Y --jump X,Y\n"
         "        --check x,y,X,Y [--grid N] [--description TEXT] [--picture-width TWIPS]\n"
         "        [--picture-size WxH] --out FILE.ipt\n"
         "      Solve and validate a grid as \"Complete\" does; on success write FILE.ipt\n"
         "      and FILE.ipt.cb and print c1 ... c8. Buoys: upper/lower, right/left.",
         runSolve},
        {"show",
         "  show FILE.ipt\n"
         "      Description, grid number, buoys, coefficients, jump point and check buoy;\n"
         "      exit 1 when the grid's load would refuse it (the reason on stderr).",
         runShow},
        {"accuracy",
         "  accuracy FILE.ipt [--picture-width TWIPS] [--display grades|distance|detail]\n"
         "      The front-ratio warning if any, the 7 x 7 accuracy lattice (rows top to\n"
         "      bottom) and the lines the accuracy check adds to its report.",
         runAccuracy},
        {"map",
         "  map FILE.ipt x y\n"
         "      Screen point (twips) to survey X and Y (metres).",
         [](const QStringList& a) { return runMap(a, false); }},
        {"unmap",
         "  unmap FILE.ipt X Y\n"
         "      Survey point (metres) to screen x and y (twips).",
         [](const QStringList& a) { return runMap(a, true); }},
        {"snap",
         "  snap PICTURE x y\n"
         "      The centre of the buoy nearest the marker at x y (twips, 15 to a pixel:\n"
         "      pixel 200 is 3000) as grid set-up's \"Snap to Buoy\" finds it: its x and y\n"
         "      in whole twips, then its pixel position and size; exit 1 when no buoy\n"
         "      lies within 5 pixels of the marker (the reason on stderr).",
         runSnap},
    };
}

} // namespace korvel::tool
