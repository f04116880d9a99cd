// A video file as it arrives from a capture card, a camera's card or a copy
// cut short: the chunk walk over its bytes, then the frame source's open and
// a few frames, the first, the last and one between, and decoding ahead.

#include "fuzz/fuzzfiles.h"
#include "media/avichunks.h"
#include "media/framesource.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvel;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    for (int stream : {0, 1})
        (void)scanAviChunks(buffer, stream);

    const QString path = fuzz::scratchFile(QStringLiteral("video.avi"));
    if (!fuzz::writeFile(path, bytes.constData(), size))
        return 0;
    // Small limits keep each input quick; they are checked the same way.
    FrameSourceLimits limits;
    limits.maxDimension = 1024;
    limits.maxPixels = 1024 * 1024;
    limits.cacheBytes = 16 * 1024 * 1024;
    OpenResult opened = openVideo(path, limits);
    if (!opened.source)
        return 0;
    FrameSource& source = *opened.source;
    const std::int64_t count = source.properties().frameCount;
    for (std::int64_t n : {std::int64_t(0), count - 1, count / 2, std::int64_t(1)}) {
        const FrameResult r = source.frame(n);
        if (r.picture && r.picture->bytes.size() !=
                             std::size_t(r.picture->stride) * std::size_t(r.picture->height))
            __builtin_trap(); // a picture whose rows do not fit its bytes
    }
    for (int step = 0; step < 64 && source.prefetchStep(); ++step) {
    }
    return 0;
}
