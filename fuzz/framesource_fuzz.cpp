// The frame source over a video held in memory: its open (the container's
// headers and index, or one pass over the packets), frames asked for in the
// order an operator steps (first, last, middle, one back), and decoding
// ahead. No file is written, so each input costs only its decoding.

#include "media/ffmpegframesource.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvel;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Small limits keep each input quick; they are checked the same way.
    FrameSourceLimits limits;
    limits.maxDimension = 1024;
    limits.maxPixels = 1024 * 1024;
    limits.cacheBytes = 16 * 1024 * 1024;
    OpenResult opened = FfmpegFrameSource::openMemory(bytes, limits);
    if (!opened.source)
        return 0;
    FrameSource& source = *opened.source;
    const std::int64_t count = source.properties().frameCount;
    if (count <= 0)
        __builtin_trap(); // opened with no frame to show
    for (std::int64_t n : {std::int64_t(0), count - 1, count / 2, count / 2 - 1, count}) {
        const FrameResult r = source.frame(n);
        if (r &&
            (r.picture->bytes.size() !=
                 std::size_t(r.picture->stride) * std::size_t(r.picture->height) ||
             r.picture->width > limits.maxDimension || r.picture->height > limits.maxDimension))
            __builtin_trap(); // a picture whose rows do not fit its bytes, or too large
        if (n == count && r)
            __builtin_trap(); // a frame past the last
    }
    for (int step = 0; step < 64 && source.prefetchStep(); ++step) {
    }
    return 0;
}
