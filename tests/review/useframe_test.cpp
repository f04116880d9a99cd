#include "review/reviewfiles.h"
#include "review/useframe.h"
#include "shell/sharedstate.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;

namespace
{

const QString kGridsNotReady =
    QStringLiteral("One or more grids are not configured.  You may not use the "
                   "Measure Screen until all listed grids are configured");

struct Exports {
    bool succeed = true;
    std::vector<std::pair<QString, std::int32_t>> calls;
    FrameExporter fn()
    {
        return [this](const QString& v, std::int32_t n) {
            calls.emplace_back(v, n);
            return succeed;
        };
    }
};

} // namespace

TEST(UseDisplayedFrame, PositionsRoundHalvesToEven)
{
    const struct {
        double position;
        std::int32_t frame;
    } cases[] = {{12.5, 12}, {13.5, 14}, {12.49, 12},     {0.5, 0},
                 {1.5, 2},   {-3, 0},    {40000.2, 40000}};
    for (const auto& c : cases)
        EXPECT_EQ(frameAtPosition(c.position), c.frame) << c.position;
}

TEST(UseDisplayedFrame, KeepingPolicyForACapturedVideo)
{
    const struct {
        const char* policy;
        std::optional<bool> answer; // the Yes/No question, when asked
        bool kept;
        bool recorded;
    } cases[] = {
        {"NoSave", std::nullopt, false, false},
        {"Ask", true, true, true},
        {"Ask", false, false, false},
        {"Save", std::nullopt, true, true},
    };
    for (const auto& c : cases) {
        test::TestDir t;
        SharedState state;
        state.VideoDir = t.path();
        state.LogFileName = "log.txt";
        state.VideoSavePolicy = parseName<SavePolicy>(QString::fromLatin1(c.policy)).value();
        state.GridsReady = 1;
        ReviewSession session;
        session.videoPath = t.file("Smithjump3.avi");
        session.videoFromCapture = true;
        QFile(session.videoPath).open(QIODevice::WriteOnly);
        ScriptedPrompt prompt;
        if (c.answer)
            prompt.expectYesNo("Do you want to save this video capture?", *c.answer, kProgramTitle);
        Exports exports;
        EXPECT_EQ(UseDisplayedFrame(session, state, 41.5, false, prompt, exports.fn()),
                  NextScreen::Measure);
        EXPECT_EQ(QFile::exists(session.videoPath), c.kept) << c.policy;
        EXPECT_EQ(QFile::exists(t.file("log.txt")), c.recorded) << c.policy;
        if (c.recorded) {
            EXPECT_EQ(ReadInfoFile(session.videoPath)->frame, 42);
        }
        EXPECT_FALSE(session.videoFromCapture);
        EXPECT_EQ(state.LastScreen, ScreenTag::SelectFrame);
        EXPECT_EQ(session.CurrentVideoFile, session.videoPath);
        EXPECT_EQ(session.SelectedFrame, 42);
        ASSERT_EQ(exports.calls.size(), 1u);
        EXPECT_EQ(exports.calls[0].second, 42);
    }
}

TEST(UseDisplayedFrame, AVideoOpenedLaterIsNeverDeleted)
{
    test::TestDir t;
    SharedState state;
    state.VideoSavePolicy = SavePolicy::NoSave;
    state.GridsReady = 1;
    ReviewSession session;
    session.videoPath = t.file("Smithjump3.avi");
    QFile(session.videoPath).open(QIODevice::WriteOnly);
    ScriptedPrompt prompt;
    Exports exports;
    UseDisplayedFrame(session, state, 3, false, prompt, exports.fn());
    EXPECT_TRUE(QFile::exists(session.videoPath));
}

TEST(UseDisplayedFrame, WhereItGoesNext)
{
    const struct {
        int gridsReady;
        bool forSetup;
        NextScreen next;
        bool warned;
    } cases[] = {
        {1, false, NextScreen::Measure, false},
        {1, true, NextScreen::GridSetup, false},
        {0, true, NextScreen::GridSetup, false},
        {0, false, NextScreen::GridSetup, true},
    };
    for (const auto& c : cases) {
        SharedState state;
        state.GridsReady = c.gridsReady;
        ReviewSession session;
        session.videoPath = "/data/a.avi";
        ScriptedPrompt prompt;
        if (c.warned)
            prompt.expectMessage(kGridsNotReady, kProgramTitle, Icon::Exclamation);
        Exports exports;
        EXPECT_EQ(UseDisplayedFrame(session, state, 7, c.forSetup, prompt, exports.fn()), c.next);
    }
}

TEST(UseDisplayedFrame, AFailedExportKeepsTheVideoAndTheOperatorOnReview)
{
    test::TestDir t;
    SharedState state;
    state.VideoDir = t.path();
    state.LogFileName = "log.txt";
    state.VideoSavePolicy = SavePolicy::NoSave;
    state.GridsReady = 1;
    state.LastScreen = ScreenTag::Capture;
    ReviewSession session;
    session.videoPath = t.file("Smithjump3.avi");
    session.videoFromCapture = true;
    QFile(session.videoPath).open(QIODevice::WriteOnly);
    ScriptedPrompt prompt; // the exporter has told the operator already
    Exports exports;
    exports.succeed = false;
    EXPECT_EQ(UseDisplayedFrame(session, state, 9, false, prompt, exports.fn()), NextScreen::Stay);
    EXPECT_TRUE(QFile::exists(session.videoPath));
    EXPECT_TRUE(session.videoFromCapture) << "still subject to the policy on the next try";
    EXPECT_EQ(state.LastScreen, ScreenTag::Capture);
}
