#include "magnifier/magnifier.h"

#include <gtest/gtest.h>

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
        return m_image.copy(r);
    }
    int grabs = 0;

private:
    QImage m_image;
};

// The picture is the source rectangle stretched by whole-pixel sampling.
void expectStretchOf(const QImage& picture, const QRect& source)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int sx = source.x() + x * source.width() / picture.width();
            const int sy = source.y() + y * source.height() / picture.height();
            ASSERT_EQ(picture.pixel(x, y), screenPixel(sx, sy)) << x << "," << y;
        }
}
} // namespace

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
    EXPECT_EQ(panelPlace(PanelItem::ColourText, 300), QRect(10, 284, 50, 16));
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
        {{152, 136}, 8, {50, 60}, {41, 52, 18, 16}}, // 19 and 17 columns round down to even
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
        expectStretchOf(m.picture(), m.lastSource());
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

TEST(MagnifierViews, LockFreezesFixedHoldsTheAreaAndChangesGoLive)
{
    FakeScreen screen;
    Magnifier m(screen);
    m.resize({170, 245});
    m.setZoom(2);
    m.magnifyAt({100, 100});
    const QImage atFirst = m.picture();
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

TEST(MagnifierPicture, CrosshairMarksTheCentreButNotTheCopy)
{
    FakeScreen screen;
    Options o;
    o.set(Option::Zoom, 3);
    o.set(Option::CrossHair, 1);
    Magnifier m(screen, o);
    m.resize({165, 180}); // picture 160 x 120
    m.magnifyAt({100, 100});
    const QRgb blue = qRgb(0, 0, 255);
    // Centre (80 + 4, 60 + 4); 15 pixels each way.
    for (int d = -7; d <= 7; ++d) {
        EXPECT_EQ(m.picture().pixel(84 + d, 64), blue);
        EXPECT_EQ(m.picture().pixel(84, 64 + d), blue);
    }
    EXPECT_NE(m.picture().pixel(84 + 8, 64), blue);
    const QImage copy = m.copyPicture({100, 100});
    expectStretchOf(copy, m.lastSource());
}
