#include "viewers/rtfreader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <random>

using namespace korvel;

namespace
{

struct Case {
    const char* what;
    QByteArray input;
    QString text;
};

void expectTexts(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        QTextDocument doc;
        const QString plain = readRichText(c.input, &doc);
        EXPECT_EQ(plain, c.text) << c.what;
        // The document holds the same text; line breaks within a paragraph
        // are line separators there.
        QString shown = doc.toPlainText();
        shown.replace(QChar::LineSeparator, u'\n');
        EXPECT_EQ(shown, plain) << c.what;
    }
}

} // namespace

TEST(RtfReader, ReadsTheCommonSubset)
{
    expectTexts({
        {"paragraphs and line breaks", "{\\rtf1\\ansi one\\par two\\line three\\par}",
         "one\ntwo\nthree\n"},
        {"file line ends carry nothing", "{\\rtf1 a\r\nb\\par\r\nc}", "ab\nc"},
        {"tab", "{\\rtf1 Doe\\tab John}", "Doe\tJohn"},
        {"delimiting blank belongs to the word", "{\\rtf1\\b  bold\\b0  plain}", " bold plain"},
        {"escaped braces and backslash", "{\\rtf1 a\\{b\\}c\\\\d}", "a{b}c\\d"},
        {"Windows-1252 by hex", "{\\rtf1 Zo\\'ebe \\'80\\'96}", QStringLiteral("Zoëe €–")},
        {"Unicode with one stand-in", "{\\rtf1 \\u268?esk\\u-3913?}", QStringLiteral("Česk\uF0B7")},
        {"uc0: no stand-in", "{\\rtf1\\uc0 \\u321 ukasz}", QStringLiteral("Łukasz")},
        {"uc2: a hex and a letter stand in", "{\\rtf1\\uc2 \\u8364\\'80xy}", QStringLiteral("€y")},
        {"stand-in skip ends at a group", "{\\rtf1\\uc3 \\u945{b}c}", QStringLiteral("αbc")},
        {"uc is kept per group", "{\\rtf1 {\\uc0 \\u946 x}\\u947 yz}", QStringLiteral("βxγz")},
        {"tables and information skipped",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 Courier;}}"
         "{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
         "{\\info{\\title Secret}{\\author Someone}}Text}",
         "Text"},
        {"optional destinations skipped", "{\\rtf1{\\*\\generator Writer 1.0;}{\\*\\unknown x}ok}",
         "ok"},
        {"pictures skipped, hex and all", "{\\rtf1 a{\\pict\\pngblip 89504e47{}0d0a}b}", "ab"},
        {"binary data may hold braces", "{\\rtf1 a{\\pict\\bin4 }{\\x}b}", "ab"},
        {"field shows its result",
         "{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Link}}}", "Link"},
        {"hidden text", "{\\rtf1 a{\\v secret}b\\v c\\v0 d\\v e\\plain f}", "abdf"},
        {"typographic words", "{\\rtf1\\ldblquote a\\rdblquote \\emdash  b\\bullet}",
         QStringLiteral("“a”— b•")},
        {"text after the document is not read", "{\\rtf1 done}trailing{x}", "done"},
        {"leading byte-order mark and blanks", "\xEF\xBB\xBF \r\n{\\rtf1 x}", "x"},
    });
}

TEST(RtfReader, PlainTextPassesThrough)
{
    expectTexts({
        {"lines", "Doe,John\r\n\r\nRoe, Jane\r\n", "Doe,John\n\nRoe, Jane\n"},
        {"LF and lone CR", "a\nb\rc", "a\nb\nc"},
        {"Windows-1252", "Zo\xEB \x80", QStringLiteral("Zoë €")},
        {"UTF-8 with its mark", "\xEF\xBB\xBFZo\xC3\xAB", QStringLiteral("Zoë")},
        {"braces and backslashes are just text", "{not rtf} C:\\caps\\x", "{not rtf} C:\\caps\\x"},
        {"nothing", "", ""},
    });
}

TEST(RtfReader, KeepsBoldItalicUnderlineSizeAndAlignment)
{
    QTextDocument doc;
    readRichText("{\\rtf1\\pard\\qc\\fs40 Title\\par\\pard\\fs24 n\\b b\\b0 {\\i i}\\ul u\\ulnone "
                 "{\\b\\i\\ul all\\plain p}\\par}",
                 &doc);
    const QTextBlock title = doc.firstBlock();
    EXPECT_EQ(title.text(), QStringLiteral("Title"));
    EXPECT_EQ(title.blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(title.begin().fragment().charFormat().fontPointSize(), 20.0);

    const QTextBlock body = title.next();
    EXPECT_EQ(body.text(), QStringLiteral("nbiuallp"));
    EXPECT_EQ(body.blockFormat().alignment(), Qt::AlignLeft);
    struct Expect {
        QChar ch;
        bool bold, italic, underline;
    };
    for (const Expect& e : std::vector<Expect>{{u'n', false, false, false},
                                               {u'b', true, false, false},
                                               {u'i', false, true, false},
                                               {u'u', false, false, true},
                                               {u'a', true, true, true},
                                               {u'p', false, false, false}}) {
        QTextCursor c(&doc);
        c.setPosition(body.position() + body.text().indexOf(e.ch) + 1);
        const QTextCharFormat f = c.charFormat();
        EXPECT_EQ(f.fontWeight() == QFont::Bold, e.bold) << e.ch.toLatin1();
        EXPECT_EQ(f.fontItalic(), e.italic) << e.ch.toLatin1();
        EXPECT_EQ(f.fontUnderline(), e.underline) << e.ch.toLatin1();
    }
}

// A damaged file gives what could be read before and around the damage.
TEST(RtfReader, DamagedFilesGiveTheTextThatCanBeRead)
{
    const QByteArray deep = QByteArray(200000, '{') + "x" + QByteArray(200000, '}');
    expectTexts({
        {"truncated inside groups", "{\\rtf1 abc {\\b def", "abc def"},
        {"truncated in a control word", "{\\rtf1 ab\\pa", "ab"},
        {"truncated after a backslash", "{\\rtf1 ab\\", "ab"},
        {"truncated hex", "{\\rtf1 ab\\'4", "ab"},
        {"hex without digits", "{\\rtf1 a\\'zzb}", "azzb"},
        {"closing braces too many", "{\\rtf1 a}}}b", "a"},
        {"huge parameters", "{\\rtf1\\fs99999999999999999999 a\\li-99999999999999999999 b}", "ab"},
        {"huge Unicode and stand-in counts", "{\\rtf1{\\uc99999999999 \\u99999999999 abc\\par}d}",
         "d"},
        {"huge binary length", "{\\rtf1 a\\bin99999999999 bcd}", "a"},
        {"overlong control word", "{\\rtf1 a\\" + QByteArray(100000, 'x') + " b}", "ab"},
        {"deep nesting", "{\\rtf1" + deep + "}", "x"},
        {"only opening braces", "{\\rtf1" + QByteArray(1000000, '{'), ""},
        {"control bytes are not text",
         "{\\rtf1 a\x01\x02\x7F"
         "b}",
         "ab"},
        {"zero bytes", QByteArray("{\\rtf1 a\0b}", 11), "ab"},
        {"a skipped table never closed", "{\\rtf1{\\fonttbl{\\f0 Arial;}text", ""},
    });
}

// Any arrangement of the reader's tokens, cut anywhere, reads to its end.
TEST(RtfReader, TokenSoupNeverHangsOrCrashes)
{
    const std::vector<QByteArray> tokens = {
        "{",     "}",     "\\par ",     "\\b",       "\\b0",    "\\i ",       "\\ul",   "\\ulnone",
        "\\'e9", "\\'",   "\\'4",       "\\u-1",     "\\u",     "\\uc",       "\\uc2 ", "\\u8364?",
        "\\*",   "\\bin", "\\bin3 ",    "\\fonttbl", "\\pict",  "text ",      "\\\\",   "\\{",
        "\\",    "-",     "9999999999", "\\fs",      "\\plain", "\\pard\\qc", "\r\n",   "\x80\xff",
    };
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        QByteArray input = "{\\rtf1 ";
        const int count = static_cast<int>(random() % 60);
        for (int k = 0; k < count; ++k)
            input += tokens[random() % tokens.size()];
        input.truncate(static_cast<qsizetype>(random() % (input.size() + 1)));
        QTextDocument doc;
        const QString plain = readRichText(input, &doc);
        ASSERT_LE(plain.size(), input.size()) << input.toStdString();
    }
}
