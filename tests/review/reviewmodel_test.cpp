// The review screen's rules without its widgets: the player's requests and
// damaged frames, and the skier-name fix after a recording whose name had to
// change. The screen's own tests operate everything else through its controls.

#include "review/heldkey.h"
#include "review/reviewmodel.h"
#include "shell/sharedstate.h"
#include "tests/media/testvideos.h"
#include "tests/support/handovers.h"
#include "tests/support/workplace.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::RawAvi;

namespace
{

struct Capture : CaptureFields {
    bool notice = true;
    QString name = "SmithX";
    QString passText = "2";
    bool nameChangeNoticeShown() const override { return notice; }
    void hideNameChangeNotice() override { notice = false; }
    QString skierName() const override { return name; }
    void setSkierName(const QString& n) override { name = n; }
    QString pass() const override { return passText; }
    void setPass(const QString& p) override { passText = p; }
};

struct Review : test::Workplace {
    PlayerEngine player;
    Capture capture;
    test::ReviewHandOvers screens;
    ReviewModel model{
        shared, *settings,
        prompt, screens,
        player, [](const QString&) { return std::optional<std::int64_t>(5'000'000'000); }};
    Review()
    {
        shared.VideoDir = dir.path();
        shared.LogFileName = "log.txt";
        model.setCaptureFields(&capture);
    }
    void arriveFromCapture(const QString& video)
    {
        model.setText6(video);
        shared.LastScreen = ScreenTag::Capture;
        model.Arrive();
    }
};

const QString kFixName = "The skier's name was changed to prevent overwriting an existing file. "
                         "You can change the skier's name here if you want. Just modify it in the "
                         "input box to what it should be. ";
const QString kTaken =
    "I am sorry, there is an existing file using that name and jump.  Please try again ";

} // namespace

TEST(ReviewPlayer, TheNewestPositionWinsAndIsTheFrameOnShow)
{
    test::TestDir t;
    PlayerEngine player;
    ASSERT_TRUE(player.load(test::writeSolidClip(t.file("a.avi"), 20)));
    for (double p : {3.0, 4.0, 5.0, 12.5, 13.5})
        player.setPosition(p);
    EXPECT_TRUE(player.work());
    EXPECT_EQ(player.shown().frame, 14);
    ASSERT_TRUE(player.shown().picture);
    EXPECT_EQ(RawAvi::solidFrameNumber(*player.shown().picture), 14);
    EXPECT_EQ(player.superseded(), 5) << "frame 0 of the load and four positions never decoded";
    // Positions stay within the video.
    player.setPosition(99);
    EXPECT_EQ(player.positionFrame(), 19);
    player.setPosition(-4);
    EXPECT_EQ(player.positionFrame(), 0);
    // With nothing asked for, work decodes ahead until it has nothing left.
    int slices = 0;
    while (player.work() && slices < 1000)
        ++slices;
    EXPECT_LT(slices, 1000);
    EXPECT_FALSE(player.waiting());
}

TEST(ReviewPlayer, ADamagedFrameShowsItsReasonNotAnotherPicture)
{
    test::TestDir t;
    PlayerEngine player;
    ASSERT_TRUE(player.load(test::writeSolidClip(t.file("damaged.avi"), 10, 5)));
    for (int n : {4, 5, 6}) {
        player.setPosition(n);
        player.work();
        EXPECT_EQ(player.shown().frame, n);
        EXPECT_EQ(player.shown().damaged, n == 5) << n;
        if (n == 5) {
            EXPECT_FALSE(player.shown().picture);
            EXPECT_FALSE(player.shown().problem.isEmpty());
        } else {
            ASSERT_TRUE(player.shown().picture);
            EXPECT_EQ(RawAvi::solidFrameNumber(*player.shown().picture), n);
        }
    }
    // A file that is no video leaves the player empty, with the reason.
    QFile text(t.file("notes.avi"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no video here");
    text.close();
    EXPECT_FALSE(player.load(t.file("notes.avi")));
    EXPECT_FALSE(player.loaded());
    EXPECT_FALSE(player.shown().picture);
    EXPECT_FALSE(player.shown().problem.isEmpty());
}

TEST(ReviewSkierName, TheFixRenamesTheRecordingOrSaysWhyNot)
{
    enum Outcome { Renamed, Kept, Refused };
    const struct {
        const char* what;
        QStringList answers; // input box answers in turn; "<cancel>" cancels
        QStringList existing;
        bool folderInTheWay;  // a folder of the new name: no file, yet no rename
        const char* expected; // Text6 file name afterwards
        Outcome outcome;
    } cases[] = {
        {"a new name", {"Jones"}, {}, false, "Jonesjump1.avi", Renamed},
        {"the name as it was", {"SmithX"}, {}, false, "SmithXjump1.avi", Kept},
        {"empty, then a name", {"", "Jones"}, {}, false, "Jonesjump1.avi", Renamed},
        {"a name in use, then another with the next pass",
         {"Smith", "Jones"},
         {"Smithjump1.avi"},
         false,
         "Jonesjump2.avi",
         Renamed},
        {"a name in use, then cancelled",
         {"Smith", "<cancel>", "<cancel>"},
         {"Smithjump1.avi"},
         false,
         "SmithXjump1.avi",
         Kept},
        {"a folder name in the answer", {"../Jones"}, {}, false, " . Jonesjump1.avi", Renamed},
        {"a folder in the way of the rename", {"Jones"}, {}, true, "SmithXjump1.avi", Refused},
    };
    for (const auto& c : cases) {
        Review r;
        const QString video = test::writeSolidClip(r.dir.file("SmithXjump1.avi"), 4);
        for (const QString& e : c.existing)
            test::writeSolidClip(r.dir.file(e), 2);
        QString question = kFixName;
        for (const QString& a : c.answers) {
            r.prompt.expectInput(question, a == "<cancel>" ? std::nullopt : std::optional(a),
                                 QStringLiteral("Fix the skier's name"));
            question = a.isEmpty() || a == "<cancel>"
                           ? QStringLiteral("You must input a name. Please try again ")
                           : kTaken;
        }
        if (c.outcome == Refused)
            r.prompt.expectMessage("The video could not be renamed to:\r\n" +
                                       r.dir.file("Jonesjump1.avi") + "\r\nIt keeps its name:\r\n" +
                                       video + "\r\nDestination file exists",
                                   QStringLiteral("Fix the skier's name"), Icon::Exclamation);
        if (QString(c.what).contains("cancelled"))
            r.prompt.expectMessage("The video keeps its name:\r\n" + video);
        if (c.folderInTheWay)
            QDir(r.dir.path()).mkdir("Jonesjump1.avi");
        r.arriveFromCapture(video);
        const QString expected = r.dir.file(c.expected);
        EXPECT_EQ(r.model.view().Text6, expected) << c.what;
        EXPECT_TRUE(QFile::exists(expected)) << c.what << ": Text6 names the file on the disk";
        EXPECT_EQ(QFile::exists(video), c.outcome != Renamed) << c.what;
        EXPECT_EQ(r.player.file(), expected) << c.what << ": the player shows that file";
        EXPECT_FALSE(r.capture.notice);
        EXPECT_TRUE(r.prompt.done()) << c.what;
    }
}

TEST(ReviewHeldKey, TenStepsASecondHoweverLateThePolls)
{
    const struct {
        const char* what;
        std::vector<std::pair<int, bool>> polls; // time (ms), right arrow reported
        int steps;
    } cases[] = {
        {"polls on time", {{0, true}, {100, true}, {200, true}, {300, true}}, 4},
        {"a poll 250 ms late", {{0, true}, {350, true}}, 5},
        {"a tap, a pause, a tap", {{0, true}, {100, false}, {900, true}}, 2},
        {"a stall of two seconds", {{0, true}, {2000, true}}, 6},
        {"polls closer than 100 ms", {{0, true}, {10, true}, {20, true}}, 3},
    };
    for (const auto& c : cases) {
        HeldKeySteps held;
        int steps = 0;
        for (const auto& [at, right] : c.polls) {
            if (right)
                steps += held.steps(2, at);
            held.endPoll();
        }
        EXPECT_EQ(steps, c.steps) << c.what;
    }
}
