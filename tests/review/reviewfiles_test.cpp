#include "review/reviewfiles.h"
#include "shell/sharedstate.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QFile>

#include <cstdint>
#include <optional>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::readAll;
using korvel::test::ScriptedPrompt;

namespace
{
const QString kNotStandard = QStringLiteral("Warning, this is not a  standard KVF file so it will "
                                            "not be saved in the Log for future reference");
const QDateTime kWhen(QDate(2026, 7, 12), QTime(14, 3, 11));
} // namespace

TEST(InfoFile, WrittenAndReadBack)
{
    test::TestDir t;
    const QString video = t.file("Smithjump3.avi");
    ASSERT_TRUE(WriteInfoFile(video, 412));
    EXPECT_EQ(infoFilePath(video), video + ".info");
    EXPECT_EQ(readAll(video + ".info"), (video + ", 412\r\n").toLatin1());
    auto info = ReadInfoFile(video);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->videoPath, video);
    EXPECT_EQ(info->frame, 412);

    // Measured again: the file is replaced.
    ASSERT_TRUE(WriteInfoFile(video, 0));
    EXPECT_EQ(readAll(video + ".info"), (video + ", 0\r\n").toLatin1());
    EXPECT_EQ(ReadInfoFile(video)->frame, 0);

    EXPECT_FALSE(ReadInfoFile(t.file("other.avi")));
}

TEST(InfoFile, ReadsWhatOthersWrote)
{
    test::TestDir t;
    const struct {
        QByteArray content;
        QString path;
        int frame;
    } cases[] = {
        {"C:\\Jumps\\Smithjump3.avi, 412\r\n", "C:\\Jumps\\Smithjump3.avi", 412},
        {"/data/Lake, North/Annjump2.avi, 77\n", "/data/Lake, North/Annjump2.avi",
         77}, // comma in a folder
        {"/x/Bjump1.avi,   9", "/x/Bjump1.avi", 9},
    };
    for (const auto& c : cases) {
        QFile f(t.file("v.avi.info"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        auto info = ReadInfoFile(t.file("v.avi"));
        ASSERT_TRUE(info) << c.content.constData();
        EXPECT_EQ(info->videoPath, c.path);
        EXPECT_EQ(info->frame, c.frame);
    }
}

TEST(InfoFile, AFrameNoVideoCanHoldMeansNoInfoFile)
{
    test::TestDir t;
    const struct {
        QByteArray frame;
        std::optional<int> read;
    } cases[] = {
        {"1e300", std::nullopt},
        {"-5", std::nullopt},
        {"2147483648", std::nullopt},
        {"2147483647", INT32_MAX},
        {" 0", 0},
        {"12abc", 12},
    };
    for (const auto& c : cases) {
        QFile f(t.file("v.avi.info"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("/x/Ajump1.avi, " + c.frame + "\r\n");
        f.close();
        const auto info = ReadInfoFile(t.file("v.avi"));
        ASSERT_EQ(info.has_value(), c.read.has_value()) << c.frame.constData();
        if (c.read) {
            EXPECT_EQ(info->frame, *c.read) << c.frame.constData();
        }
    }
    // A pipe in the info file's place is no info file, and is not waited on.
    QFile::remove(t.file("v.avi.info"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("v.avi.info")).constData(), 0600), 0);
    EXPECT_FALSE(ReadInfoFile(t.file("v.avi")));
}

TEST(MeasuredCapture, SkierAndJumpFromThePath)
{
    const struct {
        QString path;
        bool standard;
        QString skier;
        QString jump;
    } cases[] = {
        {"C:\\Jumps\\Ann Lee jump12.avi", true, "Ann Lee ", "12"},
        {"/data/jumps/Ann Lee jump12.avi", true, "Ann Lee ", "12"},
        {"/data/jumps/Smithjump3.avi", true, "Smith", "3"},
        {"/data/jumps/Smithjump100.avi", true, "Smith", "100"},
        {"/data/jumps/test.avi", false, "", ""},
        {"/data/jumps/Smithjump1000.avi", false, "",
         ""},                                          // four digits: "jump" is too far from ".avi"
        {"/data/jumps/SMITHJUMP3.AVI", false, "", ""}, // letter case counts
        {"/data/jump/x.avi", false, "", ""},           // "jump" only in the folder
        {"jump7.avi", true, "", "7"},
    };
    for (const auto& c : cases) {
        const auto who = skierAndJump(c.path);
        ASSERT_EQ(who.has_value(), c.standard) << c.path.toStdString();
        if (who) {
            EXPECT_EQ(who->skier, c.skier) << c.path.toStdString();
            EXPECT_EQ(who->jump, c.jump) << c.path.toStdString();
        }
    }
}

TEST(MeasuredCapture, LogLineAndInfoFile)
{
    test::TestDir t;
    SharedState state;
    state.VideoDir = t.path() + "/";
    state.LogFileName = "JumpMeasurementLog071226.txt";
    const QString video = t.file("Ann Lee jump12.avi");
    ScriptedPrompt prompt;
    RecordMeasuredCapture(video, 412, state, prompt, kWhen);
    RecordMeasuredCapture(video, 7, state, prompt, kWhen);
    const QString line1 = "07-12-2026    14:03:11      Skier: Ann Lee              Jump: 12      "
                          "Contact Frame:  412         File: " +
                          video;
    const QString line2 = "07-12-2026    14:03:11      Skier: Ann Lee              Jump: 12      "
                          "Contact Frame:  7           File: " +
                          video;
    EXPECT_EQ(readAll(t.file("JumpMeasurementLog071226.txt")).toStdString(),
              (line1 + "\r\n" + line2 + "\r\n").toStdString());
    EXPECT_EQ(ReadInfoFile(video)->frame, 7);
}

TEST(MeasuredCapture, NonStandardNamesAreWarnedAboutAndNotRecorded)
{
    test::TestDir t;
    SharedState state;
    state.VideoDir = t.path();
    state.LogFileName = "log.txt";
    for (const char* name : {"test.avi", "Smithjump1000.avi", "SMITHJUMP3.AVI"}) {
        ScriptedPrompt prompt;
        prompt.expectMessage(kNotStandard, kProgramTitle, Icon::Exclamation);
        RecordMeasuredCapture(t.file(name), 5, state, prompt, kWhen);
        EXPECT_FALSE(QFile::exists(t.file(name) + ".info")) << name;
    }
    EXPECT_FALSE(QFile::exists(t.file("log.txt")));
}

TEST(MeasuredCapture, AnUnwritableLogIsToldAndTheVideoStillMarked)
{
    test::TestDir t;
    SharedState state;
    state.VideoDir = t.file("gone");
    state.LogFileName = "log.txt";
    const QString log = t.file("gone/log.txt");
    const FileResult reason = appendLines(log, {"x"});
    ASSERT_FALSE(reason);
    ScriptedPrompt prompt;
    prompt.expectMessage("The measurement log could not be written:\r\n" + log + "\r\n" +
                         reason.error);
    RecordMeasuredCapture(t.file("Bjump1.avi"), 3, state, prompt, kWhen);
    EXPECT_EQ(ReadInfoFile(t.file("Bjump1.avi"))->frame, 3);
}

TEST(DiskSpace, MegabytesAndTheLowSpaceWarning)
{
    const struct {
        std::optional<std::int64_t> bytes;
        QString label;
        bool low;
    } cases[] = {
        {199999999, " 199 MB", true},
        {200000000, " 200 MB", false},
        {std::int64_t(5) << 40, " 5497558 MB", false},
        {std::nullopt, " 0 MB", true}, // the query failed
    };
    for (const auto& c : cases) {
        const DiskSpace d = diskSpaceFrom("/media/usb", c.bytes);
        EXPECT_EQ(d.caption, "Disk Space Available /media/usb");
        EXPECT_EQ(d.label, c.label);
        EXPECT_EQ(d.low, c.low) << c.label.toStdString();
    }
}

TEST(DiskSpace, AskedOfTheFilesystemHoldingTheFolder)
{
    test::TestDir t;
    const auto free = DiskFree(t.path(), 0);
    const auto size = DiskFree(t.path(), 1);
    ASSERT_TRUE(free && size);
    EXPECT_GT(*size, 0);
    EXPECT_LE(*free, *size);
    EXPECT_FALSE(DiskFree(t.file("no/such/folder"), 0));
    EXPECT_FALSE(DiskFree(QString(), 0));
    // A video folder not made yet is measured where it will be made.
    const DiskSpace d = diskSpaceFor(t.file("later/videos"));
    EXPECT_TRUE(d.caption.startsWith("Disk Space Available /"));
    EXPECT_TRUE(d.label.endsWith(" MB"));
}
