#include "viewers/manual.h"

#include "tests/support/testdir.h"

#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace korvel;

// The manual that ships reads whole: every control word of it is one the
// reader knows or skips, so no markup shows through to the operator.
TEST(Manual, ShippedManualReadsCleanly)
{
    QTextDocument doc;
    ASSERT_EQ(loadManual(doc, QStringLiteral(KORVEL_MANUAL)), QString());
    const QString text = doc.toPlainText();
    EXPECT_GT(text.size(), 20000);
    for (QChar markup : {u'\\', u'{', u'}'})
        EXPECT_EQ(text.count(markup), 0) << markup.toLatin1();
    for (const char* topic : {"Setting up the grids", "A tournament day", "The files korvel writes",
                              "Troubleshooting", "kvresult.dst", "Complete"})
        EXPECT_TRUE(text.contains(QLatin1String(topic))) << topic;

    // Headings stand out from the body.
    int headings = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.begin() != b.end() && b.begin().fragment().charFormat().fontPointSize() > 13)
            ++headings;
    EXPECT_GE(headings, 5);
}

TEST(Manual, AMissingManualIsSaidSo)
{
    test::TestDir t;
    QTextDocument doc;
    const QString error = loadManual(doc, t.file("KV05Manual.rtf"));
    EXPECT_TRUE(
        error.startsWith("The manual " + t.file("KV05Manual.rtf") + " could not be opened"));
    EXPECT_TRUE(doc.isEmpty());
}
