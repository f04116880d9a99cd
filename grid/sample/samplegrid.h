#pragma once
// The sample lake calibrated as an operator would: each buoy clicked at its
// nearest whole pixel, its survey position typed, the jump point typed. Used
// for the sample grid file a newcomer can load, and for the screenshots.

#include "grid/gridsetupmodel.h"
#include "grid/sample/lakescene.h"

namespace korvel::sample
{

// Places the five markers and types every survey box on the model; the
// caller presses "Complete" (model.complete()).
void enterSampleGrid(GridSetupModel& model, const SampleScene& scene);

// Writes a solved grid file of the scene to path (and path + ".cb"). An
// empty text when it worked, else what went wrong.
QString writeSampleGrid(const QString& path, const SampleScene& scene);

} // namespace korvel::sample
