#include "shell/statepictures.h"

#include "shell/paths.h"

#include <QPainter>
#include <QPainterPath>

namespace korvel
{

QString statePictureFile(StatePicture which)
{
    switch (which) {
    case StatePicture::Valid:
        return QStringLiteral("face02.ico");
    case StatePicture::Invalid:
        return QStringLiteral("msgbox03.ico");
    case StatePicture::SmallSmiley:
        return QStringLiteral("SmallSmiley.jpg");
    case StatePicture::SmallCaution:
        return QStringLiteral("SmallCaution.jpg");
    }
    return {};
}

namespace
{

void smiley(QPainter& p, double s)
{
    p.setPen(QPen(Qt::black, s / 16));
    p.setBrush(QColor(255, 214, 0));
    p.drawEllipse(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(s * 0.36, s * 0.38), s * 0.06, s * 0.08);
    p.drawEllipse(QPointF(s * 0.64, s * 0.38), s * 0.06, s * 0.08);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(s * 0.26, s * 0.3, s * 0.48, s * 0.44), -20 * 16, -140 * 16);
}

void caution(QPainter& p, double s)
{
    QPainterPath tri;
    tri.moveTo(s * 0.5, s * 0.06);
    tri.lineTo(s * 0.95, s * 0.9);
    tri.lineTo(s * 0.05, s * 0.9);
    tri.closeSubpath();
    p.setPen(QPen(Qt::black, s / 16));
    p.setBrush(QColor(255, 190, 0));
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(s * 0.45, s * 0.32, s * 0.1, s * 0.32));
    p.drawEllipse(QPointF(s * 0.5, s * 0.76), s * 0.06, s * 0.06);
}

} // namespace

QImage drawStatePicture(StatePicture which)
{
    const bool small = which == StatePicture::SmallSmiley || which == StatePicture::SmallCaution;
    const int size = small ? 24 : 32;
    // The jpg pictures have no transparency: give them the screen's grey.
    QImage img(size, size, small ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    img.fill(small ? QColor(212, 208, 200) : QColor(Qt::transparent));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (which == StatePicture::Valid || which == StatePicture::SmallSmiley)
        smiley(p, size);
    else
        caution(p, size);
    return img;
}

QImage statePicture(StatePicture which)
{
    QImage img(shippedFile(statePictureFile(which)));
    return img.isNull() ? drawStatePicture(which) : img;
}

} // namespace korvel
