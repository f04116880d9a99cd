#pragma once
// The block appended to the day's results file whenever a grid becomes
// active, so the results of the day can be traced to the calibration in use.

#include "grid/gridsetupcontrols.h"

#include <QDateTime>
#include <QStringList>

#include <functional>

namespace korvel
{

enum class SetupBlockVariant {
    Solved, // after "Complete": positions labelled "Pixels" (they are twips all the same)
    Loaded, // after a file load: labelled "Twips"
};

struct SetupBlockCheckBuoy {
    bool present = true; // false: a loaded file without a check buoy
    double screenX = 0, screenY = 0;
    double surveyX = 0, surveyY = 0;
};

// box(id) gives the text of that box of the set-up screen.
QStringList setupBlockLines(SetupBlockVariant variant, const QDateTime& when, int gridNumber,
                            const std::function<QString(GridControl)>& box,
                            const SetupBlockCheckBuoy& check);

// The corner and jump lines, shared with the accuracy report.
QStringList setupBlockCornerLines(SetupBlockVariant variant,
                                  const std::function<QString(GridControl)>& box);

} // namespace korvel
