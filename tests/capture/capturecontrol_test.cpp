// The capture control with its two kinds of device: the built-in test camera,
// and libavdevice's filter-graph input standing in for a camera (same
// demuxing, timestamps and recording as a V4L2 camera). Recordings are short;
// each is read back frame by frame and every frame's counter checked.

#include "capture/testcamerascene.h"
#include "media/fileroutines.h"
#include "tests/capture/capturefixture.h"
#include "tests/support/disklimit.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"
#include "tests/support/toolrun.h"

#include <QElapsedTimer>
#include <QLineF>
#include <QTest>

#include <set>

using namespace korvel;
using namespace korvel::test;

namespace
{

// Frames whose counter is their own number were recorded; the others must
// be empty chunks repeating the frame before.
struct Tally {
    int own = 0;
    bool ordered = true;
};
Tally tally(const std::vector<int>& counters)
{
    Tally t;
    int previous = -1;
    for (int k = 0; k < int(counters.size()); ++k) {
        if (counters[k] == k)
            ++t.own;
        else if (counters[k] != previous)
            t.ordered = false;
        previous = counters[k];
    }
    return t;
}

struct TestCameraCase {
    const char* name;
    int compressor; // -1: "None"
    int rate;
    double seconds; // recording length, stopped by the caller ...
    bool timeLimit; // ... or by the control's time limit
    bool beep;
};

class TestCameraRecording : public ::testing::TestWithParam<TestCameraCase>
{
};

TEST_P(TestCameraRecording, GivesRateTimesSecondsFramesThatReadBackExactly)
{
    const TestCameraCase& c = GetParam();
    TestDir dir;
    QList<VideoDevice> none;
    CaptureControl control(std::make_unique<FakeDevices>(&none));
    ASSERT_EQ(control.videoDeviceCount(), 1); // no camera: the test camera alone
    EXPECT_EQ(control.videoDeviceName(0), "Korvel Test Camera");
    ASSERT_TRUE(control.connectDevice(0));
    control.setCurrent(CaptureList::Resolution, 0); // 320 x 240
    control.setCurrent(CaptureList::Compressor, c.compressor);
    control.setFrameRate(c.rate);
    if (c.beep) {
        control.setAudioFormat({22050, 16, 2});
        ASSERT_EQ(control.name(CaptureList::AudioDevice, 0), "Korvel Test Beep");
        control.setCurrent(CaptureList::AudioDevice, 0);
    }
    control.setPreview(true);
    const QString path = dir.file("jump.avi");
    control.setStreamFileName(path);
    control.setTimeLimit(c.timeLimit ? c.seconds : 0);
    QSignalSpy previews(&control, &CaptureControl::previewFrame);
    // The camera films already, as it does while the capture screen shows.
    ASSERT_TRUE(previews.wait(5000));

    QElapsedTimer wall;
    wall.start();
    ASSERT_TRUE(control.startStreamCapture());
    if (c.timeLimit) {
        ASSERT_TRUE(waitForStatus(control, CaptureStatus::StatisticsReady, 5000));
        EXPECT_FALSE(control.capturing());
    } else {
        QTest::qWait(int(c.seconds * 1000));
        EXPECT_TRUE(control.capturing());
        ASSERT_TRUE(control.stopCapture());
    }
    const qint64 wallMs = wall.elapsed();
    EXPECT_GT(previews.size(), 3);

    const CaptureStatistics stats = control.statistics();
    if (c.timeLimit) {
        EXPECT_EQ(stats.framesCaptured, std::int64_t(c.seconds * c.rate));
    } else {
        // Stopped by hand, the recording spans what the camera filmed between
        // its first and its last frame, a little less than the wait when the
        // machine is slow to start it: one frame per 1/rate of that span,
        // and never more time than passed.
        EXPECT_NEAR(double(stats.framesCaptured), 1.0 + stats.timeMs * c.rate / 1000.0, 1.0);
        EXPECT_LE(stats.timeMs, wallMs);
        EXPECT_GE(stats.timeMs, c.seconds * 1000 / 2);
    }
    if (c.beep) {
        EXPECT_NEAR(double(stats.audioSamples), stats.framesCaptured * 22050.0 / c.rate, 1.0);
    }

    VideoProperties props;
    const std::vector<int> counters = readCounters(path, &props);
    ASSERT_EQ(std::int64_t(counters.size()), stats.framesCaptured);
    EXPECT_EQ(props.width, 320);
    const Tally t = tally(counters);
    EXPECT_TRUE(t.ordered);
    EXPECT_EQ(t.own, stats.framesCaptured - stats.framesDropped);
    EXPECT_EQ(counters.front(), 0);

    // First contact on its known frame, at the impact point: the splash is
    // there on that frame and not on the first one.
    const std::int64_t touchdown = TestCameraScene::touchdownFrame(c.rate);
    if (touchdown < std::int64_t(counters.size()) && counters[touchdown] == touchdown) {
        OpenResult opened = openVideo(path);
        const QPoint p = TestCameraScene(QSize(320, 240)).touchdownPixel().toPoint();
        auto grey = [&](std::int64_t n) {
            const FrameResult f = opened.source->frame(n);
            const std::uint8_t* px = f.picture->row(p.y()) + 3 * p.x();
            return (px[0] + px[1] + px[2]) / 3;
        };
        EXPECT_GT(grey(touchdown) - grey(0), 60);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, TestCameraRecording,
    ::testing::Values(TestCameraCase{"ThreeSecondsMjpegStopped", 0, 30, 3.0, false, false},
                      TestCameraCase{"UncompressedWithBeepToTimeLimit", -1, 15, 1.0, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The stand-in camera's timestamps as a camera's may come: frames left out
// (the select filter takes them away, so the timestamps jump) and a frame
// arriving early (setpts moves it back by part of a frame). Each frame
// left out is one dropped and written in its place as the frame before; a
// frame early is still the next frame, never one written twice.
struct StandInCase {
    const char* name;
    int compressor;
    const char* filter;
    std::set<int> missing; // frames the camera never sent
};

void PrintTo(const StandInCase& c, std::ostream* os)
{
    *os << c.name;
}

class StandInCamera : public ::testing::TestWithParam<StandInCase>
{
};

TEST_P(StandInCamera, TimestampsAsTheCameraGivesThemPlaceEveryFrame)
{
    const StandInCase& c = GetParam();
    TestDir dir;
    QList<VideoDevice> cameras{
        lavfiDevice("Stand-in", counterTestGraph(320, 240, 30) + "," + c.filter + ",realtime",
                    QSize(320, 240), 30)};
    CaptureControl control(std::make_unique<FakeDevices>(&cameras));
    ASSERT_EQ(control.videoDeviceCount(), 1); // a camera: no test camera
    ASSERT_TRUE(control.connectDevice(0));
    control.setCurrent(CaptureList::Compressor, c.compressor);
    const QString path = dir.file("standin.avi");
    control.setStreamFileName(path);
    control.setTimeLimit(1.0);
    ASSERT_TRUE(control.startStreamCapture());
    ASSERT_TRUE(waitForStatus(control, CaptureStatus::StatisticsReady, 5000));

    EXPECT_EQ(control.framesCaptured(), 30);
    EXPECT_EQ(control.framesDropped(), std::int64_t(c.missing.size()));
    const std::vector<int> counters = readCounters(path);
    ASSERT_EQ(counters.size(), 30u);
    int shown = -1;
    for (int k = 0; k < 30; ++k) {
        if (!c.missing.count(k))
            shown = k;
        EXPECT_EQ(counters[k], shown) << "frame " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codings, StandInCamera,
    ::testing::Values(StandInCase{"FiveLeftOutEncodedToMjpeg",
                                  0,
                                  "select='not(between(n\\,10\\,14))'",
                                  {10, 11, 12, 13, 14}},
                      StandInCase{"FiveLeftOutUncompressed",
                                  -1,
                                  "select='not(between(n\\,10\\,14))'",
                                  {10, 11, 12, 13, 14}},
                      StandInCase{"OneLeftOut", 0, "select='not(eq(n\\,10))'", {10}},
                      StandInCase{
                          "OneEarly", 0, "setpts='PTS-if(eq(N\\,12)\\,0.6/(30*TB)\\,0)'", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CaptureControl, ACameraThatStopsMidRecordingLeavesAReadableFileAndSaysWhy)
{
    TestDir dir;
    QList<VideoDevice> cameras{
        lavfiDevice("Stand-in", counterTestGraph(320, 240, 30) + ",trim=end_frame=12,realtime",
                    QSize(320, 240), 30)};
    CaptureControl control(std::make_unique<FakeDevices>(&cameras));
    ASSERT_TRUE(control.connectDevice(0));
    const QString path = dir.file("cut.avi");
    control.setStreamFileName(path);
    QSignalSpy warnings(&control, &CaptureControl::warning);
    ASSERT_TRUE(control.startStreamCapture());
    QString text;
    ASSERT_TRUE(waitForStatus(control, CaptureStatus::Failed, 5000, &text));
    EXPECT_TRUE(text.startsWith("The recording stopped: ")) << text.toStdString();
    EXPECT_FALSE(control.capturing());
    EXPECT_FALSE(warnings.isEmpty());
    EXPECT_EQ(control.framesCaptured(), 12);
    const std::vector<int> counters = readCounters(path);
    ASSERT_EQ(counters.size(), 12u);
    EXPECT_EQ(counters.back(), 11);
}

// The disk fills up in the middle of a recording: the writer's failure
// stops the recording with the system's reason, and every frame written
// before it stays readable, in order.
TEST(CaptureControl, ADiskFullInTheMiddleStopsTheRecordingAndKeepsWhatWasWritten)
{
    TestDir dir;
    QList<VideoDevice> cameras{
        lavfiDevice("Stand-in", counterTestGraph(320, 240, 30) + ",realtime", QSize(320, 240), 30)};
    CaptureControl control(std::make_unique<FakeDevices>(&cameras));
    ASSERT_TRUE(control.connectDevice(0));
    control.setCurrent(CaptureList::Compressor, -1); // uncompressed: 230 kB a frame
    const QString path = dir.file("full.avi");
    control.setStreamFileName(path);
    control.setTimeLimit(3.0);
    QString text;
    {
        const DiskLimit full(2'000'000);
        ASSERT_TRUE(control.startStreamCapture());
        ASSERT_TRUE(waitForStatus(control, CaptureStatus::Failed, 8000, &text));
    }
    EXPECT_TRUE(text.startsWith("The recording stopped: ")) << text.toStdString();
    EXPECT_TRUE(text.contains("File too large")) << text.toStdString();
    EXPECT_FALSE(control.capturing());
    const std::vector<int> counters = readCounters(path);
    ASSERT_GE(counters.size(), 4u);
    EXPECT_LT(counters.size(), 10u);
    for (std::size_t k = 0; k < counters.size(); ++k)
        EXPECT_EQ(counters[k], int(k));
}

TEST(CaptureControl, ARecordingThatCannotStartSaysWhyAndEndsIdle)
{
    TestDir dir;
    QList<VideoDevice> none;
    CaptureControl control(std::make_unique<FakeDevices>(&none));
    ASSERT_TRUE(control.connectDevice(0));
    control.setCurrent(CaptureList::Resolution, 0);
    control.setStreamFileName(dir.file("no such folder/jump.avi"));
    ASSERT_TRUE(control.startStreamCapture());
    QString text;
    ASSERT_TRUE(waitForStatus(control, CaptureStatus::Failed, 5000, &text));
    EXPECT_TRUE(text.startsWith("The recording could not start: Cannot create"))
        << text.toStdString();
    EXPECT_FALSE(control.capturing());

    // Not connected: refused at once with a warning.
    control.disconnectDevice();
    QSignalSpy warnings(&control, &CaptureControl::warning);
    EXPECT_FALSE(control.startStreamCapture());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0][0].toString(), "Connect a capture device first");
}

TEST(CaptureControl, DevicesComingAndGoingAreReportedAndTheConnectedOneIsFollowed)
{
    QList<VideoDevice> cameras{lavfiDevice("Camera A", "testsrc2", QSize(320, 240), 30),
                               lavfiDevice("Camera B", "testsrc", QSize(320, 240), 30)};
    CaptureControl control(std::make_unique<FakeDevices>(&cameras),
                           CaptureControl::TestCameraListing::Always);
    ASSERT_EQ(control.videoDeviceCount(), 3);
    EXPECT_EQ(control.videoDeviceName(2), "Korvel Test Camera");
    ASSERT_TRUE(control.connectDevice(1));
    QSignalSpy events(&control, &CaptureControl::deviceChanged);

    cameras.removeFirst();
    control.refreshDevices();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0][0].value<DeviceEvent>(), DeviceEvent::Removal);
    EXPECT_EQ(events[0][1].toString(), "Video Capture Sources");
    EXPECT_EQ(events[0][2].toString(), "Camera A");
    EXPECT_EQ(control.videoDeviceCurrent(), 0); // Camera B moved up

    cameras.removeFirst();
    cameras.append(lavfiDevice("Camera C", "testsrc2=size=640x480", QSize(640, 480), 30));
    control.refreshDevices();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[1][2].toString(), "Camera B");
    EXPECT_EQ(events[2][0].value<DeviceEvent>(), DeviceEvent::Arrival);
    EXPECT_EQ(events[2][2].toString(), "Camera C");
    EXPECT_EQ(control.videoDeviceCurrent(), -1); // the connected camera is gone
}

} // namespace

TEST(KorvelTool, CaptureRecordsThroughTheControlAndNamesTheContactFrame)
{
    TestDir dir;
    const QString out = dir.file("tool.avi");
    const ToolRun run = runProgram(QStringLiteral(KORVEL_TOOL),
                                   {"capture", "Korvel Test Camera", "1", out, "--size", "320x240",
                                    "--rate", "15", "--contact", "0.5"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("frames captured: 15\n")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("frames dropped: 0\n")) << run.out.toStdString();
    const int contact = run.out.section("contact frame: ", 1).section('\n', 0, 0).toInt();
    EXPECT_NEAR(contact, 7.5, 1.5);
    EXPECT_EQ(readCounters(out).size(), 15u);

    const ToolRun bad =
        runProgram(QStringLiteral(KORVEL_TOOL), {"capture", "No Such Camera", "1", out});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.contains("no capture device \"No Such Camera\"")) << bad.err.toStdString();
}

TEST(TestCameraFlights, SeededJumpsTouchDownOnTheirOwnFrameAtTheirOwnPoint)
{
    const TestCameraScene scene(QSize(320, 240));
    const QPointF jump(100.0, 50.0);
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        const TestFlight f = TestFlight::fromSeed(seed);
        const TestFlight again = TestFlight::fromSeed(seed);
        EXPECT_EQ(f.touchdownSeconds, again.touchdownSeconds);
        EXPECT_EQ(f.impact, again.impact);
        ASSERT_TRUE(f.impact.has_value());
        EXPECT_GE(f.touchdownSeconds, 1.3);
        EXPECT_LE(f.touchdownSeconds, 2.3);
        const double distance = QLineF(jump, *f.impact).length();
        EXPECT_GE(distance, 32.0);
        EXPECT_LE(distance, 60.0);
        EXPECT_LE(std::abs(f.impact->y() - jump.y()), 8.0);

        // The splash is on the impact pixel at touch-down, not the frame before.
        const std::int64_t touchdown = f.touchdownFrame(30);
        const QPoint p = scene.touchdownPixel(f).toPoint();
        auto grey = [&](std::int64_t n) { return qGray(scene.frame(n, 30, 0, f).pixel(p)); };
        EXPECT_GT(grey(touchdown) - grey(touchdown - 1), 40);
    }
    EXPECT_NE(TestFlight::fromSeed(1).impact, TestFlight::fromSeed(2).impact);
}
