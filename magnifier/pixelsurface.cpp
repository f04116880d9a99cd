#include "magnifier/pixelsurface.h"

#include "magnifier/art.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
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

Readout::Readout(const char* name, ScreenSource& screen, QWidget* parent, PanelStrip* strip)
    : PixelSurface(QString::fromLatin1(name), screen, parent, strip)
{
    setSource([this]() -> const QImage& { return m_image; });
}

void Readout::setText(const QString& text)
{
    m_number.reset();
    if (text == m_text)
        return;
    m_text = text;
    if (const QRect changed = render(); !changed.isEmpty())
        present(changed);
}

void Readout::setNumber(int n)
{
    if (m_number == n)
        return;
    setText(QString::number(n));
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
    m_ink = palette().color(QPalette::WindowText);
    m_glyphs.clear();
    m_drawn.reset();
}

const Readout::Glyph& Readout::glyph(QChar c)
{
    const auto found = m_glyphs.constFind(c);
    if (found != m_glyphs.constEnd())
        return *found;
    const QFontMetricsF metrics(font());
    const qreal ratio = m_image.devicePixelRatio();
    Glyph g;
    g.advance = metrics.horizontalAdvance(c);
    g.image = QImage(QSize(int(std::ceil(g.advance * ratio)) + 1, qRound(metrics.height() * ratio)),
                     QImage::Format_RGB32);
    g.image.setDevicePixelRatio(ratio);
    g.image.fill(m_face);
    QPainter p(&g.image);
    p.setFont(font());
    p.setPen(m_ink);
    p.drawText(QPointF(0, metrics.ascent()), QString(c));
    p.end();
    Glyph& kept = *m_glyphs.insert(c, g);
    kept.width = kept.image.width();
    kept.height = kept.image.height();
    kept.bits = kept.image.constBits();
    kept.stride = kept.image.bytesPerLine();
    return kept;
}

QRect Readout::render()
{
    if (m_image.isNull())
        return {};
    // Set up to fifty times a second: the image's and glyphs' sizes are read
    // once, and the text is read without taking a copy of its own.
    const QRgb face = m_face.rgb();
    const int width = m_image.width();
    const int height = m_image.height();
    const qreal ratio = m_image.devicePixelRatio();
    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    // A position that moves by a few pixels changes a digit or two: the
    // glyphs the old text shares with the new from its start stay, but the
    // last of them, whose last column the next glyph overlapped.
    const bool whole = !m_drawn;
    qsizetype from = 0;
    qreal x = 0;
    if (!whole) {
        const qsizetype common = std::min(m_text.size(), m_drawn->text.size());
        while (from < common && m_text[from] == m_drawn->text[from])
            ++from;
        if (from == m_text.size() && from == m_drawn->text.size())
            return {};
        from = std::max<qsizetype>(from - 1, 0);
        for (qsizetype i = 0; i < from; ++i)
            x += glyph(m_text[i]).advance;
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
    for (qsizetype i = from; i < m_text.size(); ++i) {
        const Glyph& g = glyph(m_text[i]);
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
        changed = m_image.rect();
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

void ColourDisc::setColour(QColor colour)
{
    if (colour == m_colour && !m_image.isNull())
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
    render();
}

void ColourDisc::render()
{
    if (m_image.isNull())
        return;
    // The image stays the same size as the well, one pixel a word.
    std::memcpy(m_image.bits(), m_well.constBits(), std::size_t(m_well.sizeInBytes()));
    auto* pixels = reinterpret_cast<QRgb*>(m_image.bits());
    const QRgb colour = m_colour.rgb();
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
    const QImage& from = part.image();
    if (m_image.isNull() || from.isNull() || from.format() != m_image.format())
        return;
    const QRect r = changed.isNull() ? from.rect() : changed & from.rect();
    const qreal ratio = m_image.devicePixelRatio();
    const QPoint at = part.geometry().topLeft() - geometry().topLeft();
    const int left = qRound(at.x() * ratio);
    const int top = qRound(at.y() * ratio);
    const int x0 = std::max(r.left(), -left);
    const int x1 = std::min(r.right() + 1, m_image.width() - left);
    const int y0 = std::max(r.top(), -top);
    const int y1 = std::min(r.bottom() + 1, m_image.height() - top);
    if (x0 >= x1)
        return;
    uchar* to = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    const uchar* source = from.constBits();
    const qsizetype sourceStride = from.bytesPerLine();
    for (int y = y0; y < y1; ++y)
        copyPixels(to + (top + y) * stride + std::ptrdiff_t(left + x0) * 4,
                   source + y * sourceStride + std::ptrdiff_t(x0) * 4, x1 - x0);
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
