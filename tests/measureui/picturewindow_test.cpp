// The picture screens on real display sizes (a wide monitor and a small
// laptop, both offered by the test's display): the whole picture shows when
// the display has room, the window never outgrows the display, buoy labels
// are never cut at the picture's edge, and a panel dragged past the edge can
// always be grabbed again.

#include "tests/measureui/measureoperator.h"

#include "grid/gridsetupscreen.h"

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
