// korvel-tool contact: the proposed frame and the splash's point in twips on
// a filmed jump, with and without the grid, and its exit codes.

#include "grid/sample/samplegrid.h"
#include "tests/media/testvideos.h"
#include "tests/review/jumpvideos.h"
#include "tests/support/testdir.h"
#include "tests/support/toolrun.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

using namespace korvel;

TEST(KorvelToolContact, PrintsTheProposalOrSaysWhyThereIsNone)
{
    if (test::ffmpegProgram().isEmpty())
        GTEST_SKIP() << "the ffmpeg program is not installed";
    test::TestDir t;
    const test::JumpFilm film = test::JumpFilm::seeded(31);
    const QString video = t.file("jump.avi");
    ASSERT_TRUE(test::filmJump(video, film));
    const QString grid = t.file("lake.ipt");
    ASSERT_EQ(sample::writeSampleGrid(grid, sample::makeSampleScene({.size = film.size})), "");
    test::JumpFilm still = film;
    still.flight.splashSeconds = 0; // the skier lands without white water that stays
    const QString noSplash = t.file("nosplash.avi");
    ASSERT_TRUE(test::filmJump(noSplash, still));
    const std::int64_t truth = film.touchdownFrame();
    const QPointF pixel = film.touchdownPixel();

    struct Case {
        const char* name;
        QStringList args;
        int code;
        QString says; // on stdout for 0, else on stderr
    } cases[] = {
        {"with the grid", {video, "--grid", grid}, 0, "the grid's buoys"},
        {"whole picture", {video}, 0, "the whole picture (no grid given)"},
        {"near the press",
         {video, "--near", QString::number(truth - 5)},
         0,
         QStringLiteral("that is 5 frames after frame %1").arg(truth - 5)},
        {"no splash", {noSplash, "--grid", grid}, 1, "no first contact proposed"},
        {"no video", {t.file("missing.avi")}, 2, "missing.avi"},
        {"folder", {t.path()}, 2, "is not a plain file"},
        {"bad grid", {video, "--grid", video}, 2, "korvel-tool: "},
        {"bad near", {video, "--near", "soon"}, 2, "is not a frame number"},
        {"no value", {video, "--grid"}, 2, "--grid needs a value"},
        {"unknown option", {video, "--fast", "1"}, 2, "unknown option"},
        {"two videos", {video, video}, 2, "usage: korvel-tool contact"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const test::ToolRun r =
            test::runProgram(QStringLiteral(KORVEL_TOOL), QStringList{"contact"} + c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE((c.code == 0 ? r.out : r.err).contains(c.says))
            << r.out.toStdString() << r.err.toStdString();
        if (c.code != 0)
            continue;
        const QRegularExpressionMatch frame =
            QRegularExpression("proposed first contact: frame (\\d+)\n").match(r.out);
        ASSERT_TRUE(frame.hasMatch()) << r.out.toStdString();
        EXPECT_LE(std::abs(frame.captured(1).toLongLong() - truth), 1);
        const QRegularExpressionMatch at =
            QRegularExpression("splash begins at: x (\\d+) y (\\d+) twips").match(r.out);
        ASSERT_TRUE(at.hasMatch()) << r.out.toStdString();
        EXPECT_LE(std::hypot(at.captured(1).toDouble() / 15 - pixel.x(),
                             at.captured(2).toDouble() / 15 - pixel.y()),
                  3.0);
    }
}
