#pragma once
// The live screen as the toolkit reads it, for desktops where lensor cannot
// read it directly (see X11Screen): its coordinates are converted to screen
// pixels, to within the toolkit's rounding on a scaled desktop. Parts of a
// rectangle off the screen read as black.

#include "magnifier/magnifier.h"

#include <memory>

namespace lensor
{

class ScreenGrab : public ScreenSource
{
public:
    QSize screenSize() const override;
    QImage grab(const QRect& r) override;
    QPoint pointer() override;
    bool movePointer(QPoint p) override;
};

// The best reading of the screen the desktop allows.
std::unique_ptr<ScreenSource> openScreen();

} // namespace lensor
