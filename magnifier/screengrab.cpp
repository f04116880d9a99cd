#include "magnifier/screengrab.h"

#ifdef LENSOR_X11
#include "magnifier/x11screen.h"
#endif

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <cmath>

namespace lensor
{

namespace
{
qreal ratioOf(const QScreen* s)
{
    return s ? s->devicePixelRatio() : 1.0;
}
} // namespace

QSize ScreenGrab::screenSize() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->size() * ratioOf(s) : QSize();
}

QPoint ScreenGrab::pointer()
{
    const QPointF logical = QCursor::pos();
    return (logical * ratioOf(QGuiApplication::primaryScreen())).toPoint();
}

bool ScreenGrab::movePointer(QPoint p)
{
    const qreal ratio = ratioOf(QGuiApplication::primaryScreen());
    QCursor::setPos((QPointF(p) / ratio).toPoint());
    return true;
}

QImage ScreenGrab::grab(const QRect& r)
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s || r.isEmpty())
        return {};
    const qreal ratio = ratioOf(s);
    // The logical rectangle that covers r, and where the toolkit puts its
    // corner in screen pixels (it rounds).
    const QRect logical =
        QRect(QPoint(int(std::floor(r.left() / ratio)), int(std::floor(r.top() / ratio))),
              QPoint(int(std::ceil((r.right() + 1) / ratio)) - 1,
                     int(std::ceil((r.bottom() + 1) / ratio)) - 1)) &
        QRect(QPoint(0, 0), s->size());
    QImage image(r.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (logical.isEmpty())
        return image;
    QImage part =
        s->grabWindow(0, logical.x(), logical.y(), logical.width(), logical.height()).toImage();
    part.setDevicePixelRatio(1.0);
    const QPoint corner(qRound(logical.x() * ratio), qRound(logical.y() * ratio));
    QPainter p(&image);
    p.drawImage(corner - r.topLeft(), part);
    return image;
}

std::unique_ptr<ScreenSource> openScreen()
{
#ifdef LENSOR_X11
    if (auto x11 = X11Screen::open())
        return x11;
#endif
    return std::make_unique<ScreenGrab>();
}

} // namespace lensor
