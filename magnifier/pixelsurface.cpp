#include "magnifier/pixelsurface.h"

#include "magnifier/art.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lensor
{
namespace
{
// A few pixels at a time, as a glyph's row is: a call of memcpy costs more
// than the copy itself at these widths.
[[gnu::always_inline]] inline void copyPixels(uchar* to, const uchar* from, int pixels)
{
    auto* t = reinterpret_cast<QRgb*>(to);
    const auto* f = reinterpret_cast<const QRgb*>(from);
    int x = 0;
#ifdef __SSE2__
    for (; x + 4 <= pixels; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + x),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + x)));
#endif
    switch (pixels - x) {
    case 3:
        t[x + 2] = f[x + 2];
        [[fallthrough]];
    case 2:
        t[x + 1] = f[x + 1];
        [[fallthrough]];
    case 1:
        t[x] = f[x];
        break;
    default:
        for (; x < pixels; ++x) // without SSE2
            t[x] = f[x];
    }
}
} // namespace

PixelSurface::PixelSurface(const QString& name, ScreenSource& screen, QWidget* parent,
                           PanelStrip* strip)
    : QWidget(parent), m_screen(screen), m_strip(strip), m_direct(screen.putsOnWindows() && !strip)
{
    setObjectName(name);
    if (m_strip)
        m_strip->m_parts.push_back(this);
    // Moves over it belong to the magnifier window, which follows them.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (m_direct) {
        // A window of its own that the toolkit leaves to us to paint.
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
    }
}

PixelSurface::~PixelSurface()
{
    if (m_strip)
        std::erase(m_strip->m_parts, this);
}

QPaintEngine* PixelSurface::paintEngine() const
{
    return m_direct ? nullptr : QWidget::paintEngine();
}

const QImage& PixelSurface::image() const
{
    static const QImage none;
    return m_source ? m_source() : none;
}

void PixelSurface::resized()
{
    if (m_strip)
        m_strip->take(*this);
}

void PixelSurface::present(const QRect& changed)
{
    if (m_strip) {
        m_strip->take(*this, changed);
        return;
    }
    if (!m_source || !isVisible())
        return;
    // A frame may run on a thread of its own: the toolkit's part is handed
    // to the window's thread (at once when this is that thread).
    if (!m_direct) {
        QMetaObject::invokeMethod(this, [this] { update(); });
        return;
    }
    // Its window was made with it on the window's thread; a frame never makes
    // one (winId() would, off that thread).
    const WId window = internalWinId();
    if (!window)
        return;
    if (!m_screen.putOnWindow(window, m_source())) {
        // A window the screen source cannot draw on: the toolkit paints it.
        m_direct = false;
        QMetaObject::invokeMethod(this, [this] {
            setAttribute(Qt::WA_PaintOnScreen, false);
            update();
        });
    }
}

void PixelSurface::paintEvent(QPaintEvent*)
{
    if (!m_source)
        return;
    if (m_direct) {
        present();
        m_screen.flush();
        return;
    }
    const QImage& image = m_source();
    QPainter p(this);
    // Screen pixels onto logical ones: one to one on the screen.
    p.drawImage(QRectF(rect()), image, QRectF(image.rect()));
}

QColor PixelSurface::face() const
{
    const QWidget* owner = parentWidget() ? parentWidget() : this;
    return owner->palette().color(owner->backgroundRole());
}

QSize PixelSurface::pixelSize() const
{
    const qreal ratio = devicePixelRatioF();
    return {qRound(width() * ratio), qRound(height() * ratio)};
}

QImage PixelSurface::newImage(bool shown)
{
    // A strip's part is shown through the strip: plain memory will do.
    QImage image = shown && !m_strip ? m_screen.newPicture(pixelSize())
                                     : QImage(pixelSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatioF());
    return image;
}

PixelSurface::Pixels PixelSurface::Pixels::of(QImage& image)
{
    if (image.isNull() || image.format() != QImage::Format_RGB32)
        return {};
    return {image.bits(), image.bytesPerLine(), image.width(), image.height(),
            image.devicePixelRatio()};
}

Readout::Readout(const char* name, ScreenSource& screen, QWidget* parent, PanelStrip* strip)
    : PixelSurface(QString::fromLatin1(name), screen, parent, strip)
{
    setSource([this]() -> const QImage& { return m_image; });
}

void Readout::setText(const QString& text)
{
    const QByteArray latin1 = text.left(kMaxLength).toLatin1();
    setLatin1(latin1.constData(), int(latin1.size()));
}

void Readout::setLatin1(const char* text, int length)
{
    m_number.reset();
    length = std::clamp(length, 0, kMaxLength);
    if (length == m_text.length && std::memcmp(text, m_text.chars, std::size_t(length)) == 0)
        return;
    std::memcpy(m_text.chars, text, std::size_t(length));
    m_text.length = length;
    if (const QRect changed = render(); !changed.isEmpty())
        present(changed);
}

void Readout::setNumber(int n)
{
    if (m_number == n)
        return;
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, n);
    setLatin1(digits, int(written.ptr - digits));
    m_number = n;
}

void Readout::resizeEvent(QResizeEvent*)
{
    redraw();
    resized();
}

void Readout::redraw()
{
    m_image = newImage();
    m_pixels = Pixels::of(m_image);
    takeColours(); // and the scale may have changed with the size
    render();
}

void Readout::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange) {
        takeColours();
        present(render());
    }
    PixelSurface::changeEvent(e);
}

// Looked up once: a palette lookup asks the style whether the window is active.
void Readout::takeColours()
{
    m_face = face();
    m_faceRgb = m_face.rgb();
    m_ink = palette().color(QPalette::WindowText);
    for (auto& g : m_glyphs)
        g.reset();
    m_drawn.reset();
}

const Readout::Glyph& Readout::glyph(char c)
{
    std::unique_ptr<Glyph>& kept = m_glyphs[static_cast<unsigned char>(c)];
    if (kept)
        return *kept;
    const QFontMetricsF metrics(font());
    const qreal ratio = m_pixels.ratio;
    const QChar character = QChar::fromLatin1(c);
    kept = std::make_unique<Glyph>();
    Glyph& g = *kept;
    g.advance = metrics.horizontalAdvance(character);
    g.image = QImage(QSize(int(std::ceil(g.advance * ratio)) + 1, qRound(metrics.height() * ratio)),
                     QImage::Format_RGB32);
    g.image.setDevicePixelRatio(ratio);
    g.image.fill(m_face);
    QPainter p(&g.image);
    p.setFont(font());
    p.setPen(m_ink);
    p.drawText(QPointF(0, metrics.ascent()), QString(character));
    p.end();
    g.width = g.image.width();
    g.height = g.image.height();
    g.bits = g.image.constBits();
    g.stride = g.image.bytesPerLine();
    return g;
}

QRect Readout::render()
{
    if (!m_pixels.bits)
        return {};
    // Set up to fifty times a second: the image's and glyphs' sizes were
    // read once, and the text is a few Latin-1 characters.
    const QRgb face = m_faceRgb;
    const int width = m_pixels.width;
    const int height = m_pixels.height;
    const qreal ratio = m_pixels.ratio;
    uchar* bits = m_pixels.bits;
    const qsizetype stride = m_pixels.stride;
    const char* text = m_text.chars;
    const int length = m_text.length;
    // A position that moves by a few pixels changes a digit or two: the
    // glyphs the old text shares with the new from its start stay, but the
    // last of them, whose last column the next glyph overlapped.
    const bool whole = !m_drawn;
    int from = 0;
    qreal x = 0;
    if (!whole) {
        const int common = std::min(length, m_drawn->text.length);
        while (from < common && text[from] == m_drawn->text.chars[from])
            ++from;
        if (from == length && from == m_drawn->text.length)
            return {};
        from = std::max(from - 1, 0);
        for (int i = 0; i < from; ++i)
            x += glyph(text[i]).advance;
    }
    // Left aligned and centred in height, as a label sets it. The glyphs go
    // each on its own face and overlapping the next by a column, so the face
    // is filled in only where no glyph went: above and below them (once),
    // and after the text, as far as the text drawn before went.
    const int changedLeft = qRound(x * ratio);
    int right = changedLeft;
    if (whole) {
        // Every glyph is a line high: the band they fill stays where it is.
        const int line = qRound(QFontMetricsF(font()).height() * ratio);
        const int top = (height - line) / 2;
        m_drawn = Drawn{{}, 0, std::max(0, top), std::min(height, top + line)};
    }
    const int bandTop = m_drawn->bandTop;
    const int bandBottom = m_drawn->bandBottom;
    for (int i = from; i < length; ++i) {
        const Glyph& g = glyph(text[i]);
        const int left = qRound(x * ratio);
        const int glyphWidth = std::min(g.width, width - left);
        if (glyphWidth <= 0)
            break;
        const int top = (height - g.height) / 2;
        const int first = std::max(0, -top);
        const int end = std::min(g.height, height - top);
        for (int y = first; y < end; ++y)
            copyPixels(bits + std::ptrdiff_t(top + y) * stride + std::ptrdiff_t(left) * 4,
                       g.bits + std::ptrdiff_t(y) * g.stride, glyphWidth);
        if (first < end)
            right = std::max(right, left + glyphWidth);
        x += g.advance;
    }
    QRect changed;
    if (whole) {
        for (int y = 0; y < height; ++y) {
            const int start = (y >= bandTop && y < bandBottom) ? right : 0;
            std::fill_n(reinterpret_cast<QRgb*>(bits + y * stride) + start, width - start, face);
        }
        changed = QRect(0, 0, width, height);
    } else {
        const int oldRight = m_drawn->right;
        if (right < oldRight)
            for (int y = bandTop; y < bandBottom; ++y)
                std::fill_n(reinterpret_cast<QRgb*>(bits + y * stride) + right, oldRight - right,
                            face);
        changed = QRect(QPoint(changedLeft, bandTop),
                        QPoint(std::max(right, oldRight) - 1, bandBottom - 1));
    }
    m_drawn->text = m_text;
    m_drawn->right = right;
    return changed;
}

ColourDisc::ColourDisc(ScreenSource& screen, QWidget* parent, PanelStrip* strip)
    : PixelSurface(QStringLiteral("ColourDisc"), screen, parent, strip)
{
    setSource([this]() -> const QImage& { return m_image; });
}

QRect ColourDisc::area(int clientBottom)
{
    return panelPlace(PanelItem::ColourDisc, clientBottom).adjusted(-1, -1, 1, 1);
}

void ColourDisc::setColour(QRgb colour)
{
    colour |= 0xff000000u;
    if (colour == m_colour && m_pixels.bits)
        return;
    m_colour = colour;
    render();
    present();
}

void ColourDisc::resizeEvent(QResizeEvent*)
{
    redraw();
    resized();
}

void ColourDisc::redraw()
{
    // The icon's well behind the disc, and which of its pixels the disc
    // covers, drawn once for each size; a new colour then only fills those.
    m_well = newImage(false);
    m_well.fill(face());
    QImage mask = newImage(false);
    mask.fill(Qt::black);
    {
        QPainter p(&m_well);
        const QPoint icon = panelPlace(PanelItem::Icon, 0).topLeft() - area(0).topLeft();
        p.drawImage(icon, panelIcon(devicePixelRatioF()));
        QPainter m(&mask);
        m.setPen(Qt::white);
        m.setBrush(Qt::white);
        m.drawEllipse(panelPlace(PanelItem::ColourDisc, 0).translated(-area(0).topLeft()));
    }
    m_disc.clear();
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (qRed(mask.pixel(x, y)) > 127)
                m_disc.push_back(y * mask.width() + x);
    m_image = newImage();
    m_pixels = Pixels::of(m_image);
    m_wellBits = m_well.constBits();
    render();
}

void ColourDisc::render()
{
    if (!m_pixels.bits)
        return;
    // The well and the image, made together, are one size and one pixel a word.
    std::memcpy(m_pixels.bits, m_wellBits, std::size_t(m_pixels.stride) * m_pixels.height);
    auto* pixels = reinterpret_cast<QRgb*>(m_pixels.bits);
    const QRgb colour = m_colour;
    for (const int at : m_disc)
        pixels[at] = colour;
}

PanelStrip::PanelStrip(ScreenSource& screen, QWidget* parent)
    : PixelSurface(QStringLiteral("PanelStrip"), screen, parent)
{
    setSource([this]() -> const QImage& { return m_image; });
}

QRect PanelStrip::area(int clientBottom, qreal pixelRatio)
{
    QRect r = panelPlace(PanelItem::Icon, clientBottom) | ColourDisc::area(clientBottom);
    for (const PanelItem item :
         {PanelItem::VerticalReadout, PanelItem::HorizontalReadout, PanelItem::ColourText})
        r |= panelPlace(item, clientBottom);
    // On a desktop scaled by a fraction the top goes down to a whole screen
    // pixel (no dark line over the panel) where one lies above the first
    // read-out; the rows it leaves hold only the top of the icon, which the
    // window below draws.
    const int lowest = panelPlace(PanelItem::VerticalReadout, clientBottom).top();
    for (int top = r.top(); top <= lowest; ++top)
        if (onWholePixel(top, pixelRatio)) {
            r.setTop(top);
            break;
        }
    return r;
}

void PanelStrip::resizeEvent(QResizeEvent*)
{
    redraw();
}

void PanelStrip::redraw()
{
    // The face and the icon where no part lies, then every part.
    m_image = newImage();
    m_image.fill(face());
    m_pixels = Pixels::of(m_image);
    {
        QPainter p(&m_image);
        // Where the window below draws it too: the strip's top may cut it.
        const int bottom = parentWidget() ? parentWidget()->height() : 0;
        p.drawImage(panelPlace(PanelItem::Icon, bottom).topLeft() - geometry().topLeft(),
                    panelIcon(devicePixelRatioF()));
    }
    for (const PixelSurface* part : m_parts)
        copyIn(*part, {});
    showChange();
}

void PanelStrip::take(const PixelSurface& part, const QRect& changed)
{
    copyIn(part, changed);
    showChange();
}

void PanelStrip::showChange()
{
    m_changed = m_batches > 0;
    if (!m_changed)
        present();
}

// Row by row at the part's place, cut at the strip's edges: up to four
// parts change in a frame, a few hundred pixels of each.
void PanelStrip::copyIn(const PixelSurface& part, const QRect& changed)
{
    const Pixels& from = part.pixels();
    const Pixels& to = m_pixels;
    if (!to.bits || !from.bits)
        return;
    // The part's pixels that changed (none said: all), at the part's place.
    int x0 = 0;
    int y0 = 0;
    int x1 = from.width;
    int y1 = from.height;
    if (!changed.isNull()) {
        x0 = std::max(x0, changed.left());
        y0 = std::max(y0, changed.top());
        x1 = std::min(x1, changed.right() + 1);
        y1 = std::min(y1, changed.bottom() + 1);
    }
    const QPoint at = part.geometry().topLeft() - geometry().topLeft();
    const int left = qRound(at.x() * to.ratio);
    const int top = qRound(at.y() * to.ratio);
    // Cut at the strip's edges.
    x0 = std::max(x0, -left);
    x1 = std::min(x1, to.width - left);
    y0 = std::max(y0, -top);
    y1 = std::min(y1, to.height - top);
    if (x0 >= x1)
        return;
    for (int y = y0; y < y1; ++y)
        copyPixels(to.bits + (top + y) * to.stride + std::ptrdiff_t(left + x0) * 4,
                   from.bits + y * from.stride + std::ptrdiff_t(x0) * 4, x1 - x0);
}

PanelStrip::Batch::Batch(PanelStrip* strip) : m_strip(strip)
{
    if (m_strip)
        ++m_strip->m_batches;
}

PanelStrip::Batch::~Batch()
{
    if (!m_strip || --m_strip->m_batches > 0 || !m_strip->m_changed)
        return;
    m_strip->m_changed = false;
    m_strip->present();
}

} // namespace lensor
