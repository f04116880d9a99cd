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
    EXPECT_TRUE(missing.error.startsWith("The names file " + t.file("none.txt")));
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
         "Doe,John\r\nZo\xEB,Anna\r\nLukasz,Jan\r\n", "John Doe"},
        {"UTF-8 beyond the code page: written as the names will be used",
         "Nowak,\xC5\x81ukasz\nDvo\xC5\x99\xC3\xA1k,Anna\n", "Nowak,Lukasz\r\nDvor\xE1k,Anna\r\n",
         "Lukasz Nowak"},
        {"quoted names as the scoring program writes them", "\"Roe, Jane\",Cher\n",
         "\"Roe, Jane\",Cher\r\n", "Roe, Jane"},
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

TEST(SkierNames, EveryNamesFileIsReadTheOneWay)
{
    using Mended = QList<std::pair<QString, QString>>;
    struct Case {
        const char* what;
        QByteArray bytes;
        QStringList names;
        Mended mended;
    };
    const std::vector<Case> cases = {
        {"UTF-8 is recognised", "Zo\xC3\xAB,Anna\r\n", {QStringLiteral("Anna Zoë")}, {}},
        {"with its byte-order mark",
         "\xEF\xBB\xBFZo\xC3\xAB,Anna\n",
         {QStringLiteral("Anna Zoë")},
         {}},
        {"not UTF-8: the Windows code page",
         "Zo\xEB,Anna\n\x8Aimon,Pia\n",
         {QStringLiteral("Anna Zoë"), QStringLiteral("Pia Šimon")},
         {}},
        {"letters beyond the code page get their base letter",
         "Nowak,\xC5\x81ukasz\nNguy\xE1\xBB\x85n,Lan\n",
         {"Lukasz Nowak", "Lan Nguyen"},
         {{QStringLiteral("Łukasz Nowak"), "Lukasz Nowak"},
          {QStringLiteral("Lan Nguyễn"), "Lan Nguyen"}}},
        {"a name of no letter the files can carry is left out",
         "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\nCher\n",
         {"Cher"},
         {{QStringLiteral("Иван"), ""}}},
        {"quoted names are kept whole, the others follow the name rule",
         "\"Roe, Jane\", \"Cher\"\nDoe, John\n\"Lee\"\n",
         {"Roe, Jane", "Cher", " John Doe", "Lee"},
         {}},
    };
    for (const Case& c : cases) {
        test::TestDir t;
        writeBytes(t.file("names.txt"), c.bytes);
        const SkierNames read = readSkierNames(t.file("names.txt"));
        EXPECT_TRUE(read.error.isEmpty()) << c.what;
        EXPECT_EQ(read.names, c.names) << c.what;
        EXPECT_EQ(read.mended, c.mended) << c.what;
    }
}

TEST(SkierNames, TheOperatorIsToldWhichNamesWereChanged)
{
    EXPECT_EQ(mendedNamesMessage("n.txt", {}), QString());
    QList<std::pair<QString, QString>> mended = {{QStringLiteral("Łukasz Nowak"), "Lukasz Nowak"},
                                                 {QStringLiteral("Иван"), ""}};
    EXPECT_EQ(mendedNamesMessage("n.txt", mended),
              QStringLiteral("Some names in n.txt hold letters that the results, the log and the "
                             "scoring program's files cannot carry (Windows code page 1252). They "
                             "are used as:\nŁukasz Nowak -> Lukasz Nowak\nИван is left out: none "
                             "of its letters can be written"));
    for (int i = 0; i < 12; ++i)
        mended.append({QStringLiteral("Ł%1").arg(i), QStringLiteral("L%1").arg(i)});
    const QStringList rows = mendedNamesMessage("n.txt", mended).split('\n');
    EXPECT_EQ(rows.size(), 12); // the sentence, ten names, and the count of the rest
    EXPECT_EQ(rows.last(), "and 4 more");

    test::TestDir t;
    writeBytes(t.file("chosen"), "Nowak,\xC5\x81ukasz\n");
    const NamesImport done = importSkierNames(t.file("chosen"), t.file(kSkierNamesFile));
    EXPECT_TRUE(done);
    EXPECT_EQ(done.mended, mendedNamesMessage(t.file("chosen"),
                                              {{QStringLiteral("Łukasz Nowak"), "Lukasz Nowak"}}));
}

TEST(SkierNames, TheCaptureScreenStartsWithTheFirstLinesName)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        std::optional<QString> first;
    };
    for (const Case& c : std::vector<Case>{
             {"UTF-8 beyond the code page", "Nowak,\xC5\x81ukasz\nDoe,John\n", "Lukasz Nowak"},
             {"an empty first line gives none", "\r\nDoe,John\r\n", std::nullopt},
             {"a quoted first line", "\"Roe, Jane\",Cher\n", "Roe, Jane"},
         }) {
        test::TestDir t;
        writeBytes(t.file(kSkierNamesFile), c.bytes);
        EXPECT_EQ(firstSkierName(t.file(kSkierNamesFile)), c.first) << c.what;
    }
    test::TestDir t;
    EXPECT_EQ(firstSkierName(t.file(kSkierNamesFile)), std::nullopt);
}

TEST(SkierNames, TypingTheFirstLettersFindsTheName)
{
    const QStringList names = {"John Doe", " Jane Roe", QStringLiteral("Anna Zoë"), "Johanna Lee",
                               "Cher"};
    struct Case {
        const char* typed;
        int found;
    };
    for (const Case& c : std::vector<Case>{
             {"j", 0},
             {"JOHA", 3},
             {"ja", 1}, // a leading blank does not hide the name
             {"zo", 2}, // nor does an accent: "zoe" finds Zoë
             {"zoe", 2},
             {"roe", 1}, // the surname, when no name starts so
             {"le", 3},
             {"c", 4},
             {"x", -1},
             {"john z", -1},
             {"", -1},
             {"  ", -1},
         })
        EXPECT_EQ(typeAheadMatch(names, QString::fromUtf8(c.typed)), c.found) << c.typed;
}
