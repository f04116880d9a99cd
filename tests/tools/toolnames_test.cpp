// File names on korvel-tool's command line as the system holds them: bytes
// that need not be UTF-8, up to the system's 255 a name.

#include "grid/gridfile.h"
#include "grid/sample/lakescene.h"
#include "grid/sample/samplegrid.h"
#include "shell/textrules.h"
#include "tests/media/testvideos.h"
#include "tests/support/testdir.h"
#include "tests/support/toolrun.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace korvel;

namespace
{

// Runs korvel-tool with arguments given as shell words, so a name can carry
// bytes that are no UTF-8 ("$(printf 'M\374ller.avi')").
test::ToolRun toolInShell(const QString& folder, const QString& words)
{
    return test::runProgram(QStringLiteral("/bin/sh"),
                            {"-c", QStringLiteral("cd '%1' && \"$0\" %2").arg(folder, words),
                             QStringLiteral(KORVEL_TOOL)});
}

bool writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

QByteArray readRaw(const QByteArray& path)
{
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return out;
    char buf[65536];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        out.append(buf, n);
    ::close(fd);
    return out;
}

// The names in the folder as the system holds them.
QList<QByteArray> entries(const QByteArray& folder)
{
    QList<QByteArray> names;
    if (DIR* d = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(d)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(KorvelToolNames, NamesThatAreNoUtf8AreReadAndWrittenUnderTheirOwnBytes)
{
    test::TestDir t;
    const QByteArray dir = QFile::encodeName(t.path());
    // Latin-1 names, as an old camera card or a Windows share gives them.
    ASSERT_TRUE(writeRaw(dir + "/M\xfcller.avi", test::RawAvi::solidClip(3).bytes()));
    ASSERT_EQ(::mkdir(dir + "/D\xe9p\xf4t", 0755), 0);

    const test::ToolRun frame = toolInShell(
        t.path(), "frame \"$(printf 'M\\374ller.avi')\" 1 \"$(printf 'Bild-\\351.bmp')\"");
    EXPECT_EQ(frame.code, 0) << frame.err.toStdString();
    EXPECT_TRUE(readRaw(dir + "/Bild-\xe9.bmp").startsWith("BM"));
    // Nothing under another name, no stand-in left behind.
    EXPECT_EQ(entries(dir), (QList<QByteArray>{"Bild-\xe9.bmp", "D\xe9p\xf4t", "M\xfcller.avi"}));

    // Replaced in place; into a folder whose name is no UTF-8 either.
    const test::ToolRun again = toolInShell(
        t.path(),
        "frame \"$(printf 'M\\374ller.avi')\" 2 \"$(printf 'Bild-\\351.bmp')\" && "
        "\"$0\" frame \"$(printf 'M\\374ller.avi')\" 0 \"$(printf 'D\\351p\\364t/a.bmp')\"");
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(readRaw(dir + "/D\xe9p\xf4t/a.bmp").startsWith("BM"));
    EXPECT_EQ(entries(dir + "/D\xe9p\xf4t"), QList<QByteArray>{"a.bmp"});

    // A grid pair saved and read back: the check buoy file beside it too.
    ASSERT_EQ(sample::writeSampleGrid(t.file("lake.ipt"), sample::makeSampleScene()), QString());
    const auto lake = readGridFiles(t.file("lake.ipt"));
    ASSERT_TRUE(std::holds_alternative<GridFileData>(lake));
    const GridFileData& d = std::get<GridFileData>(lake);
    auto four = [](double x, double y, double X, double Y) {
        return QStringList{numberText(x), numberText(y), numberText(X), numberText(Y)}
            .replaceInStrings(" ", "")
            .join(",");
    };
    QString words =
        QStringLiteral("solve --jump %1,%2 --check %3 --out \"$(printf 'Gr\\366\\337e.ipt')\"")
            .arg(numberText(d.jump.X).trimmed(), numberText(d.jump.Y).trimmed(),
                 four(d.checkScreen.x, d.checkScreen.y, d.checkSurvey.X, d.checkSurvey.Y));
    const char* corners[] = {"", "--ur", "--lr", "--ul", "--ll"};
    for (int slot = 1; slot <= 4; ++slot) {
        const GridBuoy& b = d.buoys[slot];
        words += QStringLiteral(" %1 %2").arg(corners[slot], four(b.x, b.y, b.X, b.Y));
    }
    words += " && \"$0\" show \"$(printf 'Gr\\366\\337e.ipt')\"";
    const test::ToolRun solved = toolInShell(t.path(), words);
    EXPECT_EQ(solved.code, 0) << solved.err.toStdString();
    EXPECT_TRUE(solved.out.contains("check buoy: screen")) << solved.out.toStdString();
    EXPECT_FALSE(readRaw(dir + "/Gr\xf6\xdf"
                               "e.ipt.cb")
                     .isEmpty());

    // A pipe under such a name is refused, and stays a pipe.
    ASSERT_EQ(::mkfifo(dir + "/P\xefpe.bmp", 0644), 0);
    const test::ToolRun pipe = toolInShell(
        t.path(), "frame \"$(printf 'M\\374ller.avi')\" 1 \"$(printf 'P\\357pe.bmp')\"");
    EXPECT_EQ(pipe.code, 2) << pipe.err.toStdString();
    struct stat st {
    };
    ASSERT_EQ(::stat(dir + "/P\xefpe.bmp", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(KorvelToolNames, NamesUpToTheSystemsLimitAreWritten)
{
    test::TestDir t;
    const QString video = t.file("jump.avi");
    ASSERT_TRUE(test::RawAvi::solidClip(3).write(video));
    for (int length : {243, 250, 255}) {
        const QString name = QString(length - 4, QLatin1Char('n')) + QStringLiteral(".bmp");
        const test::ToolRun r =
            test::runProgram(QStringLiteral(KORVEL_TOOL), {"frame", video, "1", t.file(name)});
        EXPECT_EQ(r.code, 0) << length << ": " << r.err.toStdString();
        EXPECT_TRUE(test::readAll(t.file(name)).startsWith("BM")) << length;
    }
}

TEST(KorvelToolNames, NumbersOutsideTheirRangeAndPipesAreRefused)
{
    test::TestDir t;
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.avi")).constData(), 0644), 0);
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"capture", "0", "2", t.file("pipe.avi")}, "pipe"},
        {{"capture", "0", "2", t.file("a.avi"), "--contact", "1e300"}, "--contact must lie"},
        {{"capture", "0", "2", t.file("a.avi"), "--contact", "-1"}, "--contact must lie"},
        {{"capture", "0", "2", t.file("a.avi"), "--size", "100000x8"}, "--size takes"},
        {{"solve", "--ur", "1,1,1,1", "--lr", "1,1,1,1", "--ul", "1,1,1,1", "--ll", "1,1,1,1",
          "--jump", "0,0", "--check", "1,1,1,1", "--grid", "1e300", "--out", t.file("g.ipt")},
         "--grid is 1, 2 or 3"},
    };
    for (const auto& c : cases) {
        const test::ToolRun r = test::runProgram(QStringLiteral(KORVEL_TOOL), c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(t.file("a.avi")));
    EXPECT_FALSE(QFile::exists(t.file("g.ipt")));
}
