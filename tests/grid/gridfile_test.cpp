#include "grid/gridfile.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::readAll;

namespace
{

GridFileData sample(const QString& path)
{
    GridFileData d;
    d.path = path;
    d.description = "North camera";
    d.buoys[1] = {4530, 3120, -12.5, 6.25};
    d.buoys[2] = {8000, 6500, 10.25, 30};
    d.buoys[3] = {1500, 3100, 0.5, -60.75};
    d.buoys[4] = {700, 6400, -0.5, 31};
    d.c.c = {0, 1.5, 0.00125, -2.5e-6, 1e-7, 0, -40, 0.25, 1e20};
    d.jump = {100.5, -3};
    d.gridNumber = 2;
    d.hasCheckBuoy = true;
    d.checkScreen = {4800, 3600};
    d.checkSurveyXText = "12.5";
    d.checkSurveyYText = "-7.25";
    d.checkSurvey = {12.5, -7.25};
    return d;
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(GridFile, WritesTheFieldLayoutByteForByte)
{
    test::TestDir t;
    const QString path = t.file("grid1.ipt");
    const GridFileData d = sample(path);
    ASSERT_TRUE(writeGridFiles(path, d));
    const QByteArray expected = "Initialization Points for file: " + path.toUtf8() +
                                "\r\n"
                                "North camera\r\n"
                                " 4530 , 3120 ,-12.5 , 6.25 \r\n"
                                " 8000 , 6500 , 10.25 , 30 \r\n"
                                " 1500 , 3100 , .5 ,-60.75 \r\n"
                                " 700 , 6400 ,-.5 , 31 \r\n"
                                " 1.5 \r\n"
                                " .00125 \r\n"
                                "-2.5E-06 \r\n"
                                " 1E-07 \r\n"
                                " 0 \r\n"
                                "-40 \r\n"
                                " .25 \r\n"
                                " 1E+20 \r\n"
                                " 100.5 \r\n"
                                "-3 \r\n"
                                " 10 \r\n"
                                " 2 \r\n"
                                " 2 \r\n";
    EXPECT_EQ(readAll(path), expected);
    EXPECT_EQ(readAll(path + ".cb"), QByteArray(" 4800 \r\n 3600 \r\n12.5\r\n-7.25\r\n"));
}

TEST(GridFile, ReadsBackEveryValue)
{
    test::TestDir t;
    const QString path = t.file("grid1.ipt");
    const GridFileData d = sample(path);
    ASSERT_TRUE(writeGridFiles(path, d));
    const auto r = readGridFiles(path);
    ASSERT_TRUE(std::holds_alternative<GridFileData>(r))
        << std::get<GridFileError>(r).message.toStdString();
    const GridFileData& back = std::get<GridFileData>(r);
    EXPECT_EQ(back.path, path);
    EXPECT_EQ(back.description, "North camera");
    for (int slot = 1; slot <= 4; ++slot) {
        EXPECT_EQ(back.buoys[slot].x, d.buoys[slot].x);
        EXPECT_EQ(back.buoys[slot].y, d.buoys[slot].y);
        EXPECT_EQ(back.buoys[slot].X, d.buoys[slot].X);
        EXPECT_EQ(back.buoys[slot].Y, d.buoys[slot].Y);
    }
    for (int k = 1; k <= 8; ++k)
        EXPECT_DOUBLE_EQ(back.c[k], d.c[k]);
    EXPECT_EQ(back.jump.X, 100.5);
    EXPECT_EQ(back.jump.Y, -3);
    EXPECT_EQ(back.ten, 10);
    EXPECT_EQ(back.two, 2);
    EXPECT_EQ(back.gridNumber, 2);
    EXPECT_TRUE(back.hasCheckBuoy);
    EXPECT_EQ(back.checkSurvey.X, 12.5);
    EXPECT_EQ(back.checkSurvey.Y, -7.25);
}

TEST(GridFile, CommasInTextsAreQuotedAndOldFilesStayReadable)
{
    test::TestDir t;
    const QString path = t.file("lake, north.ipt");
    GridFileData d = sample(path);
    d.description = "Camera 2, \"north\" tower";
    ASSERT_TRUE(writeGridFiles(path, d));
    EXPECT_TRUE(readAll(path).startsWith("\"Initialization Points for file: " + path.toUtf8() +
                                         "\"\r\n\"Camera 2, 'north' tower\"\r\n"));
    const auto r = readGridFiles(path);
    ASSERT_TRUE(std::holds_alternative<GridFileData>(r));
    EXPECT_EQ(std::get<GridFileData>(r).path, path);
    EXPECT_EQ(std::get<GridFileData>(r).description, "Camera 2, 'north' tower");

    // A file written with a bare comma in its description: read up to the
    // comma, and the rest of the file still lines up.
    const QString old = t.file("old.ipt");
    writeRaw(old, "Initialization Points for file: C:\\grids\\old.ipt\r\n"
                  "West, far side\r\n"
                  " 4530 , 3120 ,-12.5 , 6.25 \r\n 8000 , 6500 , 10 , 30 \r\n"
                  " 1500 , 3100 , .5 ,-60 \r\n 700 , 6400 ,-.5 , 31 \r\n"
                  " 1 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n"
                  " 1.5E-07 \r\n .5 \r\n 10 \r\n 2 \r\n 1 \r\n");
    const auto o = readGridFiles(old);
    ASSERT_TRUE(std::holds_alternative<GridFileData>(o));
    const GridFileData& od = std::get<GridFileData>(o);
    EXPECT_EQ(od.description, "West");
    EXPECT_EQ(od.path, "C:\\grids\\old.ipt");
    EXPECT_DOUBLE_EQ(od.jump.X, 1.5e-7);
    EXPECT_DOUBLE_EQ(od.jump.Y, 0.5);
    EXPECT_FALSE(od.hasCheckBuoy);
}

TEST(GridFile, DamagedFilesAreRefusedWithTheLine)
{
    test::TestDir t;
    const QString path = t.file("g.ipt");
    ASSERT_TRUE(writeGridFiles(path, sample(path)));
    const QByteArray good = readAll(path);
    const QList<QByteArray> lines = good.split('\n');

    struct Case {
        const char* name;
        QByteArray bytes;
        const char* expect; // part of the message
    } cases[] = {
        {"truncated", good.left(good.indexOf(" 1.5 \r\n")), "line 7: the file ends early"},
        {"garbled buoy", QByteArray(good).replace(" 8000 , 6500 ,", " 8000 , 65x0 ,"),
         "line 4: \"65x0\" is not a number"},
        {"missing field",
         QByteArray(good).replace(" 1500 , 3100 , .5 ,-60.75 ", " 1500 , 3100 , .5"),
         "line 5: expected 4 numbers"},
        {"text for a coefficient", QByteArray(good).replace(" .25 \r\n", "abc\r\n"),
         "line 13: \"abc\" is not a number"},
        {"empty", QByteArray(), "line 1: the file ends early"},
    };
    for (const Case& c : cases) {
        writeRaw(path, c.bytes);
        const auto r = readGridFiles(path);
        ASSERT_TRUE(std::holds_alternative<GridFileError>(r)) << c.name;
        const QString msg = std::get<GridFileError>(r).message;
        EXPECT_TRUE(msg.contains(QString::fromLatin1(c.expect)))
            << c.name << ": " << msg.toStdString();
        EXPECT_TRUE(msg.startsWith(path)) << c.name;
    }
    const auto missing = readGridFiles(t.file("absent.ipt"));
    ASSERT_TRUE(std::holds_alternative<GridFileError>(missing));
}

TEST(GridFile, WhatCannotBeAGridIsRefusedUnread)
{
    test::TestDir t;
    const QString good = t.file("g.ipt");
    ASSERT_TRUE(writeGridFiles(good, sample(good)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.ipt")).constData(), 0600), 0);
    {
        // 300 MB that is no grid (sparse: made at once, read it would take long).
        QFile big(t.file("big.ipt"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(300LL * 1024 * 1024));
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("h.ipt.cb")).constData(), 0600), 0);
    QFile::copy(good, t.file("h.ipt"));
    const struct {
        QString path;
        QString named; // the file the message names
        const char* why;
    } cases[] = {
        {t.file("pipe.ipt"), t.file("pipe.ipt"), "pipe"},
        {"/dev/zero", "/dev/zero", "device"}, // once grid1file at every start
        {t.file("big.ipt"), t.file("big.ipt"), "more than"},
        {t.file("h.ipt"), t.file("h.ipt.cb"), "pipe"}, // the check buoy file's place
    };
    for (const auto& c : cases) {
        const auto r = readGridFiles(c.path);
        ASSERT_TRUE(std::holds_alternative<GridFileError>(r)) << c.path.toStdString();
        const QString msg = std::get<GridFileError>(r).message;
        EXPECT_TRUE(msg.startsWith(c.named + ": ")) << msg.toStdString();
        EXPECT_TRUE(msg.contains(QLatin1String(c.why))) << msg.toStdString();
    }
}

TEST(GridFile, FieldsSplitAtCommasOutsideQuotes)
{
    struct Case {
        const char* line;
        QStringList fields;
    } cases[] = {
        {" 4530 , 3120 ,-12.5 , 6.25 ", {"4530", "3120", "-12.5", "6.25"}},
        {"\"a, b\" , c", {"a, b", "c"}},
        {"", {""}},
        {"x,", {"x", ""}},
        {"\"open quote", {"open quote"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitFields(QString::fromLatin1(c.line)), c.fields) << c.line;
}

TEST(GridFile, LineBreaksInTextsBecomeBlanks)
{
    test::TestDir t;
    const QString path = t.file("g.ipt");
    GridFileData d = sample(path);
    d.description = "North\ncamera\r\nday 2\r";
    d.checkSurveyXText = "12.5\n";
    ASSERT_TRUE(writeGridFiles(path, d));
    EXPECT_EQ(readLines(path)->size(), 19);
    EXPECT_EQ(readLines(path + ".cb")->size(), 4);
    const auto r = readGridFiles(path);
    ASSERT_TRUE(std::holds_alternative<GridFileData>(r));
    EXPECT_EQ(std::get<GridFileData>(r).description, "North camera day 2");
    EXPECT_EQ(std::get<GridFileData>(r).gridNumber, 2);
    EXPECT_EQ(std::get<GridFileData>(r).checkSurvey.X, 12.5);
}

TEST(GridFile, BothFilesAreReplacedTogetherOrNeither)
{
    // A folder standing where one of the two files goes makes that file
    // impossible to write; the other one must then stay as it was.
    struct Case {
        const char* name;
        bool oldPair;        // an earlier grid is saved there first
        const char* blocked; // the file that cannot be written
    } cases[] = {
        {"check buoy file blocked, old pair kept", true, "g.ipt.cb"},
        {"check buoy file blocked, nothing there before", false, "g.ipt.cb"},
        {"parameter file blocked", false, "g.ipt"},
    };
    for (const Case& c : cases) {
        test::TestDir t;
        const QString path = t.file("g.ipt");
        GridFileData old = sample(path);
        old.description = "old";
        if (c.oldPair) {
            ASSERT_TRUE(writeGridFiles(path, old));
            QFile::remove(t.file(c.blocked));
        }
        ASSERT_TRUE(QDir(t.path()).mkpath(QString::fromLatin1(c.blocked) + "/inside"));
        const QStringList before =
            QDir(t.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        const QByteArray oldIpt = c.oldPair ? readAll(path) : QByteArray();

        GridFileData fresh = sample(path);
        fresh.description = "new";
        const FileResult r = writeGridFiles(path, fresh);
        EXPECT_FALSE(r) << c.name;
        EXPECT_TRUE(r.error.startsWith(t.file(c.blocked) + ": ")) << r.error.toStdString();
        EXPECT_EQ(QDir(t.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before)
            << c.name << ": no temporary file left, no half pair";
        if (c.oldPair) {
            EXPECT_EQ(readAll(path), oldIpt) << c.name;
        }
    }
}

// korvel killed in the middle of saving a grid, before the first of the two
// renames or between them: the next read finishes the save, so the new
// parameter file is never measured with the old check buoy, says so, and
// leaves no temporary file in the folder.
TEST(GridFile, ASaveKilledBetweenItsRenamesIsFinishedAtTheNextRead)
{
    for (const char* killedAt : {"g.ipt", "g.ipt.cb"}) {
        SCOPED_TRACE(killedAt);
        test::TestDir t;
        const QString path = t.file("g.ipt");
        GridFileData old = sample(path);
        old.description = "old";
        old.checkScreen = {1000, 1000};
        ASSERT_TRUE(writeGridFiles(path, old));
        GridFileData fresh = sample(path);
        fresh.description = "new";

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const QString stopAt = t.file(killedAt);
            setRenameWatcher([stopAt](const QString& target) {
                if (target == stopAt)
                    _exit(0);
            });
            (void)writeGridFiles(path, fresh);
            _exit(1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "stopped at the rename";

        const auto read = readGridFiles(path);
        ASSERT_TRUE(std::holds_alternative<GridFileData>(read));
        const GridFileData& d = std::get<GridFileData>(read);
        EXPECT_EQ(d.description, "new");
        EXPECT_EQ(d.checkScreen.x, fresh.checkScreen.x);
        EXPECT_TRUE(
            d.finishedSave.startsWith("A save of " + path + " was cut short; it is finished"))
            << d.finishedSave.toStdString();
        EXPECT_EQ(QDir(t.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"g.ipt", "g.ipt.cb"}));
        // Read again: nothing more to finish.
        EXPECT_TRUE(std::get<GridFileData>(readGridFiles(path)).finishedSave.isEmpty());
    }
}

TEST(GridFile, APipeOrDeviceIsNeverReplaced)
{
    test::TestDir t;
    const QString path = t.file("g.ipt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path + ".cb").constData(), 0644), 0);
    const FileResult r = writeGridFiles(path, sample(path));
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error, path + ".cb: not a plain file, so not replaced");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFileInfo(path + ".cb").isFile());
}

TEST(GridFile, ThePictureSizeTravelsWithTheGridAndOldFilesHaveNone)
{
    test::TestDir t;
    const QString path = t.file("north.ipt");
    GridFileData d = sample(path);
    d.pictureSize = QSize(960, 600);
    ASSERT_TRUE(writeGridFiles(path, d));
    const QStringList lines = parameterFileLines(d);
    ASSERT_EQ(lines.size(), 20);
    EXPECT_EQ(lines[19], "Picture size: 960 x 600 pixels");
    const auto back = readGridFiles(path);
    ASSERT_TRUE(std::holds_alternative<GridFileData>(back));
    EXPECT_EQ(std::get<GridFileData>(back).pictureSize, QSize(960, 600));

    // Nineteen lines, as every grid written before: it loads, size unknown;
    // a twentieth line that is not the size is passed over the same way.
    for (const QByteArray& tail : {QByteArray(), QByteArray("Picture size: 0 x 600 pixels\r\n"),
                                   QByteArray("something else\r\n")}) {
        d.pictureSize = QSize();
        ASSERT_TRUE(writeGridFiles(path, d));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(tail);
        f.close();
        const auto old = readGridFiles(path);
        ASSERT_TRUE(std::holds_alternative<GridFileData>(old)) << tail.toStdString();
        EXPECT_FALSE(std::get<GridFileData>(old).pictureSize.isValid()) << tail.toStdString();
    }
}
