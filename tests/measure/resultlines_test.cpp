#include "measure/resultlines.h"
#include "tests/measure/measurefixture.h"

#include <gtest/gtest.h>

using namespace korvel;

TEST(ResultLines, MeasuredJumpLineAsTheScoringDeskReadsIt)
{
    const ImpactGroups groups{{12.345, -6.789}, {4530.9, 3120.2}, 45.2734};
    EXPECT_EQ(resultLine(test::exampleTime(), "Jane Roe", "3",
                         jumpResultText(" 45.3m", " 149ft", false, false, "", groups)),
              "12-07-2026 14:03:11 Jane Roe  jump 3 -  45.3m  (IWSF) 149ft  (AWSA) ( "
              "12.345/-6.789) ( 4530/ 3120) ( 45.2734)");
}

TEST(ResultLines, MarksCommentAndGroups)
{
    struct Case {
        const char* what;
        QString distance, feet;
        bool barefoot, verify;
        QString comment;
        std::optional<ImpactGroups> groups;
        const char* expected;
    };
    const Case cases[] = {
        {"barefoot", " 20m", " 65.6ft", true, false, "", ImpactGroups{{20, 0}, {1280, 0}, 20},
         " 20m  (IWSF) 65.6ft  (AWSA) BAREFOOT  ( 20/ 0) ( 1280/ 0) ( 20)"},
        {"verify mode before the comment", " 45.3m", " 149ft", false, true, "nice", ImpactGroups{},
         " 45.3m  (IWSF) 149ft  (AWSA) UNOFFICIAL JUMP - verify mode nice ( 0/ 0) ( 0/ 0) ( 0)"},
        {"fall", "", "", false, false, "Fall", ImpactGroups{},
         "  (IWSF)  (AWSA)Fall ( 0/ 0) ( 0/ 0) ( 0)"},
        {"other grid: no groups", "40m", " 131ft", false, false, "Distance from other grid",
         std::nullopt, "40m  (IWSF) 131ft  (AWSA)Distance from other grid"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jumpResultText(c.distance, c.feet, c.barefoot, c.verify, c.comment, c.groups),
                  c.expected)
            << c.what;
}

TEST(ResultLines, BracketGroupsRoundHalfUpAndDown)
{
    // Survey to three decimals half up (negative values too), twips down to whole.
    EXPECT_EQ(bracketGroups({{0.0625, -0.0625}, {-0.5, 15.99}, 0.5}),
              " ( .063/-.062) (-1/ 15) ( .5)");
}

TEST(ResultLines, RerideAndPictureLines)
{
    const QDateTime t = test::exampleTime();
    EXPECT_EQ(rerideLine(t, "Optional Reride on previous jump"),
              "12-07-2026 14:03:11 Optional Reride on previous jump");
    EXPECT_EQ(pictureLine(t, PictureEvent::Saved, "/caps/Jane Roejump3.bmp"),
              "12-07-2026 14:03:11 Saved picture: /caps/Jane Roejump3.bmp");
    EXPECT_EQ(pictureLine(t, PictureEvent::Loaded, "/caps/x.bmp"),
              "12-07-2026 14:03:11 Loaded picture: /caps/x.bmp");
}

TEST(ExchangeLines, OutcomesAndFields)
{
    struct Case {
        ExchangeOutcome outcome;
        QString metres, feet, jump;
        const char* expected;
    };
    const Case cases[] = {
        {ExchangeOutcome::Ok, " 45.3", " 149", "3", "OK,  45.3,  149, 3"},
        {ExchangeOutcome::Fall, "", "", "7", "Fall, 0, 0,7"},
        {ExchangeOutcome::Pass, " 45.3", " 149", "7", "Pass, 0, 0,7"},
        {ExchangeOutcome::Ok, "40", " 131", "3", "OK, 40,  131, 3"}, // typed on the other grid
        {ExchangeOutcome::Ok, "", "", "3", "OK, , , 3"},             // other grid, no distance
    };
    for (const Case& c : cases)
        EXPECT_EQ(exchangeLine(c.outcome, c.metres, c.feet, c.jump), c.expected);
}

TEST(ExchangeLines, RawLineCutsTheNameAtItsFirstComma)
{
    const QTime t(14, 3, 11);
    EXPECT_EQ(rawExchangeLine(t, "Jane Roe", "OK,  45.3,  149, 3"),
              "14:03:11 ,Jane Roe,OK,  45.3,  149, 3");
    EXPECT_EQ(rawExchangeLine(t, "Roe, Jane", "Fall, 0, 0,7"), "14:03:11 ,Roe,Fall, 0, 0,7");
    EXPECT_EQ(exchangeSkierName("Roe,Jane, Jr"), "Roe");
}

TEST(PictureLog, FieldsInFourteenColumnZonesEndingWithThePath)
{
    const QString path = "/caps/Jane Roejump3.bmp";
    const QString line = pictureLogLine(test::exampleTime(), "Jane Roe", "3", " 45.3m", path);
    EXPECT_EQ(line, "12-07-2026    14:03:11      Skier: Jane Roe             Jump:  3      "
                    "Distance:  45.3m            File: /caps/Jane Roejump3.bmp");
    EXPECT_TRUE(line.endsWith("bmp"));
    // A long name pushes the following fields to later zones, still aligned.
    const QString longName =
        pictureLogLine(test::exampleTime(), "Maximiliane Oberhollenzer", "1", "", path);
    const qsizetype jump = longName.indexOf("Jump:");
    EXPECT_EQ(jump % 14, 0);
    EXPECT_EQ(longName.at(jump - 1), ' ');
    EXPECT_EQ(longName.indexOf("File:") % 14, 0);
}

TEST(PictureLog, SideFileLine)
{
    EXPECT_EQ(pictureInfoLine("/caps/Jane Roejump3.bmp", "Jane Roe", "3"),
              "/caps/Jane Roejump3.bmp, Jane Roe, 3");
}
