#include "magnifier/commandline.h"
#include "magnifier/options.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace lensor;

namespace
{
QString writeIni(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("lensor.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}
} // namespace

TEST(LensorOptions, StoredValuesFollowTheirRangeRules)
{
    struct Case {
        QByteArray options;
        int factor, periodMs;
        bool topMost, crossHair, html;
    } cases[] = {
        {"Zoom=7\nRefresh=5\n", 1, 33, true, false, false}, // out of range: defaults
        {"Zoom=3\nRefresh=2\n", 8, 20, true, false, false},
        {"Zoom=-1\nRefresh=0\nTopMost=0\n", 1, 100, false, false, false},
        {"Zoom=2\nRefresh=1\nCrossHair=5\nHTML=1\n", 4, 33, true, true, true}, // non-zero is on
        {"Zoom=abc\nTopMost=\n", 1, 33, true, false, false}, // unreadable: default
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = writeIni(dir, "[Options]\n" + c.options);
        const LensorState s = OptionsStore(path).load({1024, 768});
        SCOPED_TRACE(c.options.toStdString());
        EXPECT_EQ(s.options.factor(), c.factor);
        EXPECT_EQ(s.options.periodMs(), c.periodMs);
        EXPECT_EQ(s.options.isOn(Option::TopMost), c.topMost);
        EXPECT_EQ(s.options.isOn(Option::CrossHair), c.crossHair);
        EXPECT_EQ(s.options.isOn(Option::Html), c.html);
        // A missing value or section is its default.
        EXPECT_TRUE(s.options.isOn(Option::Position));
        EXPECT_EQ(s.window(Section::HRuler), WindowRecord{});
    }
}

TEST(LensorOptions, FirstRunCentresTheWindowsAndWritesEverythingAtOnce)
{
    QTemporaryDir dir;
    const OptionsStore store(dir.filePath(QStringLiteral("sub/lensor.ini")));
    LensorState first = store.load({1025, 768});
    ASSERT_TRUE(store.exists());
    EXPECT_EQ(first.window(Section::Window), (WindowRecord{261, 427, 170, 245, true}));
    EXPECT_EQ(first.window(Section::Options).left, 262);
    EXPECT_EQ(first.window(Section::Options).top, 196);
    EXPECT_EQ(first.options, Options{});

    first.options.set(Option::Zoom, 2);
    first.options.set(Option::Shutter, 1);
    first.window(Section::ErrorCodes) = {10, 20, 300, 400, false};
    EXPECT_FALSE(store.save(first));
    EXPECT_EQ(store.load({640, 480}), first);

    // The file an operator would open: one group per section, plain numbers.
    QFile f(store.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray ini = f.readAll();
    for (const char* expected :
         {"[Options]", "Zoom=2", "[DeskTop]", "Window\\Width=170", "Error%20Codes\\Show=0"})
        EXPECT_TRUE(ini.contains(expected)) << expected << "\n" << ini.toStdString();
}

TEST(LensorOptions, AFailedWriteIsReportedWithItsCode)
{
    QTemporaryDir dir;
    const QString blocker = writeIni(dir, "not a folder");
    const OptionsStore store(blocker + QStringLiteral("/lensor.ini"));
    const auto failed = store.save(LensorState{});
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->startsWith(QStringLiteral("File: ") + store.path()))
        << failed->toStdString();
    // The reason itself: a file stands where the folder should be.
    EXPECT_TRUE(failed->endsWith(QStringLiteral("\rCode %1").arg(ENOTDIR)))
        << failed->toStdString();
}

TEST(LensorCommandLine, SwitchesSetTheirGroupsFirstMatchWinning)
{
    struct Case {
        const char* line;
        bool setup;
        int zoom, refresh, shutter, splash;
    } cases[] = {
        {"-4 -fast", false, 2, 2, 1, 1},
        {"/nosound", false, 3, 1, 0, 1},
        {"/SLOW /Sound -NoSplash", false, 3, 0, 1, 0},
        {"/8 /1", false, 0, 1, 1, 1},                   // "/1" is tried first
        {"-2 \"/home/op/8/-fast\"", false, 1, 1, 1, 1}, // cut at the quote
        {"/setup", true, 3, 1, 1, 1},                   // nothing else applied
        {" -SETUP ", true, 3, 1, 1, 1},
        {"/setup -8", false, 3, 1, 1, 1},
        {"", false, 3, 1, 1, 1},
    };
    for (const Case& c : cases) {
        Options o;
        o.set(Option::Zoom, 3);
        o.set(Option::Shutter, 1);
        SCOPED_TRACE(c.line);
        EXPECT_EQ(applyCommandLine(QString::fromLatin1(c.line), o), c.setup);
        EXPECT_EQ(o.zoom(), c.zoom);
        EXPECT_EQ(o.value(Option::Refresh), c.refresh);
        EXPECT_EQ(o.value(Option::Shutter), c.shutter);
        EXPECT_EQ(o.value(Option::Splash), c.splash);
    }
    EXPECT_EQ(joinedCommandLine({"lensor", "-4", "-fast"}), QStringLiteral("-4 -fast"));
}

TEST(LensorOptions, ADamagedFileIsReadAsFarAsItGoesAndRewrittenWithoutAFalseAlarm)
{
    struct Case {
        QByteArray text;
        int zoom; // what was still readable
    } cases[] = {
        {QByteArray("[Options]\nZoom=2\n\x01\x02\xff\xfe junk ]]] [[\n"), 2},
        {QByteArray("[Options\nZoom=2\n"), 2},
        {QByteArray("\xff\xfe\x00\x00\x12\x34", 6), 0},
        {QByteArray("[Options]\nZoom=2\n[DeskTop]\nWindow\\Left=\"12\n"), 2},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const OptionsStore store(writeIni(dir, c.text));
        SCOPED_TRACE(c.text.toPercentEncoding().toStdString());
        LensorState state = store.load({1024, 768});
        EXPECT_EQ(state.options.zoom(), c.zoom);
        state.options.set(Option::CrossHair, 1);
        // The file is rewritten whole: no message, and it reads back cleanly.
        const auto failed = store.save(state);
        EXPECT_FALSE(failed) << failed.value_or(QString()).toStdString();
        EXPECT_FALSE(store.saveVersion());
        EXPECT_EQ(store.load({1024, 768}), state);
        QSettings again(store.path(), QSettings::IniFormat);
        again.allKeys();
        EXPECT_EQ(again.status(), QSettings::NoError);
    }
}

TEST(LensorOptions, WindowsArePlacedOnTheScreensThereAreNow)
{
    const QRect laptop(0, 0, 1366, 768);
    const QRect monitor(1366, 0, 1920, 1080); // the second screen, right of the first
    struct Case {
        QRect stored;
        std::vector<QRect> screens;
        QRect placed;
    } cases[] = {
        {{35, 35, 350, 200}, {laptop}, {35, 35, 350, 200}},
        // Saved on a larger monitor that is gone: back inside, 70 pixels showing.
        {{2500, 900, 350, 200}, {laptop}, {1366 - 70, 768 - 70, 350, 200}},
        {{-1500, -800, 350, 200}, {laptop}, {0, 0, 350, 200}},
        // A saved size larger than the screen is cut to it.
        {{35, 35, 100000, 100000}, {laptop}, {35, 35, 1366, 768}},
        // A window on the second screen stays there, and takes its size from it.
        {{2500, 900, 350, 200}, {laptop, monitor}, {2500, 900, 350, 200}},
        {{1400, 10, 3000, 3000}, {laptop, monitor}, {1400, 10, 1920, 1080}},
        {{4000, 900, 350, 200}, {laptop, monitor}, {1366 - 70, 768 - 70, 350, 200}},
        // A panel along the top: the area free of it.
        {{20, 0, 350, 200}, {{0, 30, 1366, 738}}, {20, 30, 350, 200}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(placedOnScreens(c.stored, c.screens), c.placed)
            << c.stored.x() << "," << c.stored.y() << " " << c.stored.width() << "x"
            << c.stored.height() << " on " << c.screens.size() << " screen(s)";
    EXPECT_EQ(placedOnScreens({1, 2, 3, 4}, {}), QRect(1, 2, 3, 4));
}
