// The rules of the capture screen and the device panels, over the real
// control with the test camera (and a filter-graph stand-in for a camera
// that can be pulled out).

#include "capture/capturepanelsmodel.h"
#include "capture/capturescreenmodel.h"
#include "shell/paths.h"
#include "tests/capture/capturefixture.h"
#include "tests/support/eventually.h"
#include "tests/support/workplace.h"
#include "viewers/skiernames.h"

#include <QFile>
#include <QTest>

using namespace korvel;
using namespace korvel::test;

namespace
{

struct Recorder : CaptureScreenListener {
    QString measureName, measureJump, reviewFile;
    int reviews = 0, mains = 0;
    void setMeasureSkier(const QString& name, const QString& jump) override
    {
        measureName = name;
        measureJump = jump;
    }
    Jump reviewJump;
    void showReview(const Jump& jump) override
    {
        reviewFile = jump.video;
        reviewJump = jump;
        ++reviews;
    }
    void showMainScreen() override { ++mains; }
    QString selectSkier() override { return {}; }
};

// The capture screen's world: a video folder, the control with the test
// camera alone, the panels populated, the screen loaded.
struct CaptureScreenFixture : ::testing::Test {
    Workplace w;
    QList<VideoDevice> cameras;
    CaptureControl control{std::make_unique<FakeDevices>(&cameras)};
    CapturePanelsModel panels{control, *w.settings, w.prompt};
    CaptureScreenModel screen{control, panels, w.shared, *w.settings, w.prompt};
    Recorder listener;

    void SetUp() override
    {
        w.shared.VideoDir = w.dir.file("videos/");
        QDir().mkpath(w.dir.file("videos"));
        QFile::remove(skierNamesPath());
        panels.populate();
        panels.select(CapturePanelsModel::List::Resolution, 0); // 320 x 240
        screen.setListener(&listener);
    }
    void TearDown() override { QFile::remove(skierNamesPath()); }
    void touch(const QString& name)
    {
        QFile f(w.dir.file("videos/") + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST_F(CaptureScreenFixture, TheFirstNameOfTheNamesFileShowsByTheNameRule)
{
    struct Case {
        const char* line;
        const char* shown;
    };
    for (const Case& c : {Case{"Doe,John\r\nRoe,Jane\r\n", "John Doe"},
                          Case{"Doe, John\r\n", " John Doe"}, Case{nullptr, "Skier Name"}}) {
        QFile::remove(skierNamesPath());
        if (c.line) {
            QFile f(skierNamesPath());
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.line);
        }
        screen.load();
        EXPECT_EQ(screen.skierName(), c.shown);
    }
    // captureTime never written: 5 seconds, written back.
    EXPECT_EQ(screen.captureTimes().value(screen.captureTimeIndex()), "5.0");
    EXPECT_EQ(w.settings->get(Setting::CaptureTime), "5");
}

TEST_F(CaptureScreenFixture, FirstArrivalMovesPastAttemptsOnDisk)
{
    struct Case {
        QStringList present;
        const char* pass;
        bool greaterWarning;
    };
    for (const Case& c : {Case{{"1", "2"}, "3", false}, Case{{"1", "2", "3"}, "4", true}}) {
        QDir(w.dir.file("videos")).removeRecursively();
        QDir().mkpath(w.dir.file("videos"));
        for (const QString& p : c.present)
            touch("John Doejump" + p + ".avi");
        CaptureScreenModel fresh(control, panels, w.shared, *w.settings, w.prompt);
        fresh.load();
        fresh.setSkierName("John Doe");
        w.shared.LastScreen = ScreenTag::Setup;
        w.prompt.expectMessage("Warning, the pass number was changed because a file for that "
                               "pass already existed.  You may need to change the skier name",
                               "Duplicate File Warning", Icon::Exclamation);
        if (c.greaterWarning)
            w.prompt.expectMessage("Warning, the jump number is greater than 3.  You may need to "
                                   "change the skier name",
                                   "Possible Name Change Warning", Icon::Exclamation);
        fresh.firstPaint();
        EXPECT_EQ(fresh.pass(), c.pass);
        EXPECT_TRUE(w.prompt.done());
        EXPECT_EQ(w.shared.LastScreen, ScreenTag::None);
        fresh.firstPaint(); // once per run only
    }
}

TEST_F(CaptureScreenFixture, SkierNamesThatWouldLeaveTheVideoFolderAreMended)
{
    struct Case {
        const char* typed;
        const char* kept;
        const char* rules;   // said at once
        const char* letters; // said when the operator leaves the box
    };
    const char* lukasz =
        "The skier's name is kept as \"Lukasz Dvorák\": the results, the log and the scoring "
        "program's files hold only the letters of the Windows code page 1252 (\"Ł\" becomes "
        "\"L\", \"ř\" becomes \"r\").";
    const char* nowak =
        "The skier's name is kept as \"Nowak Lukasz\": the results, the log and the scoring "
        "program's files hold only the letters of the Windows code page 1252 (\"Ł\" becomes "
        "\"L\").";
    for (const Case& c :
         {Case{"Doe,John", "Doe John", "Sorry, you cannot use the \",\" character in this box",
               nullptr},
          Case{"../../etc/x", "    etc x", "Sorry, you cannot use the \"/\" character in this box",
               nullptr},
          Case{"..", " ", "Sorry, you cannot use \"..\" in this box", nullptr},
          Case{"C:Doe", "C Doe", "Sorry, you cannot use the \":\" character in this box", nullptr},
          Case{"Jo\tDoe", "Jo Doe", "Sorry, you cannot use control characters in this box",
               nullptr},
          // What the log, the results and the scoring program get is the
          // name the video is named after, never one with "?" in it.
          Case{"Łukasz Dvořák", "Lukasz Dvorák", nullptr, lukasz},
          Case{"Nowak,Łukasz", "Nowak Lukasz",
               "Sorry, you cannot use the \",\" character in this box", nowak}}) {
        SCOPED_TRACE(c.typed);
        screen.setPass("3");
        if (c.rules)
            w.prompt.expectMessage(c.rules, "Input Error");
        screen.setSkierName(c.typed);
        EXPECT_EQ(screen.skierName(), c.kept);
        EXPECT_EQ(screen.pass(), "1");
        EXPECT_TRUE(w.prompt.done());
        if (c.letters)
            w.prompt.expectMessage(c.letters, "Input Error");
        screen.skierNameFinished();
        EXPECT_TRUE(w.prompt.done());
        screen.skierNameFinished(); // told once
    }
    EXPECT_TRUE(screen.captureFile().isEmpty());
}

// A name typed key by key: no message takes the keys typed after a letter
// the files cannot carry; the box shows the mended letter at once, and the
// operator is told once, naming the whole name, on leaving the box.
TEST_F(CaptureScreenFixture, LettersMendedWhileTypingAreToldOnceAtTheEnd)
{
    const QString name = QString::fromUtf8("Tomáš Řezníček");
    for (qsizetype n = 1; n <= name.size(); ++n)
        screen.setSkierName(screen.skierName().left(n - 1) + name.mid(n - 1, 1));
    EXPECT_EQ(screen.skierName(), QString::fromUtf8("Tomáš Rezníček").replace(QChar(0x10D), 'c'));
    EXPECT_TRUE(w.prompt.done());
    w.prompt.expectMessage(
        QString::fromUtf8("The skier's name is kept as \"Tomáš Reznícek\": the results, the log "
                          "and the scoring program's files hold only the letters of the Windows "
                          "code page 1252 (\"Ř\" becomes \"R\", \"č\" becomes \"c\")."),
        "Input Error");
    screen.skierNameFinished();
    EXPECT_TRUE(w.prompt.done());
}

TEST_F(CaptureScreenFixture, ADuplicateNameRecordsUnderXAndContactMarksTheFrameBeingRecorded)
{
    screen.load();
    screen.setSkierName("John Doe");
    touch("John Doejump1.avi");
    screen.selectCaptureTime(0); // 3 seconds
    // The main screen switches the preview on when it shows the capture screen.
    QSignalSpy previews(&control, &CaptureControl::previewFrame);
    control.setPreview(true);
    ASSERT_TRUE(previews.wait(5000));
    screen.startRecording();
    ASSERT_TRUE(screen.recording());
    EXPECT_EQ(screen.captureFile(), w.dir.file("videos/John DoeXjump1.avi"));
    EXPECT_TRUE(screen.warningVisible());
    EXPECT_EQ(screen.text(PreviewControl::DuplicateWarning),
              "WARNING! Skier Name has been changed to John DoeX to "
              "prevent duplicate files");
    EXPECT_EQ(listener.measureName, "John DoeX");
    EXPECT_EQ(listener.measureJump, "1");
    EXPECT_EQ(screen.text(PreviewControl::StartFrame), " ");
    EXPECT_FALSE(screen.leaveEnabled());

    ASSERT_TRUE(eventually([&] { return control.framesCaptured() >= 21; }));
    screen.contact();
    ASSERT_TRUE(eventually([&] { return control.framesCaptured() >= 30; }));
    screen.contact(); // the last press wins
    const int contact = screen.text(PreviewControl::StartFrame).toInt();
    EXPECT_GT(contact, 10);
    EXPECT_EQ(w.shared.StartFrame, contact);
    screen.escape();

    EXPECT_FALSE(screen.recording());
    EXPECT_EQ(listener.reviews, 1);
    EXPECT_EQ(listener.reviewFile, w.dir.file("videos/John DoeXjump1.avi"));
    EXPECT_EQ(w.shared.LastScreen, ScreenTag::Capture);
    EXPECT_EQ(w.shared.StartFrame, contact);
    EXPECT_EQ(w.shared.CaptureFrameRate, 30);
    EXPECT_GE(w.shared.FramesCaptured, contact);
    EXPECT_EQ(screen.pass(), "2");
    EXPECT_EQ(panels.statistics()[0], QString::number(w.shared.FramesCaptured));
    // Contact's frame is the frame being written when it was pressed.
    const std::vector<int> counters = readCounters(listener.reviewFile);
    ASSERT_EQ(int(counters.size()), w.shared.FramesCaptured);
}

TEST_F(CaptureScreenFixture, WithoutContactTheMiddleFrameIsHandedOn)
{
    panels.rateEdited("30");
    screen.load();
    screen.setSkierName("Jane Roe");
    screen.selectCaptureTime(2); // 5 seconds
    screen.startRecording();
    ASSERT_TRUE(screen.recording());
    for (int s = 0; s < 4; ++s)
        screen.tick();
    EXPECT_TRUE(screen.recording());
    EXPECT_EQ(screen.text(PreviewControl::TimeLeft), "1");
    screen.tick();
    // The countdown ran ahead of the camera here: a tick more for its frames,
    // then the recording ends whatever came.
    EXPECT_EQ(screen.text(PreviewControl::TimeLeft), "0");
    EXPECT_TRUE(screen.recording());
    screen.tick();
    EXPECT_FALSE(screen.recording());
    EXPECT_EQ(w.shared.StartFrame, 75);
    EXPECT_EQ(listener.reviews, 1);
}

TEST_F(CaptureScreenFixture, ALengthTypedIntoTheSettingsStillEndsTheRecording)
{
    // Not one of the list's lengths, and not whole: the countdown passes 0.5
    // and must stop below zero, not run on.
    w.settings->save(Setting::CaptureTime, "2.5");
    panels.rateEdited("30");
    screen.load();
    screen.startRecording();
    ASSERT_TRUE(screen.recording());
    screen.tick();
    screen.tick();
    EXPECT_TRUE(screen.recording());
    // The countdown is through before the camera has filmed the 2.5 s (as
    // when its first frame comes late, or a busy machine receives frames
    // late): the recording ends by itself with every frame of the time.
    screen.tick();
    ASSERT_TRUE(eventually([&] { return !screen.recording(); }));
    EXPECT_EQ(listener.reviews, 1);
    // Without Contact: the middle of the 2.5 s.
    EXPECT_EQ(w.shared.StartFrame, 37);
    EXPECT_EQ(readCounters(listener.reviewFile).size(), 75u);
    EXPECT_EQ(w.shared.FramesCaptured, 75);
}

TEST_F(CaptureScreenFixture, ARecordingThatCannotStartIsToldAndTheScreenStaysIdle)
{
    w.shared.VideoDir = w.dir.file("gone");
    screen.startRecording();
    ASSERT_TRUE(screen.recording()); // the device thread finds out
    w.prompt.expectMessage("The recording could not start: Cannot create " +
                           w.dir.file("gone/SkierNamejump1.avi") + ": No such file or directory");
    QString text;
    ASSERT_TRUE(waitForStatus(control, CaptureStatus::Failed, 5000, &text));
    EXPECT_TRUE(eventually([&] { return !screen.recording(); }));
    EXPECT_TRUE(screen.startEnabled());
    EXPECT_TRUE(screen.leaveEnabled());
    EXPECT_EQ(listener.reviews, 0);
    EXPECT_TRUE(w.prompt.done());
}

// Device panels.

struct PanelsFixture : ::testing::Test {
    Workplace w;
    QList<VideoDevice> cameras;
};

TEST_F(PanelsFixture, TheControlsAudioFormatIsSelectedOrAdded)
{
    CaptureControl control(std::make_unique<FakeDevices>(&cameras));
    CapturePanelsModel panels(control, *w.settings, w.prompt);
    ASSERT_EQ(CapturePanelsModel::audioAttributes().size(), 16);
    struct Case {
        AudioFormat format;
        int index;
        const char* text;
    };
    for (const Case& c : {Case{{44100, 16, 2}, 15, "44.100 Khz, 16 Bit, Stereo"},
                          Case{{11025, 8, 1}, 0, "11.025 Khz, 8 Bit, Mono"},
                          Case{{22050, 16, 1}, 6, "22.050 Khz, 16 Bit, Mono"},
                          Case{{48000, 16, 2}, 16, "48.000 Khz, 16 bit, Stereo"}}) {
        control.setAudioFormat(c.format);
        panels.InitAudioSettings();
        const auto& attrib = panels.list(CapturePanelsModel::List::Attributes);
        EXPECT_EQ(attrib.selected, c.index);
        EXPECT_EQ(attrib.items.value(attrib.selected), c.text);
        // And back: the selected entry pushed into the control.
        panels.SetCaptureValues();
        EXPECT_EQ(control.audioFormat(), c.format);
    }
}

TEST_F(PanelsFixture, SavedIndicesAreRestoredAndCompressionZeroIsNone)
{
    w.settings->save(Setting::Compression, "0");
    w.settings->save(Setting::VideoResolution, "3");
    w.settings->save(Setting::ColorFormat, "7"); // not in the list: the control's own
    w.settings->save(Setting::FrameRate, "15");
    CaptureControl control(std::make_unique<FakeDevices>(&cameras));
    CapturePanelsModel panels(control, *w.settings, w.prompt);
    panels.populate();
    using L = CapturePanelsModel::List;
    EXPECT_EQ(panels.list(L::Devices).items, QStringList{"Korvel Test Camera"});
    EXPECT_EQ(panels.connectCaption(), "Disconnect");
    EXPECT_EQ(panels.list(L::Compression).items, (QStringList{"None", "MJPEG"}));
    EXPECT_EQ(panels.list(L::Compression).selected, 0);
    EXPECT_EQ(control.current(CaptureList::Compressor), -1);
    EXPECT_EQ(panels.list(L::Resolution).selected, 3);
    EXPECT_EQ(control.current(CaptureList::Resolution), 3);
    EXPECT_EQ(panels.list(L::ColorFormat).selected, 0);
    EXPECT_EQ(control.frameRate(), 15);
    EXPECT_EQ(panels.configText(), "Currently Configured for L");
    panels.select(L::Compression, 1);
    EXPECT_EQ(w.settings->get(Setting::Compression), "1");
    EXPECT_EQ(control.current(CaptureList::Compressor), 0);
    panels.rateEdited("4");
    EXPECT_EQ(panels.configText(), "Currently Configured for L"); // below 5: unchanged
    panels.rateEdited("25");
    EXPECT_EQ(panels.configText(), "Currently Configured for R");
    EXPECT_EQ(w.settings->get(Setting::FrameRate), "25");
}

// A size never chosen, or a saved choice that cannot be used, keeps the size
// the camera films at; the smallest size would record the test camera at
// 320 x 240, off the sample grid solved at 640 x 480.
TEST(PanelsResolution, UnsavedOrUnusableChoiceKeepsTheCamerasOwnSize)
{
    VideoDevice dock =
        lavfiDevice("Dock Camera", "testsrc2=size=1280x720:rate=30", QSize(1280, 720), 30);
    dock.sizes = {QSize(320, 240), QSize(640, 480), QSize(1280, 720)};
    struct Case {
        const char* saved; // nullptr: never saved
        bool camera;       // the dock camera, else the test camera
        const char* size;
        bool told;
    } cases[] = {
        {nullptr, false, "640x480", false}, {"", false, "640x480", false},
        {"9", false, "640x480", false},     {"-1", false, "640x480", false},
        {"two", false, "640x480", true},    {"0", false, "320x240", false},
        {nullptr, true, "1280x720", false}, {"1", true, "640x480", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.saved ? c.saved : "(never saved)") +
                     (c.camera ? " dock camera" : " test camera"));
        Workplace w;
        if (c.saved)
            w.settings->save(Setting::VideoResolution, c.saved);
        if (c.told)
            w.prompt.expectMessage(QStringLiteral("The setting \"VideoResolution\" holds \"%1\", "
                                                  "which is not a whole number. korvel uses "
                                                  "\"%2\" instead.")
                                       .arg(c.saved, c.size),
                                   "Settings", Icon::Exclamation);
        QList<VideoDevice> cameras;
        if (c.camera)
            cameras << dock;
        CaptureControl control(std::make_unique<FakeDevices>(&cameras));
        CapturePanelsModel panels(control, *w.settings, w.prompt);
        panels.populate();
        const auto& sizes = panels.list(CapturePanelsModel::List::Resolution);
        EXPECT_EQ(sizes.items.value(sizes.selected), c.size);
        EXPECT_EQ(control.name(CaptureList::Resolution, control.current(CaptureList::Resolution)),
                  c.size);
        EXPECT_TRUE(w.prompt.done());
        // Only the operator's own choice is written.
        EXPECT_EQ(w.settings->get(Setting::VideoResolution, "(none)"),
                  c.saved ? c.saved : "(none)");
    }
}

TEST(PanelsResolution, ASizeTheGridsWereNotSetUpOnIsSaidAtOnce)
{
    Workplace w;
    QList<VideoDevice> cameras; // the test camera alone
    CaptureControl control(std::make_unique<FakeDevices>(&cameras));
    CapturePanelsModel panels(control, *w.settings, w.prompt);
    QList<QSize> grids{QSize(640, 480)};
    panels.setGridPictureSizes([&grids] { return grids; });
    panels.populate();
    const auto& sizes = panels.list(CapturePanelsModel::List::Resolution).items;
    const int big = int(sizes.indexOf("1280x720"));
    const int grid = int(sizes.indexOf("640x480"));
    ASSERT_GE(big, 0);
    ASSERT_GE(grid, 0);
    w.prompt.expectMessage("Recordings at 1280 x 720 pixels cannot be measured on the grids in "
                           "use, which were set up on pictures of 640 x 480 pixels. Choose "
                           "640 x 480, or set up the grids again on pictures of 1280 x 720.",
                           QString(), Icon::Exclamation);
    panels.select(CapturePanelsModel::List::Resolution, big);
    // Back to the grids' size: nothing to say; nor with no grid that knows its size.
    panels.select(CapturePanelsModel::List::Resolution, grid);
    grids.clear();
    panels.select(CapturePanelsModel::List::Resolution, big);
    EXPECT_TRUE(w.prompt.done());
}

TEST_F(PanelsFixture, PullingOutTheConnectedCameraDisconnectsIt)
{
    cameras = {lavfiDevice("Dock Camera", "testsrc2=size=320x240:rate=30", QSize(320, 240), 30)};
    CaptureControl control(std::make_unique<FakeDevices>(&cameras));
    CapturePanelsModel panels(control, *w.settings, w.prompt);
    panels.populate();
    ASSERT_TRUE(panels.connected());
    using L = CapturePanelsModel::List;
    EXPECT_EQ(panels.list(L::Resolution).items, QStringList{"320x240"});

    cameras.clear(); // pulled out; the test camera takes its place
    w.prompt.expectYesNo("Korvel Test Camera is plugged into your computer. Do you want to use it?",
                         true);
    control.refreshDevices();
    EXPECT_FALSE(panels.connected());
    EXPECT_FALSE(control.connected());
    EXPECT_EQ(panels.connectCaption(), "Connect");
    EXPECT_FALSE(panels.list(L::Resolution).enabled);
    EXPECT_TRUE(panels.list(L::Resolution).items.isEmpty());
    EXPECT_EQ(panels.list(L::Devices).items, QStringList{"Korvel Test Camera"});
    EXPECT_TRUE(w.prompt.done());
    panels.connectClicked();
    EXPECT_TRUE(panels.connected());
    EXPECT_EQ(control.videoDeviceName(control.videoDeviceCurrent()), "Korvel Test Camera");
}

} // namespace
