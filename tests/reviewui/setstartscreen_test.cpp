// The review screen operated like an operator does, on videos made for the
// test: arrivals, stepping by buttons, keypad and held arrow keys, the slider,
// the file dialog, and "Use displayed frame" on to measurement and grid set-up.

#include "review/mediaplayer.h"
#include "review/setstartscreen.h"

#include "grid/gridsetupscreen.h"
#include "media/ffmpegframesource.h"
#include "media/frameexport.h"
#include "shell/arrowkeys.h"
#include "shell/namedwidgets.h"
#include "shell/paths.h"
#include "tests/measureui/measureoperator.h"
#include "tests/media/testvideos.h"
#include "tests/support/handovers.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTimer>

using namespace korvel;
using korvel::test::RawAvi;
using C = korvel::ReviewControl;

namespace
{

const char* const kStart = "Select Start Position using direction buttons and/or slider";

QString currentCapture()
{
    return joinPath(programFolder(), "currentcapture.bmp");
}

// The review screen beside any other screen of the same workplace.
struct Review {
    test::Workplace& w;
    std::optional<std::int64_t> freeBytes = 5'000'000'000;
    test::ReviewHandOvers screens;
    SetStartScreen screen{w.shared, *w.settings, w.prompt, screens,
                          [this](const QString&) { return freeBytes; }};

    explicit Review(test::Workplace& place) : w(place)
    {
        w.shared.VideoDir = w.dir.path();
        w.shared.LogFileName = "log.txt";
        QFile::remove(currentCapture());
    }
    template <class T> T* find(C id)
    {
        T* c = findControl<T>(&screen, id);
        EXPECT_NE(c, nullptr) << controlName(id).toStdString();
        return c;
    }
    MediaPlayer* player() { return screen.player(); }
    void press(C id) { QTest::mouseClick(find<QPushButton>(id), Qt::LeftButton); }
    void arrive(ScreenTag tag, const QString& video = {})
    {
        w.shared.LastScreen = tag;
        if (tag == ScreenTag::View)
            screen.model().setFileToView(video);
        else
            screen.model().setText6(video);
        screen.enter();
    }
    // Lets the player's idle timer serve the position; the frame on show.
    int shownFrame()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !player()->waiting(); }));
        const auto& s = player()->shown();
        EXPECT_EQ(player()->frameText(),
                  QStringLiteral("Frame %1 of %2").arg(s.frame).arg(player()->frameCount()));
        if (!s.picture)
            return -1;
        EXPECT_EQ(RawAvi::solidFrameNumber(*s.picture), s.frame)
            << "the picture is the frame whose number shows";
        return int(s.frame);
    }
    QString label(C id) { return find<QLabel>(id)->text(); }
    bool visible(C id) { return find<QWidget>(id)->isVisible(); }
};

// Pixel data of frame n of a video, decoded on its own.
QByteArray framePixels(const QString& video, int n)
{
    OpenResult r = openVideo(video);
    if (!r.source)
        return {};
    const FrameResult f = r.source->frame(n);
    return f ? packedDib(*f.picture).mid(40) : QByteArray();
}

QByteArray bmpPixels(const QString& path)
{
    return test::bmpPixels(test::readAll(path));
}

// An image's pixels as the rows of a bottom-up 24-bit bitmap.
QByteArray imagePixels(const QImage& img)
{
    Picture p;
    const QImage rgb = img.convertToFormat(QImage::Format_BGR888);
    p.width = rgb.width();
    p.height = rgb.height();
    p.stride = Picture::strideFor(p.width);
    p.bytes.resize(std::size_t(p.stride) * std::size_t(p.height));
    for (int y = 0; y < p.height; ++y)
        std::memcpy(p.bytes.data() + std::size_t(y) * std::size_t(p.stride), rgb.constScanLine(y),
                    std::size_t(p.width) * 3);
    return packedDib(p).mid(40);
}

} // namespace

TEST(SetStartScreen, EveryControlAtItsPlaceWithItsCaption)
{
    test::Workplace w;
    Review r(w);
    EXPECT_EQ(r.screen.objectName(), "frmSetStart");
    EXPECT_EQ(r.screen.windowTitle(), "Korvel 2005 Frame Selection");
    EXPECT_EQ(r.screen.size(), QSize(729, 687));
    const struct {
        C id;
        const char* caption; // nullptr: none to check
        QRect pixels;
        double points;
        bool bold;
    } controls[] = {
        {C::MediaPlayer1, nullptr, {16, 24, 385, 361}, 8.25, false},
        {C::Label10, "Disk Free Space Available", {24, 0, 129, 17}, 8.25, false},
        {C::lblDiskSpace, "Disk Space", {168, 0, 81, 17}, 8.25, false},
        {C::Label11, "Warning! Disk Space Low", {256, 0, 153, 17}, 8.25, true},
        {C::cmdViewLog, "View Log File", {424, 0, 153, 17}, 8.25, false},
        {C::Label3, "Browse for File to View ->", {424, 16, 185, 25}, 9.75, true},
        {C::Command6, "...", {608, 8, 25, 21}, 8.25, false},
        {C::Text6, nullptr, {424, 32, 217, 65}, 8.25, false},
        {C::Label5,
         "Select Start Position using direction buttons and/or slider",
         {432, 96, 209, 33},
         9.75,
         true},
        {C::Command1, "<", {432, 136, 49, 25}, 18, false},
        {C::Command4, ">", {496, 136, 49, 25}, 18, false},
        {C::cmdMarkStart, "Use displayed frame to measure jump", {432, 200, 113, 33}, 8.25, false},
        {C::btnGoToSetup, "Use displayed frame to set up Grid", {432, 240, 113, 33}, 8.25, false},
        {C::cmdGoToCapture, "Go To Record Next Jump Pass", {432, 336, 113, 33}, 8.25, false},
        {C::cmdGoToSetup, "Go Back To Main Screen", {432, 384, 113, 33}, 8.25, false},
        {C::Label9, "Barefoot Mode", {440, 424, 153, 25}, 12, true},
    };
    for (const auto& c : controls) {
        QWidget* wdg = r.find<QWidget>(c.id);
        ASSERT_TRUE(wdg);
        const std::string name = controlName(c.id).toStdString();
        EXPECT_EQ(wdg->objectName(), controlName(c.id));
        EXPECT_EQ(wdg->geometry(), c.pixels) << name;
        EXPECT_EQ(wdg->font().pointSizeF(), c.points) << name;
        EXPECT_EQ(wdg->font().bold(), c.bold) << name;
        if (!c.caption)
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(wdg))
            EXPECT_EQ(b->text(), c.caption);
        else
            EXPECT_EQ(qobject_cast<QLabel*>(wdg)->text(), c.caption);
    }
    EXPECT_EQ(r.find<QTimer>(C::Timer2)->interval(), 100);
    EXPECT_FALSE(r.find<QPushButton>(C::cmdMarkStart)->isEnabled()) << "no video yet";
    EXPECT_FALSE(r.find<QPushButton>(C::btnGoToSetup)->isEnabled());
}

TEST(SetStartScreen, ArrivalsByTheScreenThatOpenedReview)
{
    const struct {
        ScreenTag tag;
        std::int16_t startFrame;
        int position; // the player's frame after the arrival; -1 no video
        const char* instruction;
        ScreenTag lastScreenAfter;
    } cases[] = {
        {ScreenTag::Capture, 17, 17, kStart, ScreenTag::None},
        {ScreenTag::Capture, 0, 0, kStart, ScreenTag::None},
        {ScreenTag::View, 17, 0, "Select First Contact by using direction buttons and/or slider",
         ScreenTag::View},
        {ScreenTag::Setup, 17, -1, kStart, ScreenTag::Setup},
        {ScreenTag::CaptureGoToTimer, 17, -1, kStart, ScreenTag::CaptureGoToTimer},
    };
    for (const auto& c : cases) {
        test::Workplace w;
        Review r(w);
        w.shared.StartFrame = c.startFrame;
        const QString video = test::writeSolidClip(w.dir.file("Smithjump1.avi"), 25);
        r.arrive(c.tag, video);
        const bool loaded = c.position >= 0;
        EXPECT_EQ(r.find<QPlainTextEdit>(C::Text6)->toPlainText(), loaded ? video : "")
            << nameOf(c.tag).toStdString();
        EXPECT_EQ(r.player()->loaded(), loaded) << nameOf(c.tag).toStdString();
        if (loaded) {
            EXPECT_EQ(r.shownFrame(), c.position) << nameOf(c.tag).toStdString();
        }
        EXPECT_EQ(r.label(C::Label5), c.instruction) << nameOf(c.tag).toStdString();
        EXPECT_EQ(w.shared.LastScreen, c.lastScreenAfter) << nameOf(c.tag).toStdString();
        EXPECT_EQ(r.find<QPushButton>(C::cmdMarkStart)->isEnabled(), loaded)
            << nameOf(c.tag).toStdString();
        EXPECT_EQ(r.find<QPushButton>(C::btnGoToSetup)->isEnabled(), loaded)
            << nameOf(c.tag).toStdString();
        EXPECT_EQ(r.player()->size(), QSize(385, 361));
        EXPECT_TRUE(r.find<QTimer>(C::Timer2)->isActive()) << nameOf(c.tag).toStdString();
        EXPECT_FALSE(r.visible(C::Label9)) << "barefoot timing is off";
    }
}

TEST(SetStartScreen, LeavingAndTheLogAreAskedOfTheScreensAround)
{
    const struct {
        C button;
        const char* asked;
        bool leaves;
    } cases[] = {
        {C::cmdGoToCapture, "capture", true},
        {C::cmdGoToSetup, "main", true},
        {C::cmdViewLog, "log", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        test::Workplace w;
        Review r(w);
        r.arrive(ScreenTag::Capture, test::writeSolidClip(w.dir.file("Smithjump1.avi"), 5));
        r.press(c.button);
        EXPECT_EQ(r.screens.asked, QStringList{c.asked});
        EXPECT_EQ(r.screen.isVisible(), !c.leaves);
        EXPECT_EQ(w.shared.LastScreen, c.leaves ? ScreenTag::Timer : ScreenTag::None);
        EXPECT_EQ(r.find<QTimer>(C::Timer2)->isActive(), !c.leaves);
    }
}

TEST(SetStartScreen, FreeSpaceOfTheVideoFolderAndTheLowSpaceWarning)
{
    const struct {
        std::optional<std::int64_t> bytes;
        const char* label;
        bool warned;
    } cases[] = {
        {199'999'999, " 199 MB", true},
        {200'000'000, " 200 MB", false},
        {std::nullopt, " 0 MB", true}, // the query failed
    };
    for (const auto& c : cases) {
        test::Workplace w;
        Review r(w);
        r.freeBytes = c.bytes;
        r.arrive(ScreenTag::Setup);
        EXPECT_EQ(r.label(C::lblDiskSpace), c.label);
        EXPECT_EQ(r.visible(C::Label11), c.warned) << c.label;
        EXPECT_TRUE(r.label(C::Label10).startsWith("Disk Space Available /")) << "a mount point";
    }
}

TEST(SetStartScreen, SteppingByButtonsKeypadHeldArrowsAndTheSlider)
{
    test::Workplace w;
    Review r(w);
    w.shared.StartFrame = 3;
    r.arrive(ScreenTag::Capture, test::writeSolidClip(w.dir.file("Smithjump1.avi"), 25));
    ASSERT_EQ(r.shownFrame(), 3);
    QTimer* timer2 = r.find<QTimer>(C::Timer2);
    auto holdArrow = [&](ArrowKeys::Key k, int polls) {
        ArrowKeys::instance().press(k);
        for (int i = 0; i < polls; ++i)
            QMetaObject::invokeMethod(timer2, "timeout");
        ArrowKeys::instance().release(k);
        ArrowKeys::instance().poll(k);
    };
    const struct {
        const char* what;
        std::function<void()> act;
        int frame;
    } steps[] = {
        {"\">\"", [&] { r.press(C::Command4); }, 4},
        {"\"<\"", [&] { r.press(C::Command1); }, 3},
        {"keypad 6", [&] { QTest::keyClick(r.player(), Qt::Key_6, Qt::KeypadModifier); }, 4},
        {"keypad 4", [&] { QTest::keyClick(r.player(), Qt::Key_4, Qt::KeypadModifier); }, 3},
        {"right arrow held for 12 polls", [&] { holdArrow(ArrowKeys::Right, 12); }, 15},
        {"left arrow held for 5 polls", [&] { holdArrow(ArrowKeys::Left, 5); }, 10},
        {"right arrow tapped between two polls",
         [&] {
             ArrowKeys::instance().press(ArrowKeys::Right);
             ArrowKeys::instance().release(ArrowKeys::Right);
             QMetaObject::invokeMethod(timer2, "timeout");
             QMetaObject::invokeMethod(timer2, "timeout");
         },
         11},
        {"right arrow tapped three times between two polls",
         [&] {
             for (int tap = 0; tap < 3; ++tap) {
                 ArrowKeys::instance().press(ArrowKeys::Right);
                 ArrowKeys::instance().release(ArrowKeys::Right);
             }
             QMetaObject::invokeMethod(timer2, "timeout");
             QMetaObject::invokeMethod(timer2, "timeout");
         },
         14},
        {"the slider dragged to the end", [&] { r.player()->slider()->setValue(24); }, 24},
        {"\">\" at the last frame", [&] { r.press(C::Command4); }, 24},
        {"\"<\" right after", [&] { r.press(C::Command1); }, 23},
        {"\">\" twice to the last frame",
         [&] {
             r.press(C::Command4);
             r.press(C::Command4);
         },
         24},
        {"the slider dragged to frame 1", [&] { r.player()->slider()->setValue(1); }, 1},
        {"\"<\" at frame 1", [&] { r.press(C::Command1); }, 1},
        {"the slider dragged to frame 0", [&] { r.player()->slider()->setValue(0); }, 0},
        {"\"<\" at frame 0", [&] { r.press(C::Command1); }, 0},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(r.shownFrame(), s.frame) << s.what;
        EXPECT_EQ(r.player()->slider()->value(), s.frame) << s.what;
    }
}

TEST(SetStartScreen, OnlyArrowsPressedOnReviewStepIt)
{
    test::Workplace w;
    Review r(w);
    w.shared.StartFrame = 10;
    r.arrive(ScreenTag::Capture, test::writeSolidClip(w.dir.file("Smithjump1.avi"), 25));
    ASSERT_EQ(r.shownFrame(), 10);
    QTimer* timer2 = r.find<QTimer>(C::Timer2);
    const auto poll = [&] { QMetaObject::invokeMethod(timer2, "timeout"); };

    // Arrows typed in another window (the capture screen's name box) before
    // review took over are not review's: the Contact frame stays on show.
    QWidget other;
    auto* nameBox = new QLineEdit(&other);
    other.show();
    QTest::keyClick(nameBox, Qt::Key_Right);
    QTest::keyClick(nameBox, Qt::Key_Right);
    poll();
    poll();
    EXPECT_EQ(r.shownFrame(), 10);
    // Held down there, still not.
    QTest::keyPress(nameBox, Qt::Key_Left);
    poll();
    QTest::keyRelease(nameBox, Qt::Key_Left);
    EXPECT_EQ(r.shownFrame(), 10);

    // On review itself a tap steps once, at the next poll only.
    QTest::keyClick(r.player(), Qt::Key_Right);
    poll();
    poll();
    EXPECT_EQ(r.shownFrame(), 11);

    // From the keyboard, where the press reaches the screen's window before
    // its widgets, the same.
    QWidget* screen = r.player()->window();
    screen->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(screen));
    QTest::keyClick(screen->windowHandle(), Qt::Key_Right);
    poll();
    poll();
    EXPECT_EQ(r.shownFrame(), 12);
    QTest::keyClick(screen->windowHandle(), Qt::Key_Left);
    poll();
    EXPECT_EQ(r.shownFrame(), 11);
}

TEST(SetStartScreen, ADamagedFrameIsMarkedAndSteppingGoesOn)
{
    test::Workplace w;
    Review r(w);
    w.shared.StartFrame = 4;
    r.arrive(ScreenTag::Capture, test::writeSolidClip(w.dir.file("Smithjump1.avi"), 10, 5));
    EXPECT_EQ(r.shownFrame(), 4);
    r.press(C::Command4);
    EXPECT_EQ(r.shownFrame(), -1);
    EXPECT_TRUE(r.player()->shown().damaged);
    EXPECT_EQ(r.player()->frameText(), "Frame 5 of 10");
    r.player()->repaint();
    EXPECT_TRUE(r.player()->drawnPicture().isNull()) << "no picture of another frame";
    r.press(C::Command4);
    EXPECT_EQ(r.shownFrame(), 6);
}

TEST(SetStartScreen, TheFrameExportedIsTheFrameOnShowHalvesToEven)
{
    const struct {
        double position;
        int exported;
        bool forSetup;
    } cases[] = {{12.5, 12, false}, {13.5, 14, false}, {12.5, 12, true}, {13.5, 14, true}};
    for (const auto& c : cases) {
        test::Workplace w;
        Review r(w);
        w.shared.GridsReady = 1;
        w.shared.VideoSavePolicy = SavePolicy::Save;
        const QString video = test::writeSolidClip(w.dir.file("Smithjump1.avi"), 20);
        r.arrive(ScreenTag::View, video);
        r.player()->setPosition(c.position);
        EXPECT_EQ(r.shownFrame(), c.exported);
        r.press(c.forSetup ? C::btnGoToSetup : C::cmdMarkStart);
        EXPECT_EQ(bmpPixels(currentCapture()), RawAvi::solidFrame(32, 16, c.exported))
            << c.position << (c.forSetup ? " for grid set-up" : " to measure");
        EXPECT_EQ(r.screen.model().session().SelectedFrame, c.exported);
        EXPECT_EQ(w.shared.LastScreen, ScreenTag::SelectFrame);
        EXPECT_EQ(r.screens.asked, QStringList{c.forSetup ? "grid set-up" : "measure"});
        EXPECT_FALSE(r.screen.isVisible());
        EXPECT_FALSE(r.player()->loaded()) << "the video is closed after its export";
    }
}

TEST(SetStartScreen, TheKeepingPolicyDeletesOnlyACapturedVideoAndOnlyAfterItsExport)
{
    const struct {
        const char* what;
        SavePolicy policy;
        bool fromCapture; // else opened with the file dialog
        bool exportFails;
        bool kept;
    } cases[] = {
        {"NoSave after a capture", SavePolicy::NoSave, true, false, false},
        {"NoSave, opened with the file dialog", SavePolicy::NoSave, false, false, true},
        {"NoSave, export failed", SavePolicy::NoSave, true, true, true},
        {"Save after a capture", SavePolicy::Save, true, false, true},
    };
    for (const auto& c : cases) {
        test::Workplace w;
        Review r(w);
        w.shared.GridsReady = 1;
        w.shared.VideoSavePolicy = c.policy;
        const QString video = test::writeSolidClip(w.dir.file("Smithjump1.avi"), 20);
        if (c.fromCapture) {
            r.arrive(ScreenTag::Capture, video);
        } else {
            r.arrive(ScreenTag::Setup);
            w.prompt.expectOpenFile(video);
            r.press(C::Command6);
            EXPECT_EQ(w.prompt.lastFilter, "*.avi|*.avi");
            EXPECT_EQ(w.prompt.lastInitialPath, w.dir.path());
        }
        r.player()->setPosition(7);
        if (c.exportFails) {
            // A folder where the picture goes: nothing can be written there.
            QDir().mkpath(currentCapture());
            w.prompt.expectMessage("The picture could not be written:\r\n" + currentCapture() +
                                   "\r\nIs a directory");
        }
        r.press(C::cmdMarkStart);
        EXPECT_EQ(QFile::exists(video), c.kept) << c.what;
        if (c.exportFails) {
            QDir(currentCapture()).removeRecursively();
            EXPECT_TRUE(r.player()->loaded()) << "still on the same video";
            EXPECT_TRUE(r.player()->controlsEnabled());
            EXPECT_TRUE(r.screens.asked.isEmpty());
            r.press(C::Command4);
            EXPECT_EQ(r.shownFrame(), 8);
            r.press(C::cmdMarkStart);
            EXPECT_FALSE(QFile::exists(video)) << "deleted once its frame was written";
            EXPECT_EQ(bmpPixels(currentCapture()), RawAvi::solidFrame(32, 16, 8));
        }
        EXPECT_TRUE(w.prompt.done()) << c.what;
    }
}

TEST(SetStartScreen, MeasuredVideosAreWarnedAboutAndOtherFilesRefused)
{
    test::Workplace w;
    Review r(w);
    const QString video = test::writeSolidClip(w.dir.file("Smithjump3.avi"), 8);
    ASSERT_TRUE(WriteInfoFile(video, 412));
    w.prompt.expectMessage("File already measured - contact frame is  412",
                           "Start Already Measured Warning");
    r.arrive(ScreenTag::View, video);
    EXPECT_TRUE(w.prompt.done());

    w.prompt.expectOpenFile(video);
    w.prompt.expectMessage("File already measured - start frame is  412",
                           "Start Already Measured Warning");
    r.press(C::Command6);
    EXPECT_EQ(r.label(C::Label5), "Select Start Position using direction buttons and/or slider");

    // A picture is no video: said so, and the video on show stays.
    r.player()->setPosition(5);
    const QString picture = w.dir.file("picture.avi");
    QImage(8, 8, QImage::Format_RGB32).save(picture, "BMP");
    w.prompt.expectOpenFile(picture);
    w.prompt.expectMessage("Not a valid avi file", kProgramTitle, Icon::Exclamation);
    r.press(C::Command6);
    EXPECT_EQ(r.find<QPlainTextEdit>(C::Text6)->toPlainText(), video);
    EXPECT_EQ(r.shownFrame(), 5);
    EXPECT_TRUE(w.prompt.done());
}

// The road of one jump so far: a video, review, and the frame chosen there
// measured, or used to set up a grid, exactly as it was on show.
TEST(JumpRoad, TheFrameOnShowIsThePictureMeasuredAndSetUp)
{
    QString clip;
    test::TestDir videos;
    if (!test::ffmpegProgram().isEmpty()) {
        // A long group of pictures with B-frames: the frame must not be
        // taken from a neighbour.
        clip = videos.file("Doejump2.avi");
        ASSERT_TRUE(
            test::makeTestClip(clip, "320x240", 30, 60,
                               {"-c:v", "libx264", "-g", "48", "-bf", "2", "-pix_fmt", "yuv420p"}));
    } else {
        clip = test::writeSolidClip(videos.file("Doejump2.avi"), 25);
    }
    for (bool toSetup : {false, true}) {
        test::MeasureOperator op;
        op.shared.LastScreen = ScreenTag::None;
        Review r(op);
        op.shared.VideoSavePolicy = SavePolicy::Save;
        GridSetupModel setupModel(op.grids, op.shared, *op.settings, op.prompt);
        GridSetupScreen setup(setupModel, op.shared, *op.settings, op.prompt);
        op.shared.GridsReady = 1; // the sample grid solved
        r.screens.then = [&](const QString& asked) {
            if (asked == "measure")
                op.screen->enter();
            else if (asked == "grid set-up")
                setup.enter();
        };
        op.shared.StartFrame = 21;
        r.arrive(ScreenTag::Capture, clip);
        r.press(C::Command4);
        r.press(C::Command4);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !r.player()->waiting(); }));
        EXPECT_EQ(r.player()->shown().frame, 23);
        const QByteArray expected = framePixels(clip, 23);
        ASSERT_FALSE(expected.isEmpty());
        r.press(toSetup ? C::btnGoToSetup : C::cmdMarkStart);
        const QImage shown = toSetup ? setup.picture()->picture() : op.screen->picture()->picture();
        EXPECT_TRUE(imagePixels(shown) == expected)
            << (toSetup ? "grid set-up" : "measurement") << " shows another picture";
        EXPECT_EQ(toSetup ? setup.isVisible() : op.screen->isVisible(), true);
        EXPECT_EQ(test::readAll(clip + ".info"), (clip + ", 23\r\n").toLatin1());
    }
}
