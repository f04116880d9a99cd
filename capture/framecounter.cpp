#include "capture/framecounter.h"

#include "media/framesource.h"

#include <QPainter>

#include <algorithm>
#include <functional>

namespace korvel
{

int counterBandHeight(int pictureHeight)
{
    return std::max(8, pictureHeight / 30);
}

void drawFrameCounter(QImage& image, std::uint32_t n)
{
    QPainter p(&image);
    const int w = image.width(), band = counterBandHeight(image.height());
    for (int k = 0; k < kCounterCells; ++k) {
        const int x0 = k * w / kCounterCells, x1 = (k + 1) * w / kCounterCells;
        p.fillRect(x0, 0, x1 - x0, band, (n >> k) & 1u ? Qt::white : Qt::black);
    }
}

namespace
{

std::optional<std::uint32_t> readCells(int width, int height,
                                       const std::function<int(int x, int y)>& grey)
{
    if (width < kCounterCells * 4 || height < 8)
        return std::nullopt;
    const int y = counterBandHeight(height) / 2;
    std::uint32_t n = 0;
    for (int k = 0; k < kCounterCells; ++k) {
        const int x = (2 * k + 1) * width / (2 * kCounterCells);
        const int v = grey(x, y);
        if (v > 180)
            n |= 1u << k;
        else if (v > 75)
            return std::nullopt;
    }
    return n;
}

} // namespace

std::optional<std::uint32_t> readFrameCounter(const QImage& image)
{
    return readCells(image.width(), image.height(),
                     [&](int x, int y) { return qGray(image.pixel(x, y)); });
}

std::optional<std::uint32_t> readFrameCounter(const Picture& picture)
{
    return readCells(picture.width, picture.height, [&](int x, int y) {
        const std::uint8_t* p = picture.row(y) + 3 * x;
        return (p[0] + 2 * p[1] + p[2]) / 4;
    });
}

QString counterTestGraph(int width, int height, int rate)
{
    const int band = counterBandHeight(height);
    // geq draws the 16 bits into a 16 x 1 strip; a nearest-neighbour scale
    // makes it the band of cells.
    return QStringLiteral("testsrc2=size=%1x%2:rate=%3[bg];"
                          "color=c=black:size=16x1:rate=%3,format=gray,"
                          "geq=lum='255*mod(floor(N/pow(2\\,X))\\,2)',"
                          "scale=%1:%4:flags=neighbor[cells];"
                          "[bg][cells]overlay=0:0:format=yuv420")
        .arg(width)
        .arg(height)
        .arg(rate)
        .arg(band);
}

} // namespace korvel
