#pragma once
// The parts of the magnifier window that change up to fifty times a second:
// the picture, the colour disc and the read-outs. Where the screen source
// puts pixels on the screen directly (X11: no toolkit repaint, no copy), the
// picture is a small window of its own and the disc and read-outs are parts
// of one more, the panel strip, so that a frame puts two pictures however
// many read-outs changed, and following the pointer costs no more than a
// plain X magnifier; elsewhere each is painted as any widget. Images are in
// screen pixels: a surface's size times the desktop's scale.

#include "magnifier/magnifier.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace lensor
{

class PanelStrip;

class PixelSurface : public QWidget
{
    Q_OBJECT
public:
    using Source = std::function<const QImage&()>;
    // A part of a strip shows its image through the strip, which lies over it.
    PixelSurface(const QString& name, ScreenSource& screen, QWidget* parent,
                 PanelStrip* strip = nullptr);
    ~PixelSurface() override;
    void setSource(Source source) { m_source = std::move(source); }
    // Shows the image as it is now: put on the screen at once, or asked of
    // the toolkit. The screen source's flush sends what was put. A strip's
    // part may say which of its pixels changed (none said: all of them).
    void present(const QRect& changed = {});
    bool direct() const { return m_direct; }
    // Draws its image afresh, as after a resize: the desktop's scale changed.
    virtual void redraw() {}
    // What it shows, in screen pixels (null before it has a size). Its
    // memory is drawn in place: copy() it to keep what it shows now.
    const QImage& image() const;

    // An image's size and pixels, read once for each new image instead of
    // asked of it on every frame; null for an image of another format.
    struct Pixels {
        uchar* bits = nullptr;
        qsizetype stride = 0;
        int width = 0;
        int height = 0;
        qreal ratio = 1;
        static Pixels of(QImage& image);
    };
    // Those of a surface drawn by lensor (a read-out, the disc, the strip).
    const Pixels& pixels() const { return m_pixels; }

protected:
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent*) override;
    // The face behind the panel's texts: the magnifier window's own.
    QColor face() const;
    // The surface's size in screen pixels, as the windowing system rounds it.
    QSize pixelSize() const;
    // An image of that size, drawn on in logical pixels, in the memory the
    // screen shows fastest when shown is set.
    QImage newImage(bool shown = true);
    // After a resize: a strip's part shows its new image at once.
    void resized();
    Pixels m_pixels;

private:
    ScreenSource& m_screen;
    Source m_source;
    QPointer<PanelStrip> m_strip;
    bool m_direct;
};

// One of the panel's read-outs: a line of text on the panel's face. Its texts
// are numbers and colour values, kept as Latin-1 characters: a read-out that
// changes every frame touches no string of the toolkit's.
class Readout : public PixelSurface
{
    Q_OBJECT
public:
    // Longer texts are cut: no read-out is wide enough to show more.
    static constexpr int kMaxLength = 32;

    Readout(const char* name, ScreenSource& screen, QWidget* parent, PanelStrip* strip = nullptr);
    // Redraws and shows the text when it changed; a character outside
    // Latin-1 shows as "?".
    void setText(const QString& text);
    void setLatin1(const char* text, int length);
    // A number, written out only when it is another than the one shown: the
    // pointer's position is set every frame and mostly stays.
    void setNumber(int n);
    QString text() const { return QString::fromLatin1(m_text.chars, m_text.length); }
    void redraw() override;

protected:
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent* e) override;

private:
    struct Text {
        char chars[kMaxLength] = {};
        int length = 0;
    };
    // Draws the text, and gives the pixels it changed.
    QRect render();
    struct Glyph {
        QImage image; // on the face, a line high, in screen pixels
        qreal advance = 0;
        // The image's size and pixels, read once.
        int width = 0;
        int height = 0;
        const uchar* bits = nullptr;
        qsizetype stride = 0;
    };
    const Glyph& glyph(char c);
    void takeColours();
    Text m_text;
    std::optional<int> m_number;
    // What the image shows: none after a new size, face or font.
    struct Drawn {
        Text text;
        int right = 0; // where the face after the text starts
        int bandTop = 0;
        int bandBottom = 0;
    };
    std::optional<Drawn> m_drawn;
    QImage m_image;
    QColor m_face;
    QRgb m_faceRgb = 0;
    QColor m_ink;
    // The characters drawn so far, by their Latin-1 code: a read-out that
    // changes every frame is stamped together from them instead of laid out
    // and drawn anew.
    std::unique_ptr<Glyph> m_glyphs[256];
};

// The colour disc in the well of the panel's icon.
class ColourDisc : public PixelSurface
{
    Q_OBJECT
public:
    ColourDisc(ScreenSource& screen, QWidget* parent, PanelStrip* strip = nullptr);
    // Where it goes for a client area of that height: the disc with a pixel
    // around it for its outline.
    static QRect area(int clientBottom);
    void setColour(QRgb colour);
    QColor colour() const { return QColor(m_colour); }
    void redraw() override;

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void render();
    QRgb m_colour = qRgb(0, 0, 0);
    QImage m_well;
    const uchar* m_wellBits = nullptr;
    std::vector<int> m_disc; // the disc's pixels, row after row
    QImage m_image;
};

// The panel's icon, colour disc and read-outs in one window whose pixels the
// screen source puts: its parts lie under it, each drawing its own image,
// which the strip copies in at the part's place.
class PanelStrip : public PixelSurface
{
    Q_OBJECT
public:
    PanelStrip(ScreenSource& screen, QWidget* parent);
    // Where it goes for a client area of that height: around the icon, the
    // disc and the read-outs, clear of the zoom buttons and their labels,
    // with its top on a whole screen pixel where the desktop's scale allows.
    static QRect area(int clientBottom, qreal pixelRatio = 1);
    // Copies a part's image in; shown at once, or at the end of the batch.
    void take(const PixelSurface& part, const QRect& changed = {});
    void redraw() override;

    // The read-outs a frame changes are shown together, in one put.
    class Batch
    {
    public:
        explicit Batch(PanelStrip* strip);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        PanelStrip* m_strip;
    };

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    friend class PixelSurface;
    void copyIn(const PixelSurface& part, const QRect& changed);
    // Puts the strip, or leaves that to the end of the batch.
    void showChange();
    std::vector<const PixelSurface*> m_parts;
    QImage m_image;
    int m_batches = 0;
    bool m_changed = false;
};

} // namespace lensor
