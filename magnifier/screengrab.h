#pragma once
// The live screen, read through the windowing system (X11 here; Xvfb in the
// tests and benchmark). Parts of a rectangle off the screen read as black.

#include "magnifier/magnifier.h"

namespace lensor
{

class ScreenGrab : public ScreenSource
{
public:
    QSize screenSize() const override;
    QImage grab(const QRect& r) override;
    QPoint pointer() const override;
};

} // namespace lensor
