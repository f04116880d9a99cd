#include "viewers/logviewer.h"

#include "shell/sharedstate.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/support/handovers.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;

namespace
{

// A day's log as the program writes it: a start line, measured videos, saved
// pictures, and lines that only look like them.
const QString kVideo = QStringLiteral("C:\\Jumps\\Smithjump3.avi");
const QString kPicture = QStringLiteral("C:\\caps\\Jane Roejump3.bmp");
const QString kLinuxPicture = QStringLiteral("/lake/caps/Ann Lee jump12.bmp");
const QString kOddVideo = QStringLiteral("/lake/File x jump1.avi");

QStringList sampleLog()
{
    return {
        printZones({"12-07-2026", "09:00:01", "Korvel Measurement Session started  "}),
        printZones({"12-07-2026", "09:14:22", "Skier: Smith", "Jump: 3", "Contact Frame:  412",
                    "File: " + kVideo}),
        printZones({"12-07-2026", "09:15:40", "Skier: Jane Roe", "Jump: 3", "Distance:  45.3m",
                    "File: " + kPicture}),
        printZones({"12-07-2026", "09:16:02", "Skier: SMITH", "Jump: 4", "Contact Frame:  97",
                    "File: C:\\Jumps\\SMITHJUMP4.AVI"}),
        printZones({"12-07-2026", "09:20:13", "Skier: Ann Lee ", "Jump: 12", "Distance:  51m",
                    "File: " + kLinuxPicture}),
        // A skier who gave "File:" as a name: the path is still the line's last item.
        printZones({"12-07-2026", "09:22:40", "Skier: File: x", "Jump: 1", "Contact Frame:  60",
                    "File: " + kOddVideo}),
        QStringLiteral("a line naming no file but ending in bmp"),
    };
}

struct Viewer {
    test::TestDir dir;
    SharedState shared;
    test::ScriptedPrompt prompt;
    test::ViewerHandOvers listener;
    LogViewerModel model;

    explicit Viewer(LogKind kind, const QStringList& log = sampleLog())
        : model(kind, shared, prompt, listener)
    {
        shared.VideoDir = dir.path();
        shared.LogFileName = QStringLiteral("JumpMeasurementLog120726.txt");
        if (!log.isEmpty()) {
            EXPECT_TRUE(writeLines(model.defaultLogPath(), log));
        }
        model.open();
    }
};

} // namespace

TEST(LogViewer, ListsTheLinesOfItsKindAndTheirFiles)
{
    struct Case {
        LogKind kind;
        QStringList files; // the files of the listed lines, in log order
    };
    for (const Case& c : {Case{LogKind::Video, {kVideo, kOddVideo}},
                          Case{LogKind::Picture, {kPicture, kLinuxPicture, ""}}}) {
        Viewer v(c.kind);
        EXPECT_EQ(v.model.logPath(), v.model.defaultLogPath());
        ASSERT_EQ(v.model.lines().size(), c.files.size());
        for (int row = 0; row < c.files.size(); ++row) {
            v.model.select(row);
            EXPECT_EQ(v.model.fileToView(), c.files[row]) << row;
        }
        EXPECT_TRUE(v.listener.asked.isEmpty());
    }
    // Upper-case "AVI" is not a measured video of this program.
    EXPECT_FALSE(listsLine(LogKind::Video, "File: C:\\Jumps\\SMITHJUMP4.AVI"));
    EXPECT_EQ(fileNamedIn("x File:y"), QString());
    EXPECT_EQ(fileNamedIn("File: "), QString());
}

TEST(LogViewer, VideoOpensForReviewWithTheViewTag)
{
    Viewer v(LogKind::Video);
    EXPECT_FALSE(v.model.view()); // nothing selected yet
    EXPECT_TRUE(v.listener.asked.isEmpty());

    EXPECT_TRUE(v.model.activate(0));
    EXPECT_EQ(v.shared.LastScreen, ScreenTag::View);
    EXPECT_EQ(v.listener.asked, QStringList{"video " + kVideo});

    // A path typed into the file box is viewed as it stands; a review screen
    // that could not open it keeps the viewer open.
    v.listener.answer = false;
    v.model.setFileToView(QStringLiteral("/elsewhere/Bojump1.avi"));
    EXPECT_FALSE(v.model.view());
    EXPECT_EQ(v.listener.asked.last(), QStringLiteral("video /elsewhere/Bojump1.avi"));
}

TEST(LogViewer, PictureOpensOnTheMeasureScreen)
{
    Viewer v(LogKind::Picture);
    EXPECT_TRUE(v.model.activate(0));
    EXPECT_EQ(v.shared.LastScreen, ScreenTag::PictureLog);
    EXPECT_EQ(v.listener.asked, QStringList{"picture " + kPicture});

    // A double click on a line naming no file empties the file box and still
    // goes to the measure screen, with nothing to load.
    v.shared.LastScreen = ScreenTag::None;
    EXPECT_TRUE(v.model.activate(2));
    EXPECT_EQ(v.model.fileToView(), QString());
    EXPECT_EQ(v.listener.asked.last(), QStringLiteral("picture "));
    EXPECT_EQ(v.shared.LastScreen, ScreenTag::PictureLog);

    // "View Picture" with an empty box does nothing.
    EXPECT_FALSE(v.model.view());
    EXPECT_EQ(v.listener.asked.size(), 2);
}

TEST(LogViewer, OtherLogsMissingLogsAndUnreadableLogs)
{
    // No log of the day yet: an empty list and not a word.
    Viewer v(LogKind::Picture, {});
    EXPECT_TRUE(v.model.lines().isEmpty());
    EXPECT_TRUE(v.prompt.seen().isEmpty());

    // Another day's log from the dialog, which opens in the video folder.
    const QString other = v.dir.file("JumpMeasurementLog120626.txt");
    ASSERT_TRUE(writeLines(other, sampleLog()));
    v.prompt.expectOpenFile(other);
    v.model.selectLogFile();
    EXPECT_EQ(v.prompt.lastInitialPath, v.dir.path());
    EXPECT_EQ(v.model.logPath(), other);
    EXPECT_EQ(v.model.lines().size(), 3);

    // Cancelling the dialog keeps what is shown.
    v.prompt.expectOpenFile(std::nullopt);
    v.model.selectLogFile();
    EXPECT_EQ(v.model.lines().size(), 3);

    // A log that cannot be read is reported, and the list is empty.
    QString reason;
    ASSERT_FALSE(readLines(v.dir.path(), &reason));
    v.prompt.expectOpenFile(v.dir.path())
        .expectMessage(
            QStringLiteral("The log file %1 could not be read: %2").arg(v.dir.path(), reason));
    v.model.selectLogFile();
    EXPECT_TRUE(v.model.lines().isEmpty());
}
