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
    // One step of the dialogue: the question asked (F the first, T the name
    // taken, E the empty answer's, R the first again after a refused name)
    // and the answer typed; "<cancel>" cancels.
    const QString kEmpty = "You must input a name. Please try again ";
    const QString kSlash = "Sorry, you cannot use the \"/\" character in this box";
    const struct {
        const char* what;
        QList<std::pair<char, QString>> steps;
        QStringList existing;
        bool folderInTheWay;  // a folder of the new name: no file, yet no rename
        const char* expected; // Text6 file name afterwards
        Outcome outcome;
        const char* skier; // the jump's skier and attempt afterwards
        const char* attempt;
    } cases[] = {
        {"a new name", {{'F', "Jones"}}, {}, false, "Jonesjump1.avi", Renamed, "Jones", "1"},
        {"the name as it was",
         {{'F', "SmithX"}},
         {},
         false,
         "SmithXjump1.avi",
         Kept,
         "SmithX",
         "1"},
        {"empty, then a name",
         {{'F', ""}, {'E', "Jones"}},
         {},
         false,
         "Jonesjump1.avi",
         Renamed,
         "Jones",
         "1"},
        {"a name in use, then another with the next pass",
         {{'F', "Smith"}, {'T', "Jones"}},
         {"Smithjump1.avi"},
         false,
         "Jonesjump2.avi",
         Renamed,
         "Jones",
         "2"},
        {"cancelled at once",
         {{'F', "<cancel>"}},
         {},
         false,
         "SmithXjump1.avi",
         Kept,
         "SmithX",
         "1"},
        {"empty twice", {{'F', ""}, {'E', ""}}, {}, false, "SmithXjump1.avi", Kept, "SmithX", "1"},
        {"empty, then cancelled",
         {{'F', ""}, {'E', "<cancel>"}},
         {},
         false,
         "SmithXjump1.avi",
         Kept,
         "SmithX",
         "1"},
        {"a name in use, then cancelled",
         {{'F', "Smith"}, {'T', "<cancel>"}},
         {"Smithjump1.avi"},
         false,
         "SmithXjump1.avi",
         Kept,
         "SmithX",
         "1"},
        {"a folder name in the answer",
         {{'F', "../Jones"}},
         {},
         false,
         "  Jonesjump1.avi",
         Renamed,
         "  Jones",
         "1"},
        {"a name that is nothing but a path, then a name",
         {{'F', "../"}, {'R', "Jones"}},
         {},
         false,
         "Jonesjump1.avi",
         Renamed,
         "Jones",
         "1"},
        {"a folder in the way of the rename",
         {{'F', "Jones"}},
         {},
         true,
         "SmithXjump1.avi",
         Refused,
         "SmithX",
         "1"},
    };
    for (const auto& c : cases) {
        Review r;
        const QString video = test::writeSolidClip(r.dir.file("SmithXjump1.avi"), 4);
        for (const QString& e : c.existing)
            test::writeSolidClip(r.dir.file(e), 2);
        const QString title = QStringLiteral("Fix the skier's name");
        for (const auto& [asked, a] : c.steps) {
            const QString question = asked == 'T' ? kTaken : asked == 'E' ? kEmpty : kFixName;
            r.prompt.expectInput(question, a == "<cancel>" ? std::nullopt : std::optional(a),
                                 title);
            if (a.contains('/'))
                r.prompt.expectMessage(kSlash, QStringLiteral("Input Error"));
            if (a == "../")
                r.prompt.expectMessage(
                    "\"../\" cannot be a skier's name in a file name. Please type the skier's "
                    "name.",
                    title, Icon::Exclamation);
        }
        if (c.outcome == Refused)
            r.prompt.expectMessage("The video could not be renamed to:\r\n" +
                                       r.dir.file("Jonesjump1.avi") + "\r\nIt keeps its name:\r\n" +
                                       video + "\r\nDestination file exists",
                                   title, Icon::Exclamation);
        const bool keptUnasked =
            QString(c.what).contains("cancel") || QString(c.what) == "empty twice";
        if (keptUnasked)
            r.prompt.expectMessage("The video keeps its name:\r\n" + video, title,
                                   Icon::Information);
        if (c.folderInTheWay)
            QDir(r.dir.path()).mkdir("Jonesjump1.avi");
        r.arriveFromCapture(video);
        const QString expected = r.dir.file(c.expected);
        EXPECT_EQ(r.model.view().Text6, expected) << c.what;
        EXPECT_TRUE(QFile::exists(expected)) << c.what << ": Text6 names the file on the disk";
        EXPECT_EQ(QFile::exists(video), c.outcome != Renamed) << c.what;
        EXPECT_EQ(r.player.file(), expected) << c.what << ": the player shows that file";
        EXPECT_FALSE(r.capture.notice);
        // The capture screen keeps its name unless the video took a new one.
        EXPECT_EQ(r.capture.name, c.skier) << c.what;
        // The jump is measured under the name and attempt its video has.
        EXPECT_EQ(r.model.jump().video, expected) << c.what;
        EXPECT_EQ(r.model.jump().skier, c.skier) << c.what;
        EXPECT_EQ(r.model.jump().attempt, c.attempt) << c.what;
        EXPECT_TRUE(r.model.player().controlsEnabled()) << c.what;
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

TEST(ReviewOpening, AVideoOpenedByHandStartsWhereItWasMeasuredUnderItsOwnSkier)
{
    const QString kContact = "File already measured - contact frame is  12";
    const QString kStart = "File already measured - start frame is  12";
    const struct {
        const char* name;
        bool measuredBefore; // an .info side file with frame 12
        bool fromLog;        // else chosen with the file dialog
        std::int64_t position;
        const char* skier;
        const char* attempt;
    } cases[] = {
        {"Ann Leejump3.avi", true, true, 12, "Ann Lee", "3"},
        {"Ann Leejump3.avi", true, false, 12, "Ann Lee", "3"},
        {"Ann Leejump3.avi", false, true, 0, "Ann Lee", "3"},
        {"Ann Leejump3.avi", false, false, 0, "Ann Lee", "3"},
        // Not named by the recording rule: no skier the operator did not give.
        {"lake test.avi", true, true, 12, "", ""},
        {"lake test.avi", false, false, 0, "", ""},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.name) + (c.measuredBefore ? " measured" : "") +
                                 (c.fromLog ? " from the log" : " chosen");
        Review r;
        r.capture.notice = false;
        r.shared.GridsReady = 1;
        // A jump measured before: the player was held still for its export.
        const QString earlier = test::writeSolidClip(r.dir.file("Bo Kjump1.avi"), 20);
        r.model.setExporter([](const QString&, std::int32_t) { return true; });
        r.arriveFromCapture(earlier);
        r.shared.VideoSavePolicy = SavePolicy::Save;
        ASSERT_EQ(r.model.UseDisplayedFrame(false), NextScreen::Measure) << what;
        ASSERT_FALSE(r.model.player().controlsEnabled());

        const QString video = test::writeSolidClip(r.dir.file(c.name), 20);
        if (c.measuredBefore) {
            ASSERT_TRUE(WriteInfoFile(video, 12));
        }
        if (c.fromLog) {
            if (c.measuredBefore) {
                r.prompt.expectMessage(kContact, QStringLiteral("Start Already Measured Warning"));
            }
            r.model.setFileToView(video);
            r.shared.LastScreen = ScreenTag::View;
            r.model.Arrive();
        } else {
            r.prompt.expectOpenFile(video);
            if (c.measuredBefore) {
                r.prompt.expectMessage(kStart, QStringLiteral("Start Already Measured Warning"));
            }
            r.model.BrowseForVideo();
        }
        EXPECT_EQ(r.model.player().file(), video) << what;
        EXPECT_EQ(r.model.player().positionFrame(), c.position) << what;
        EXPECT_TRUE(r.model.player().controlsEnabled()) << what;
        r.model.StepForward();
        EXPECT_EQ(r.model.player().positionFrame(), c.position + 1) << what << ": steppable";
        EXPECT_EQ(r.model.jump().video, video) << what;
        EXPECT_EQ(r.model.jump().skier, c.skier) << what;
        EXPECT_EQ(r.model.jump().attempt, c.attempt) << what;
        EXPECT_EQ(r.model.jump().source, c.fromLog ? JumpSource::Log : JumpSource::Browse) << what;
        EXPECT_TRUE(r.prompt.done()) << what;
    }
}
