#include "media/conversion.h"

#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace korvel
{

ConversionBuffer::~ConversionBuffer()
{
    av_frame_free(&m_frame);
}

int ConversionBuffer::rowBytes(int format, int width)
{
    return av_image_get_linesize(AVPixelFormat(format), width, 0);
}

bool ConversionBuffer::convert(SwsContext* sws, const AVFrame* src, int format, int width,
                               int height, std::uint8_t* dst, std::ptrdiff_t dstStride)
{
    if (!sws || !src || width <= 0 || height <= 0 ||
        av_pix_fmt_count_planes(AVPixelFormat(format)) != 1)
        return false;
    if (!m_frame || m_frame->format != format || m_frame->width != width ||
        m_frame->height != height) {
        av_frame_free(&m_frame);
        m_frame = av_frame_alloc();
        if (!m_frame)
            return false;
        m_frame->format = format;
        m_frame->width = width;
        m_frame->height = height;
        // Alignment 0: FFmpeg's own, the one its scaler is written for.
        if (av_frame_get_buffer(m_frame, 0) < 0) {
            av_frame_free(&m_frame);
            return false;
        }
    }
    const int rows =
        sws_scale(sws, src->data, src->linesize, 0, src->height, m_frame->data, m_frame->linesize);
    if (rows != height)
        return false;
    const int bytes = rowBytes(format, width);
    if (bytes <= 0)
        return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(dst + std::ptrdiff_t(y) * dstStride,
                    m_frame->data[0] + std::ptrdiff_t(y) * m_frame->linesize[0],
                    std::size_t(bytes));
    return true;
}

} // namespace korvel
