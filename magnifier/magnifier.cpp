#include "magnifier/magnifier.h"

#include <algorithm>
#include <vector>

namespace lensor
{

std::pair<int, int> cutToEight(int length)
{
    const int r = std::max(length, 0) % 8;
    if (r == 0)
        return {4, 4};
    return {r / 2, r - r / 2};
}

Layout layoutFor(QSize client, bool position)
{
    const int height = client.height() - (position ? kPanelHeight : 0);
    QRect r(2, 2, std::max(client.width() - 4, 0), std::max(height - 4, 0));
    const auto [left, right] = cutToEight(r.width());
    const auto [top, bottom] = cutToEight(r.height());
    r.setRect(r.x() + left, r.y() + top, std::max(r.width() - left - right, 0),
              std::max(r.height() - top - bottom, 0));
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
        return {10, b - 16, 50, 16};
    case PanelItem::ZoomNorm:
        return {75, f + 8, 16, 16};
    case PanelItem::Zoom2x:
        return {105, f + 8, 16, 16};
    case PanelItem::Zoom4x:
        return {123, f + 8, 16, 16};
    case PanelItem::Zoom8x:
        return {141, f + 8, 16, 16};
    case PanelItem::LabelNorm:
        return {67, f + 26, 32, 16};
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
    const int halfW = picture.width() / factor / 2;
    const int halfH = picture.height() / factor / 2;
    const int cx = cursor.x() < halfW ? halfW : std::min(cursor.x(), screen.width() - halfW);
    const int cy = cursor.y() < halfH ? halfH : std::min(cursor.y(), screen.height() - halfH);
    return {cx - halfW, cy - halfH, 2 * halfW, 2 * halfH};
}

QString colourText(QColor c, bool html)
{
    const auto hex = [](int v) {
        return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
    };
    if (html)
        return QLatin1Char('#') + hex(c.red()) + hex(c.green()) + hex(c.blue());
    return QStringLiteral("0x") + hex(c.blue()) + hex(c.green()) + hex(c.red());
}

QString minimisedTitle(QPoint cursor)
{
    return QStringLiteral("Lensor - x%1 : y%2").arg(cursor.x()).arg(cursor.y());
}

Magnifier::Magnifier(ScreenSource& screen, Options options) : m_screen(screen), m_options(options)
{
}

void Magnifier::backToLive()
{
    m_lockView = false;
    m_fixedView = false;
}

void Magnifier::resize(QSize client)
{
    m_layout = layoutFor(client, m_options.isOn(Option::Position));
    m_clientSize = client;
    backToLive();
    m_picture = QImage(m_layout.picture.size(), QImage::Format_RGB32);
    m_picture.fill(Qt::black);
    m_drawn = Drawn{};
}

void Magnifier::setZoom(int index)
{
    m_options.set(Option::Zoom, index);
    backToLive();
}

void Magnifier::togglePosition()
{
    m_options.toggle(Option::Position);
    resize(m_clientSize);
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
    resize(m_clientSize);
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

void Magnifier::render(QPoint cursor, bool crossHair)
{
    const int z = m_options.factor();
    const QSize size = m_layout.picture.size();
    if (!m_fixedView || m_source.isEmpty())
        m_source = sourceRect(cursor, size, z, m_screen.screenSize());
    const QColor colourBefore = m_colour;
    const QPoint cursorBefore = m_cursor;
    m_cursor = cursor;
    if (m_picture.size() != size) {
        m_picture = QImage(size, QImage::Format_RGB32);
        m_drawn = Drawn{};
    }
    if (size.isEmpty()) {
        m_changed = false;
        return;
    }

    m_grab = m_screen.grab(m_source);
    if (m_grab.format() != QImage::Format_RGB32 && m_grab.format() != QImage::Format_ARGB32)
        m_grab.convertTo(QImage::Format_RGB32);
    const bool haveGrab = m_grab.size() == m_source.size() && !m_source.isEmpty();

    // The same screen pixels drawn the same way make the same picture: a still
    // pointer over a still screen costs one small grab and no repaint.
    const bool same = haveGrab && m_drawn.valid && m_drawn.source == m_source &&
                      m_drawn.factor == z && m_drawn.crossHair == crossHair &&
                      m_drawn.grab == m_grab;
    if (!same) {
        draw(haveGrab, crossHair);
        m_drawn = {haveGrab, m_source, z, crossHair, haveGrab ? m_grab : QImage()};
    }

    if (m_options.isOn(Option::Position)) {
        if (haveGrab && m_source.contains(cursor)) {
            m_colour = QColor(m_grab.pixel(cursor - m_source.topLeft()));
        } else {
            const QImage one = m_screen.grab(QRect(cursor, QSize(1, 1)));
            m_colour = one.isNull() ? QColor(Qt::black) : QColor(one.pixel(0, 0));
        }
    }
    m_changed = !same || m_colour != colourBefore || m_cursor != cursorBefore;
}

void Magnifier::draw(bool haveGrab, bool crossHair)
{
    const QSize size = m_picture.size();
    // Nearest pixel, no smoothing: every screen pixel becomes a sharp block.
    if (haveGrab) {
        const int sw = m_source.width();
        const int sh = m_source.height();
        m_columns.resize(size.width());
        for (int x = 0; x < size.width(); ++x)
            m_columns[x] = static_cast<int>(static_cast<qint64>(x) * sw / size.width());
        int lastRow = -1;
        for (int y = 0; y < size.height(); ++y) {
            const int sy = static_cast<int>(static_cast<qint64>(y) * sh / size.height());
            auto* out = reinterpret_cast<QRgb*>(m_picture.scanLine(y));
            if (sy == lastRow) {
                std::copy_n(reinterpret_cast<const QRgb*>(m_picture.constScanLine(y - 1)),
                            size.width(), out);
                continue;
            }
            const auto* in = reinterpret_cast<const QRgb*>(m_grab.constScanLine(sy));
            for (int x = 0; x < size.width(); ++x)
                out[x] = in[m_columns[x]] | 0xff000000u;
            lastRow = sy;
        }
    } else {
        m_picture.fill(Qt::black);
    }

    if (crossHair) {
        const int z = m_options.factor();
        const int cx = size.width() / 2 + z / 2;
        const int cy = size.height() / 2 + z / 2;
        const QRgb blue = qRgb(0, 0, 255);
        for (int d = -7; d <= 7; ++d) {
            if (m_picture.rect().contains(cx + d, cy))
                m_picture.setPixel(cx + d, cy, blue);
            if (m_picture.rect().contains(cx, cy + d))
                m_picture.setPixel(cx, cy + d, blue);
        }
    }
}

} // namespace lensor
