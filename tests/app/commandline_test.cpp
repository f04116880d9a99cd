#include "app/commandline.h"
#include "app/startcheck.h"

#include "grid/gridstate.h"
#include "shell/paths.h"
#include "shell/sharedstate.h"
#include "shell/statepictures.h"
#include "tests/support/testdir.h"
#include "viewers/manual.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::test;

namespace
{

using Mode = CommandLine::Mode;

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

} // namespace

TEST(CommandLine, EachArgumentIsKnownOrRefusedBeforeAnythingStarts)
{
    TestDir t;
    const QString jump = t.file("Annejump1.avi");
    const QString dashed = t.file("-jump.avi");
    touch(jump);
    touch(dashed);
    const QString before = QDir::currentPath();
    QDir::setCurrent(t.path()); // videos named as typed, relative to where korvel starts
    struct Case {
        QStringList args;
        Mode mode;
        bool capture;
        QString video;
        QString problem; // a part of the message
    } cases[] = {
        {{}, Mode::Run, false, {}, {}},
        {{"Annejump1.avi"}, Mode::Run, false, jump, {}},
        {{"--capture"}, Mode::Run, true, {}, {}},
        {{"--check"}, Mode::Check, false, {}, {}},
        {{"--", "-jump.avi"}, Mode::Run, false, dashed, {}},
        // --help and --version answer whatever stands beside them.
        {{"--help"}, Mode::Help, false, {}, {}},
        {{"--bogus", "-h", "two.avi", "three.avi"}, Mode::Help, false, {}, {}},
        {{"Annejump1.avi", "--version"}, Mode::Version, false, {}, {}},
        // A mistyped switch is never taken for a video.
        {{"--bogus"},
         Mode::Run,
         false,
         {},
         "korvel: unknown option \"--bogus\" (see korvel --help)"},
        {{"-capture", "Annejump1.avi"}, Mode::Run, false, {}, "unknown option \"-capture\""},
        {{"--", "--help"}, Mode::Run, false, {}, "there is no video \"--help\""},
        {{"help"}, Mode::Run, false, {}, "there is no video \"help\""},
        {{t.path()}, Mode::Run, false, {}, "is a folder, not a video"},
        {{"Annejump1.avi", "--", "-jump.avi"}, Mode::Run, false, {}, "one video at a time, not 2"},
        {{"--capture", "Annejump1.avi"}, Mode::Run, false, {}, "it opens no video"},
        {{"--check", "Annejump1.avi"}, Mode::Check, false, {}, "--check takes nothing else"},
    };
    for (const Case& c : cases) {
        const std::string name = c.args.join(' ').toStdString();
        const CommandLine line = parseCommandLine(c.args);
        EXPECT_EQ(line.mode, c.mode) << name;
        EXPECT_EQ(line.capture, c.capture) << name;
        EXPECT_EQ(line.video, c.video) << name;
        if (c.problem.isEmpty())
            EXPECT_TRUE(line.problem.isEmpty()) << name << ": " << line.problem.toStdString();
        else
            EXPECT_TRUE(line.problem.contains(c.problem))
                << name << ": " << line.problem.toStdString();
    }
    QDir::setCurrent(before);
}

TEST(StartCheck, ReadyOnlyWithEveryShippedFileAndEveryConfiguredGrid)
{
    // The shipped files in the (test's) program folder, where korvel looks first.
    for (const QString& name :
         {kManualFile, statePictureFile(StatePicture::Valid),
          statePictureFile(StatePicture::Invalid), statePictureFile(StatePicture::SmallSmiley),
          statePictureFile(StatePicture::SmallCaution)})
        touch(joinPath(programFolder(), name));
    TestDir t;
    auto settings = t.settings();
    const QString lensor = QCoreApplication::applicationFilePath(); // any program will do

    struct Case {
        int gridCount;
        bool grid2Ready;
        QString magnifier;
        QString verdict;
    } cases[] = {
        {1, false, lensor, "korvel is ready to measure."},
        {2, true, lensor, "korvel is ready to measure."},
        {2, false, lensor, "korvel is not ready: grid 2 not ready."},
        {1, true, t.file("lensor"), "korvel is not ready: not found: lensor."},
    };
    for (const Case& c : cases) {
        SharedState shared;
        shared.GridCount = c.gridCount;
        GridState grids;
        grids.gridFile[1] = t.file("one.ipt");
        grids.gridReady[1] = true;
        grids.gridReady[2] = c.grid2Ready;
        const CheckReport report = checkReport(*settings, shared, grids, c.magnifier);
        const std::string name = c.verdict.toStdString() + " " + std::to_string(c.gridCount);
        EXPECT_EQ(report.lines.last(), c.verdict) << name;
        EXPECT_EQ(report.ready, c.verdict == "korvel is ready to measure.") << name;
        EXPECT_TRUE(report.lines.contains("Grid 1: ready (" + t.file("one.ipt") + ")")) << name;
        EXPECT_EQ(report.lines.contains(QString("Grid 2: not ready (no grid file)")),
                  c.gridCount == 2 && !c.grid2Ready)
            << name;
    }
}
