#include "magnifier/screengrab.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace lensor
{

QSize ScreenGrab::screenSize() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->size() : QSize();
}

QPoint ScreenGrab::pointer() const
{
    return QCursor::pos();
}

QImage ScreenGrab::grab(const QRect& r)
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s || r.isEmpty())
        return {};
    const QRect inside = r & QRect(QPoint(0, 0), s->size());
    if (inside == r)
        return s->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
    QImage image(r.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (!inside.isEmpty()) {
        QPainter p(&image);
        p.drawPixmap(inside.topLeft() - r.topLeft(),
                     s->grabWindow(0, inside.x(), inside.y(), inside.width(), inside.height()));
    }
    return image;
}

} // namespace lensor
