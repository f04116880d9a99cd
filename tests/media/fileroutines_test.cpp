#include "media/fileroutines.h"
#include "tests/media/testvideos.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace korvel;
using korvel::test::RawAvi;
using korvel::test::ScriptedPrompt;

namespace
{

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

RawAvi threeFrames()
{
    return RawAvi::solidClip(3);
}

} // namespace

TEST(FileRoutines, FileExistsOnlyForFilesWeCanMeasure)
{
    test::TestDir t;
    writeBytes(t.file("a.avi"), "x");
    writeBytes(t.file("empty.avi"), "");
    QDir(t.path()).mkdir("folder.avi");
    const struct {
        QString path;
        bool exists;
    } cases[] = {
        {t.file("a.avi"), true},        {t.file("empty.avi"), true}, {t.file("folder.avi"), false},
        {t.file("missing.avi"), false}, {QString(), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileExists(c.path), c.exists) << c.path.toStdString();
}

TEST(FileRoutines, IsAviFileLooksAtTheRiffHeaderOnly)
{
    test::TestDir t;
    const struct {
        const char* name;
        QByteArray bytes;
        bool avi;
    } cases[] = {
        {"real.avi", threeFrames().bytes(), true},
        {"wave.avi", QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16), false},
        {"short.avi", QByteArray("RIFF\0\0"), false},
        {"empty.avi", QByteArray(), false},
        {"text.avi", QByteArray("Not a video at all, just words."), false},
        {"lowercase.avi", QByteArray("riff\0\0\0\0avi ", 12), false},
    };
    for (const auto& c : cases) {
        writeBytes(t.file(c.name), c.bytes);
        ScriptedPrompt prompt; // a readable file is refused without a word
        EXPECT_EQ(IsAviFile(t.file(c.name), prompt), c.avi) << c.name;
    }
}

TEST(FileRoutines, IsAviFileExplainsMissingAndLockedFiles)
{
    test::TestDir t;
    ScriptedPrompt prompt;
    prompt.expectMessage("File does not exist:\r\n" + t.file("gone.avi"), kProgramTitle,
                         Icon::Critical);
    EXPECT_FALSE(IsAviFile(t.file("gone.avi"), prompt));

    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: a file without read permission can still be read";
    writeBytes(t.file("locked.avi"), threeFrames().bytes());
    QFile::setPermissions(t.file("locked.avi"), QFileDevice::WriteOwner);
    prompt.expectMessage("File is locked - cannot access:\r\n" + t.file("locked.avi"),
                         kProgramTitle, Icon::Critical);
    EXPECT_FALSE(IsAviFile(t.file("locked.avi"), prompt));
}

TEST(FileRoutines, ReadAviFileInfoFillsTheRecordFromTheHeaders)
{
    test::TestDir t;
    RawAvi avi = threeFrames();
    avi.width = 320;
    avi.height = 240;
    avi.rate = 25;
    avi.frames = {RawAvi::solidFrame(320, 240, 0), QByteArray(), RawAvi::solidFrame(320, 240, 2)};
    ASSERT_TRUE(avi.write(t.file("a.avi")));
    ScriptedPrompt prompt;
    AviFileInfo info;
    ASSERT_TRUE(ReadAviFileInfo(t.file("a.avi"), prompt, &info));
    EXPECT_EQ(info.width, 320u);
    EXPECT_EQ(info.height, 240u);
    EXPECT_EQ(info.streams, 1u);
    EXPECT_EQ(info.rate, 25u);
    EXPECT_EQ(info.scale, 1u);
    EXPECT_EQ(info.length, 3u); // the dropped frame's chunk counts
    EXPECT_EQ(info.flags, 0x10u);
    EXPECT_EQ(info.suggestedBufferSize, 320u * 240u * 3u);
    EXPECT_EQ(info.maxBytesPerSec, 320u * 240u * 3u * 25u);
    EXPECT_EQ(info.caps, AviFileInfo::kCapsCanRead);
    EXPECT_EQ(info.fileType, "AVI File");
}

TEST(FileRoutines, ReadAviFileInfoFailuresSayWhich)
{
    test::TestDir t;
    const QByteArray whole = threeFrames().bytes();
    RawAvi audioOnly = threeFrames();
    audioOnly.videoStream = false;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"wave.avi", QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16), "Unable to open file:"},
        {"empty.avi", QByteArray(), "Unable to open file:"},
        {"cut-in-header.avi", whole.left(100), "Unable to read AVI file info from:"},
        {"no-video.avi", audioOnly.bytes(), "Unable to read AVI file info from:"},
    };
    for (const auto& c : cases) {
        writeBytes(t.file(c.name), c.bytes);
        ScriptedPrompt prompt;
        prompt.expectMessage(QString::fromLatin1(c.message) + "\r\n" + t.file(c.name),
                             kProgramTitle, Icon::Critical);
        AviFileInfo info;
        info.width = 7;
        EXPECT_FALSE(ReadAviFileInfo(t.file(c.name), prompt, &info)) << c.name;
        EXPECT_EQ(info.width, 7u) << "the record stays untouched";
    }
    ScriptedPrompt prompt;
    prompt.expectMessage("Unable to open file:\r\n" + t.file("missing.avi"));
    EXPECT_FALSE(ReadAviFileInfo(t.file("missing.avi"), prompt));

    // A pipe named in the log is refused at once, never waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.avi")).constData(), 0600), 0);
    prompt.expectMessage("Unable to open file:\r\n" + t.file("pipe.avi"))
        .expectMessage("File does not exist:\r\n" + t.file("pipe.avi"));
    EXPECT_FALSE(ReadAviFileInfo(t.file("pipe.avi"), prompt));
    EXPECT_FALSE(IsAviFile(t.file("pipe.avi"), prompt));
}

TEST(FileRoutines, SaveFileDialogKinds)
{
    const struct {
        SaveKind kind;
        QString filter;
    } cases[] = {
        {SaveKind::Picture, "All Supported Types|*.bmp;*.jpg;*.pic|BMP Files|*.bmp|JPEG "
                            "Files|*.jpg|ePIC Files|*.pic|"},
        {SaveKind::Video, "AVI File|*.avi|"},
        {SaveKind::CaptureProfile, "Grabbex 3.0 profile (.gbf)|*.gbf|"},
    };
    for (const auto& c : cases) {
        ScriptedPrompt prompt;
        prompt.expectSaveFile(QStringLiteral("/data/jumps/b.avi"));
        QString current = QStringLiteral("/data/jumps/a.avi");
        EXPECT_EQ(SaveFileDialog(current, c.kind, prompt), "/data/jumps/b.avi");
        EXPECT_EQ(current, "/data/jumps/b.avi");
        EXPECT_EQ(prompt.lastFilter, c.filter);
        EXPECT_EQ(prompt.lastInitialPath, "/data/jumps/a.avi");
    }
    ScriptedPrompt prompt;
    prompt.expectSaveFile(std::nullopt);
    QString current = QStringLiteral("/data/jumps/a.avi");
    EXPECT_EQ(SaveFileDialog(current, SaveKind::Video, prompt), "/data/jumps/a.avi");
    EXPECT_EQ(current, "/data/jumps/a.avi");
}
