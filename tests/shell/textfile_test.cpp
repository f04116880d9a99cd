#include "shell/textfile.h"
#include "tests/support/testdir.h"

#include <QFile>

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
