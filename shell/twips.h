#pragma once
// Screen positions are stored and written in twips of the picture: grid files
// from the field hold twips, fifteen to a pixel, whatever the screen's density.

namespace korvel
{

inline constexpr double kTwipsPerPixel = 15.0;

} // namespace korvel
