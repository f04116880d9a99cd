// Draws the menu icons of korvel and lensor into an icon theme folder
// (FOLDER/hicolor/NxN/apps/NAME.png), at the sizes the desktops ask for.
// lensor's is its own window icon; korvel's shows its work: a jump ramp, the
// flight over the water and the impact marked on it.

#include "magnifier/art.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace
{

QImage korvelIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // The lake, seen from the shore camera.
    QLinearGradient water(0, 0, 0, 64);
    water.setColorAt(0, QColor(60, 140, 200));
    water.setColorAt(1, QColor(15, 60, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(water);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    // The jump ramp at the left.
    QPainterPath ramp;
    ramp.moveTo(6, 50);
    ramp.lineTo(22, 50);
    ramp.lineTo(22, 40);
    ramp.closeSubpath();
    p.setBrush(QColor(245, 245, 240));
    p.drawPath(ramp);

    // The flight to the first contact.
    p.setBrush(Qt::NoBrush);
    QPen flight(QColor(255, 210, 60), 3.0, Qt::DotLine, Qt::RoundCap);
    p.setPen(flight);
    QPainterPath arc;
    arc.moveTo(22, 40);
    arc.quadTo(36, 10, 50, 42);
    p.drawPath(arc);

    // The impact, marked as the operator clicks it.
    QPen mark(QColor(230, 40, 40), 3.5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(mark);
    p.drawLine(QPointF(50, 36), QPointF(50, 52));
    p.drawLine(QPointF(42, 44), QPointF(58, 44));

    // Two buoys of the grid.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 140, 0));
    p.drawEllipse(QPointF(12, 14), 3.5, 3.5);
    p.drawEllipse(QPointF(52, 14), 3.5, 3.5);
    return image;
}

bool write(const QString& root, int size, const QString& name, const QImage& icon)
{
    const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!QDir().mkpath(dir) || !icon.save(path)) {
        std::fprintf(stderr, "korvel-icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: korvel-icons FOLDER\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        if (!write(root, size, QStringLiteral("korvel"), korvelIcon(size)) ||
            !write(root, size, QStringLiteral("lensor"), lensor::programIcon(size)))
            return 1;
    }
    return 0;
}
