#include "tests/app/hubfixture.h"

#include "app/firstrun.h"
#include "app/placement.h"

#include "grid/gridfile.h"
#include "shell/paths.h"
#include "shell/textrules.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>

using namespace korvel;
using namespace korvel::test;

namespace
{

QString logPath(const Lake& lake)
{
    return lake.videos + "/JumpMeasurementLog" + dateStamp() + ".txt";
}

} // namespace

// ---- Start-up ---------------------------------------------------------------

TEST(StartUp, TwoStartsOnOneDayAppendTwoStartLinesToOneLog)
{
    Lake lake;
    for (int start = 0; start < 2; ++start) {
        Session run(lake);
        run.start();
        EXPECT_EQ(run.shared.VideoDir, lake.videos);
        EXPECT_EQ(lake.settings->get(Setting::LogFile), run.shared.LogFileName);
    }
    const QStringList lines = lake.fileLines(logPath(lake));
    ASSERT_EQ(lines.size(), 2);
    // Date to column 15, time to column 29, as the other log lines.
    const QRegularExpression startLine(
        R"(^\d\d-\d\d-\d{4}    \d\d:\d\d:\d\d      Korvel Measurement Session started  $)");
    for (const QString& l : lines)
        EXPECT_TRUE(startLine.match(l).hasMatch()) << l.toStdString();
    EXPECT_TRUE(readAll(logPath(lake)).endsWith("started  \r\n"));
}

TEST(StartUp, VideoFolderIsAskedForUntilOneExists)
{
    Lake lake;
    lake.settings->save(Setting::LogPath, lake.dir.file("gone"));
    const QString ask = "No Correct Save Video Directory has been set.  Please put in the path of "
                        "the Save Video Directory here.";
    const QString invalid = "You entered an invalid path - try  again";
    Session run(lake);
    lake.prompt.expectYesNo("Do you want to reset all parameters to install values?", false)
        .expectInput(ask, QString(), QString("Input Save Video Files Path"))
        .expectMessage(invalid)
        .expectInput(ask, lake.dir.file("still-gone"))
        .expectMessage(invalid)
        .expectInput(ask, lake.videos + "/")
        .expectMessage("Please Verify all Setup Parameters");
    ASSERT_TRUE(run.main.startUp());
    EXPECT_EQ(run.shared.VideoDir, lake.videos);
    EXPECT_EQ(run.main.videoDirText(), lake.videos + "/");
    EXPECT_EQ(lake.settings->get(Setting::LogPath), lake.videos);
    EXPECT_EQ(lake.fileLines(logPath(lake)).size(), 1);

    // Cancel is the operator's way out: nothing can be done without a folder.
    QDir(lake.videos).removeRecursively();
    Session again(lake);
    lake.prompt.expectYesNo("Do you want to reset all parameters to install values?", false)
        .expectInput(ask, std::nullopt);
    EXPECT_FALSE(again.main.startUp());
}

TEST(StartUp, FrameRateClassInLblConfig)
{
    const struct {
        double rate;
        const char* caption;
    } cases[] = {
        {0, "Currently Configured for R"}, // the design caption stays
        {4.9, "Currently Configured for R"}, {5, "Currently Configured for Normal/C"},
        {15, "Currently Configured for L"},  {24.9, "Currently Configured for L"},
        {25, "Currently Configured for R"},  {60, "Currently Configured for R"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MainModel::configuredFor(c.rate), c.caption) << c.rate;
}

TEST(StartUp, MainAndCaptureScreensSideBySideWhereTheyFit)
{
    const QRect desktop(0, 0, 1280, 800);
    const struct {
        const char* what;
        QRect main;
        int captureWidth;
        QRect within;
        QPoint mainAt, captureAt;
    } cases[] = {
        {"both fit where the main screen is",
         {100, 50, 400, 300},
         600,
         desktop,
         {100, 50},
         {500, 50}},
        {"exactly to the right edge", {280, 50, 400, 300}, 600, desktop, {280, 50}, {680, 50}},
        {"the main screen moves left", {600, 50, 400, 300}, 600, desktop, {0, 50}, {400, 50}},
        {"the capture screen too wide beside it",
         {600, 50, 400, 300},
         1000,
         desktop,
         {0, 50},
         {0, 50}},
        {"a desktop that starts right of a panel",
         {600, 40, 400, 300},
         600,
         QRect(64, 0, 1216, 800),
         {64, 40},
         {464, 40}},
    };
    for (const auto& c : cases) {
        const StartPlacement p = placeAtStart(c.main, c.captureWidth, c.within);
        EXPECT_EQ(p.main, c.mainAt) << c.what;
        EXPECT_EQ(p.capture, c.captureAt) << c.what;
    }
}

// ---- The hub's navigation -----------------------------------------------------

TEST(Navigation, GatesAndHandOvers)
{
    const QString pathError = kPathErrorText;
    const struct {
        MainCommand command;
        bool folderExists;
        int gridsReady;
        std::vector<Screen> shown;
        bool mainHidden;
        ScreenTag lastScreen;
        QString message;
    } cases[] = {
        {MainCommand::cmdGoCapture, true, 0, {Screen::Capture}, true, ScreenTag::Setup, {}},
        {MainCommand::cmdGoTimer, true, 0, {Screen::Review}, true, ScreenTag::Setup, {}},
        {MainCommand::cmdGoCapture, false, 1, {}, false, ScreenTag::None, pathError},
        {MainCommand::cmdGoTimer, false, 1, {}, false, ScreenTag::None, pathError},
        {MainCommand::ccmdGoToMeasure, true, 1, {Screen::Measure}, true, ScreenTag::None, {}},
        {MainCommand::ccmdGoToMeasure,
         true,
         0,
         {Screen::GridSetup},
         true,
         ScreenTag::None,
         kGridsNotReadyText},
        {MainCommand::cmdConfigure, false, 0, {Screen::Config}, true, ScreenTag::None, {}},
        {MainCommand::cmdSetup, false, 0, {Screen::GridSetup}, true, ScreenTag::None, {}},
        {MainCommand::mnuViewLog, true, 0, {Screen::LogView}, false, ScreenTag::None, {}},
        {MainCommand::mnuPictureLog, true, 0, {Screen::PictureLogView}, false, ScreenTag::None, {}},
        {MainCommand::munManual, true, 0, {Screen::Manual}, true, ScreenTag::None, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(controlName(c.command).toStdString());
        Lake lake;
        Session run(lake);
        run.start();
        if (!c.folderExists)
            QDir(lake.videos).removeRecursively();
        run.shared.GridsReady = c.gridsReady;
        if (c.message == pathError)
            lake.prompt.expectMessage(c.message, QString("Path Error"), Icon::Exclamation);
        else if (!c.message.isEmpty())
            lake.prompt.expectMessage(c.message, QString(), Icon::Critical);
        run.main.run(c.command);
        EXPECT_EQ(run.screens.shown, c.shown);
        EXPECT_EQ(run.screens.mainHidden, c.mainHidden);
        EXPECT_EQ(run.shared.LastScreen, c.lastScreen);
        run.main.shown();
        EXPECT_EQ(run.shared.LastScreen, ScreenTag::None);
    }
}

TEST(Navigation, ChangeOfVideoFolder)
{
    Lake lake;
    Session run(lake);
    run.start();
    const QString other = lake.dir.file("other");
    QDir().mkpath(other);
    const QString ask = "Please put in the path of the Save Video Directory here.";
    lake.prompt.expectInput(ask, lake.dir.file("nowhere"))
        .expectMessage("The folder you entered does not exist", QString("Jump Measurement Alert"),
                       Icon::Exclamation)
        .expectInput(ask, other + "/");
    run.main.run(MainCommand::btnChangeDirectory);
    EXPECT_EQ(run.shared.VideoDir, other);
    EXPECT_EQ(lake.settings->get(Setting::LogPath), other);
    EXPECT_EQ(run.main.videoDirLabel(), other + "/");

    // An empty answer changes nothing.
    lake.prompt.expectInput(ask, QString());
    run.main.run(MainCommand::btnChangeDirectory);
    EXPECT_EQ(run.shared.VideoDir, other);
}

// ---- Configuration ------------------------------------------------------------

TEST(Configuration, ConfiguredGridsComeBackAtLoad)
{
    const struct {
        const char* name;
        const char* grids;
        std::vector<int> onDisk;  // grid files written
        std::vector<int> missing; // keys naming a file that is not there
        std::array<bool, 4> visible;
        std::array<GridImage, 4> images;
        std::vector<QString> blockOrder; // "Grid Number" lines of the set-up blocks
        int gridsReady;
    } cases[] = {
        {"two grids, only grid 1 on disk",
         "2",
         {1},
         {2},
         {false, true, true, false},
         {GridImage::Caution, GridImage::Smiley, GridImage::Caution, GridImage::Caution},
         {"Grid Number:  1 "},
         0},
        {"grids 1 and 3, loaded 3 then 1",
         "3",
         {1, 3},
         {},
         {false, true, true, true},
         {GridImage::Caution, GridImage::Smiley, GridImage::Caution, GridImage::Smiley},
         {"Grid Number:  3 ", "Grid Number:  1 "},
         0},
        {"one grid ready",
         "1",
         {1},
         {},
         {false, true, false, false},
         {GridImage::Caution, GridImage::Smiley, GridImage::Caution, GridImage::Caution},
         {"Grid Number:  1 "},
         1},
        {"a grid count out of range means one grid",
         "7",
         {},
         {},
         {false, true, false, false},
         {},
         {},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Lake lake;
        lake.settings->save(Setting::Grids, c.grids);
        for (int g : c.onDisk) {
            lake.writeGrid(g);
            lake.settings->save(gridFileSetting(g), lake.grid(g));
        }
        Session run(lake);
        run.start();
        for (int g : c.missing) {
            lake.settings->save(gridFileSetting(g), lake.grid(g));
            lake.prompt.expectMessage(QString("The file of grid %1 was not found:\n%2\nGrid %1 is "
                                              "not set up; load or set it up on the grid set-up "
                                              "screen.")
                                          .arg(g)
                                          .arg(lake.grid(g)),
                                      QString(), Icon::Exclamation);
        }
        run.configModel.load();

        EXPECT_EQ(run.shared.CurrentGrid, 1);
        EXPECT_EQ(run.shared.GridsReady, c.gridsReady);
        EXPECT_FALSE(run.shared.LoadingGrids);
        for (int g = 1; g <= 3; ++g) {
            EXPECT_EQ(run.main.grid(g).visible, c.visible[g]) << g;
            EXPECT_EQ(run.main.grid(g).image, c.images[g]) << g;
        }
        QStringList blocks;
        for (const QString& l : lake.fileLines(run.shared.ResultsFile))
            if (l.startsWith("Grid Number:"))
                blocks << l;
        EXPECT_EQ(blocks, QStringList(c.blockOrder.begin(), c.blockOrder.end()));
        // The results file lies in the video folder under the day's name.
        if (!c.blockOrder.empty()) {
            EXPECT_EQ(run.shared.ResultsFile,
                      lake.videos + "/JumpMeasurementResults" + dateStamp() + ".txt");
        }
    }
}

TEST(Configuration, RefusedGridFileIsReportedOnceAndTheStartGoesOn)
{
    Lake lake;
    lake.settings->save(Setting::Grids, "1");
    const QString bad = lake.grid(1);
    ASSERT_TRUE(writeLines(bad, {"not a grid"}));
    lake.settings->save(Setting::Grid1File, bad);
    const auto refused = std::get<GridFileError>(readGridFiles(bad)).message;
    Session run(lake);
    run.start();
    lake.prompt.expectMessage("The grid file could not be loaded; nothing was changed.\n" +
                              refused);
    run.configModel.load();
    EXPECT_EQ(run.main.grid(1).image, GridImage::Caution);
    EXPECT_EQ(run.shared.GridsReady, 0);
    EXPECT_FALSE(run.grids.gridReady[1]);
}

TEST(Configuration, RestartComesBackWithTheConfiguredGrids)
{
    Lake lake;
    lake.writeGrid(1);
    lake.writeGrid(2);
    {
        // The first run: two grids chosen, each loaded on grid set-up.
        Session first(lake);
        first.start();
        first.configModel.load();
        first.configModel.select(ConfigOption::Opt2grid);
        for (int g = 1; g <= 2; ++g) {
            lake.prompt.expectMessage("Front ratio is  67%  Zoom camera in until front is > 85%");
            ASSERT_TRUE(first.gridSetup.loadGrid(g, lake.grid(g)));
        }
        EXPECT_EQ(first.shared.GridsReady, 1);
    }
    Session second(lake);
    second.start();
    second.configModel.load();
    EXPECT_EQ(second.shared.GridCount, 2);
    EXPECT_EQ(second.shared.GridsReady, 1);
    EXPECT_TRUE(second.grids.gridReady[1]);
    EXPECT_TRUE(second.grids.gridReady[2]);
    EXPECT_EQ(second.grids.gridFile[2], lake.grid(2));
    EXPECT_EQ(second.main.grid(2).label, "Grid 2");
    EXPECT_EQ(second.main.grid(2).image, GridImage::Smiley);
    // The jump is measured with the grid of the first camera.
    EXPECT_EQ(second.shared.CurrentGrid, 1);
}

TEST(Configuration, TournamentTypeIsBarefootOrSitSkiNeverBoth)
{
    const struct {
        const char* stored;
        std::vector<std::pair<ConfigCheck, bool>> clicks;
        bool barefoot, sitSki;
        const char* type;
    } cases[] = {
        {"sitski", {{ConfigCheck::Barefoot_box, true}}, true, false, "barefoot"},
        {"barefoot", {{ConfigCheck::SitSki_box, true}}, false, true, "sitski"},
        // Clearing the other box keeps the jump type that is on.
        {"sitski", {{ConfigCheck::Barefoot_box, false}}, false, true, "sitski"},
        {"barefoot", {{ConfigCheck::Barefoot_box, false}}, false, false, "normal"},
        {"", {}, false, false, "normal"},
        {"sitski", {}, false, true, "sitski"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Lake lake;
        lake.settings->save(Setting::TournamentType, c.stored);
        Session run(lake);
        run.start();
        run.configModel.load();
        for (const auto& [box, on] : c.clicks)
            run.configModel.setChecked(box, on);
        EXPECT_EQ(run.configModel.checked(ConfigCheck::Barefoot_box), c.barefoot);
        EXPECT_EQ(run.configModel.checked(ConfigCheck::SitSki_box), c.sitSki);
        EXPECT_EQ(run.shared.BarefootMode, c.barefoot);
        EXPECT_EQ(run.shared.SitSkiMode, c.sitSki);
        EXPECT_EQ(nameOf(run.shared.TournamentType), c.type);
        EXPECT_EQ(lake.settings->get(Setting::TournamentType), c.type);
        EXPECT_GT(run.config.typeChanges, 0);
    }
}

TEST(Configuration, StoredChoicesReachTheSharedState)
{
    const struct {
        Setting key;
        const char* value;
        std::function<QString(const SharedState&, const ConfigModel&)> seen;
        const char* expected;
        const char* written; // the key afterwards
    } cases[] = {
        {Setting::BuoyMarker, "circle", [](auto& s, auto&) { return nameOf(s.BuoyMarker); },
         "circle", "circle"},
        {Setting::BuoyMarker, "cross", [](auto& s, auto&) { return nameOf(s.BuoyMarker); }, "cross",
         "cross"},
        {Setting::BuoyMarker, "Cross", [](auto& s, auto&) { return nameOf(s.BuoyMarker); },
         "circle", "circle"},
        {Setting::BuoyMarker, "", [](auto& s, auto&) { return nameOf(s.BuoyMarker); }, "circle",
         "circle"},
        {Setting::RightToLeft, "True", [](auto& s, auto&) { return nameOf(s.JumpDirection); },
         "right", "True"},
        {Setting::RightToLeft, "False", [](auto& s, auto&) { return nameOf(s.JumpDirection); },
         "left", "False"},
        {Setting::BoxLineOff, "True", [](auto& s, auto&) { return nameOf(s.LineMode); }, "line_off",
         "True"},
        {Setting::BoxLineOff, "False", [](auto& s, auto&) { return nameOf(s.LineMode); }, "line_on",
         "False"},
        {Setting::Wstims, "1", [](auto& s, auto&) { return nameOf(s.WstimsState); }, "WSTIMS ON",
         "1"},
        {Setting::Wstims, "0", [](auto& s, auto&) { return nameOf(s.WstimsState); }, "WSTIMS OFF",
         "0"},
        {Setting::PictureSave, "NoSave", [](auto& s, auto&) { return nameOf(s.PictureSavePolicy); },
         "NoSave", "NoSave"},
        {Setting::PictureSave, "", [](auto& s, auto&) { return nameOf(s.PictureSavePolicy); },
         "Ask", "Ask"},
        {Setting::VideoSave, "Save", [](auto& s, auto&) { return nameOf(s.VideoSavePolicy); },
         "Save", "Save"},
        {Setting::LabelColor, "",
         [](auto&, auto& m) { return controlName(m.selected(ConfigGroup::message_colors)); },
         "default_color", "default"},
        {Setting::LabelColor, "yellow",
         [](auto&, auto& m) { return controlName(m.selected(ConfigGroup::message_colors)); },
         "yellow_color", "yellow"},
        {Setting::ImpactColor, "",
         [](auto&, auto& m) { return controlName(m.selected(ConfigGroup::ImpactColour)); },
         "OptImpactWhite", ""},
        {Setting::ImpactColor, "red",
         [](auto&, auto& m) { return controlName(m.selected(ConfigGroup::ImpactColour)); },
         "OptImpactRed", "red"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(settingName(c.key).toStdString() + "=" + c.value);
        Lake lake;
        lake.settings->save(c.key, c.value);
        Session run(lake);
        run.start();
        run.configModel.load();
        EXPECT_EQ(c.seen(run.shared, run.configModel), c.expected);
        EXPECT_EQ(lake.settings->get(c.key), c.written);
    }
}

TEST(Configuration, ExitWritesTheConfigurationLineAndHandsOverTheNames)
{
    Lake lake;
    lake.settings->save(Setting::Wstims, "1");
    lake.settings->save(Setting::TournamentName, "Lake Cup");
    // A start list saved as UTF-8, one "Surname,Given" a line, as the import
    // of the main screen reads it; a letter the files cannot carry is mended
    // and said.
    const QString names = lake.dir.file("names.txt");
    {
        QFile f(names);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Roe, Jane\r\n\r\n\"Doe\",John \r\nZo\xC3\xAB,Anna\r\nNowak,\xC5\x81ukasz\r\n\r\n");
    }
    Session run(lake);
    run.start();
    run.configModel.load();
    run.configModel.setText(ConfigText::SkierNameFile, names);
    lake.prompt.expectMessage(
        "Some names in " + names +
            " hold letters that the results, the log and the scoring program's files cannot "
            "carry (Windows code page 1252). They are used as:\n" +
            QStringLiteral("Łukasz Nowak -> Lukasz Nowak"),
        QString(), Icon::Information);
    run.configModel.exitAndSave();
    EXPECT_TRUE(lake.prompt.done());
    const QStringList results = lake.fileLines(run.shared.ResultsFile);
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(
        QRegularExpression(R"(^New Configuration: \d\d-\d\d-\d{4}  \d\d:\d\d:\d\d Lake Cup$)")
            .match(results[0])
            .hasMatch())
        << results[0].toStdString();
    EXPECT_EQ(run.config.names,
              QStringList({"Jane Roe", "Doe", "John", QStringLiteral("Anna Zoë"), "Lukasz Nowak"}));
    EXPECT_EQ(run.config.getName, true);
    EXPECT_TRUE(run.config.mainShown);
    EXPECT_EQ(run.shared.CapturesDir, lake.videos + "/");

    // An unreadable names file leaves the list as it was.
    run.config.names.reset();
    run.configModel.setText(ConfigText::SkierNameFile, lake.dir.file("none.txt"));
    lake.prompt.expectMessage("Names not loaded, check file name and path");
    run.configModel.exitAndSave();
    EXPECT_FALSE(run.config.names);
}

TEST(Configuration, ResultsPathThatCannotBeWrittenIsReported)
{
    const struct {
        const char* name;
        QString path; // relative to the workplace; empty = emptied by the operator
        QString reason;
    } cases[] = {
        {"emptied", QString(),
         "No file name is set. Enter the path and file name on the configuration screen."},
        {"missing folder", "gone/results.txt", "No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Lake lake;
        Session run(lake);
        run.start();
        run.configModel.load();
        const QString path = c.path.isEmpty() ? QString() : lake.dir.file(c.path);
        if (path.isEmpty())
            lake.prompt.expectMessage("Enter valid path and filename for results file");
        run.configModel.setText(ConfigText::ResultsPathName, path);
        lake.prompt.expectMessage(
            "The results file could not be written:\n" + path + "\n" +
                (c.reason.contains("%1") ? c.reason.arg(lake.dir.file("gone")) : c.reason),
            QString(), Icon::Exclamation);
        run.configModel.exitAndSave();
    }
}

TEST(Configuration, MagnifierStartsWithTheScreenAndSaysWhenItIsMissing)
{
    Lake lake;
    lake.settings->save(Setting::Lensor, "1");
    Session run(lake);
    run.start();
    run.lensorProblem = "The screen magnifier could not be started: lensor was not found.";
    lake.prompt.expectMessage(run.lensorProblem, QString(), Icon::Exclamation);
    run.configModel.load();
    EXPECT_EQ(run.lensorStarts, 1);
    EXPECT_TRUE(run.configModel.checked(ConfigCheck::chkLensor));
    run.lensorProblem.clear();
    run.configModel.restartLensor();
    EXPECT_EQ(run.lensorStarts, 2);
    run.configModel.setChecked(ConfigCheck::chkLensor, false);
    EXPECT_EQ(lake.settings->get(Setting::Lensor), "0");
}

TEST(FirstRun, OnlyAStartWithoutASettingsFileIsAFirstRun)
{
    TestDir t;
    const struct {
        const char* name;
        std::optional<QByteArray> content; // nullopt: no file
        bool firstRun;
    } cases[] = {
        {"none.ini", std::nullopt, true},
        {"empty.ini", QByteArray(), false},
        // A damaged day's file: reported and kept aside, never replaced by the sample.
        {"random.ini", QByteArray("\x8f\x01\xfe=\xc3(\n\x00\x9a\"[\n", 12), false},
        {"unreadable.ini", QByteArray("[Settings]\nlogpath=\"/videos\n"), false},
    };
    for (const auto& c : cases) {
        if (c.content) {
            QFile f(t.file(c.name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(*c.content);
        }
        Settings s(t.file(c.name));
        EXPECT_EQ(isFirstRun(s), c.firstRun) << c.name;
    }
}

TEST(FirstRun, TheSampleIsPreparedOnlyAfterTheResetQuestion)
{
    Lake lake;
    Session run(lake);
    lake.prompt.expectYesNo("Do you want to reset all parameters to install values?", false);
    lake.prompt.expectMessage("Please Verify all Setup Parameters");
    QStringList askedBefore;
    ASSERT_TRUE(run.main.startUp([&] { askedBefore = lake.prompt.seen(); }));
    EXPECT_EQ(askedBefore, QStringList{"Do you want to reset all parameters to install values?"});
}

TEST(FirstRun, SampleTournamentStartsWithoutQuestionsAndMeasuresAtOnce)
{
    Workplace w;
    ASSERT_TRUE(nothingConfigured(*w.settings));
    ASSERT_EQ(prepareSampleTournament(*w.settings, w.dir.path()), QString());
    EXPECT_FALSE(nothingConfigured(*w.settings));
    Session run(w);
    run.start(); // no folder question: the sample's video folder exists
    run.configModel.load();
    EXPECT_EQ(run.shared.VideoDir, w.dir.file("videos"));
    EXPECT_EQ(run.shared.SetupDir, w.dir.file("sample"));
    EXPECT_EQ(run.shared.GridsReady, 1);
    run.main.run(MainCommand::ccmdGoToMeasure);
    EXPECT_EQ(run.screens.shown, std::vector<Screen>{Screen::Measure});
}

TEST(Configuration, TodaysChosenFilesComeBackAfterARestartAndANewDayStartsOnTheDefaults)
{
    const QString today = dateStamp();
    const struct {
        const char* what;
        const char* typed;   // results file as the operator types it; nullptr: none typed
        const char* dayKept; // the day the choice is stored with; nullptr: today
        bool kept;
    } cases[] = {
        {"a full path chosen today", "/RESULTS/day one.txt", nullptr, true},
        {"a bare name chosen today", "finals.txt", nullptr, true},
        {"a choice of another day", "/RESULTS/day one.txt", "010199", false},
        {"nothing chosen", nullptr, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Lake lake;
        lake.settings->save(Setting::Grids, "1");
        lake.writeGrid(1);
        lake.settings->save(Setting::Grid1File, lake.grid(1));
        QString typed = c.typed ? QString(c.typed) : QString();
        if (typed.startsWith("/RESULTS"))
            typed.replace("/RESULTS", lake.dir.path());
        const QString captures = lake.dir.file("pictures");
        const QString names = lake.dir.file("start list.txt");
        {
            Session first(lake);
            first.start();
            first.configModel.load();
            if (c.typed) {
                first.configModel.setText(ConfigText::ResultsPathName, typed);
                first.configModel.setText(ConfigText::CapturesPathName, captures);
                first.configModel.setText(ConfigText::SkierNameFile, names);
            }
        }
        if (c.dayKept) {
            for (const Setting key :
                 {Setting::ResultsFileDay, Setting::CapturesPathDay, Setting::SkierNameFileDay})
                lake.settings->save(key, c.dayKept);
        }
        // The restart (or the start after a crash): the same files.
        Session second(lake);
        second.start();
        second.configModel.load();
        const QString defaultResults = lake.videos + "/JumpMeasurementResults" + today + ".txt";
        const QString expected = !c.kept                         ? defaultResults
                                 : QFileInfo(typed).isAbsolute() ? typed
                                                                 : joinPath(programFolder(), typed);
        EXPECT_EQ(second.shared.ResultsFile, expected);
        EXPECT_EQ(second.configModel.text(ConfigText::ResultsPathName),
                  c.kept ? typed : defaultResults);
        EXPECT_EQ(second.shared.CapturesDir, c.kept ? captures : second.shared.VideoDir);
        EXPECT_EQ(second.shared.SkierNameFile, c.kept ? names : QString());
        EXPECT_EQ(second.configModel.resultsInUseText(),
                  "Today's results go to " + expected +
                      (c.kept ? " (chosen today)." : " (the day's own file in the video folder)."));
        // The grid read back at the start heads the file that will be used.
        QStringList blocks;
        for (const QString& l : lake.fileLines(expected))
            if (l.endsWith(" New Set-up now in place"))
                blocks << l;
        EXPECT_EQ(blocks.size(), c.kept ? 1 : 2) << expected.toStdString();
        QFile::remove(joinPath(programFolder(), "finals.txt"));
    }
}

TEST(Configuration, TheScoringProgramsFolderIsChosenOnTheScreenAndNamedInTheCaution)
{
    Lake lake;
    Session run(lake);
    run.start();
    run.configModel.load();
    run.configModel.setChecked(ConfigCheck::WSTIMS, true);
    const QString kvio = lake.dir.file("scoring/KVIO");
    lake.prompt.expectFolder(kvio);
    run.configModel.findKvio();
    EXPECT_EQ(lake.settings->get(Setting::KvioDir), kvio);
    EXPECT_EQ(run.configModel.text(ConfigText::KvioPathName), kvio);
    EXPECT_EQ(run.configModel.kvioLabelText(),
              "Caution, WSTIMS requires KVIO directory to exist: " + kvio + " (not found)");
    ASSERT_TRUE(QDir().mkpath(kvio));
    EXPECT_EQ(run.configModel.kvioLabelText(),
              "Caution, WSTIMS requires KVIO directory to exist: " + kvio);
    // Cancelling the chooser changes nothing.
    lake.prompt.expectFolder(std::nullopt);
    run.configModel.findKvio();
    EXPECT_EQ(lake.settings->get(Setting::KvioDir), kvio);
}

TEST(Configuration, AGridReadBackWithoutItsCheckBuoyFileSaysSetItUpAgain)
{
    Lake lake;
    lake.settings->save(Setting::Grids, "1");
    lake.writeGrid(1);
    ASSERT_TRUE(QFile::remove(checkBuoyFilePath(lake.grid(1))));
    lake.settings->save(Setting::Grid1File, lake.grid(1));
    Session run(lake);
    run.start();
    lake.prompt.expectMessage("Error in load - no check buoy found - setup grid again");
    run.configModel.load();
    EXPECT_TRUE(lake.prompt.done());
}

TEST(FirstRun, TheSampleTournamentJumpsTheWayItsSkierFlies)
{
    Workplace w;
    ASSERT_EQ(prepareSampleTournament(*w.settings, w.dir.path()), QString());
    // The sample skier's flight, as the picture shows it: from the jump
    // point to the impact, right to left.
    const sample::SampleScene jump = sample::makeSampleScene({.skier = true});
    ASSERT_TRUE(jump.impact.has_value());
    EXPECT_LT(jump.impact->click().x(), jump.jump.click().x());
    EXPECT_EQ(w.settings->get(Setting::RightToLeft), "True");
}
