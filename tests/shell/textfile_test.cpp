#include "shell/picturefile.h"
#include "shell/textfile.h"
#include "tests/support/disklimit.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::readAll;

TEST(TextFile, SingleByteWithWindowsExtras)
{
    EXPECT_EQ(toSingleByte(QStringLiteral("Zoë – “x” €")),
              QByteArray("Zo\xEB \x96 \x93x\x94 \x80"));
    EXPECT_EQ(toSingleByte(QStringLiteral("Łukasz 山")), QByteArray("?ukasz ?"));
    EXPECT_EQ(fromSingleByte(QByteArray("Zo\xEB \x80")), QStringLiteral("Zoë €"));
}

TEST(TextFile, NamesBecomeTheSingleByteTextTheFilesCarry)
{
    struct Case {
        QString typed, kept, changes;
    };
    for (const Case& c : std::vector<Case>{
             // The code page's own letters stay, the Windows extras too.
             {"Zoë Šimić-Žák Œuvre Øyvind Æsa ß", "Zoë Šimic-Žák Œuvre Øyvind Æsa ß",
              "\"ć\" becomes \"c\""},
             {"Łukasz Nowak", "Lukasz Nowak", "\"Ł\" becomes \"L\""},
             {"Dvořák", "Dvorák", "\"ř\" becomes \"r\""},
             {"Nguyễn Thị", "Nguyen Thi", "\"ễ\" becomes \"e\", \"ị\" becomes \"i\""},
             {"Đorđe Łuł", "Dorde Lul",
              "\"Đ\" becomes \"D\", \"đ\" becomes \"d\", \"Ł\" becomes \"L\", \"ł\" "
              "becomes \"l\""},
             // Combining marks typed after the letter go, the letter stays.
             {QStringLiteral("Ana\u0301lia"), "Analia", QStringLiteral("\"\u0301\" is left out")},
             {QStringLiteral("Kaʻupu ﬁne"), "Ka'upu fine",
              QStringLiteral("\"ʻ\" becomes \"'\", \"ﬁ\" becomes \"fi\"")},
             {"Иван Li 山", " Li ",
              "\"И\" is left out, \"в\" is left out, \"а\" is left out, \"н\" is left "
              "out, \"山\" is left out"},
             {QStringLiteral("Jo \U0001F3C4"), "Jo ", QStringLiteral("\"\U0001F3C4\" is left out")},
             {"Plain Name", "Plain Name", ""},
         }) {
        const SingleByteText r = singleByteText(c.typed);
        EXPECT_EQ(r.text, c.kept) << c.typed.toStdString();
        EXPECT_EQ(describeSingleByteChanges(r.changes), c.changes) << c.typed.toStdString();
        // What it becomes is written byte for byte, never as "?".
        EXPECT_EQ(fromSingleByte(toSingleByte(r.text)), r.text) << c.typed.toStdString();
    }
}

TEST(TextFile, WritesCrLfAndReadsBothLineEnds)
{
    test::TestDir t;
    const QString path = t.file("a.txt");
    ASSERT_TRUE(writeLines(path, {"one", "two"}));
    EXPECT_EQ(readAll(path), QByteArray("one\r\ntwo\r\n"));
    ASSERT_TRUE(appendLines(path, {"three"}));
    EXPECT_EQ(readAll(path), QByteArray("one\r\ntwo\r\nthree\r\n"));

    QFile f(t.file("lf.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x\ny\r\nz");
    f.close();
    EXPECT_EQ(*readLines(t.file("lf.txt")), QStringList({"x", "y", "z"}));
}

TEST(TextFile, FailuresAreReportedAndKeepWhatWasThere)
{
    test::TestDir t;
    // A folder that does not exist.
    const FileResult missing = writeLines(t.file("no/such/folder/a.txt"), {"x"});
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_FALSE(appendLines(t.file("no/such/folder/a.txt"), {"x"}));

    // A full disk.
    if (QFile::exists("/dev/full")) {
        const FileResult full = appendLines("/dev/full", {"x"});
        EXPECT_FALSE(full);
    }

    QString error;
    EXPECT_FALSE(readLines(t.file("absent.txt"), &error).has_value());
    EXPECT_FALSE(error.isEmpty());

    // A failed replacement leaves the old file whole: the target is a folder.
    const QString path = t.file("keep.txt");
    ASSERT_TRUE(writeLines(path, {"old"}));
    QDir(t.path()).mkdir("blocker");
    EXPECT_FALSE(writeLines(t.file("blocker"), {"new"}));
    EXPECT_EQ(readAll(path), QByteArray("old\r\n"));
}

// The disk fills up in the middle of a write: of each kind of write, what was
// on the disk before is there whole afterwards, the failure says the system's
// reason, and the next write once there is room again lands whole.
TEST(TextFile, AFullDiskLeavesEveryFileAsItWas)
{
    test::TestDir t;
    const QString results = t.file("results.txt");
    const QString picture = t.file("skier jump1.bmp");
    const QByteArray line = "10:02:11 ,Ann Lee, 1,  42.1,  138\r\n";
    ASSERT_TRUE(appendToFile(results, line));
    QImage old(40, 30, QImage::Format_RGB888);
    old.fill(Qt::blue);
    ASSERT_TRUE(writePictureFile(picture, old));
    const QByteArray oldPicture = test::readAll(picture);
    {
        // Room for half a results line more, and for no picture at all.
        const test::DiskLimit full(rlim_t(line.size() + line.size() / 2));
        const FileResult appended = appendToFile(results, line);
        EXPECT_FALSE(appended);
        EXPECT_EQ(appended.error, "File too large");
        EXPECT_EQ(test::readAll(results), line) << "a partial line stayed behind";

        QImage fresh(400, 300, QImage::Format_RGB888);
        fresh.fill(Qt::red);
        const FileResult saved = writePictureFile(picture, fresh);
        EXPECT_FALSE(saved);
        EXPECT_EQ(saved.error, "File too large");
        EXPECT_EQ(test::readAll(picture), oldPicture);
    }
    ASSERT_TRUE(appendToFile(results, line));
    EXPECT_EQ(test::readAll(results), line + line);
    // No temporary file of the failed writes is left in the folder.
    EXPECT_EQ(QDir(t.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"results.txt", "skier jump1.bmp"}));
}

// A results or grid file kept as a link stays a link: the file it names is
// written, by a replacement and by an append, also through a relative link
// and a link to a link.
TEST(TextFile, WritingThroughALinkWritesTheFileItNames)
{
    test::TestDir t;
    QDir(t.path()).mkdir("shared");
    const QString real = t.file("shared/results.txt");
    ASSERT_TRUE(writeLines(real, {"old"}));
    ASSERT_TRUE(QFile::link("shared/results.txt", t.file("relative.txt")));
    ASSERT_TRUE(QFile::link(t.file("relative.txt"), t.file("twice.txt")));
    for (const char* name : {"relative.txt", "twice.txt"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(writeLines(t.file(name), {"new"}));
        ASSERT_TRUE(appendLines(t.file(name), {name}));
        EXPECT_TRUE(QFileInfo(t.file(name)).isSymLink());
        EXPECT_EQ(test::readAll(real), QByteArray("new\r\n") + name + "\r\n");
    }
    // A link whose file is not there yet: the file is made where it points.
    ASSERT_TRUE(QFile::link(t.file("shared/later.txt"), t.file("later.txt")));
    ASSERT_TRUE(writeLines(t.file("later.txt"), {"first"}));
    EXPECT_TRUE(QFileInfo(t.file("later.txt")).isSymLink());
    EXPECT_EQ(test::readAll(t.file("shared/later.txt")), QByteArray("first\r\n"));
}

TEST(TextFile, OnlyAPlainFileIsReadAndOnlyAsMuchAsItsKindHolds)
{
    test::TestDir t;
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.txt")).constData(), 0600), 0);
    {
        QFile big(t.file("big.txt"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(300 * 1024, 'x'));
    }
    ASSERT_TRUE(writeLines(t.file("small.txt"), {"a", "b"}));
    const struct {
        QString path;
        qint64 limit;
        const char* why; // nullptr: read
    } cases[] = {
        {t.file("pipe.txt"), kTextFileLimit, "pipe"}, // no writer ever comes
        {"/dev/zero", kTextFileLimit, "device"},      // never ends
        {t.path(), kTextFileLimit, "folder"},
        {t.file("big.txt"), 100 * 1024, "more than"},
        {t.file("big.txt"), 300 * 1024, nullptr}, // exactly the limit
        {t.file("small.txt"), 6, nullptr},
        {t.file("small.txt"), 5, "more than"},
        {t.file("missing.txt"), kTextFileLimit, "No such file"},
    };
    for (const auto& c : cases) {
        QString error;
        const auto lines = readLines(c.path, &error, c.limit);
        EXPECT_EQ(bool(lines), c.why == nullptr) << c.path.toStdString() << " " << c.limit;
        if (c.why) {
            EXPECT_TRUE(error.contains(QLatin1String(c.why))) << error.toStdString();
        }
    }
}
