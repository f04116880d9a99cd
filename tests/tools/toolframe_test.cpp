#include "tests/media/testvideos.h"
#include "tests/support/testdir.h"
#include "tests/support/toolrun.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace korvel;

namespace
{

test::ToolRun tool(const QStringList& args)
{
    return test::runProgram(QStringLiteral(KORVEL_TOOL), args);
}

QString writeVideo(const test::TestDir& t)
{
    const QString path = t.file("jump.avi");
    EXPECT_TRUE(test::RawAvi::solidClip(3).write(path));
    return path;
}

} // namespace

TEST(KorvelToolFrame, RefusesWhatIsNoPlainFileAndNeverOverwritesTheVideo)
{
    test::TestDir t;
    const QString video = writeVideo(t);
    const QByteArray videoBytes = test::readAll(video);
    const QString pipe = t.file("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    ASSERT_TRUE(QDir(t.path()).mkdir("folder"));
    ASSERT_TRUE(QFile::link(video, t.file("link.avi")));

    struct Case {
        const char* name;
        QStringList args;
        QString says;
    } cases[] = {
        {"picture onto a pipe",
         {"frame", video, "1", pipe},
         pipe + " exists and is not a plain file"},
        {"picture onto a folder", {"frame", video, "1", t.file("folder")}, "is not a plain file"},
        {"picture onto the video", {"frame", video, "1", video}, video + " is the video itself"},
        {"picture onto a link to the video",
         {"frame", video, "1", t.file("link.avi")},
         "is the video itself"},
        {"video from a pipe",
         {"frame", pipe, "1", t.file("out.bmp")},
         pipe + " is not a plain file"},
    };
    for (const Case& c : cases) {
        const test::ToolRun r = tool(c.args);
        EXPECT_EQ(r.code, 2) << c.name;
        EXPECT_TRUE(r.err.contains(c.says)) << c.name << ": " << r.err.toStdString();
    }
    EXPECT_EQ(test::readAll(video), videoBytes);
    struct stat st {
    };
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_FALSE(QFile::exists(t.file("out.bmp")));

    // A plain file is replaced; a write that fails says why.
    const test::ToolRun ok = tool({"frame", video, "1", t.file("out.bmp")});
    EXPECT_EQ(ok.code, 0) << ok.err.toStdString();
    EXPECT_TRUE(test::readAll(t.file("out.bmp")).startsWith("BM"));
    const test::ToolRun failed = tool({"frame", video, "1", t.file("no/such/folder/out.bmp")});
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.contains("No such file or directory")) << failed.err.toStdString();
    EXPECT_FALSE(failed.err.contains("Unknown error")) << failed.err.toStdString();
}
