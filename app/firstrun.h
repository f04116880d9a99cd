#pragma once
// The first run: with nothing configured yet (no video folder, no set-up
// folder, no grid), korvel prepares a sample tournament (the sample lake's
// pictures and a solved grid of it, and a video folder) and points the
// settings at it, so a newcomer starts on a working day instead of a row of
// questions. A real tournament is configured over it on the configuration
// screen.

#include <QString>

namespace korvel
{

class Settings;

// True when no video folder, set-up folder or grid file has ever been set.
bool nothingConfigured(const Settings& settings);

// Writes the sample into base (videos/ and sample/ under it) and sets
// logpath, SetupFiles, grids and grid1File. Empty when it worked, else what
// went wrong (the settings are then left as they were).
QString prepareSampleTournament(Settings& settings, const QString& base);

} // namespace korvel
