#include "measure/calibrationline.h"
#include "measure/measuremodel.h"
#include "shell/paths.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/measure/measurefixture.h"
#include "tests/support/handovers.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;

namespace
{

// On the flat grid X = x / 64 and Y = y / 64: ten metres are 640 twips.
struct Ends {
    QString X1, Y1, x1, y1, X2, Y2, x2, y2;
};

void fill(CalibrationLine& line, const Ends& e)
{
    const QString texts[] = {e.X1, e.Y1, e.x1, e.y1, e.X2, e.Y2, e.x2, e.y2};
    for (int k = 0; k < 8; ++k)
        line.setText(static_cast<CalibrationControl>(k), texts[k]);
}

Ends read(const CalibrationLine& line)
{
    QString t[8];
    for (int k = 0; k < 8; ++k)
        t[k] = line.text(static_cast<CalibrationControl>(k));
    return {t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7]};
}

} // namespace

TEST(CalibrationLine, ConvertsTheOtherColumnThroughTheGrid)
{
    struct Case {
        const char* what;
        bool actual;
        Ends typed;
        Ends after;
    };
    const Case cases[] = {
        {"metres to whole twips",
         true,
         {"10", "5", "", "", "12.5m", "abc", "", ""},
         {"10", "5", " 640", " 320", "12.5m", "abc", " 800", " 0"}},
        {"metres to twips, half up",
         true,
         {"10.0117", "0.0079", "", "", "0", "0", "", ""},
         {"10.0117", "0.0079", " 641", " 1", "0", "0", " 0", " 0"}},
        {"screen mode",
         false,
         {"", "", "645", "321", "", "", "-64", "abc"},
         {" 10.08", " 5.02", "645", "321", "-1", " 0", "-64", "abc"}},
    };
    for (const Case& c : cases) {
        ScriptedPrompt prompt;
        CalibrationLine line(prompt);
        if (!c.actual)
            line.toggleUnits();
        fill(line, c.typed);
        const auto drawing = line.Draw(test::flatGrid());
        ASSERT_TRUE(drawing) << c.what;
        const Ends e = read(line);
        EXPECT_EQ(QStringList({e.X1, e.Y1, e.x1, e.y1, e.X2, e.Y2, e.x2, e.y2}),
                  QStringList({c.after.X1, c.after.Y1, c.after.x1, c.after.y1, c.after.X2,
                               c.after.Y2, c.after.x2, c.after.y2}))
            << c.what;
        EXPECT_EQ(drawing->current.from.x, leadingNumber(e.x1)) << c.what;
        EXPECT_EQ(drawing->current.to.y, leadingNumber(e.y2)) << c.what;
    }
}

TEST(CalibrationLine, ThePreviousLineComesBackForMagenta)
{
    ScriptedPrompt prompt;
    CalibrationLine line(prompt);
    EXPECT_EQ(line.unitsCaption(), "Actual");
    // Erase before any Draw: the stored line is a point at the origin.
    EXPECT_EQ(line.stored().from.x, 0);
    EXPECT_EQ(line.stored().to.y, 0);
    fill(line, {"1", "1", "", "", "2", "2", "", ""});
    const auto first = line.Draw(test::flatGrid());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->previous.to.x, 0);
    line.toggleUnits();
    EXPECT_EQ(line.unitsCaption(), "Screen");
    EXPECT_EQ(line.text(CalibrationControl::XTwips), " 64"); // switching converts nothing
    const auto second = line.Draw(test::flatGrid());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->previous.to.x, first->current.to.x);
    EXPECT_EQ(line.stored().to.x, 128);
}

TEST(CalibrationLine, RefusesWithoutAPlaceOnTheWater)
{
    ScriptedPrompt prompt;
    CalibrationLine line(prompt);
    fill(line, {"1", "1", "7", "7", "2", "2", "9", "9"});
    prompt.expectMessage(
        "There is no ready grid to draw the line through. Solve or load the grid first.");
    EXPECT_FALSE(line.Draw(std::nullopt));

    // A grid whose horizon runs along y = -4096 twips.
    ActiveGrid g = test::flatGrid();
    g.c[5] = 1.0 / 4096;
    line.toggleUnits();
    line.setText(CalibrationControl::YTwips2, "-5000");
    prompt.expectMessage(
        "End point 2 has no place on the water of this grid: it lies on or beyond the grid's "
        "horizon. Nothing was drawn.");
    EXPECT_FALSE(line.Draw(g));
    EXPECT_EQ(line.text(CalibrationControl::XActual), "1"); // end 1 converted, but nothing written
    EXPECT_EQ(line.stored().to.x, 0);
}

TEST(PictureFileStem, NamesNeverLeaveThePictureFolder)
{
    const std::pair<QString, QString> cases[] = {
        {"Jane Roe", "Jane Roe"},
        {"Roe/Jane", "Roe Jane"},
        {"..\\..\\etc", "    etc"},
        {"C:Roe", "C Roe"},
        {"Jane\tRoe\n", "Jane Roe "},
        {"J. Roe", "J. Roe"},
        {"...", " ."},
    };
    for (const auto& [name, stem] : cases) {
        EXPECT_EQ(pictureFileStem(name), stem) << name.toStdString();
        // The video of the jump was named by the capture screen's name box:
        // the picture's name starts as the video's does.
        EXPECT_EQ(checkSkierName(name).name, stem) << name.toStdString();
    }
}

TEST(ClipFlag, OnlyReadyLoadsAndIsUsedUp)
{
    struct Case {
        std::optional<QByteArray> file;
        bool ready;
    } cases[] = {{std::nullopt, false},   {"", false},
                 {"Ready\r\n", true},     {"\"Ready\"\r\n", true},
                 {" Ready ,1\r\n", true}, {"ready\r\n", false},
                 {"  \r\n", false},       {"Wait\r\nReady\r\n", false}};
    for (const Case& c : cases) {
        test::TestDir dir;
        auto settings = dir.settings();
        settings->save(Setting::KvioDir, dir.path());
        SharedState shared;
        GridState grids;
        ScriptedPrompt prompt;
        test::MeasureHandOvers screens;
        MeasureModel model(grids, shared, *settings, prompt, screens);
        const QString flag = dir.file("clipflag.txt");
        if (c.file) {
            QFile f(flag);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(*c.file);
        }
        EXPECT_EQ(model.clipFlagReady(), c.ready) << (c.file ? c.file->toStdString() : "<no file>");
        if (c.ready) {
            model.consumeClipFlag();
            EXPECT_FALSE(model.clipFlagReady());
            EXPECT_EQ(test::readAll(flag), "  \r\n");
        }
    }
}
