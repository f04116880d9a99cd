#pragma once
// The first run: with nothing configured yet (no video folder, no set-up
// folder, no grid), korvel prepares a sample tournament (the sample lake's
// pictures and a solved grid of it, and a video folder holding one recorded
// jump) and points the settings at it, so a newcomer starts on a working day
// instead of a row of questions. A real tournament is configured over it on
// the configuration screen.

#include <QString>

namespace korvel
{

class Settings;

// True when no video folder, set-up folder or grid file has ever been set.
bool nothingConfigured(const Settings& settings);

// Whether the sample skier flies from right to left across the picture.
bool sampleJumpsRightToLeft();

// A first run is a start without a settings file. A file that is there but
// damaged is a day's settings gone wrong, reported as such: preparing the
// sample over it would replace the real grid and video folder with the
// sample's.
bool isFirstRun(const Settings& settings);

// Writes the sample into base (videos/ and sample/ under it) and sets
// logpath, SetupFiles, grids, grid1File and the jump direction. Empty when it worked, else what
// went wrong (the settings are then left as they were).
QString prepareSampleTournament(Settings& settings, const QString& base);

// The sample jump in the video folder, named as a capture names its
// recording (skier + "jump" + attempt), for a skier no newcomer types, so
// their own first recording never collides with it.
inline constexpr char kSampleJumpVideo[] = "Sample Skierjump1.avi";

// Records the sample jump, as the test camera films it at 640 x 480 and 30
// frames a second, into the video folder unless it is there already. Empty
// when it is there, else why not.
QString recordSampleJump(const QString& videos);

// The whole first run in base: the sample tournament, then its recorded
// jump. Empty when all of it is ready, else what the operator is told: what
// was not prepared and why. A jump that could not be recorded leaves the
// rest of the sample in place and in use.
QString prepareFirstRun(Settings& settings, const QString& base);

} // namespace korvel
