#pragma once
// What the magnifier shows: the picture rectangle laid out in the window, the
// screen area around the cursor enlarged onto it in whole blocks, the colour
// under the cursor and the three views (live, fixed on one area, locked). Plain
// Qt Gui: the screen is read through ScreenSource, so the rules run without a
// display.
//
// Two kinds of pixel: the window's layout is in the desktop's logical pixels,
// everything read from the screen and drawn in the picture is in the screen's
// own pixels, so that 8x is eight screen pixels a side on a desktop scaled to
// 1.5 or 2 as much as on one that is not.

#include "magnifier/options.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGui/qwindowdefs.h>

#include <optional>
#include <utility>
#include <vector>

namespace lensor
{

// Pixels read from the screen: 32-bit xRGB words, rows stride bytes apart,
// in memory the screen source keeps until its next grab. What a frame reads
// fifty times a second, without an image of its own to make and free.
struct ScreenPixels {
    const uchar* bits = nullptr;
    qsizetype stride = 0;
    int width = 0;
    int height = 0;
    const QRgb* row(int y) const { return reinterpret_cast<const QRgb*>(bits + y * stride); }
    QRgb at(int x, int y) const { return row(y)[x]; }
};

// The screen as the magnifier reads it, in screen pixels.
class ScreenSource
{
public:
    virtual ~ScreenSource() = default;
    virtual QSize screenSize() const = 0;
    // The pixels of r, r.size() large; parts off the screen read black. The
    // image may share memory with the source: it stays valid until the next grab.
    virtual QImage grab(const QRect& r) = 0;
    // The same pixels as grab's, null where the grab failed.
    virtual ScreenPixels pixels(const QRect& r);
    // Where the pointer is.
    virtual QPoint pointer() = 0;
    // Puts the pointer at p; false where the desktop does not allow it.
    virtual bool movePointer(QPoint p)
    {
        Q_UNUSED(p);
        return false;
    }
    // A picture of size pixels, in the memory the screen shows fastest.
    virtual QImage newPicture(QSize size) { return QImage(size, QImage::Format_RGB32); }
    // Shows image (screen pixels) at the top left of one of this program's
    // windows, straight on the screen; false where that cannot be done, and
    // the toolkit paints it instead.
    virtual bool putOnWindow(WId window, const QImage& image)
    {
        Q_UNUSED(window);
        Q_UNUSED(image);
        return false;
    }
    // Whether putOnWindow can work at all here.
    virtual bool putsOnWindows() const { return false; }
    // Sends what was put on the windows to the screen.
    virtual void flush() {}

private:
    QImage m_kept; // the last grab, where pixels() comes from grab()
};

// Status panel height under the picture when the position read-out is on.
constexpr int kPanelHeight = 55;
// The main window never gets smaller than this.
constexpr QSize kSmallestWindow{168, 160};

// Removes pixels from both ends of a length so that it is a multiple of 8:
// half the excess (rounded down) at the start, the rest at the end; a length
// that already is a multiple loses 4 at each end. Returns {start cut, end cut}.
std::pair<int, int> cutToEight(int length);

struct Layout {
    QRect picture; // where the magnified picture goes, in client coordinates
    QRect frame;   // the picture rectangle grown by 2 on every side
};
// Whether a logical coordinate falls on a whole screen pixel at that scale:
// a window whose edge falls inside one leaves that row or column of pixels
// to the window below, which draws nothing there.
bool onWholePixel(int logical, qreal pixelRatio);
// On a desktop scaled by a fraction (pixelRatio), the picture moves by the
// fewest pixels its margins allow to lie on whole screen pixels.
Layout layoutFor(QSize client, bool position, qreal pixelRatio = 1);

// The controls of the status panel, placed from the client bottom.
enum class PanelItem {
    Icon,
    ColourDisc,
    VerticalReadout,
    HorizontalReadout,
    ColourText,
    ZoomNorm,
    Zoom2x,
    Zoom4x,
    Zoom8x,
    LabelNorm,
    Label2x,
    Label4x,
    Label8x,
};
QRect panelPlace(PanelItem item, int clientBottom);

// The screen area magnified onto a picture for a cursor at (x, y): enough
// pixels to fill the picture with whole blocks of factor x factor (the last
// ones cropped at the picture's edge), centred on the cursor, pushed back
// inside the screen near its edges.
QRect sourceRect(QPoint cursor, QSize picture, int factor, QSize screen);
// The picture pixel at the middle of the cursor's block, which the crosshair
// marks; nothing when the cursor is outside the source.
std::optional<QPoint> crosshairAt(QPoint cursor, const QRect& source, int factor);

// "#RRGGBB" as HTML writes it, or "0xBBGGRR" as a Windows colour value.
QString colourText(QColor c, bool html);
// The same in Latin-1 into out, which has room for 8; gives the length.
int colourDigits(QRgb c, bool html, char* out);

// The taskbar title of the minimised window.
QString minimisedTitle(QPoint cursor);

class Magnifier
{
public:
    explicit Magnifier(ScreenSource& screen, Options options = {});

    Options& options() { return m_options; }
    const Options& options() const { return m_options; }

    // A new client size (logical pixels) on a desktop of that many screen
    // pixels to the logical one: relayout, back to the live view.
    void resize(QSize client, qreal pixelRatio = 1.0);
    const Layout& layout() const { return m_layout; }
    // The picture's size in screen pixels.
    QSize pictureSize() const { return m_pictureSize; }
    qreal pixelRatio() const { return m_pixelRatio; }

    void setZoom(int index);
    // One step in (positive) or out, no further than 8x and 1x; false when
    // already there.
    bool stepZoom(int steps);
    void togglePosition();
    // Returns true when the view just locked and the lock beep is wanted.
    bool toggleLock();
    void toggleFixed();
    bool locked() const { return m_lockView; }
    bool fixed() const { return m_fixedView; }

    enum class TickResult { Magnified, Title, Nothing };
    // One timer tick with the cursor where it is now.
    TickResult tick(QPoint cursor, bool minimised, bool taskTray);
    // The mouse moved over the magnifier's own window (screen coordinates).
    bool mouseMoved(QPoint cursor, bool minimised);

    // Grabs, stretches and reads the colour; the crosshair follows its option.
    void magnifyAt(QPoint cursor);
    // The picture for the clipboard: magnified afresh without the crosshair
    // unless the view is locked.
    QImage copyPicture(QPoint cursor);

    // Drawn in place every frame: copy() it to keep what it shows now.
    const QImage& picture() const { return m_picture; }
    // Where the crosshair was last drawn, in picture pixels.
    std::optional<QPoint> crosshair() const { return m_crosshair; }
    // Whether the last magnification changed the picture or the read-out.
    bool changed() const { return m_changed; }
    const QRect& lastSource() const { return m_source; }
    QColor colour() const { return QColor(m_colour); }
    QRgb rgb() const { return m_colour; }
    QPoint readoutPoint() const { return m_cursor; }
    QString colourReadout() const { return colourText(m_colour, m_options.isOn(Option::Html)); }

private:
    void render(QPoint cursor, bool crossHair);
    void draw(const ScreenPixels& grab, bool crossHair);
    void drawCrosshair(QPoint at);
    void newPicture();
    void backToLive();

    ScreenSource& m_screen;
    Options m_options;
    Layout m_layout;
    QSize m_clientSize;
    qreal m_pixelRatio = 1.0;
    QSize m_pictureSize;
    bool m_lockView = false;
    bool m_fixedView = false;
    QRect m_source;
    QImage m_picture;
    QSize m_madeSize; // m_picture's
    uchar* m_pictureBits = nullptr;
    qsizetype m_pictureStride = 0;
    std::vector<QRgb> m_row; // one row of blocks, made once for all its rows
    std::optional<QPoint> m_crosshair;
    bool m_changed = true;
    // What the picture was last drawn from.
    struct Drawn {
        bool valid = false;
        QRect source;
        int factor = 0;
        bool crossHair = false;
        QPoint cursor;
        std::vector<QRgb> grab; // the screen pixels, row after row
    } m_drawn;
    QRgb m_colour = qRgb(0, 0, 0);
    QPoint m_cursor;
};

} // namespace lensor
