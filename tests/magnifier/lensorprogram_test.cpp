// The lensor program as the operator starts it: its command line and what a
// second start does while one copy runs.

#include "magnifier/commandline.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace lensor;

namespace
{
// A lensor of its own, ended when the test is done with it.
struct Copy {
    QProcess process;
    ~Copy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool running() const { return process.state() == QProcess::Running; }
};

// A user of its own: options, runtime folder (where the copies meet) and home.
QProcessEnvironment userOf(const QTemporaryDir& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        const QString path = dir.filePath(QString::fromLatin1(v));
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
        env.insert(QString::fromLatin1(v), path);
    }
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

void start(Copy& copy, const QProcessEnvironment& env)
{
    copy.process.setProcessEnvironment(env);
    copy.process.start(QStringLiteral(LENSOR_PROGRAM), {QStringLiteral("-nosplash")});
    ASSERT_TRUE(copy.process.waitForStarted(10000));
}

// Of two copies started together, one ends at once (cleanly) and one runs.
// Returns the one that runs, or nothing.
Copy* onlyOneRuns(Copy& a, Copy& b)
{
    const QDeadlineTimer deadline(30000);
    while (a.running() && b.running() && !deadline.hasExpired()) {
        a.process.waitForFinished(20);
        b.process.waitForFinished(20);
    }
    if (a.running() == b.running()) {
        ADD_FAILURE() << (a.running() ? "both copies run" : "neither copy runs");
        return nullptr;
    }
    Copy& ended = a.running() ? b : a;
    EXPECT_EQ(ended.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ended.process.exitCode(), 0) << ended.process.readAllStandardError().toStdString();
    return a.running() ? &a : &b;
}
} // namespace

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

TEST(LensorProgram, OfTwoStartsAMomentApartOnlyOneRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QProcessEnvironment env = userOf(dir);
    {
        Copy first, second;
        start(first, env);
        QThread::msleep(20); // a double click on the menu entry
        start(second, env);
        Copy* running = onlyOneRuns(first, second);
        ASSERT_TRUE(running);
        // A copy that dies leaves its lock and socket behind.
        running->process.kill();
        ASSERT_TRUE(running->process.waitForFinished(10000));
    }
    // The next two starts are no different: the lock left behind is taken
    // over, and the copy that runs answers the other.
    Copy third, fourth;
    start(third, env);
    start(fourth, env);
    EXPECT_TRUE(onlyOneRuns(third, fourth));
}
