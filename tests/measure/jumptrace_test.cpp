// The trace of each recorded result: which video and frame, or which
// picture, on which grid, and where the impact was clicked, so a referee can
// reopen exactly what was measured.

#include "measure/jumptrace.h"
#include "tests/support/testdir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;

namespace
{

const QString kLine = "12-07-2026 14:03:11 Jane Roe  jump 3 -  45.3m  (IWSF) 149ft  (AWSA) "
                      "( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)";

TEST(JumpTrace, ALineReadsBackAsWritten)
{
    struct Case {
        const char* what;
        JumpTrace trace;
    };
    JumpTrace fromVideo{kLine,
                        "/videos/Jane Roejump3.avi",
                        61,
                        "/caps/Jane Roejump3.bmp",
                        2,
                        "/grids/north.ipt",
                        QPoint(4530, 3120),
                        0.0912,
                        0.0251,
                        {}};
    JumpTrace fromClipboard{kLine,          {},   {}, "clipboard", 1, "/grids/south.ipt",
                            QPoint(15, 30), 0.05, {}, {}};
    JumpTrace fall{
        "12-07-2026 14:05:00 Ann Lee  jump 1 -  Fall", {}, {}, {}, 1, {}, {}, {}, {}, {}};
    // Letters a path may have on the disk, and a tab or line break that would
    // break the line: kept, and made blanks.
    JumpTrace oddNames{
        kLine, "/videos/Łucja Ørsted\tjump1.avi", 0, {}, 3, "/grids/a\nb.ipt", {}, {}, {}, {}};
    for (const Case& c :
         {Case{"from a video", fromVideo}, Case{"from the clipboard", fromClipboard},
          Case{"a fall", fall}, Case{"odd names", oddNames}}) {
        SCOPED_TRACE(c.what);
        const QString line = traceLine(c.trace);
        EXPECT_FALSE(line.contains('\n'));
        const auto back = parseTraceLine(line);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->resultLine, c.trace.resultLine);
        EXPECT_EQ(back->video, QString(c.trace.video).replace('\t', ' '));
        EXPECT_EQ(back->frame, c.trace.frame);
        EXPECT_EQ(back->picture, c.trace.picture);
        EXPECT_EQ(back->grid, c.trace.grid);
        EXPECT_EQ(back->gridFile, QString(c.trace.gridFile).replace('\n', ' '));
        EXPECT_EQ(back->impactTwips, c.trace.impactTwips);
        EXPECT_EQ(back->perPixel.has_value(), c.trace.perPixel.has_value());
        EXPECT_NEAR(back->perPixel.value_or(0), c.trace.perPixel.value_or(0), 1e-9);
        EXPECT_EQ(back->check.has_value(), c.trace.check.has_value());
        EXPECT_NEAR(back->check.value_or(0), c.trace.check.value_or(0), 1e-9);
        EXPECT_EQ(back->proposedFrame, c.trace.proposedFrame);
    }
    // The line says whether the frame measured is the one review proposed.
    for (const auto& [proposed, says] : {std::pair{61, "\tproposed=61\tchosen=proposed"},
                                         std::pair{59, "\tproposed=59\tchosen=other"}}) {
        JumpTrace t = fromVideo;
        t.proposedFrame = proposed;
        EXPECT_TRUE(traceLine(t).endsWith(says)) << traceLine(t).toStdString();
        EXPECT_EQ(parseTraceLine(traceLine(t))->proposedFrame, proposed);
    }
    // The exported frame is written again for the next jump: never a
    // trace's picture, so a referee is never shown another jump's frame.
    JumpTrace exported = fromVideo;
    exported.picture = "/prog/currentcapture.bmp";
    EXPECT_FALSE(traceLine(exported).contains("picture="));
    EXPECT_EQ(parseTraceLine(kLine + "\tpicture=/prog/currentcapture.bmp\tgrid=1")->picture, "");
    EXPECT_TRUE(traceLine(fromVideo).endsWith(
        "\timpact=4530,3120\tpixel=302,208\tperpixel=0.0912\tcheck=0.0251"));
}

TEST(JumpTrace, TheLatestTraceOfALineIsFoundAndDamageIsPassedOver)
{
    test::TestDir t;
    const QString results = t.file("JumpMeasurementResults120726.txt");
    EXPECT_FALSE(findTrace(results, kLine)) << "no trace file yet";
    JumpTrace first{kLine, "/v/first.avi", 10, {}, 1, {}, {}, {}, {}, {}};
    JumpTrace other{
        kLine.left(20) + "Ann Lee  jump 1 -  Fall", "/v/other.avi", 5, {}, 1, {}, {}, {}, {}, {}};
    JumpTrace again{kLine, "/v/again.avi", 12, {}, 1, {}, {}, {}, {}, {}};
    ASSERT_TRUE(appendTrace(results, first));
    {
        QFile f(traceFilePath(results));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("half a line with no fields\r\n" + kLine.toUtf8() + "\tframe=-4\tgrid=9\r\n");
    }
    ASSERT_TRUE(appendTrace(results, other));
    ASSERT_TRUE(appendTrace(results, again));
    const auto found = findTrace(results, kLine);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->video, "/v/again.avi");
    EXPECT_EQ(findTrace(results, other.resultLine)->video, "/v/other.avi");
    EXPECT_FALSE(findTrace(results, "12-07-2026 15:00:00 Nobody  jump 1 -  Pass"));
}

} // namespace
