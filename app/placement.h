#pragma once
// Where the main screen and the capture screen open at the start of a run.
// The operator goes back and forth between the two all day: side by side, the
// capture screen on the main screen's right, when the desktop is wide enough.

#include <QPoint>
#include <QRect>

namespace korvel
{

struct StartPlacement {
    QPoint main;    // the main screen's top left
    QPoint capture; // the capture screen's top left
};

// main: the main screen where it would open; captureWidth: the capture
// screen's width; desktop: the part of the screen windows may use. A main
// screen that leaves no room for the capture screen on its right moves to the
// desktop's left edge; the capture screen goes to the main screen's right at
// its top, or to the left edge when it would still pass the right one.
StartPlacement placeAtStart(const QRect& main, int captureWidth, const QRect& desktop);

} // namespace korvel
