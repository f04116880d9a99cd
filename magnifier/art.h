#pragma once
// The program's own pictures, drawn rather than shipped: the window and
// notification icons, the status panel's icon, the start picture and the
// system information section icons.

#include <QImage>
#include <QSize>

namespace lensor
{

QImage programIcon(int size);
// The status panel's 32 x 32 icon; the colour disc sits in its well at (5, 12).
QImage panelIcon(qreal pixelRatio = 1.0);
QImage startPicture();
enum class InfoIcon { System, Memory, Monitor, Resources };
QImage infoIcon(InfoIcon which);

} // namespace lensor
