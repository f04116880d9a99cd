#pragma once
// A frame number drawn into the picture: a band across the top of the frame
// cut into 16 cells, white for a set bit (the lowest bit on the left), black
// otherwise. The cells are large and flat, so the number survives JPEG
// compression; reading every frame of a recording back and checking its
// number proves the file frame-exact, dropped frames included.

#include <QImage>

#include <cstdint>
#include <optional>

namespace korvel
{

struct Picture;

inline constexpr int kCounterCells = 16;

// Rows of the band for a picture height.
int counterBandHeight(int pictureHeight);

void drawFrameCounter(QImage& image, std::uint32_t n);

// The number in a picture, or nothing when a cell is neither clearly white
// nor clearly black (no counter there).
std::optional<std::uint32_t> readFrameCounter(const QImage& image);
std::optional<std::uint32_t> readFrameCounter(const Picture& picture);

// A libavfilter graph drawing the same counter over FFmpeg's moving test
// pattern, for the camera stand-in: "testsrc2 ... overlay".
QString counterTestGraph(int width, int height, int rate);

} // namespace korvel
