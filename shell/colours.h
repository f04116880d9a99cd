#pragma once
// The colours an operator chooses on the configuration screen, as the
// settings file names them ("red", "Yellow", " black "). One reader for all
// screens, so the measure screen's labels, its impact mark and the grid
// set-up markers agree on what a hand-edited value means.

#include <QString>

#include <cstdint>
#include <optional>

namespace korvel
{

enum class NamedColour { White, Black, Yellow, Red };

// The colour a setting names, in any letter case and with blanks around it;
// nothing for any other text ("default", the empty text of a key never set,
// a misspelling).
std::optional<NamedColour> colourNamed(const QString& setting);

// 0xRRGGBB.
std::uint32_t rgbOf(NamedColour colour);

constexpr std::uint32_t kWhite = 0xFFFFFF;

// The impact mark: red, yellow or black as named, white otherwise.
std::uint32_t impactColour(const QString& impactcolor);

// Labels and grid markers: yellow or black as named, white otherwise (red is
// no label colour: it is the impact's).
std::uint32_t labelColour(const QString& labelcolor);

// One colour for every label of the measure screen, or nothing when the
// setting leaves each label its own ("default", or no colour of the labels).
std::optional<std::uint32_t> messageColour(const QString& labelcolor);

} // namespace korvel
