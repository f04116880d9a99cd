#include "magnifier/art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace lensor
{

namespace
{
QImage blank(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A magnifying glass over a pixel grid: the lens at the top left, the handle
// down to the bottom right.
void drawLens(QPainter& p, const QRectF& box)
{
    const qreal s = box.width();
    const QRectF lens(box.x() + s * 0.08, box.y() + s * 0.08, s * 0.6, s * 0.6);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 30), s * 0.14, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(lens.center() + QPointF(s * 0.22, s * 0.22),
               box.bottomRight() - QPointF(s * 0.08, s * 0.08));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(lens);
    p.save();
    QPainterPath clip;
    clip.addEllipse(lens);
    p.setClipPath(clip);
    p.setRenderHint(QPainter::Antialiasing, false);
    const qreal cell = lens.width() / 4;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if ((i + j) % 2 == 0)
                p.fillRect(QRectF(lens.x() + i * cell, lens.y() + j * cell, cell, cell),
                           QColor(120, 170, 230));
    p.restore();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 40, 40), std::max<qreal>(1.0, s * 0.07)));
    p.drawEllipse(lens);
}
} // namespace

QImage programIcon(int size)
{
    QImage image = blank({size, size});
    QPainter p(&image);
    drawLens(p, QRectF(0, 0, size, size));
    return image;
}

QImage panelIcon(qreal pixelRatio)
{
    // Drawn at the screen's own resolution, so it stays sharp on a scaled desktop.
    QImage image = blank(QSize(qRound(32 * pixelRatio), qRound(32 * pixelRatio)));
    image.setDevicePixelRatio(pixelRatio);
    QPainter p(&image);
    // A painter's palette with the well for the colour disc.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(110, 80, 40), 1));
    p.setBrush(QColor(230, 200, 150));
    p.drawEllipse(QRectF(0.5, 4.5, 31, 24));
    const QColor dabs[] = {Qt::red, QColor(0, 160, 0), Qt::blue, QColor(240, 200, 0)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(dabs[i]);
        p.drawEllipse(QRectF(14 + (i % 2) * 7, 8 + (i / 2) * 8, 5, 5));
    }
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(110, 80, 40), 1));
    p.drawEllipse(QRectF(3.5, 10.5, 10, 10));
    return image;
}

QImage startPicture()
{
    QImage image(320, 160, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 160);
    sky.setColorAt(0, QColor(30, 60, 120));
    sky.setColorAt(1, QColor(90, 150, 210));
    p.fillRect(image.rect(), sky);
    drawLens(p, QRectF(20, 20, 120, 120));
    p.setPen(Qt::white);
    QFont big = p.font();
    big.setPointSize(26);
    big.setBold(true);
    p.setFont(big);
    p.drawText(QRect(150, 40, 160, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lensor"));
    QFont small = p.font();
    small.setPointSize(10);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(150, 90, 160, 40), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Screen magnifier"));
    return image;
}

QImage infoIcon(InfoIcon which)
{
    QImage image = blank({32, 32});
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (which) {
    case InfoIcon::System:
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(6.5, 3.5, 19, 25));
        p.setBrush(QColor(60, 160, 60));
        p.drawRect(QRectF(10.5, 7.5, 11, 3));
        break;
    case InfoIcon::Memory:
        p.setBrush(QColor(30, 110, 40));
        p.drawRect(QRectF(2.5, 10.5, 27, 11));
        p.setBrush(QColor(20, 20, 20));
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(5.5 + i * 6, 12.5, 4, 7));
        break;
    case InfoIcon::Monitor:
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(3.5, 4.5, 25, 18));
        p.setBrush(QColor(40, 90, 170));
        p.drawRect(QRectF(6.5, 7.5, 19, 12));
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(10.5, 24.5, 11, 3));
        break;
    case InfoIcon::Resources:
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(QRectF(4.5, 14.5, 6, 14));
        p.setBrush(Qt::red);
        p.drawRect(QRectF(13.5, 20.5, 6, 8));
        p.setBrush(QColor(0, 0, 128));
        p.drawRect(QRectF(22.5, 6.5, 6, 22));
        break;
    }
    return image;
}

} // namespace lensor
