#include "magnifier/magnifier.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace lensor
{

namespace
{
// Copies one row of the picture past the cache: lensor never reads the picture
// back (the X server reads it next), so its lines are not fetched before they
// are written, and the cache keeps the row being made and the screen's pixels.
void streamRow(uchar* to, const uchar* from, std::size_t bytes)
{
#ifdef __SSE2__
    for (; (reinterpret_cast<quintptr>(to) & 15) != 0 && bytes >= 4; to += 4, from += 4, bytes -= 4)
        std::memcpy(to, from, 4);
    // A cache line at a time: a frame writes thousands of them, and the
    // loop's own counting would otherwise cost as much as the stores.
    for (; bytes >= 64; to += 64, from += 64, bytes -= 64) {
        const auto* in = reinterpret_cast<const __m128i*>(from);
        auto* out = reinterpret_cast<__m128i*>(to);
        const __m128i a = _mm_loadu_si128(in);
        const __m128i b = _mm_loadu_si128(in + 1);
        const __m128i c = _mm_loadu_si128(in + 2);
        const __m128i d = _mm_loadu_si128(in + 3);
        _mm_stream_si128(out, a);
        _mm_stream_si128(out + 1, b);
        _mm_stream_si128(out + 2, c);
        _mm_stream_si128(out + 3, d);
    }
    for (; bytes >= 16; to += 16, from += 16, bytes -= 16)
        _mm_stream_si128(reinterpret_cast<__m128i*>(to),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
#endif
    // What is left is a few pixels, mostly none: no call for it.
    for (; bytes >= 4; to += 4, from += 4, bytes -= 4)
        std::memcpy(to, from, 4);
}

// One screen pixel's block in the row being made: z copies, four at a time.
void fillBlock(QRgb* to, int count, QRgb pixel)
{
    int i = 0;
#ifdef __SSE2__
    const __m128i four = _mm_set1_epi32(int(pixel));
    for (; i + 4 <= count; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), four);
#endif
    for (; i < count; ++i)
        to[i] = pixel;
}

void streamDone()
{
#ifdef __SSE2__
    // The rows are in memory before the server is asked to read them.
    _mm_sfence();
#endif
}
} // namespace

std::pair<int, int> cutToEight(int length)
{
    const int r = std::max(length, 0) % 8;
    if (r == 0)
        return {4, 4};
    return {r / 2, r - r / 2};
}

bool onWholePixel(int logical, qreal pixelRatio)
{
    const qreal device = logical * pixelRatio;
    return std::abs(device - std::round(device)) < 1e-6;
}

namespace
{
// The shift, within before and after, that puts both ends of a span on whole
// screen pixels (no dark line along the picture); none where there is no such place.
int toWholePixels(int start, int length, int before, int after, qreal ratio)
{
    for (int step = 0; step <= std::max(before, after); ++step)
        for (const int shift : {-step, step})
            if (shift >= -before && shift <= after && onWholePixel(start + shift, ratio) &&
                onWholePixel(start + shift + length, ratio))
                return shift;
    return 0;
}
} // namespace

Layout layoutFor(QSize client, bool position, qreal pixelRatio)
{
    const int height = client.height() - (position ? kPanelHeight : 0);
    QRect r(2, 2, std::max(client.width() - 4, 0), std::max(height - 4, 0));
    const auto [left, right] = cutToEight(r.width());
    const auto [top, bottom] = cutToEight(r.height());
    r.setRect(r.x() + left, r.y() + top, std::max(r.width() - left - right, 0),
              std::max(r.height() - top - bottom, 0));
    r.translate(toWholePixels(r.x(), r.width(), left, right, pixelRatio),
                toWholePixels(r.y(), r.height(), top, bottom, pixelRatio));
    return {r, r.adjusted(-2, -2, 2, 2)};
}

QRect panelPlace(PanelItem item, int clientBottom)
{
    const int b = clientBottom;
    const int f = b - 50;
    switch (item) {
    case PanelItem::Icon:
        return {5, f, 32, 32};
    case PanelItem::ColourDisc:
        return {QPoint(10, f + 12), QPoint(17, f + 19)};
    case PanelItem::VerticalReadout:
        return {39, f + 2, 30, 16};
    case PanelItem::HorizontalReadout:
        return {39, f + 19, 30, 16};
    case PanelItem::ColourText:
        // Wide enough for "0xBBGGRR" in today's desktop fonts, up to the "Norm"
        // label, and clear of the horizontal read-out's last row.
        return {10, b - 15, 57, 15};
    case PanelItem::ZoomNorm:
        return {75, f + 8, 16, 16};
    case PanelItem::Zoom2x:
        return {105, f + 8, 16, 16};
    case PanelItem::Zoom4x:
        return {123, f + 8, 16, 16};
    case PanelItem::Zoom8x:
        return {141, f + 8, 16, 16};
    case PanelItem::LabelNorm:
        // Clear of the horizontal read-out's box, which ends at 69.
        return {69, f + 26, 30, 16};
    case PanelItem::Label2x:
        return {103, f + 26, 18, 16};
    case PanelItem::Label4x:
        return {121, f + 26, 18, 16};
    case PanelItem::Label8x:
        return {139, f + 26, 18, 16};
    }
    return {};
}

QRect sourceRect(QPoint cursor, QSize picture, int factor, QSize screen)
{
    const int columns = (picture.width() + factor - 1) / factor;
    const int rows = (picture.height() + factor - 1) / factor;
    // The cursor's pixel is the middle one (or the first right of the middle).
    const int left = std::max(0, std::min(cursor.x() - columns / 2, screen.width() - columns));
    const int top = std::max(0, std::min(cursor.y() - rows / 2, screen.height() - rows));
    return {left, top, columns, rows};
}

std::optional<QPoint> crosshairAt(QPoint cursor, const QRect& source, int factor)
{
    if (!source.contains(cursor))
        return std::nullopt;
    return (cursor - source.topLeft()) * factor + QPoint(factor / 2, factor / 2);
}

int colourDigits(QRgb c, bool html, char* out)
{
    // Written out by hand: it changes with every pixel the pointer crosses.
    static const char digits[] = "0123456789ABCDEF";
    const int bytes[3] = {html ? qRed(c) : qBlue(c), qGreen(c), html ? qBlue(c) : qRed(c)};
    int n = 0;
    if (html) {
        out[n++] = '#';
    } else {
        out[n++] = '0';
        out[n++] = 'x';
    }
    for (const int b : bytes) {
        out[n++] = digits[(b >> 4) & 15];
        out[n++] = digits[b & 15];
    }
    return n;
}

QString colourText(QColor c, bool html)
{
    char text[8];
    return QString::fromLatin1(text, colourDigits(c.rgb(), html, text));
}

QString minimisedTitle(QPoint cursor)
{
    return QStringLiteral("Lensor - x%1 : y%2").arg(cursor.x()).arg(cursor.y());
}

ScreenPixels ScreenSource::pixels(const QRect& r)
{
    m_kept = grab(r);
    if (m_kept.format() != QImage::Format_RGB32 && m_kept.format() != QImage::Format_ARGB32)
        m_kept.convertTo(QImage::Format_RGB32);
    if (m_kept.size() != r.size())
        return {};
    return {m_kept.constBits(), m_kept.bytesPerLine(), m_kept.width(), m_kept.height()};
}

Magnifier::Magnifier(ScreenSource& screen, Options options) : m_screen(screen), m_options(options)
{
}

void Magnifier::backToLive()
{
    m_lockView = false;
    m_fixedView = false;
}

void Magnifier::resize(QSize client, qreal pixelRatio)
{
    m_pixelRatio = pixelRatio > 0 ? pixelRatio : 1.0;
    m_layout = layoutFor(client, m_options.isOn(Option::Position), m_pixelRatio);
    m_clientSize = client;
    // As the windowing system sizes a window on a scaled desktop.
    m_pictureSize = QSize(qRound(m_layout.picture.width() * m_pixelRatio),
                          qRound(m_layout.picture.height() * m_pixelRatio));
    backToLive();
    newPicture();
}

void Magnifier::newPicture()
{
    m_picture = m_screen.newPicture(m_pictureSize);
    m_picture.fill(Qt::black);
    // Read once: a frame asks for them fifty times a second.
    m_madeSize = m_picture.size();
    m_pictureBits = m_picture.bits();
    m_pictureStride = m_picture.bytesPerLine();
    m_crosshair.reset();
    m_drawn = Drawn{};
}

void Magnifier::setZoom(int index)
{
    m_options.set(Option::Zoom, index);
    backToLive();
}

bool Magnifier::stepZoom(int steps)
{
    const int to = std::clamp(m_options.zoom() + steps, 0, 3);
    if (to == m_options.zoom())
        return false;
    setZoom(to);
    return true;
}

void Magnifier::togglePosition()
{
    m_options.toggle(Option::Position);
    resize(m_clientSize, m_pixelRatio);
}

bool Magnifier::toggleLock()
{
    m_lockView = !m_lockView;
    return m_lockView && m_options.isOn(Option::LockSound);
}

void Magnifier::toggleFixed()
{
    m_lockView = false;
    if (m_fixedView) {
        m_fixedView = false;
        return;
    }
    resize(m_clientSize, m_pixelRatio);
    m_fixedView = true;
}

Magnifier::TickResult Magnifier::tick(QPoint cursor, bool minimised, bool taskTray)
{
    if (!minimised && !m_lockView) {
        magnifyAt(cursor);
        return TickResult::Magnified;
    }
    if (!taskTray && !m_lockView && m_options.isOn(Option::Position))
        return TickResult::Title;
    return TickResult::Nothing;
}

bool Magnifier::mouseMoved(QPoint cursor, bool minimised)
{
    if (minimised || m_lockView)
        return false;
    magnifyAt(cursor);
    return true;
}

void Magnifier::magnifyAt(QPoint cursor)
{
    render(cursor, m_options.isOn(Option::CrossHair));
}

QImage Magnifier::copyPicture(QPoint cursor)
{
    if (!m_lockView)
        render(cursor, false);
    return m_picture.copy();
}

namespace
{
// Inline here, as a frame does them fifty times a second.
bool inside(const QRect& r, QPoint p)
{
    return p.x() >= r.left() && p.x() <= r.right() && p.y() >= r.top() && p.y() <= r.bottom();
}

bool samePixels(const ScreenPixels& grab, const std::vector<QRgb>& kept)
{
    if (kept.size() != std::size_t(grab.width) * std::size_t(grab.height))
        return false;
    const std::size_t rowBytes = std::size_t(grab.width) * sizeof(QRgb);
    for (int y = 0; y < grab.height; ++y)
        if (std::memcmp(grab.row(y), kept.data() + std::size_t(y) * grab.width, rowBytes) != 0)
            return false;
    return true;
}
} // namespace

void Magnifier::render(QPoint cursor, bool crossHair)
{
    const int z = m_options.factor();
    const QSize size = m_pictureSize;
    if (!m_fixedView || m_source.isEmpty())
        m_source = sourceRect(cursor, size, z, m_screen.screenSize());
    const QRgb colourBefore = m_colour;
    const QPoint cursorBefore = m_cursor;
    m_cursor = cursor;
    if (m_madeSize != size)
        newPicture();
    if (size.isEmpty()) {
        m_changed = false;
        return;
    }

    ScreenPixels grab;
    if (!m_source.isEmpty())
        grab = m_screen.pixels(m_source);
    const bool haveGrab =
        grab.bits && grab.width == m_source.width() && grab.height == m_source.height();

    // The same screen pixels drawn the same way make the same picture: a still
    // pointer over a still screen costs one small grab and no repaint. The
    // crosshair follows the cursor within the area, so then the cursor counts too.
    const bool same = haveGrab && m_drawn.valid && m_drawn.source == m_source &&
                      m_drawn.factor == z && m_drawn.crossHair == crossHair &&
                      (!crossHair || m_drawn.cursor == cursor) && samePixels(grab, m_drawn.grab);
    QRgb under = qRgb(0, 0, 0);
    const bool underInGrab = haveGrab && inside(m_source, cursor);
    if (underInGrab) // read now: the grab's memory is the source's, good until its next grab
        under = grab.at(cursor.x() - m_source.x(), cursor.y() - m_source.y());
    if (!same) {
        draw(haveGrab ? grab : ScreenPixels{}, crossHair);
        // A copy: the grab is the screen source's memory, its next grab's too.
        // Into the vector of the last time: no allocation per frame.
        if (haveGrab) {
            m_drawn.grab.resize(std::size_t(grab.width) * std::size_t(grab.height));
            for (int y = 0; y < grab.height; ++y)
                std::memcpy(m_drawn.grab.data() + std::size_t(y) * grab.width, grab.row(y),
                            std::size_t(grab.width) * sizeof(QRgb));
        } else {
            m_drawn.grab.clear();
        }
        m_drawn.valid = haveGrab;
        m_drawn.source = m_source;
        m_drawn.factor = z;
        m_drawn.crossHair = crossHair;
        m_drawn.cursor = cursor;
    }

    if (m_options.isOn(Option::Position)) {
        if (underInGrab) {
            m_colour = under;
        } else {
            const ScreenPixels one = m_screen.pixels(QRect(cursor, QSize(1, 1)));
            m_colour = one.bits && one.width == 1 && one.height == 1 ? one.at(0, 0) : qRgb(0, 0, 0);
        }
        m_colour |= 0xff000000u;
    }
    m_changed = !same || m_colour != colourBefore || m_cursor != cursorBefore;
}

void Magnifier::draw(const ScreenPixels& grab, bool crossHair)
{
    m_crosshair.reset();
    if (!grab.bits) {
        // In place, as every frame draws: a fill of the image's own would
        // give it new memory while a copy of it is kept elsewhere.
        for (int y = 0; y < m_madeSize.height(); ++y)
            std::fill_n(reinterpret_cast<QRgb*>(m_pictureBits + y * m_pictureStride),
                        m_madeSize.width(), qRgb(0, 0, 0));
        return;
    }
    // Whole blocks of z x z, no smoothing; the last column and row of blocks
    // are cut by the picture's edge. Each row of blocks is made once from its
    // screen row, then written to all the block's rows.
    const int z = m_options.factor();
    const int width = m_madeSize.width();
    const int height = m_madeSize.height();
    const std::size_t rowBytes = std::size_t(width) * sizeof(QRgb);
    uchar* bits = m_pictureBits;
    const qsizetype stride = m_pictureStride;
    // Every row goes past the cache, in a line of its own that stays cached:
    // the picture's lines were last read by the X server, often on the other
    // core, and are not fetched back only to be written over.
    m_row.resize(std::size_t(width));
    QRgb* line = m_row.data();
    for (int y = 0; y < height; y += z) {
        const QRgb* in = grab.row(y / z);
        // Whole blocks of eight (the zoom that costs most) two stores each,
        // then what is left, the last block cut by the edge among it.
        int x = 0;
        int sx = 0;
#ifdef __SSE2__
        if (z == 8)
            for (; x + 8 <= width; x += 8, ++sx) {
                const __m128i four = _mm_set1_epi32(int(in[sx] | 0xff000000u));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(line + x), four);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(line + x + 4), four);
            }
#endif
        for (; x < width; x += z, ++sx)
            fillBlock(line + x, std::min(z, width - x), in[sx] | 0xff000000u);
        for (int r = y; r < std::min(y + z, height); ++r)
            streamRow(bits + r * stride, reinterpret_cast<const uchar*>(line), rowBytes);
    }
    streamDone();
    if (crossHair) {
        if (const auto at = crosshairAt(m_cursor, m_source, z))
            drawCrosshair(*at);
    }
}

// Two 15-pixel lines of pure blue (longer in proportion on a scaled desktop),
// crossing at the middle of the block of the pixel whose position and colour
// the panel shows.
void Magnifier::drawCrosshair(QPoint at)
{
    const int arm = std::max(7, qRound(7 * m_pixelRatio));
    const QRgb blue = qRgb(0, 0, 255);
    const int width = m_madeSize.width();
    const int height = m_madeSize.height();
    const auto pixel = [&](int x, int y) -> QRgb& {
        return reinterpret_cast<QRgb*>(m_pictureBits + y * m_pictureStride)[x];
    };
    for (int d = -arm; d <= arm; ++d) {
        const int x = at.x() + d;
        const int y = at.y() + d;
        if (x >= 0 && x < width && at.y() >= 0 && at.y() < height)
            pixel(x, at.y()) = blue;
        if (y >= 0 && y < height && at.x() >= 0 && at.x() < width)
            pixel(at.x(), y) = blue;
    }
    m_crosshair = at;
}

} // namespace lensor
