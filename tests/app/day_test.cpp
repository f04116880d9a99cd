// A tournament day, headless, through the real hub and screens: thirty-odd
// jumps of the test camera over two grids, with duplicates and name fixes,
// falls, passes, rerides and another grid's distance, videos opened from the
// log and by hand, windows closed, a recording at the wrong size, restarts,
// and korvel killed during a recording and during Record. At the end the
// results file, the log and the scoring program's files must hold exactly
// the day's lines, each distance the scene's own.
//
// KORVEL_DAY_JUMPS (environment) makes the day longer: the ordinary jumps are
// repeated until that many jumps were recorded, and memory and open files
// are printed at the start and the end.

#include "app/firstrun.h"
#include "capture/capturepanels.h"
#include "capture/framecounter.h"
#include "grid/gridfile.h"
#include "tests/app/dayoperator.h"
#include "tests/support/findcontrol.h"
#include "tests/support/toolrun.h"
#include "viewers/logviewerscreen.h"
#include "viewers/skiernames.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTextBlock>

#include <csignal>
#include <unistd.h>

using namespace korvel;
using namespace korvel::test;

namespace
{

using C = MeasureControl;

// Resident memory and open files of this process, from /proc.
struct Footprint {
    long rssKiB = 0;
    int files = 0;
};
Footprint footprint()
{
    Footprint f;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                f.rssKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    f.files = int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot).size());
    return f;
}

// The line without its leading date and time, blanks run together.
QString afterStamp(const QString& line, int fields)
{
    return line.simplified().section(QLatin1Char(' '), fields);
}

bool stamped(const QString& line)
{
    static const QRegularExpression stamp(
        QStringLiteral("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d "));
    return stamp.match(line).hasMatch();
}

// The day's second camera: the sample lake from the same tower, calibrated
// as grid 2 of its own file.
QString writeSecondGrid(const QString& grid1, const QString& path)
{
    auto read = readGridFiles(grid1);
    if (!std::holds_alternative<GridFileData>(read))
        return QStringLiteral("grid 1 unreadable");
    GridFileData d = std::get<GridFileData>(read);
    d.path = path;
    d.description = QStringLiteral("Sample lake, second tower");
    d.gridNumber = 2;
    const FileResult r = writeGridFiles(path, d);
    return r.error;
}

// Runs korvel as a program of its own until it says it reached `where`,
// then kills it there.
void killAt(const QString& settingsPath, const char* where, const QString& skier,
            const QString& attempt, std::uint64_t seed)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QStringLiteral(KORVEL_DAYCHILD),
                {settingsPath, QString::fromLatin1(where), skier, attempt, QString::number(seed)});
    ASSERT_TRUE(child.waitForStarted(30000));
    QByteArray said;
    ASSERT_TRUE(eventually(
        [&] {
            child.waitForReadyRead(50);
            said += child.readAllStandardOutput();
            return said.contains(where) || child.state() == QProcess::NotRunning;
        },
        120000))
        << "korvel-daychild never said " << where;
    ASSERT_TRUE(said.contains(where))
        << "korvel-daychild ended first: " << child.readAllStandardError().toStdString();
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
}

} // namespace

class TournamentDay : public ::testing::Test
{
protected:
    Workplace w;
    DayOperator op{w};
    std::uint64_t nextSeed = 1000;

    TestFlight flight() { return TestFlight::fromSeed(nextSeed++); }

    void SetUp() override
    {
        ASSERT_EQ(prepareSampleTournament(*w.settings, w.dir.path()), QString());
        ASSERT_TRUE(QDir().mkpath(w.kvio));
        const QString grid2 =
            QDir(w.settings->get(Setting::SetupFiles)).filePath("second-tower.ipt");
        ASSERT_EQ(writeSecondGrid(w.settings->get(Setting::Grid1File), grid2), QString());
        w.settings->save(Setting::Grids, "2");
        w.settings->save(Setting::Grid2File, grid2);
        w.settings->save(Setting::TestCamera, "1");
        w.settings->save(Setting::Wstims, "1");
        w.settings->save(Setting::VideoSave, "Ask");
        w.settings->save(Setting::PictureSave, "Ask");
        QFile::remove(joinPath(programFolder(), "currentcapture.bmp"));
        QFile::remove(skierNamesPath());
    }
    void TearDown() override
    {
        op.close();
        TestCamera::setFlights({});
    }

    // A jump recorded and stepped on review from its Contact frame to the
    // touch-down, kept, measured at the impact and recorded. The way onto
    // the capture screen is the caller's.
    KnownJump ordinaryJump(const QString& skier, const QString& attempt, int contactOffset)
    {
        const KnownJump known = op.record(skier, attempt, flight(), contactOffset);
        return measureRecorded(known, skier, attempt);
    }
    KnownJump measureRecorded(const KnownJump& known, const QString& skier, const QString& attempt)
    {
        EXPECT_EQ(op.review().player().positionFrame(), known.contact)
            << "review opens the recording where Contact was pressed";
        op.stepTo(known.touchdown);
        const QString video = op.review().jump().video;
        op.useFrame(true);
        op.expectVideoLogged(skier, attempt, known.touchdown, video);
        checkShownFrame(known);
        EXPECT_EQ(op.measure().model().text(C::SkierName), skier);
        EXPECT_EQ(op.measure().model().text(C::JumpNo), attempt);
        op.measureAndRecord(known);
        return known;
    }
    void checkShownFrame(const KnownJump& known)
    {
        const QImage shown = op.measure().picture()->picture();
        EXPECT_EQ(readFrameCounter(shown), std::optional<std::uint32_t>(known.touchdown))
            << "the frame measured is the touch-down frame";
    }
    // A comment line from the measure screen.
    void comment(const QString& text)
    {
        op.prompt().expectInput("What comment would you like to add?", text,
                                QStringLiteral("Input Comment"));
        DayOperator::click<QRadioButton>(&op.measure(), C::MakeComment);
        op.ledger().rerides << text;
    }
    // The capture device panels' resolution, as the operator picks it.
    void chooseCameraSize(const QString& size)
    {
        auto* combo = op.hub().devicePanels().findChild<QComboBox*>("ResolutionCombo");
        ASSERT_NE(combo, nullptr);
        const int index = combo->findText(size);
        ASSERT_GE(index, 0) << size.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    void checkTheDaysFiles();
};

void TournamentDay::checkTheDaysFiles()
{
    const Ledger& l = op.ledger();
    const QString resultsPath = w.settings->get(Setting::LogPath) + "/" +
                                QStringLiteral("JumpMeasurementResults%1.txt").arg(dateStamp());
    const QStringList results = readLines(resultsPath).value_or(QStringList{"<missing>"});
    int configurations = 0;
    QStringList jumps, rerides;
    for (const QString& line : results) {
        if (line.startsWith("New Configuration: "))
            ++configurations;
        else if (stamped(line) && !line.contains(" New Set-up now in place") &&
                 !line.contains(" picture: ")) {
            const QString rest = line.mid(20);
            (rest.contains("  jump ") ? jumps : rerides) << rest;
        }
    }
    EXPECT_EQ(configurations, l.configurations);
    EXPECT_EQ(rerides, l.rerides);
    ASSERT_EQ(jumps.size(), l.results.size()) << jumps.join('\n').toStdString();
    const QStringList raw = readLines(w.kvio + "/kvraw.dst").value_or(QStringList{});
    ASSERT_EQ(raw.size(), l.results.size()) << raw.join('\n').toStdString();
    static const QRegularExpression measured(QStringLiteral(
        "^(.*)  jump (\\d+) - ( [\\d.]+)m  \\(IWSF\\)( \\d+)ft  \\(AWSA\\) \\(.*\\) \\(.*\\) "
        "\\(( [\\d.]+)\\)$"));
    for (qsizetype i = 0; i < jumps.size(); ++i) {
        const LedgerJump& j = l.results[i];
        const QString& line = jumps[i];
        SCOPED_TRACE(line.toStdString());
        const QString exchangeSkier = j.skier.section(',', 0, 0);
        EXPECT_TRUE(raw[i].contains(QRegularExpression(
            "^\\d\\d:\\d\\d:\\d\\d ," + QRegularExpression::escape(exchangeSkier) + ",")))
            << raw[i].toStdString();
        switch (j.kind) {
        case LedgerJump::Measured: {
            const auto m = measured.match(line);
            ASSERT_TRUE(m.hasMatch());
            EXPECT_EQ(m.captured(1), j.skier);
            EXPECT_EQ(m.captured(2), j.jump);
            const double m1 = m.captured(3).toDouble();
            const double feet = m.captured(4).toDouble();
            const double m4 = m.captured(5).toDouble();
            EXPECT_NEAR(m4, j.truth, j.tolerance) << "the scene's true distance";
            // Both are rounded from the same distance: 46.04996 m is 46.0500
            // to four decimals and 46.0 to one, never 46.1.
            const auto tenths = [](double v) { return std::floor(v * 10 + 0.5) / 10; };
            EXPECT_TRUE(std::abs(m1 - tenths(m4 - 0.00005)) < 1e-9 ||
                        std::abs(m1 - tenths(m4 + 0.00005)) < 1e-9)
                << m1 << " from " << m4;
            EXPECT_NEAR(feet, m4 / 0.3048, 0.51);
            EXPECT_TRUE(raw[i].endsWith(
                QStringLiteral(",OK, %1, %2, %3").arg(m.captured(3), m.captured(4), j.jump)))
                << raw[i].toStdString();
            break;
        }
        case LedgerJump::Fall:
        case LedgerJump::Pass: {
            const QString word = j.kind == LedgerJump::Fall ? "Fall" : "Pass";
            EXPECT_TRUE(line.startsWith(j.skier + "  jump " + j.jump + " -   (IWSF)  (AWSA)" +
                                        word + " ("));
            EXPECT_TRUE(raw[i].endsWith("," + word + ", 0, 0," + j.jump)) << raw[i].toStdString();
            break;
        }
        case LedgerJump::OtherGrid:
            EXPECT_EQ(line, j.skier + "  jump " + j.jump + " - " + j.typedMetres + "m  (IWSF) " +
                                j.typedFeet + "ft  (AWSA)Distance from other grid");
            EXPECT_TRUE(
                raw[i].endsWith(",OK, " + j.typedMetres + ",  " + j.typedFeet + ", " + j.jump))
                << raw[i].toStdString();
            break;
        }
    }
    // The scoring program's current result is the last line of its history.
    const QStringList current = readLines(w.kvio + "/kvresult.dst").value_or(QStringList{});
    ASSERT_EQ(current.size(), 1);
    EXPECT_TRUE(raw.last().endsWith("," + current[0])) << current[0].toStdString();

    // The log: a start line per start of korvel, the measured videos and the
    // saved pictures, in the order they happened.
    const QString logPath = w.settings->get(Setting::LogPath) + "/" +
                            QStringLiteral("JumpMeasurementLog%1.txt").arg(dateStamp());
    const QStringList log = readLines(logPath).value_or(QStringList{"<missing>"});
    int starts = 0;
    QStringList videos, pictures;
    for (const QString& line : log) {
        if (line.endsWith("Korvel Measurement Session started  "))
            ++starts;
        else if (line.endsWith("avi"))
            videos << afterStamp(line, 2);
        else if (line.endsWith("bmp"))
            pictures << afterStamp(line, 2);
        else
            ADD_FAILURE() << "a log line of no kind: " << line.toStdString();
    }
    EXPECT_EQ(starts, l.starts);
    QStringList expectedVideos, expectedPictures;
    for (const QString& v : l.measuredVideos)
        expectedVideos << v.simplified();
    for (const QString& p : l.savedPictures)
        expectedPictures << p.simplified();
    EXPECT_EQ(videos, expectedVideos);
    EXPECT_EQ(pictures, expectedPictures);
}

TEST_F(TournamentDay, ThirtyJumpsTwoGridsRestartsAndKillsLeaveExactlyTheDaysLines)
{
    const int longDay = qEnvironmentVariableIntValue("KORVEL_DAY_JUMPS");
    const Footprint before = footprint();
    QElapsedTimer clock;
    clock.start();
    ScriptedPrompt& prompt = op.prompt();
    Ledger& ledger = op.ledger();
    op.start();

    // Ann Lake: Contact pressed early, late, and a fall recorded on its frame.
    op.toCapture();
    ordinaryJump("Ann Lake", "1", -5);
    op.nextJump(false);
    ordinaryJump("Ann Lake", "2", 7);
    op.nextJump(true);
    {
        const KnownJump k = op.record("Ann Lake", "3", flight(), -2);
        op.stepTo(k.touchdown);
        op.useFrame(true);
        op.expectVideoLogged("Ann Lake", "3", k.touchdown, op.video("Ann Lakejump3.avi"));
        op.recordOutcome(C::Fall, LedgerJump::Fall);
    }

    // Bob Stone: Clear then Exit, Exit then Clear; a pass; the second grid.
    DayOperator::press(&op.measure(), C::Unfreeze);
    op.exitMeasure(std::nullopt);
    op.toCapture();
    ordinaryJump("Bob Stone", "1", 3);
    op.exitMeasure(false);
    EXPECT_EQ(op.measure().model().text(C::JumpNo), "2") << "Exit cleared the recorded jump";
    DayOperator::press(&op.hub().mainScreen(), MainCommand::ccmdGoToMeasure);
    DayOperator::press(&op.measure(), C::Unfreeze);
    EXPECT_EQ(op.measure().model().text(C::JumpNo), "2") << "one number per recorded jump";
    prompt.expectYesNo("Do you want to remain on this form?", false);
    DayOperator::press(&op.measure(), C::NextJump);
    op.capturing();
    {
        const KnownJump k = op.record("Bob Stone", "2", flight(), 0);
        op.stepTo(k.touchdown);
        op.useFrame(true);
        op.expectVideoLogged("Bob Stone", "2", k.touchdown, op.video("Bob Stonejump2.avi"));
        op.recordOutcome(C::Pass, LedgerJump::Pass);
    }
    op.nextJump(false);
    {
        const KnownJump k = op.record("Bob Stone", "3", flight(), -1);
        op.stepTo(k.touchdown);
        op.useFrame(true);
        op.expectVideoLogged("Bob Stone", "3", k.touchdown, op.video("Bob Stonejump3.avi"));
        DayOperator::press(&op.measure(), C::SetGrid);
        EXPECT_EQ(op.measure().model().activeGrid().number, 2);
        op.measureAndRecord(k);
        DayOperator::press(&op.measure(), C::SetGrid);
        EXPECT_EQ(op.measure().model().activeGrid().number, 1);
    }

    // Cal Reed: a duplicate name fixed on review; one whose fix is cancelled
    // and whose skier is typed on the measure screen; an optional reride.
    op.nextJump(false);
    prompt.expectInput(kFixName, QStringLiteral("Cal Reed"),
                       QStringLiteral("Fix the skier's name"));
    {
        const KnownJump k = op.record("Ann Lake", "1", flight(), -4);
        EXPECT_EQ(op.review().view().Text6, op.video("Cal Reedjump1.avi"));
        measureRecorded(k, "Cal Reed", "1");
    }
    op.nextJump(false);
    prompt.expectInput(kFixName, QString(), QStringLiteral("Fix the skier's name"))
        .expectInput("You must input a name. Please try again ", std::nullopt,
                     QStringLiteral("Fix the skier's name"))
        .expectMessage("The video keeps its name:\r\n" + op.video("Cal ReedXjump1.avi"));
    {
        const KnownJump k = op.record("Cal Reed", "1", flight(), 2);
        op.stepTo(k.touchdown);
        op.useFrame(true);
        op.expectVideoLogged("Cal ReedX", "1", k.touchdown, op.video("Cal ReedXjump1.avi"));
        EXPECT_EQ(op.measure().model().text(C::SkierName), "Cal ReedX");
        op.measure().model().setText(C::SkierName, "Cal Reed");
        op.measure().model().setText(C::JumpNo, "2");
        op.measure().sync();
        op.measureAndRecord(k);
    }
    op.nextJump(false);
    {
        const KnownJump k = op.record("Cal Reed", "3", flight(), -3);
        op.stepTo(k.touchdown);
        op.useFrame(true);
        op.expectVideoLogged("Cal Reed", "3", k.touchdown, op.video("Cal Reedjump3.avi"));
        DayOperator::click<QRadioButton>(&op.measure(), C::OptionalReride);
        ledger.rerides << "Optional Reride on previous jump";
        op.measureAndRecord(k);
    }

    // Dee Ford: another grid's distance; a recording at a size the grids
    // were not set up on, refused and noted; the size put back.
    op.nextJump(false);
    {
        const KnownJump k = op.record("Dee Ford", "1", flight(), 1);
        op.stepTo(k.touchdown);
        op.useFrame(true);
        op.expectVideoLogged("Dee Ford", "1", k.touchdown, op.video("Dee Fordjump1.avi"));
        DayOperator::click<QRadioButton>(&op.measure(), C::OtherGrid);
        prompt.expectYesNo("Is there a distance to be recorded in the other grid?", true)
            .expectInput("Enter distance in meters from other screen", QStringLiteral("47.5"))
            .expectInput("Enter distance in feet from other screen", QStringLiteral("155.8"));
        DayOperator::press(&op.measure(), C::Record);
        LedgerJump g;
        g.kind = LedgerJump::OtherGrid;
        g.skier = "Dee Ford";
        g.jump = "1";
        g.typedMetres = "47.5";
        g.typedFeet = "155.8";
        ledger.results << g;
    }
    op.exitMeasure(false);
    DayOperator::press(&op.hub().mainScreen(), MainCommand::cmdShowConfig);
    prompt.expectMessage("Recordings at 1280 x 720 pixels cannot be measured on the grids in use, "
                         "which were set up on pictures of 640 x 480 pixels. Choose 640 x 480, or "
                         "set up the grids again on pictures of 1280 x 720.");
    chooseCameraSize("1280x720");
    op.toCapture();
    {
        const KnownJump k = op.record("Dee Ford", "2", flight(), 0);
        op.stepTo(k.touchdown);
        prompt.expectYesNo(kSaveVideo, true)
            .expectMessage(
                "This picture is 1280 x 720 pixels, but grid 1 was set up on pictures of 640 x "
                "480 pixels: its buoys are not where the grid has them, and a distance measured "
                "here would be wrong. Measure a picture of 640 x 480 from this grid's camera, "
                "choose the grid of this camera, or set up a grid on pictures of this size.");
        op.useFrame(std::nullopt);
        op.expectVideoLogged("Dee Ford", "2", k.touchdown, op.video("Dee Fordjump2.avi"));
        comment("Dee Ford jump 2 filmed at 1280 x 720, not measured");
    }
    op.exitMeasure(false);
    chooseCameraSize("640x480");
    DayOperator::press(&op.hub().mainScreen(), MainCommand::cmdShowConfig);
    op.toCapture();
    ordinaryJump("Dee Ford", "3", -2);

    // Eve Park: windows closed on every screen; a recording left by closing
    // review, then opened with "..." and measured under the skier its name gives.
    op.exitMeasure(false);
    op.toCapture();
    op.hub().captureScreen().close();
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
    DayOperator::press(&op.hub().mainScreen(), MainCommand::cmdSetup);
    op.hub().gridSetupScreen().close();
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
    op.toCapture();
    const KnownJump eve = op.record("Eve Park", "1", flight(), 4);
    ASSERT_EQ(visibleScreens(), QStringList{"frmSetStart"});
    op.hub().reviewScreen().close();
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
    DayOperator::press(&op.hub().mainScreen(), MainCommand::cmdGoTimer);
    prompt.expectOpenFile(op.video("Eve Parkjump1.avi"));
    DayOperator::press(&op.hub().reviewScreen(), ReviewControl::Command6);
    EXPECT_EQ(op.review().player().positionFrame(), 0);
    op.stepTo(eve.touchdown);
    op.useFrame(std::nullopt);
    checkShownFrame(eve);
    EXPECT_EQ(op.measure().model().text(C::SkierName), "Eve Park");
    EXPECT_EQ(op.measure().model().text(C::JumpNo), "1");
    op.measureAndRecord(eve);
    prompt.expectYesNo(kSavePicture, false);
    op.measure().close();
    ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});

    // A restart in the middle of the day, its configuration left by the
    // window's close button.
    op.start(true);
    op.toCapture();
    ordinaryJump("Eve Park", "2", -6);
    op.nextJump(true);
    ordinaryJump("Eve Park", "3", 5);

    // Killed while filming Fay Long's jump: the recording stays readable and
    // is measured after the restart from the file dialog.
    op.exitMeasure(false);
    op.close();
    const std::uint64_t faySeed = nextSeed++;
    ASSERT_NO_FATAL_FAILURE(killAt(w.settings->path(), "filming", "Fay Long", "1", faySeed));
    op.startedElsewhere();
    op.start();
    {
        const KnownJump k = knownJump(TestFlight::fromSeed(faySeed), QSize(640, 480), op.rate());
        DayOperator::press(&op.hub().mainScreen(), MainCommand::cmdGoTimer);
        prompt.expectOpenFile(op.video("Fay Longjump1.avi"));
        DayOperator::press(&op.hub().reviewScreen(), ReviewControl::Command6);
        op.stepTo(k.touchdown);
        op.useFrame(std::nullopt);
        checkShownFrame(k);
        EXPECT_EQ(op.measure().model().text(C::SkierName), "Fay Long");
        op.measureAndRecord(k);
        op.exitMeasure(false);

        // Opened by hand, so in no video log: the results viewer still knows
        // the video and frame of Fay Long's result and opens them again.
        MeasureScreen& measure = op.hub().measureScreen();
        DayOperator::trigger(&measure, "mnuResults");
        auto* viewer = test::requireControl<QWidget>(&measure, "Results");
        auto* output = test::requireControl<QPlainTextEdit>(viewer, "output_box");
        const QTextBlock fay = output->document()->find(QStringLiteral("Fay Long  jump 1")).block();
        ASSERT_TRUE(fay.isValid());
        output->setTextCursor(QTextCursor(fay));
        const QString video = op.video("Fay Longjump1.avi");
        EXPECT_TRUE(
            test::requireControl<QLabel>(viewer, "lblTrace")
                ->text()
                .startsWith(QStringLiteral("Video: %1, frame %2").arg(video).arg(k.touchdown)));
        prompt.expectMessage(
            QStringLiteral("File already measured - contact frame is  %1").arg(k.touchdown));
        QTest::mouseClick(test::requireControl<QPushButton>(viewer, "cmdOpenTraced"),
                          Qt::LeftButton);
        EXPECT_EQ(op.review().player().positionFrame(), k.touchdown);
        EXPECT_EQ(op.review().jump().video, video);
        EXPECT_TRUE(op.hub().reviewScreen().isVisible());
    }

    // Killed inside Record of Gus Hale's jump, the results file and the
    // current result written, the scoring program's history not: the next
    // start completes the Record and says so. The video is then opened from
    // the video log at the frame it was measured at, and left unrecorded.
    op.close();
    const std::uint64_t gusSeed = nextSeed++;
    ASSERT_NO_FATAL_FAILURE(killAt(w.settings->path(), "recording", "Gus Hale", "1", gusSeed));
    op.startedElsewhere();
    const KnownJump gus = knownJump(TestFlight::fromSeed(gusSeed), QSize(640, 480), 30);
    op.expectVideoLogged("Gus Hale", "1", gus.touchdown, op.video("Gus Halejump1.avi"));
    op.start(false, "korvel was stopped while recording Gus Hale jump 1\\.\nCompleted now:\n"
                    "kvraw\\.dst: \\d\\d:\\d\\d:\\d\\d ,Gus Hale,OK, .*, 1");
    {
        LedgerJump j;
        j.skier = "Gus Hale";
        j.jump = "1";
        j.truth = QLineF(sample::defaultSite().jump, gus.survey).length() + 2.1;
        j.tolerance = DayOperator::onePixel(op.measure().model(), gus.pixel.toPoint());
        ledger.results << j;
    }
    {
        DayOperator::trigger(&op.hub().mainScreen(), "mnuViewLog");
        auto* viewer = DayOperator::topLevel("LogView");
        ASSERT_NE(viewer, nullptr);
        auto* list = viewer->findChild<QListWidget*>("lstLog");
        ASSERT_NE(list, nullptr);
        const auto found = list->findItems("Gus Halejump1.avi", Qt::MatchEndsWith);
        ASSERT_EQ(found.size(), 1);
        prompt.expectMessage(
            QStringLiteral("File already measured - contact frame is  %1").arg(gus.touchdown));
        emit list->itemDoubleClicked(found[0]);
        ASSERT_EQ(visibleScreens(), QStringList{"frmSetStart"});
        EXPECT_EQ(op.review().player().positionFrame(), gus.touchdown);
        op.useFrame(std::nullopt);
        checkShownFrame(gus);
        EXPECT_EQ(op.measure().model().text(C::SkierName), "Gus Hale");
        // Recorded already: the operator only looks.
        op.exitMeasure(false);
        op.toCapture();
    }

    // The rest of the day's skiers, three jumps each (and as many more as a
    // long day asks for).
    const QStringList skiers = {"Hal Moss", "Ivy North", "Jon Page", "Kim Quay", "Lee Rowe"};
    const int offsets[] = {-5, 0, 4, -2, 6, -7, 3};
    int k = 0;
    for (int round = 0;; ++round) {
        for (const QString& base : skiers) {
            const QString skier = round == 0 ? base : QStringLiteral("%1 %2").arg(base).arg(round);
            for (int attempt = 1; attempt <= 3; ++attempt) {
                if (k > 0)
                    op.nextJump(k % 4 == 0);
                ordinaryJump(skier, QString::number(attempt), offsets[k++ % 7]);
            }
        }
        if (ledger.results.size() >= longDay)
            break;
    }
    op.exitMeasure(false);
    EXPECT_GE(ledger.results.size(), 30);
    EXPECT_TRUE(prompt.done());
    op.close();

    checkTheDaysFiles();
    const Footprint after = footprint();
    std::printf("%lld jumps in %.1f s; resident memory %ld -> %ld KiB, open files %d -> %d\n",
                static_cast<long long>(ledger.results.size()), clock.elapsed() / 1000.0,
                before.rssKiB, after.rssKiB, before.files, after.files);
}
