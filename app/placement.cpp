#include "app/placement.h"

namespace korvel
{

StartPlacement placeAtStart(const QRect& main, int captureWidth, const QRect& desktop)
{
    // Edges as left + width, the way window positions add up; QRect::right()
    // is the last pixel inside.
    const int desktopEnd = desktop.x() + desktop.width();
    QPoint mainAt = main.topLeft();
    if (mainAt.x() + main.width() + captureWidth > desktopEnd)
        mainAt.setX(desktop.x());
    QPoint captureAt(mainAt.x() + main.width(), mainAt.y());
    if (captureAt.x() + captureWidth > desktopEnd)
        captureAt.setX(desktop.x());
    return {mainAt, captureAt};
}

} // namespace korvel
