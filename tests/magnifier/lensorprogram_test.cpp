// The lensor program as the operator starts it: its command line and what a
// second start does while one copy runs.

#include "magnifier/commandline.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace lensor;

TEST(LensorProgram, HelpPrintsTheSwitchesWithoutADisplay)
{
    for (const char* ask : {"--help", "-h", "/?"}) {
        QProcess lensor;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display at all: a window, or even the application object, would fail.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        lensor.setProcessEnvironment(env);
        lensor.start(QStringLiteral(LENSOR_PROGRAM), {QString::fromLatin1(ask)});
        ASSERT_TRUE(lensor.waitForFinished(30000)) << ask;
        SCOPED_TRACE(ask);
        EXPECT_EQ(lensor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(lensor.exitCode(), 0);
        const QString usage = QString::fromLocal8Bit(lensor.readAllStandardOutput());
        EXPECT_TRUE(usage.startsWith(QStringLiteral("Usage: lensor"))) << usage.toStdString();
        for (const char* word : {"-8", "-fast", "-nosound", "-nosplash", "-setup", "lensor.ini"})
            EXPECT_TRUE(usage.contains(QLatin1String(word))) << word;
    }
}

TEST(LensorProgram, HelpIsAskedOnlyByItsOwnWords)
{
    struct Case {
        QStringList arguments;
        bool help;
    } cases[] = {
        {{"lensor", "--help"}, true},  {{"lensor", "-8", "--HELP"}, true},
        {{"lensor", "/?"}, true},      {{"lensor", "-8", "-fast"}, false},
        {{"lensor", "-setup"}, false}, {{"lensor", "-helpful"}, false},
        {{"--help"}, false}, // the program's own name is not a switch
    };
    for (const Case& c : cases)
        EXPECT_EQ(asksForHelp(c.arguments), c.help) << c.arguments.join(' ').toStdString();
}
