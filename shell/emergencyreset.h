#pragma once

namespace korvel
{

class Prompt;
class Settings;

// The first step of every start: lets an operator whose last run crashed on a
// bad setting put the start-up keys (video folder, capture indices, grid
// files) back to their install values, one question per key.
void emergencyReset(Settings& settings, Prompt& prompt);

} // namespace korvel
