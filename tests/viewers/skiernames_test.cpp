#include "viewers/skiernames.h"

#include "shell/textfile.h"
#include "tests/support/testdir.h"

#include <QFile>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::readAll;

namespace
{

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(SkierNames, NameRule)
{
    struct Case {
        QString line, shown;
    };
    for (const Case& c : std::vector<Case>{
             {"Doe,John", "John Doe"},
             {"Doe, John", " John Doe"},
             {"Cher", "Cher"},
             {",Prince", "Prince "},
             {"Doe,", " Doe"},
             {"Smith,Anna,Jr", "Jr Smith Anna"},
         })
        EXPECT_EQ(skierDisplayName(c.line), c.shown) << c.line.toStdString();
}

TEST(SkierNames, ListSkipsEmptyLinesAndKeepsFileOrder)
{
    test::TestDir t;
    const QString path = t.file(kSkierNamesFile);
    writeBytes(path, "\r\nDoe,John\r\n\r\n   \r\nRoe, Jane\r\nCher\r\n\r\nZo\xEB,Anna");
    const SkierNames read = readSkierNames(path);
    EXPECT_TRUE(read.error.isEmpty());
    EXPECT_EQ(read.names,
              QStringList({"John Doe", " Jane Roe", "Cher", QStringLiteral("Anna Zoë")}));

    const SkierNames missing = readSkierNames(t.file("none.txt"));
    EXPECT_TRUE(missing.names.isEmpty());
    EXPECT_TRUE(missing.error.startsWith("The skier names file " + t.file("none.txt")));
}

TEST(SkierNames, ImportWritesTheTextOfAnyNamesFile)
{
    struct Case {
        const char* what;
        QByteArray source;
        QByteArray written;
        QString first;
    };
    const std::vector<Case> cases = {
        {"plain text", "Doe,John\r\nRoe,Jane\r\n", "Doe,John\r\nRoe,Jane\r\n", "John Doe"},
        {"plain text, LF and no last line end", "Doe,John\n\nLee,Ann",
         "Doe,John\r\n\r\nLee,Ann\r\n", "John Doe"},
        {"UTF-8 becomes the single-byte text of the lake files", "Zo\xC3\xAB,Anna\n",
         "Zo\xEB,Anna\r\n", QStringLiteral("Anna Zoë")},
        {"rich text from a word processor, ending in a zero byte as some do",
         QByteArray(
             "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil"
             "\\fcharset0 Calibri;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
             "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 Doe,John\\par\r\nZo\\'eb,Anna\\par\r\n"
             "\\u321?ukasz,Jan\\par\r\n}\r\n") +
             QByteArray(1, '\0'),
         "Doe,John\r\nZo\xEB,Anna\r\n?ukasz,Jan\r\n", "John Doe"},
    };
    for (const Case& c : cases) {
        test::TestDir t;
        writeBytes(t.file("chosen"), c.source);
        const NamesImport done = importSkierNames(t.file("chosen"), t.file(kSkierNamesFile));
        EXPECT_TRUE(done) << c.what << ": " << done.error.toStdString();
        EXPECT_EQ(readAll(t.file(kSkierNamesFile)), c.written) << c.what;
        EXPECT_EQ(done.firstName, c.first) << c.what;
    }
}

TEST(SkierNames, AFailedImportKeepsTheNamesThereWere)
{
    test::TestDir t;
    const QString names = t.file(kSkierNamesFile);
    ASSERT_TRUE(writeLines(names, {"Doe,John"}));

    writeBytes(t.file("picture.bmp"), QByteArray("BM\x36\0\0\0", 6));
    NamesImport done = importSkierNames(t.file("picture.bmp"), names);
    EXPECT_FALSE(done);
    EXPECT_EQ(done.error,
              t.file("picture.bmp") +
                  " is not a text or rich-text file. The skier names were not changed.");

    done = importSkierNames(t.file("absent.txt"), names);
    EXPECT_FALSE(done);
    EXPECT_TRUE(
        done.error.startsWith("The names file " + t.file("absent.txt") + " could not be read"));

    // A pipe chosen in the file dialog is refused, not waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.file("pipe.txt")).constData(), 0600), 0);
    done = importSkierNames(t.file("pipe.txt"), names);
    EXPECT_FALSE(done);
    EXPECT_TRUE(done.error.contains("pipe")) << done.error.toStdString();

    writeBytes(t.file("good.txt"), "Roe,Jane\n");
    done = importSkierNames(t.file("good.txt"), t.file("no/such/folder/SkierNames.txt"));
    EXPECT_FALSE(done);
    EXPECT_TRUE(done.error.startsWith("The skier names could not be saved as "));

    EXPECT_EQ(readAll(names), QByteArray("Doe,John\r\n"));
}
