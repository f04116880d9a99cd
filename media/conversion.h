#pragma once
// Pictures converted by libswscale land in a buffer laid out as FFmpeg lays
// out its own (rows aligned, the end padded), never straight in the caller's
// picture: its vector code writes whole blocks and so runs past the end of
// every row for many widths (4:2:0 to 24-bit at 6, 426 or 1918 pixels, among
// others). Into a tightly packed picture that is a write past the end of the
// heap block on the last row, and with rows stored bottom-up the next row
// overwrites the start of the row before it. The rows are copied out from
// there, only the bytes each row holds.

#include <cstddef>
#include <cstdint>

struct AVFrame;
struct SwsContext;

namespace korvel
{

class ConversionBuffer
{
public:
    ConversionBuffer() = default;
    ~ConversionBuffer();
    ConversionBuffer(const ConversionBuffer&) = delete;
    ConversionBuffer& operator=(const ConversionBuffer&) = delete;

    // Converts src with sws (set up from src's size and format to format, a
    // packed format of one plane, at width x height) and copies row y's pixels to dst + y *
    // dstStride; a negative stride stores the rows bottom-up. False when the buffer cannot be had
    // or the conversion gives fewer rows.
    bool convert(SwsContext* sws, const AVFrame* src, int format, int width, int height,
                 std::uint8_t* dst, std::ptrdiff_t dstStride);

    // Bytes of one row of pixels in that format, without padding.
    static int rowBytes(int format, int width);

private:
    AVFrame* m_frame = nullptr;
};

} // namespace korvel
