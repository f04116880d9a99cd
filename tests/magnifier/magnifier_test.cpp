#include "magnifier/magnifier.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lensor;

namespace
{
// Every screen pixel's colour names its own position, so a wrong source pixel
// anywhere in the picture shows up as a wrong colour.
QRgb screenPixel(int x, int y)
{
    return qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 4));
}

class FakeScreen : public ScreenSource
{
public:
    explicit FakeScreen(QSize size = {320, 240}) : m_image(size, QImage::Format_RGB32)
    {
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                m_image.setPixel(x, y, screenPixel(x, y));
    }
    QSize screenSize() const override { return m_image.size(); }
    QImage grab(const QRect& r) override
    {
        ++grabs;
        return failing ? QImage() : m_image.copy(r);
    }
    QPoint pointer() override { return {}; }
    int grabs = 0;
    bool failing = false;

private:
    QImage m_image;
};

// The picture is the source rectangle in whole blocks of factor x factor from
// its top left corner: true 8x is eight pixels a side everywhere.
void expectBlocksOf(const QImage& picture, const QRect& source, int factor)
{
    ASSERT_EQ(source.width(), (picture.width() + factor - 1) / factor);
    ASSERT_EQ(source.height(), (picture.height() + factor - 1) / factor);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            ASSERT_EQ(picture.pixel(x, y),
                      screenPixel(source.x() + x / factor, source.y() + y / factor))
                << x << "," << y;
}
// A magnifier in the first run's window at that zoom, drawn once at the cursor.
Magnifier drawnAt(FakeScreen& screen, int zoom, QPoint cursor)
{
    Magnifier m(screen);
    m.resize({170, 245});
    m.setZoom(zoom);
    m.magnifyAt(cursor);
    return m;
}
// The block a picture pixel lies in, counted from the picture's corner.
QPoint blockOf(QPoint p, int factor)
{
    return {p.x() / factor, p.y() / factor};
}
} // namespace

// On a desktop scaled by a fraction the picture lies on whole screen pixels
// (else a row or column of them beside it shows nothing), moved within its
// margins: never larger, smaller or out of its frame's room.
TEST(MagnifierLayout, OnAScaledDesktopThePictureLiesOnWholeScreenPixels)
{
    for (const qreal ratio : {1.25, 1.5, 1.75, 2.0})
        for (const QSize client :
             {QSize(168, 200), QSize(163, 201), QSize(170, 245), QSize(331, 299), QSize(1000, 800)})
            for (const bool position : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << "ratio " << ratio << ", " << client.width() << "x"
                             << client.height() << ", panel " << position);
                const Layout plain = layoutFor(client, position);
                const Layout l = layoutFor(client, position, ratio);
                EXPECT_EQ(l.picture.size(), plain.picture.size());
                EXPECT_EQ(l.frame, l.picture.adjusted(-2, -2, 2, 2));
                const int room = client.height() - (position ? kPanelHeight : 0);
                EXPECT_TRUE(QRect(0, 0, client.width(), room).contains(l.frame));
                const auto whole = [ratio](int at) {
                    return std::abs(at * ratio - std::round(at * ratio)) < 1e-9;
                };
                // Whole pixels come every 4 logical ones at a quarter's scale:
                // the margins must leave room to move that far.
                const int needed = ratio == 1.5 || ratio == 2.0 ? 1 : 3;
                const int marginX = client.width() - 4 - plain.picture.width();
                const int marginY = room - 4 - plain.picture.height();
                if (marginX >= needed) {
                    EXPECT_TRUE(whole(l.picture.left()));
                    EXPECT_TRUE(whole(l.picture.right() + 1));
                }
                if (marginY >= needed) {
                    EXPECT_TRUE(whole(l.picture.top()));
                    EXPECT_TRUE(whole(l.picture.bottom() + 1));
                }
            }
}

TEST(MagnifierLayout, PictureShrinksToMultiplesOfEight)
{
    struct Case {
        QSize client;
        bool position;
        QRect picture;
    } cases[] = {
        // 163 - 4 = 159, 7 over: 3 off the left, 4 off the right.
        {{163, 200}, true, {5, 4, 152, 136}},
        // 172 - 4 = 168 is a multiple already and loses 4 at each end.
        {{172, 200}, false, {6, 4, 160, 192}},
        {{170, 245}, true, {5, 3, 160, 184}},
    };
    for (const Case& c : cases) {
        const Layout l = layoutFor(c.client, c.position);
        EXPECT_EQ(l.picture, c.picture) << c.client.width() << "x" << c.client.height();
        EXPECT_EQ(l.frame, c.picture.adjusted(-2, -2, 2, 2));
    }
    EXPECT_TRUE(layoutFor({6, 50}, true).picture.isEmpty()); // nothing left, nothing negative
    EXPECT_EQ(cutToEight(159), std::make_pair(3, 4));
    EXPECT_EQ(cutToEight(160), std::make_pair(4, 4));
    EXPECT_EQ(panelPlace(PanelItem::Zoom8x, 300), QRect(141, 258, 16, 16));
    EXPECT_EQ(panelPlace(PanelItem::ColourText, 300), QRect(10, 285, 57, 15));
    // No two of the panel's places overlap (but the disc in the icon's well):
    // the picture and the read-outs' strip are windows of their own and would
    // hide what they cover.
    for (int a = int(PanelItem::ColourDisc); a <= int(PanelItem::Label8x); ++a) {
        for (int b = a + 1; b <= int(PanelItem::Label8x); ++b) {
            const QRect one = panelPlace(PanelItem(a), 300), other = panelPlace(PanelItem(b), 300);
            EXPECT_FALSE(one.intersects(other)) << a << " and " << b;
        }
    }
}

TEST(MagnifierSource, CentredOnTheCursorAndKeptOnTheScreen)
{
    const QSize screen(320, 240);
    struct Case {
        QSize picture;
        int factor;
        QPoint cursor;
        QRect source;
    } cases[] = {
        {{160, 120}, 4, {5, 5}, {0, 0, 40, 30}},
        {{160, 120}, 4, {100, 100}, {80, 85, 40, 30}},
        {{160, 120}, 4, {319, 239}, {280, 210, 40, 30}},
        {{160, 120}, 1, {5, 5}, {0, 0, 160, 120}},
        {{152, 136}, 8, {50, 60}, {41, 52, 19, 17}},   // 19 x 17 whole blocks
        {{150, 100}, 4, {100, 100}, {81, 88, 38, 25}}, // the last column of blocks cut in half
        {{400, 300}, 1, {10, 10}, {0, 0, 400, 300}},   // larger than the screen: from its corner
    };
    for (const Case& c : cases)
        EXPECT_EQ(sourceRect(c.cursor, c.picture, c.factor, screen), c.source)
            << c.cursor.x() << "," << c.cursor.y() << " x" << c.factor;
}

TEST(MagnifierPicture, ShowsTheScreenPixelsAroundTheCursor)
{
    struct Case {
        QSize client;
        int zoom;
        QPoint cursor;
    } cases[] = {
        {{165, 180}, 2, {5, 5}},     // 160 x 120 at 4x, clamped into the corner
        {{163, 200}, 3, {200, 100}}, // 8x onto 152 pixels: 18 columns, not a whole factor
        {{300, 200}, 0, {319, 239}}, // 1x
        // Pictures too large to be written through the cache, with rows that
        // are no whole number of cache lines (392 and 496 pixels).
        {{400, 400}, 3, {300, 200}},
        {{500, 420}, 1, {10, 230}},
    };
    for (const Case& c : cases) {
        FakeScreen screen;
        Options o;
        o.set(Option::Zoom, c.zoom);
        Magnifier m(screen, o);
        m.resize(c.client);
        m.magnifyAt(c.cursor);
        SCOPED_TRACE(c.zoom);
        EXPECT_EQ(m.picture().size(), m.layout().picture.size());
        EXPECT_EQ(m.lastSource(), sourceRect(c.cursor, m.picture().size(), zoomFactor(c.zoom),
                                             screen.screenSize()));
        expectBlocksOf(m.picture(), m.lastSource(), zoomFactor(c.zoom));
        // The read-out is the pixel under the cursor itself, not the clamped centre.
        EXPECT_EQ(m.colour().rgb(), screenPixel(c.cursor.x(), c.cursor.y()));
        EXPECT_EQ(m.readoutPoint(), c.cursor);
    }
}

TEST(MagnifierPicture, ColourReadoutText)
{
    struct Case {
        QColor colour;
        const char* html;
        const char* windows;
    } cases[] = {
        {QColor(255, 0, 0), "#FF0000", "0x0000FF"},
        {QColor(0x12, 0x34, 0x56), "#123456", "0x563412"},
        {QColor(0, 0, 0), "#000000", "0x000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(colourText(c.colour, true), QLatin1String(c.html));
        EXPECT_EQ(colourText(c.colour, false), QLatin1String(c.windows));
    }
    EXPECT_EQ(minimisedTitle({12, -3}), QStringLiteral("Lensor - x12 : y-3"));
}

// A grab that fails shows black, not the last picture as if it were now; the
// next one that works shows the screen again.
TEST(MagnifierPicture, AFailedGrabShowsBlackUntilTheScreenReadsAgain)
{
    FakeScreen screen;
    Magnifier m = drawnAt(screen, 3, {100, 100});
    const QImage kept = m.picture();
    screen.failing = true;
    m.magnifyAt({110, 100});
    EXPECT_TRUE(m.changed());
    QImage black(m.picture().size(), m.picture().format());
    black.fill(Qt::black);
    EXPECT_EQ(m.picture(), black);
    EXPECT_EQ(m.picture().constBits(), kept.constBits()); // drawn in place
    screen.failing = false;
    m.magnifyAt({110, 100});
    expectBlocksOf(m.picture(), m.lastSource(), 8);
}

TEST(MagnifierViews, LockFreezesFixedHoldsTheAreaAndChangesGoLive)
{
    FakeScreen screen;
    Magnifier m = drawnAt(screen, 2, {100, 100});
    const QImage atFirst = m.picture().copy();
    EXPECT_TRUE(m.changed());
    m.magnifyAt({100, 100}); // the same screen: nothing to repaint
    EXPECT_FALSE(m.changed());
    EXPECT_EQ(m.picture(), atFirst);

    EXPECT_TRUE(m.toggleLock()); // locked, with the lock beep by default
    const int grabs = screen.grabs;
    EXPECT_FALSE(m.mouseMoved({200, 150}, false));
    EXPECT_EQ(m.tick({200, 150}, false, false), Magnifier::TickResult::Nothing);
    EXPECT_EQ(screen.grabs, grabs);
    EXPECT_EQ(m.picture(), atFirst);
    m.setZoom(3); // a zoom change unlocks
    EXPECT_FALSE(m.locked());
    EXPECT_EQ(m.tick({200, 150}, false, false), Magnifier::TickResult::Magnified);
    EXPECT_GT(screen.grabs, grabs);

    m.toggleFixed();
    const QRect held = m.lastSource();
    m.tick({20, 30}, false, false);
    EXPECT_EQ(m.lastSource(), held);
    EXPECT_EQ(m.colour().rgb(), screenPixel(20, 30)); // the read-out still follows the cursor
    m.togglePosition();                               // back to live
    EXPECT_FALSE(m.fixed());
    m.togglePosition();
    m.toggleFixed();
    m.resize({200, 245}); // so does a new size
    EXPECT_FALSE(m.fixed());

    m.options().set(Option::LockSound, 0);
    EXPECT_FALSE(m.toggleLock());
    EXPECT_TRUE(m.locked());
}

TEST(MagnifierViews, MinimisedWindowShowsTheCursorInItsTitle)
{
    FakeScreen screen;
    Magnifier m(screen);
    m.resize({170, 245});
    using R = Magnifier::TickResult;
    EXPECT_EQ(m.tick({1, 2}, true, false), R::Title);
    EXPECT_EQ(m.tick({1, 2}, true, true), R::Nothing); // lives in the notification area
    m.togglePosition();
    EXPECT_EQ(m.tick({1, 2}, true, false), R::Nothing);
}

TEST(MagnifierPicture, CrosshairMarksThePixelOfTheReadoutButNotTheCopy)
{
    const QRgb blue = qRgb(0, 0, 255);
    struct Case {
        int zoom;
        QPoint cursor;
        QPoint crosshair; // in the 160 x 120 picture
    } cases[] = {
        {3, {100, 100}, {80 + 4, 56 + 4}}, // the middle block of 20 x 15
        {0, {100, 100}, {80, 60}},
        {0, {5, 5}, {5, 5}},         // near the screen's corner the area stops there,
        {0, {319, 239}, {159, 119}}, // and the crosshair goes with the pointer
        {2, {0, 120}, {0 + 2, 60 + 2}},
        {3, {318, 3}, {(318 - 300) * 8 + 4, 3 * 8 + 4}},
    };
    for (const Case& c : cases) {
        FakeScreen screen;
        Options o;
        o.set(Option::Zoom, c.zoom);
        o.set(Option::CrossHair, 1);
        Magnifier m(screen, o);
        m.resize({165, 180}); // picture 160 x 120
        m.magnifyAt(c.cursor);
        SCOPED_TRACE(testing::Message()
                     << c.cursor.x() << "," << c.cursor.y() << " x" << zoomFactor(c.zoom));
        ASSERT_EQ(m.crosshair(), c.crosshair);
        const int z = zoomFactor(c.zoom);
        // The block under the crosshair is the pixel the panel reads out.
        EXPECT_EQ(m.lastSource().topLeft() + blockOf(c.crosshair, z), m.readoutPoint());
        for (int d = -7; d <= 7; ++d) {
            const QPoint h = c.crosshair + QPoint(d, 0), v = c.crosshair + QPoint(0, d);
            if (m.picture().rect().contains(h)) {
                EXPECT_EQ(m.picture().pixel(h), blue) << d;
            }
            if (m.picture().rect().contains(v)) {
                EXPECT_EQ(m.picture().pixel(v), blue) << d;
            }
        }
        const QImage copy = m.copyPicture(c.cursor);
        expectBlocksOf(copy, m.lastSource(), z);
    }
}

TEST(MagnifierPicture, ScaledDesktopsMagnifyScreenPixels)
{
    struct Case {
        qreal ratio;
        QSize client;  // logical pixels
        QSize picture; // screen pixels
    } cases[] = {
        {1.0, {170, 223}, {160, 160}},
        {1.5, {170, 223}, {240, 240}},
        {2.0, {170, 223}, {320, 320}},
        {1.5, {163, 200}, {228, 204}}, // 28.5 x 25.5 blocks: the last ones cut in half
        // Rows of 760 bytes: every other one starts off a 16-byte boundary and
        // ends in half a 16-byte word, as the picture is written.
        {1.25, {163, 200}, {190, 170}},
    };
    for (const Case& c : cases) {
        FakeScreen screen;
        Options o;
        o.set(Option::Zoom, 3);
        o.set(Option::CrossHair, 1);
        Magnifier m(screen, o);
        m.resize(c.client, c.ratio);
        m.magnifyAt({150, 90});
        SCOPED_TRACE(testing::Message() << c.ratio << " " << c.client.width());
        EXPECT_EQ(m.pictureSize(), c.picture);
        EXPECT_EQ(m.picture().size(), c.picture);
        EXPECT_EQ(m.lastSource().topLeft() + blockOf(*m.crosshair(), 8), QPoint(150, 90));
        // The crosshair's lines grow with the desktop's scale.
        const QPoint at = *m.crosshair();
        const int arm = qRound(7 * c.ratio);
        EXPECT_EQ(m.picture().pixel(at + QPoint(arm, 0)), qRgb(0, 0, 255));
        EXPECT_NE(m.picture().pixel(at + QPoint(arm + 1, 0)), qRgb(0, 0, 255));
        const QImage copy = m.copyPicture({150, 90});
        expectBlocksOf(copy, m.lastSource(), 8);
    }
}
