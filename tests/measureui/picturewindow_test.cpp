// The picture screens on real display sizes (a wide monitor and a small
// laptop, both offered by the test's display): the whole picture shows when
// the display has room, the window never outgrows the display, buoy labels
// are never cut at the picture's edge, and a panel dragged past the edge can
// always be grabbed again.

#include "tests/measureui/measureoperator.h"

#include "grid/gridsetupscreen.h"
#include "review/mediaplayer.h"
#include "review/setstartscreen.h"
#include "tests/media/testvideos.h"
#include "tests/support/handovers.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::MeasureOperator;

namespace
{

QScreen* screenNamed(const QString& name)
{
    for (QScreen* s : QGuiApplication::screens())
        if (s->name() == name)
            return s;
    ADD_FAILURE() << "the test display has no screen " << name.toStdString();
    return QGuiApplication::primaryScreen();
}

QScrollArea* scrollOf(PictureView* picture)
{
    return qobject_cast<QScrollArea*>(picture->parentWidget()->parentWidget());
}

// What the operator sees of the picture without scrolling.
QRect visiblePart(PictureView* picture)
{
    return QRect(QPoint(0, 0), scrollOf(picture)->viewport()->size()).intersected(picture->rect());
}

// Presses the handle, moves the mouse by `by` in `steps` moves, releases.
void drag(QWidget* handle, QPoint by, int steps = 4)
{
    QPoint at = handle->mapToGlobal(QPoint(5, 5));
    auto send = [handle](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(handle->mapFromGlobal(global)), QPointF(global),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &e);
    };
    send(QEvent::MouseButtonPress, at, Qt::LeftButton);
    for (int i = 0; i < steps; ++i) {
        at += by / steps;
        send(QEvent::MouseMove, at, Qt::LeftButton);
    }
    send(QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void showOn(QMainWindow* window, const QString& screen)
{
    window->setScreen(screenNamed(screen));
    window->show();
    QCoreApplication::processEvents();
}

} // namespace

TEST(PictureWindow, TheMeasureScreenShowsTheWholePictureWithinTheDisplay)
{
    const struct {
        const char* screen;
        QSize picture;
        bool roomForAll;
    } cases[] = {
        {"wide", {960, 720}, true},    {"wide", {640, 480}, true},    {"laptop", {640, 480}, false},
        {"laptop", {960, 720}, false}, {"wide", {1600, 1200}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1, %2 x %3")
                         .arg(c.screen)
                         .arg(c.picture.width())
                         .arg(c.picture.height())
                         .toStdString());
        MeasureOperator op(1, c.picture);
        op.screen->setScreen(screenNamed(c.screen));
        op.loadSampleJump();
        showOn(op.screen.get(), c.screen);

        const QSize room = screenNamed(c.screen)->availableGeometry().size();
        EXPECT_LE(op.screen->width(), room.width());
        EXPECT_LE(op.screen->height(), room.height());
        PictureView* picture = op.screen->picture();
        if (c.roomForAll) {
            EXPECT_EQ(visiblePart(picture), picture->rect());
        }
        // The buoy distances sit whole on the picture, however near its edge
        // the far buoy lies.
        for (const char* name : {"maxbuoy", "minbuoy", "maxbuoym", "minbuoym"}) {
            auto* label = op.find<QLabel>(name);
            EXPECT_FALSE(label->text().isEmpty()) << name;
            EXPECT_TRUE(picture->rect().contains(label->geometry())) << name;
        }
    }
}

TEST(PictureWindow, GridSetUpGrowsToItsPictureWithinTheDisplay)
{
    for (const char* screen : {"wide", "laptop"}) {
        SCOPED_TRACE(screen);
        MeasureOperator op;
        const sample::SampleScene scene = sample::makeSampleScene({.size = {960, 720}});
        GridSetupModel model(op.grids, op.shared, *op.settings, op.prompt);
        GridSetupScreen setup(model, op.shared, *op.settings, op.prompt);
        setup.setScreen(screenNamed(screen));
        setup.setBackground(scene.picture);
        showOn(&setup, screen);

        const QSize room = screenNamed(screen)->availableGeometry().size();
        EXPECT_LE(setup.width(), room.width());
        EXPECT_LE(setup.height(), room.height());
        if (QString(screen) == "wide") {
            EXPECT_EQ(visiblePart(setup.picture()), setup.picture()->rect());
        }
    }
}

TEST(PictureWindow, APanelDraggedPastAnyEdgeStaysWhereItCanBeGrabbed)
{
    MeasureOperator op;
    op.loadSampleJump();
    showOn(op.screen.get(), "wide");
    GridSetupModel model(op.grids, op.shared, *op.settings, op.prompt);
    GridSetupScreen setup(model, op.shared, *op.settings, op.prompt);
    setup.setBackground(op.scene.picture);
    showOn(&setup, "wide");

    const struct {
        QMainWindow* window;
        PictureView* picture;
        const char* handle;
    } panels[] = {
        {op.screen.get(), op.screen->picture(), "AdjustmentLabel"},
        {op.screen.get(), op.screen->picture(), "CrossLabel"},
        {op.screen.get(), op.screen->picture(), "gridlabel"},
        {&setup, setup.picture(), "AdjustmentLabel"},
        {&setup, setup.picture(), "CrossSizeLabel"},
    };
    const QPoint far[] = {{3000, 0}, {0, 3000}, {-3000, 0}, {0, -3000}, {2500, 2500}};
    for (const auto& p : panels) {
        auto* handle = test::requireControl<QLabel>(p.window, QString::fromLatin1(p.handle));
        QWidget* group = handle->parentWidget();
        for (QPoint by : far) {
            SCOPED_TRACE(
                QStringLiteral("%1 by %2, %3").arg(p.handle).arg(by.x()).arg(by.y()).toStdString());
            drag(handle, by);
            EXPECT_TRUE(p.picture->rect().contains(group->geometry()));
            // ... and it can be brought back: a modest drag moves it again.
            const QPoint before = group->pos();
            drag(handle, QPoint(by.x() > 0 ? -40 : 40, by.y() > 0 ? -40 : 40), 2);
            EXPECT_NE(group->pos(), before);
        }
    }
}

namespace
{

QImage framePicture(const Picture& p)
{
    return QImage(p.bytes.data(), p.width, p.height, p.stride, QImage::Format_BGR888)
        .convertToFormat(QImage::Format_RGB32);
}

// The camera pixels around (x, y), side across, black beyond the picture,
// each enlarged zoom times: what the close-up must show.
QImage around(const QImage& frame, QPoint at, int side, int zoom)
{
    QImage part(side, side, QImage::Format_RGB32);
    part.fill(Qt::black);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const QPoint p(at.x() - side / 2 + x, at.y() - side / 2 + y);
            if (frame.rect().contains(p))
                part.setPixel(x, y, frame.pixel(p));
        }
    QImage big(side * zoom, side * zoom, QImage::Format_RGB32);
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x)
            big.setPixel(x, y, part.pixel(x / zoom, y / zoom));
    return big;
}

} // namespace

// Review on real display sizes: a 960 x 600 recording shows at its own size
// on the wide monitor, pixel for pixel, twice as large in a window made
// larger, and within the laptop's screen there; the close-up shows the
// camera's pixels around the clicked point at 4x and 8x, exactly.
TEST(PictureWindow, ReviewShowsARecordingAtItsOwnSizeWithACloseUp)
{
    if (test::ffmpegProgram().isEmpty())
        GTEST_SKIP() << "ffmpeg makes the test recording";
    test::Workplace w;
    w.shared.VideoDir = w.dir.path();
    w.shared.LogFileName = "log.txt";
    const QString clip = w.dir.file("Doejump1.avi");
    ASSERT_TRUE(
        test::makeTestClip(clip, "960x600", 25, 5, {"-c:v", "rawvideo", "-pix_fmt", "bgr24"}));
    for (const char* display : {"wide", "laptop"}) {
        SCOPED_TRACE(display);
        test::ReviewHandOvers screens;
        SetStartScreen screen(w.shared, *w.settings, w.prompt, screens, [](const QString&) {
            return std::optional<std::int64_t>(5'000'000'000);
        });
        screen.setScreen(screenNamed(display));
        w.shared.LastScreen = ScreenTag::View;
        screen.model().setFileToView(clip);
        screen.enter();
        QCoreApplication::processEvents();
        MediaPlayer* player = screen.player();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !player->waiting() && player->shown().picture; }));
        const QImage frame = framePicture(*player->shown().picture);
        player->repaint();
        const QSize room = screenNamed(display)->availableGeometry().size();
        EXPECT_LE(screen.width(), room.width());
        EXPECT_LE(screen.height(), room.height());
        if (QString(display) == "laptop") {
            EXPECT_LT(player->drawnPicture().width(), 960) << "the laptop has no room for it";
            continue;
        }
        EXPECT_EQ(player->drawnPicture(), frame) << "at its own size, pixel for pixel";

        // A window made larger by hand: twice as large, each pixel a sharp
        // square of four.
        const QSize fitted = screen.size();
        screen.resize(fitted + QSize(960, 600));
        player->repaint();
        EXPECT_EQ(player->drawnPicture(),
                  frame.scaled(1920, 1200, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        screen.resize(fitted);
        player->repaint();

        // A click on the picture: the close-up at 4x around that pixel; Z
        // makes it 8x, then takes it away. Near the edge, beyond the
        // picture is black, never another part of it.
        const struct {
            QPoint pixel;
        } clicks[] = {{{300, 200}}, {{5, 590}}};
        for (const auto& c : clicks) {
            QTest::mouseClick(player, Qt::LeftButton, {},
                              player->pictureOnScreen().topLeft() + c.pixel);
            player->repaint();
            EXPECT_EQ(player->closeUpPoint(), c.pixel);
            EXPECT_EQ(player->closeUpPicture(), around(frame, c.pixel, 60, 4));
            QTest::keyClick(player, Qt::Key_Z);
            player->repaint();
            EXPECT_EQ(player->closeUpZoom(), 8);
            EXPECT_EQ(player->closeUpPicture(), around(frame, c.pixel, 30, 8));
            QTest::keyClick(player, Qt::Key_Z);
            EXPECT_EQ(player->closeUpZoom(), 0);
        }
        EXPECT_EQ(player->drawnPicture(), frame)
            << "the close-up is drawn over, never into, the frame";
    }
}
