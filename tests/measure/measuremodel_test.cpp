#include "measure/jumptrace.h"
#include "measure/measuremodel.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "tests/measure/measurefixture.h"
#include "tests/support/handovers.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"
#include "tests/support/workplace.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;

namespace
{

const QString kJaneRoeLine = "12-07-2026 14:03:11 Jane Roe  jump 3 -  45.3m  (IWSF) 149ft  (AWSA) "
                             "( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)";
const QString kStamp = "12-07-2026 14:03:11 ";
const QString kZeros = " ( 0/ 0) ( 0/ 0) ( 0)";
const QString kQuestion = "Is there a distance to be recorded in the other grid?";
const QString kMetres = "Enter distance in meters from other screen";
const QString kFeet = "Enter distance in feet from other screen";
const QString kMismatch =
    "The meter distance and the foot distance you entered did not match, please enter them again";

// The measure screen over the example grid, with its results file, log and
// exchange folder in a temporary folder (never the real /kvio).
struct Bench : test::Workplace {
    test::MeasureHandOvers screens;
    std::unique_ptr<MeasureModel> model;

    Bench()
    {
        shared.ResultsFile = dir.file("JumpMeasurementResults120726.txt");
        shared.VideoDir = dir.path();
        shared.LogFileName = "JumpMeasurementLog120726.txt";
        shared.CapturesDir = dir.file("caps");
        shared.WstimsState = WstimsLink::On;
        QDir().mkpath(kvio);
        settings->save(Setting::KvioDir, kvio);
        test::storeGrid(grids, 1, test::janeRoeGrid());
        model = std::make_unique<MeasureModel>(grids, shared, *settings, prompt, screens,
                                               test::exampleTime);
        model->setText(MeasureControl::SkierName, "Jane Roe");
        model->setText(MeasureControl::JumpNo, "3");
    }

    QStringList results() const
    {
        return readLines(shared.ResultsFile).value_or(QStringList{"<missing>"});
    }
    QByteArray kvresult() const { return test::readAll(kvio + "/kvresult.dst"); }
    QByteArray kvraw() const { return test::readAll(kvio + "/kvraw.dst"); }
    void clickExample() { model->clickPicture(test::kJaneRoeImpact.x, test::kJaneRoeImpact.y); }
};

} // namespace

TEST(MeasureModel, RecordsAMeasuredJumpEverywhere)
{
    Bench b;
    b.model->setFrozen(true);
    b.clickExample();
    EXPECT_EQ(b.model->text(MeasureControl::Distance), "m");
    EXPECT_TRUE(b.model->nudgeArrowsVisible());
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.results(), QStringList{kJaneRoeLine});
    EXPECT_EQ(b.model->text(MeasureControl::Distance), " 45.3m");
    EXPECT_EQ(b.model->text(MeasureControl::DistanceFt), " 149ft");
    EXPECT_EQ(b.kvresult(), "OK,  45.3,  149, 3\r\n");
    EXPECT_EQ(b.kvraw(), "14:03:11 ,Jane Roe,OK,  45.3,  149, 3\r\n");
    // A measured jump moves on when the frame is cleared, not at Record.
    EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "3");
    EXPECT_FALSE(b.model->commentVisible());
    b.model->Clear();
    EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "4");
    EXPECT_EQ(b.model->text(MeasureControl::Distance), "m");
    EXPECT_FALSE(b.model->impactLinesVisible());
}

TEST(MeasureModel, CurrentResultIsReplacedAndHistoryGrows)
{
    Bench b;
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    b.model->setText(MeasureControl::SkierName, "Roe, Jane"); // a new skier starts at jump 1
    EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "1");
    b.model->clickOutcome(Outcome::Pass);
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.kvresult(), "Pass, 0, 0,1\r\n");
    EXPECT_EQ(b.kvraw(), "14:03:11 ,Jane Roe,OK,  45.3,  149, 3\r\n14:03:11 ,Roe,Pass, 0, 0,1\r\n");
    EXPECT_EQ(b.results().size(), 2);
}

// Record pressed again on the same attempt (a double click, or a press after
// looking away): the scoring program gets it a second time only when the
// operator says so. A new attempt, after Clear, is not asked about.
TEST(MeasureModel, RecordingTheSameAttemptAgainIsAskedFirst)
{
    Bench b;
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    const QString again = "Jane Roe jump 3 is recorded already (45.3m, 149ft).\nRecord it again?";
    b.prompt.expectYesNo(again, false);
    EXPECT_FALSE(b.model->Record());
    EXPECT_EQ(b.results(), QStringList{kJaneRoeLine});
    EXPECT_EQ(b.kvraw(), "14:03:11 ,Jane Roe,OK,  45.3,  149, 3\r\n");
    // A correction, meant: written again.
    b.prompt.expectYesNo(again, true);
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.results(), QStringList({kJaneRoeLine, kJaneRoeLine}));
    b.model->Clear();
    b.clickExample();
    ASSERT_TRUE(b.model->Record()) << "jump 4 asks nothing";
    EXPECT_EQ(b.results().size(), 3);
}

// Every recorded result leaves its trace: the exported frame of a jump from
// review names its video and frame, a picture from elsewhere its file, and a
// fall recorded after Clear nothing it was not measured from.
TEST(MeasureModel, EveryRecordedResultTracesWhatItWasMeasuredFrom)
{
    Bench b;
    b.grids.gridFile[1] = b.dir.file("north.ipt");
    Jump jump;
    jump.video = b.dir.file("Jane Roejump3.avi");
    jump.skier = "Jane Roe";
    jump.attempt = "3";
    jump.chosenFrame = 61;
    b.model->takeJump(jump);
    b.model->newPicture("/prog/currentcapture.bmp");
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    const auto fromVideo = findTrace(b.shared.ResultsFile, kJaneRoeLine);
    ASSERT_TRUE(fromVideo.has_value());
    EXPECT_EQ(fromVideo->video, jump.video);
    EXPECT_EQ(fromVideo->frame, 61);
    EXPECT_EQ(fromVideo->picture, "") << "the exported frame is written again for the next jump";
    EXPECT_EQ(fromVideo->grid, 1);
    EXPECT_EQ(fromVideo->gridFile, b.dir.file("north.ipt"));
    EXPECT_EQ(fromVideo->impactTwips, QPoint(int(std::lround(test::kJaneRoeImpact.x)),
                                             int(std::lround(test::kJaneRoeImpact.y))));
    ASSERT_TRUE(fromVideo->perPixel.has_value());
    EXPECT_NEAR(*fromVideo->perPixel, b.model->impactWorth().value_or(PixelWorth{}).perPixel, 1e-4);

    // The next picture, loaded from a file: the jump's video is not its source.
    b.model->Clear();
    b.model->newPicture("/caps/Jane Roejump4.bmp");
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    const auto fromFile = findTrace(b.shared.ResultsFile, b.results().last());
    ASSERT_TRUE(fromFile.has_value());
    EXPECT_EQ(fromFile->video, "");
    EXPECT_EQ(fromFile->frame, std::nullopt);
    EXPECT_EQ(fromFile->picture, "/caps/Jane Roejump4.bmp");

    // Cleared, then a fall: measured from no picture, at no point.
    b.model->Clear();
    b.model->clickOutcome(Outcome::Fall);
    ASSERT_TRUE(b.model->Record());
    const auto fall = findTrace(b.shared.ResultsFile, b.results().last());
    ASSERT_TRUE(fall.has_value());
    EXPECT_EQ(fall->picture, "");
    EXPECT_EQ(fall->video, "");
    EXPECT_EQ(fall->impactTwips, std::nullopt);
    EXPECT_EQ(b.results().size(), 3) << "the results file holds only its own lines";
}

TEST(MeasureModel, NudgesAddUpFromTheLastDrawnPoint)
{
    Bench b;
    b.clickExample();
    for (auto d :
         {NudgeDirection::Left, NudgeDirection::Left, NudgeDirection::Left, NudgeDirection::Right})
        b.model->nudge(d);
    ASSERT_TRUE(b.model->impact());
    EXPECT_EQ(b.model->impact()->x, test::kJaneRoeImpact.x - 30);
    EXPECT_EQ(b.model->impactMark().vertical.from.x, test::kJaneRoeImpact.x - 30);
    ASSERT_TRUE(b.model->Record());
    EXPECT_TRUE(b.results().at(0).contains("( 4500/ 3120)"));
}

TEST(MeasureModel, FallAndPassLines)
{
    struct Case {
        const char* what;
        Outcome outcome;
        bool frozen;
        bool clicked;
        QString line;
        QByteArray exchange;
        QString jumpAfter;
    };
    const Case cases[] = {
        {"fall, not frozen: advances at once", Outcome::Fall, false, false,
         kStamp + "Jane Roe  jump 3 -   (IWSF)  (AWSA)Fall" + kZeros, "Fall, 0, 0,3\r\n", "4"},
        {"pass on a frozen frame: advances at Clear", Outcome::Pass, true, false,
         kStamp + "Jane Roe  jump 3 -   (IWSF)  (AWSA)Pass" + kZeros, "Pass, 0, 0,3\r\n", "3"},
        {"fall with a click on this frame keeps that point", Outcome::Fall, true, true,
         kStamp +
             "Jane Roe  jump 3 -   (IWSF)  (AWSA)Fall ( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)",
         "Fall, 0, 0,3\r\n", "3"},
    };
    for (const Case& c : cases) {
        Bench b;
        b.model->setFrozen(c.frozen);
        if (c.clicked)
            b.clickExample();
        b.model->clickOutcome(c.outcome);
        ASSERT_TRUE(b.model->Record()) << c.what;
        EXPECT_EQ(b.results(), QStringList{c.line}) << c.what;
        EXPECT_EQ(b.kvresult(), c.exchange) << c.what;
        EXPECT_EQ(b.model->text(MeasureControl::JumpNo), c.jumpAfter) << c.what;
        EXPECT_EQ(b.model->text(MeasureControl::Distance), "") << c.what;
        EXPECT_EQ(b.model->text(MeasureControl::Comment), "") << c.what;
        // Unselected only when the jump moved on.
        EXPECT_EQ(b.model->outcome().has_value(), c.frozen) << c.what;
    }
}

TEST(MeasureModel, FallForJumpSevenAfterAnEarlierJumpCarriesNoStalePoint)
{
    Bench b;
    b.model->setFrozen(true);
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    b.model->Clear();
    b.model->setText(MeasureControl::JumpNo, "7");
    b.model->clickOutcome(Outcome::Fall);
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.results().at(1), kStamp + "Jane Roe  jump 7 -   (IWSF)  (AWSA)Fall" + kZeros);
    EXPECT_EQ(b.kvresult(), "Fall, 0, 0,7\r\n");
}

TEST(MeasureModel, ExchangeOutcomeFromTheOptionAndTheExactComment)
{
    struct Case {
        const char* what;
        std::optional<Outcome> option;
        QString comment;
        QByteArray exchange;
    };
    const Case cases[] = {
        {"lower-case fall is a comment", Outcome::JumpOK, "fall", "OK,  45.3,  149, 3\r\n"},
        {"exact Fall typed", Outcome::JumpOK, "Fall", "Fall, 0, 0,3\r\n"},
        {"Fall chosen, comment edited", Outcome::Fall, "Fall - lost a ski", "Fall, 0, 0,3\r\n"},
    };
    for (const Case& c : cases) {
        Bench b;
        b.clickExample();
        if (c.option)
            b.model->clickOutcome(*c.option);
        b.model->setText(MeasureControl::Comment, c.comment);
        ASSERT_TRUE(b.model->Record()) << c.what;
        EXPECT_EQ(b.kvresult(), c.exchange) << c.what;
        EXPECT_TRUE(b.results().at(0).contains(c.comment)) << c.what;
    }
}

TEST(MeasureModel, VerifyModeMarksTheResultAndStillExchanges)
{
    Bench b;
    EXPECT_EQ(b.model->verifyCaption(), "Verify");
    b.model->toggleVerify();
    EXPECT_EQ(b.model->verifyCaption(), "Verify off");
    EXPECT_TRUE(b.model->readoutsVisible());
    b.clickExample();
    b.model->setText(MeasureControl::Comment, "check");
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.results().at(0),
              kStamp +
                  "Jane Roe  jump 3 -  45.3m  (IWSF) 149ft  (AWSA) UNOFFICIAL JUMP - verify mode "
                  "check ( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)");
    EXPECT_EQ(b.kvresult(), "OK,  45.3,  149, 3\r\n");
}

TEST(MeasureModel, BarefootJumpLine)
{
    Bench b;
    b.shared.BarefootMode = true;
    EXPECT_EQ(b.model->text(MeasureControl::BarefootIndicator), "Barefoot Jump");
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    // 43.1734 m with no offset: 141.6 ft to the tenth.
    EXPECT_EQ(b.results().at(0), kStamp +
                                     "Jane Roe  jump 3 -  43.2m  (IWSF) 141.6ft  (AWSA) BAREFOOT  "
                                     "( 12.345/-6.789) ( 4530/ 3120) ( 43.1734)");
    EXPECT_EQ(b.kvresult(), "OK,  43.2,  141.6, 3\r\n");
}

TEST(OtherGrid, MetreAndFootCrossCheck)
{
    struct Case {
        const char* what;
        QString feet;
        bool accepted;
    };
    // 40 m is 131.232 ft; 2 ft either way passes.
    const Case cases[] = {{"131", "131", true}, {"129.3", "129.3", true}, {"134", "134", false}};
    for (const Case& c : cases) {
        Bench b;
        b.model->clickOutcome(Outcome::OtherGrid);
        b.prompt.expectYesNo(kQuestion, true, QString("Message"))
            .expectInput(kMetres, QString("40"), QString("Other Grid Measurement"))
            .expectInput(kFeet, c.feet, QString("Other Grid Measurement"));
        if (!c.accepted)
            b.prompt.expectMessage(kMismatch).expectYesNo(kQuestion, false);
        ASSERT_TRUE(b.model->Record()) << c.what;
        if (c.accepted) {
            EXPECT_EQ(b.results().at(0), kStamp + "Jane Roe  jump 3 - 40m  (IWSF) " + c.feet +
                                             "ft  (AWSA)Distance from other grid")
                << c.what;
            EXPECT_EQ(b.kvresult(), "OK, 40,  " + c.feet.toLatin1() + ", 3\r\n") << c.what;
        } else {
            EXPECT_EQ(b.results().at(0),
                      kStamp +
                          "Jane Roe  jump 3 -   (IWSF)  (AWSA)Other Grid - no distance recorded")
                << c.what;
            EXPECT_EQ(b.kvresult(), "OK, , , 3\r\n") << c.what;
        }
        // Not frozen: the jump moves on at once and the option is released.
        EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "4") << c.what;
        EXPECT_FALSE(b.model->outcome().has_value()) << c.what;
    }
}

TEST(OtherGrid, DistancesMustBePlainNumbers)
{
    // "40,5" would split into two fields of the scoring program's line.
    Bench b;
    b.model->clickOutcome(Outcome::OtherGrid);
    b.prompt.expectYesNo(kQuestion, true)
        .expectInput(kMetres, QString("40,5"))
        .expectInput(kFeet, QString("132"))
        .expectMessage("Please enter each distance as a plain number, for example 40.5 and 132.9")
        .expectYesNo(kQuestion, true)
        .expectInput(kMetres, QString("40.5"))
        .expectInput(kFeet, QString("132.9"));
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.kvresult(), "OK, 40.5,  132.9, 3\r\n");
    EXPECT_EQ(b.model->text(MeasureControl::Distance), "40.5m");
    EXPECT_EQ(b.model->text(MeasureControl::DistanceFt), " 132.9ft");
}

TEST(OtherGrid, AUnitTypedAfterTheNumberIsLeftOut)
{
    const struct {
        const char* metres;
        const char* feet;
        const char* exchange;
    } cases[] = {
        {"40m", "131ft", "OK, 40,  131, 3\r\n"},
        {" 40.5 m ", "132.9 FT", "OK, 40.5,  132.9, 3\r\n"},
        {"40", "131", "OK, 40,  131, 3\r\n"},
    };
    for (const auto& c : cases) {
        Bench b;
        b.model->clickOutcome(Outcome::OtherGrid);
        b.prompt.expectYesNo(kQuestion, true)
            .expectInput(kMetres, QString(c.metres))
            .expectInput(kFeet, QString(c.feet));
        ASSERT_TRUE(b.model->Record()) << c.metres;
        EXPECT_EQ(b.kvresult(), c.exchange) << c.metres;
    }
    // Letters before the number, or a second number, are still not a distance.
    for (const char* typed : {"m40", "40 5", "40m5", "forty"}) {
        Bench b;
        b.model->clickOutcome(Outcome::OtherGrid);
        b.prompt.expectYesNo(kQuestion, true)
            .expectInput(kMetres, QString(typed))
            .expectInput(kFeet, QString("131"))
            .expectMessage("Please enter each distance as a plain number, for example 40.5 and "
                           "132.9")
            .expectYesNo(kQuestion, false);
        ASSERT_TRUE(b.model->Record()) << typed;
        EXPECT_EQ(b.kvresult(), "OK, , , 3\r\n") << typed;
    }
}

TEST(OtherGrid, CancelRecordsNothing)
{
    Bench b;
    b.model->clickOutcome(Outcome::OtherGrid);
    b.prompt.expectYesNo(kQuestion, true)
        .expectInput(kMetres, QString("40"))
        .expectInput(kFeet, std::nullopt);
    EXPECT_FALSE(b.model->Record());
    EXPECT_FALSE(QFile::exists(b.shared.ResultsFile));
    EXPECT_FALSE(QFile::exists(b.kvio + "/kvresult.dst"));
    EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "3");
    EXPECT_EQ(b.model->outcome(), Outcome::OtherGrid);
}

TEST(RecordRefused, NoImpactOrOffTheWater)
{
    Bench b;
    b.prompt.expectMessage("There is no impact point on this picture. Click the skier's impact "
                           "point, then record the jump.");
    EXPECT_FALSE(b.model->Record());

    // A grid whose horizon runs through the picture at y = -4096.
    ActiveGrid g = test::janeRoeGrid();
    g.c[5] = 1.0 / 4096;
    test::storeGrid(b.grids, 2, g);
    b.shared.GridCount = 2;
    b.model->Set_grid();
    ASSERT_EQ(b.model->setGridCaption(), "&Grid 2");
    b.model->mouseMove(4530, 3120);
    const QString before = b.model->text(MeasureControl::VerifyDistance);
    ASSERT_FALSE(before.isEmpty());
    b.model->mouseMove(100, -4096);
    b.model->mouseMove(100, -6000);
    EXPECT_EQ(b.model->text(MeasureControl::VerifyDistance), before);
    EXPECT_EQ(b.model->text(MeasureControl::XTwips), " 4530");

    b.model->clickPicture(100, -4096);
    EXPECT_FALSE(b.model->impactMark().splash);
    b.prompt.expectMessage(
        "The impact point lies on or beyond the horizon of this grid, so it has no distance "
        "on the water. Click the impact point again, then record the jump.");
    EXPECT_FALSE(b.model->Record());
    EXPECT_FALSE(QFile::exists(b.shared.ResultsFile));
    EXPECT_FALSE(QFile::exists(b.kvio + "/kvresult.dst"));
    EXPECT_EQ(b.model->text(MeasureControl::Distance), "m");
    EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "3");
}

TEST(RecordRefused, ClearedFrameHasNoImpact)
{
    Bench b;
    b.clickExample();
    b.model->Clear();
    b.prompt.expectMessage("There is no impact point on this picture. Click the skier's impact "
                           "point, then record the jump.");
    EXPECT_FALSE(b.model->Record());
}

TEST(RecordFailure, UnwritableResultsFileKeepsEverythingForAnotherTry)
{
    for (const Outcome outcome : {Outcome::JumpOK, Outcome::Fall}) {
        Bench b;
        b.shared.ResultsFile = b.dir.file("gone/JumpMeasurementResults120726.txt");
        b.clickExample();
        b.model->clickOutcome(outcome);
        const QString reason = appendLines(b.shared.ResultsFile, {"probe"}).error;
        ASSERT_FALSE(reason.isEmpty());
        b.prompt.expectMessage("The results file could not be written:\n" + b.shared.ResultsFile +
                                   "\n" + reason +
                                   "\nThe jump was not recorded; press Record Jump again once the "
                                   "file can be written.",
                               QString("Error Message"), Icon::Exclamation);
        EXPECT_FALSE(b.model->Record());
        EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "3");
        EXPECT_EQ(b.model->outcome(), outcome);
        EXPECT_FALSE(QFile::exists(b.kvio + "/kvresult.dst"));
        if (outcome == Outcome::JumpOK) {
            EXPECT_EQ(b.model->text(MeasureControl::Distance), " 45.3m");
        }

        // The folder comes back: the same Record goes through.
        QDir().mkpath(b.dir.file("gone"));
        ASSERT_TRUE(b.model->Record());
        EXPECT_EQ(b.results().size(), 1);
    }
}

TEST(RecordFailure, MissingExchangeFolderIsReportedAndTheJumpStillAdvances)
{
    Bench b;
    QDir(b.kvio).removeRecursively();
    const QString reason = writeLines(b.kvio + "/kvresult.dst", {"probe"}).error;
    b.prompt.expectMessage("Error while writing WSTIMS result: " + reason + " (" + b.kvio +
                           "/kvresult.dst)");
    b.model->clickOutcome(Outcome::Fall);
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.results().size(), 1);
    EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "4");
}

TEST(RecordFailure, ExchangeOffWritesNoExchangeFiles)
{
    Bench b;
    b.shared.WstimsState = WstimsLink::Off;
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    EXPECT_FALSE(QFile::exists(b.kvio + "/kvresult.dst"));
    EXPECT_FALSE(QFile::exists(b.kvio + "/kvraw.dst"));
}

TEST(MeasureModel, RecordAndClearUseUpExchangePictures)
{
    for (const bool viaClear : {false, true}) {
        Bench b;
        // The exchange folder doubles as the picture folder: only the
        // exchange picture goes.
        for (const char* name :
             {"/snapshot.bmp", "/Ann Leejump1.bmp", "/other.BMP", "/clipflag.txt"}) {
            QFile f(b.kvio + name);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        if (viaClear) {
            b.model->Clear();
        } else {
            b.clickExample();
            ASSERT_TRUE(b.model->Record());
        }
        EXPECT_FALSE(QFile::exists(b.kvio + "/snapshot.bmp"));
        EXPECT_TRUE(QFile::exists(b.kvio + "/Ann Leejump1.bmp"));
        EXPECT_TRUE(QFile::exists(b.kvio + "/other.BMP"));
        EXPECT_TRUE(QFile::exists(b.kvio + "/clipflag.txt"));
    }
}

TEST(Rerides, LinesWrittenAtOnce)
{
    struct Case {
        Outcome option;
        bool frozen;
        QString line;
        bool staysSelected;
        bool clearsDistance;
    };
    const Case cases[] = {
        {Outcome::MandatoryReride, false, kStamp + "Mandatory Reride - disregard last jump", false,
         true},
        {Outcome::MandatoryReride, true, kStamp + "Mandatory Reride - disregard last jump", true,
         true},
        {Outcome::OptionalReride, false, kStamp + "Optional Reride on previous jump", false, false},
        {Outcome::OptionalReride, true, kStamp + "Optional Reride on previous jump", true, false},
    };
    for (const Case& c : cases) {
        Bench b;
        b.model->setFrozen(c.frozen);
        b.clickExample();
        ASSERT_TRUE(b.model->Record());
        b.model->clickOutcome(c.option);
        EXPECT_EQ(b.results().at(1), c.line);
        EXPECT_EQ(b.model->outcome().has_value(), c.staysSelected);
        EXPECT_EQ(b.model->text(MeasureControl::Comment), "");
        EXPECT_EQ(b.model->text(MeasureControl::Distance).isEmpty(), c.clearsDistance);
        EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "3");
    }
}

TEST(Rerides, CommentAskedAndWritten)
{
    Bench b;
    b.prompt
        .expectInput("What comment would you like to add?", QString("Wind gusting"),
                     QString("Input Comment"))
        .expectInput("What comment would you like to add?", std::nullopt);
    b.model->clickOutcome(Outcome::Comment);
    b.model->clickOutcome(Outcome::Comment); // cancelled: nothing written
    EXPECT_EQ(b.results(), QStringList{kStamp + "Wind gusting"});
    EXPECT_FALSE(b.model->outcome().has_value());
}

TEST(Rerides, UnwritableResultsFileLeavesTheCommentShowing)
{
    Bench b;
    b.shared.ResultsFile = b.dir.file("gone/results.txt");
    const QString reason = appendLines(b.shared.ResultsFile, {"probe"}).error;
    b.prompt.expectMessage("The results file could not be written:\n" + b.shared.ResultsFile +
                           "\n" + reason);
    b.model->clickOutcome(Outcome::OptionalReride);
    EXPECT_EQ(b.model->text(MeasureControl::Comment), "Optional Reride on previous jump");
    EXPECT_EQ(b.model->outcome(), Outcome::OptionalReride);
}

TEST(MeasureModel, GridButtonCyclesThroughConfiguredGrids)
{
    struct Case {
        int grids;
        QStringList captions;
    };
    const Case cases[] = {{2, {"&Grid 2", "&Grid 1", "&Grid 2"}},
                          {3, {"&Grid 2", "&Grid 3", "&Grid 1"}}};
    for (const Case& c : cases) {
        Bench b;
        b.shared.GridCount = c.grids;
        EXPECT_TRUE(b.model->setGridVisible());
        ActiveGrid second = test::flatGrid();
        second.description = "Grid two";
        test::storeGrid(b.grids, 2, second);
        QStringList seen;
        for (int k = 0; k < 3; ++k) {
            b.model->Set_grid();
            seen << b.model->setGridCaption();
            EXPECT_EQ(b.shared.CurrentGrid, b.model->activeGrid().number);
        }
        EXPECT_EQ(seen, c.captions);
    }
    Bench one;
    EXPECT_FALSE(one.model->setGridVisible());
}

TEST(MeasureModel, CrossSizeStaysOnItsSteps)
{
    Bench b;
    EXPECT_EQ(b.model->crossSize(), 100);
    b.model->setCrossSize(500);
    EXPECT_EQ(b.model->crossSize(), 120);
    b.model->setCrossSize(0);
    EXPECT_EQ(b.model->crossSize(), 15);
    b.clickExample();
    b.model->setCrossSize(45);
    b.model->redrawImpact();
    EXPECT_EQ(b.model->impactMark().horizontal.to.x, test::kJaneRoeImpact.x - 45);
}

TEST(Pictures, SavedPictureLinesSideFileAndLog)
{
    Bench b;
    b.model->setFrozen(true);
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    const QString path = b.model->picturePath();
    EXPECT_EQ(path, b.dir.file("caps/Jane Roejump3.bmp"));
    QDir().mkpath(b.dir.file("caps"));
    ASSERT_TRUE(b.model->pictureSaved(path));
    EXPECT_EQ(b.results().at(1), kStamp + "Saved picture: " + path);
    // The skier and the jump the result was recorded under.
    EXPECT_EQ(test::readAll(path + ".info"), (path + ", Jane Roe, 3\r\n").toLatin1());
    const QStringList log = *readLines(b.dir.file("JumpMeasurementLog120726.txt"));
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].startsWith("12-07-2026    14:03:11      Skier: Jane Roe"));
    EXPECT_TRUE(log[0].contains("Jump:  3 "));
    EXPECT_TRUE(log[0].contains("Distance:  45.3m"));
    EXPECT_TRUE(log[0].endsWith("File: " + path));

    ASSERT_TRUE(b.model->pictureLoaded(path));
    EXPECT_EQ(b.results().at(2), kStamp + "Loaded picture: " + path);
}

TEST(Pictures, ATypedNameIsWrittenAsThePictureIsNamed)
{
    Bench b;
    b.prompt.expectMessage("The skier's name is kept as \"Lukasz Dvorák\": the results, the log "
                           "and the scoring program's files hold only the letters of the Windows "
                           "code page 1252 (\"Ł\" becomes \"L\", \"ř\" becomes \"r\").",
                           "Input Error");
    b.model->setText(MeasureControl::SkierName, QStringLiteral("Łukasz Dvořák"));
    EXPECT_TRUE(b.prompt.done());
    EXPECT_EQ(b.model->text(MeasureControl::SkierName), QStringLiteral("Lukasz Dvorák"));
    b.model->setText(MeasureControl::JumpNo, "2");
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    const QString path = b.model->picturePath();
    EXPECT_EQ(path, b.dir.file(QStringLiteral("caps/Lukasz Dvorákjump2.bmp")));
    QDir().mkpath(b.dir.file("caps"));
    ASSERT_TRUE(b.model->pictureSaved(path));
    // Every line names the file that is on disk, byte for byte.
    const QByteArray name = "Lukasz Dvor\xE1k";
    EXPECT_TRUE(test::readAll(b.shared.ResultsFile).contains(name + "  jump 2"));
    EXPECT_TRUE(b.kvraw().contains("," + name + ",OK,"));
    const QByteArray log = test::readAll(b.dir.file("JumpMeasurementLog120726.txt"));
    EXPECT_TRUE(log.contains("Skier: " + name)) << log.toStdString();
    EXPECT_TRUE(log.contains(toSingleByte(path)));
    EXPECT_FALSE(log.contains('?'));
}

TEST(Pictures, UnwritableLogAndSideFileAreNamed)
{
    Bench b;
    b.shared.VideoDir = b.dir.file("novideo");
    const QString path = b.dir.file("nocaps/Jane Roejump3.bmp");
    const QString log = b.dir.file("novideo/JumpMeasurementLog120726.txt");
    const QString infoReason = writeLines(path + ".info", {"probe"}).error;
    const QString logReason = appendLines(log, {"probe"}).error;
    b.prompt
        .expectMessage("The picture information file could not be written:\n" + path + ".info\n" +
                           infoReason,
                       QString("Error Message"))
        .expectMessage("The measurement log could not be written:\n" + log + "\n" + logReason);
    EXPECT_FALSE(b.model->pictureSaved(path));
    // The results line does not depend on the other two.
    EXPECT_EQ(b.results().size(), 1);
}

TEST(MeasureModel, AFrameFromReviewIsRecordedUnderItsJumpsSkierAndAttempt)
{
    Bench b;
    // The previous jump's skier is still in the boxes.
    b.model->setText(MeasureControl::SkierName, "Old Skier");
    b.model->setText(MeasureControl::JumpNo, "7");
    Jump fixed;
    fixed.video = b.dir.file("Jane Roejump3.avi");
    fixed.skier = "Jane Roe";
    fixed.attempt = "3";
    b.model->takeJump(fixed);
    b.model->newPicture();
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    EXPECT_EQ(b.results(), QStringList{kJaneRoeLine});

    // A video named elsewhere with a letter the results cannot carry: the
    // name recorded is mended, and said, as a typed one is.
    Jump foreign;
    foreign.video = b.dir.file("Łucja Nowakjump2.avi");
    foreign.skier = "Łucja Nowak";
    foreign.attempt = "2";
    b.prompt.expectMessageMatching("The skier's name is kept as \"Lucja Nowak\".*");
    b.model->takeJump(foreign);
    EXPECT_EQ(b.model->text(MeasureControl::SkierName), "Lucja Nowak");
    b.model->newPicture();
    b.clickExample();
    ASSERT_TRUE(b.model->Record());
    EXPECT_TRUE(b.results().last().contains("Lucja Nowak  jump 2 - "))
        << b.results().last().toStdString();

    // A video whose name tells no skier: the boxes wait for the operator,
    // and nothing is recorded under the last skier's name.
    Jump unnamed;
    unnamed.video = b.dir.file("lake test.avi");
    b.model->takeJump(unnamed);
    b.model->newPicture();
    b.clickExample();
    EXPECT_EQ(b.model->text(MeasureControl::SkierName), "");
    b.prompt.expectMessage(
        "Type the skier's name in the skier name box first; the result needs the skier's name.");
    EXPECT_FALSE(b.model->Record());
    EXPECT_EQ(b.results().size(), 2);
}

TEST(RecordRefused, APictureOfAnotherSizeThanTheGridsNamesBothSizes)
{
    Bench b;
    b.grids.pictureSize[1] = QSize(640, 480);
    b.model->selectGrid(1);
    b.model->newPicture();
    b.model->setPictureSize(QSize(1280, 720));
    b.clickExample();
    const QString refusal =
        "This picture is 1280 x 720 pixels, but grid 1 was set up on pictures of 640 x 480 "
        "pixels: its buoys are not where the grid has them, and a distance measured here would be "
        "wrong. Measure a picture of 640 x 480 from this grid's camera, choose the grid of this "
        "camera, or set up a grid on pictures of this size.";
    EXPECT_EQ(b.model->pictureSizeRefusal(), refusal);
    b.prompt.expectMessage(refusal);
    EXPECT_FALSE(b.model->Record());
    EXPECT_FALSE(QFile::exists(b.shared.ResultsFile));
    EXPECT_EQ(b.model->text(MeasureControl::JumpNo), "3");

    // A fall needs no distance, so no size; the grid's own size measures.
    b.model->clickOutcome(Outcome::Fall);
    EXPECT_TRUE(b.model->Record());
    b.model->setPictureSize(QSize(640, 480));
    b.model->setText(MeasureControl::JumpNo, "4");
    b.clickExample();
    EXPECT_TRUE(b.model->Record());
    // A grid from a file that does not say its size measures every picture.
    b.grids.pictureSize[1] = QSize();
    b.model->selectGrid(1);
    b.model->setPictureSize(QSize(1280, 720));
    EXPECT_EQ(b.model->pictureSizeRefusal(), std::nullopt);
}
