// The scaler's vector code writes past the end of a row for many widths;
// libswscale is not built with the address sanitizer, so only guard bytes
// around each destination tell whether a conversion stayed inside it.

#include "media/conversion.h"
#include "media/framesource.h"
#include "tests/media/testvideos.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

using namespace korvel;

namespace
{

constexpr std::uint8_t kGuard = 0xA5;
constexpr int kGuardBytes = 128;

// Every width up to 64 (the scaler's blocks are 8 to 32 pixels wide) and the
// widths cameras, phones and cut-down recordings give.
std::vector<int> widths()
{
    std::vector<int> w;
    for (int k = 1; k <= 64; ++k)
        w.push_back(k);
    for (int k : {160, 176, 320, 352, 426, 640, 718, 720, 800, 854, 1024, 1280, 1366, 1918, 1920})
        w.push_back(k);
    return w;
}

// A picture of the format with every byte different from its neighbours.
AVFrame* sourcePicture(AVPixelFormat format, int width, int height)
{
    AVFrame* f = av_frame_alloc();
    f->format = format;
    f->width = width;
    f->height = height;
    if (av_frame_get_buffer(f, 0) < 0)
        av_frame_free(&f);
    for (int p = 0; f && p < AV_NUM_DATA_POINTERS; ++p)
        if (f->buf[p])
            for (std::size_t i = 0; i < f->buf[p]->size; ++i)
                f->buf[p]->data[i] = std::uint8_t(i * 7 + p * 31);
    return f;
}

} // namespace

TEST(ConversionBuffer, EveryWidthStaysInsideItsPictureAndMatchesAPaddedConversion)
{
    av_log_set_level(AV_LOG_QUIET);
    const AVPixelFormat sources[] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV422P,
                                     AV_PIX_FMT_YUYV422, AV_PIX_FMT_NV12,     AV_PIX_FMT_BGRA};
    struct Target {
        const char* use;
        AVPixelFormat format;
        bool bottomUp;
    } const targets[] = {
        {"frame source", AV_PIX_FMT_BGR24, false},     // Picture rows, padded to 4 bytes
        {"camera preview", AV_PIX_FMT_BGRA, false},    // QImage RGB32 rows
        {"uncompressed file", AV_PIX_FMT_BGR24, true}, // bitmap rows, last row first
    };
    const int height = 7; // odd: the last chroma row of 4:2:0 serves one luma row
    int failures = 0;
    for (const AVPixelFormat src : sources) {
        for (const Target& t : targets) {
            for (const int w : widths()) {
                AVFrame* in = sourcePicture(src, w, height);
                ASSERT_NE(in, nullptr);
                SwsContext* sws = sws_getContext(w, height, src, w, height, t.format, SWS_BICUBIC,
                                                 nullptr, nullptr, nullptr);
                ASSERT_NE(sws, nullptr);
                const int row = ConversionBuffer::rowBytes(t.format, w);
                const int stride = (row + 3) & ~3;
                const std::size_t size = std::size_t(stride) * height;
                std::vector<std::uint8_t> memory(size + 2 * kGuardBytes, kGuard);
                std::uint8_t* picture = memory.data() + kGuardBytes;
                std::uint8_t* first = t.bottomUp ? picture + size - stride : picture;
                ConversionBuffer buffer;
                ASSERT_TRUE(buffer.convert(sws, in, t.format, w, height, first,
                                           t.bottomUp ? -stride : stride));

                // The reference: the scaler's own output rows, in a buffer
                // padded far beyond anything it writes.
                const int wide = row + 512;
                std::vector<std::uint8_t> reference(std::size_t(wide) * height + 512);
                std::uint8_t* dst[4] = {reference.data(), nullptr, nullptr, nullptr};
                int dstStride[4] = {wide, 0, 0, 0};
                sws_scale(sws, in->data, in->linesize, 0, height, dst, dstStride);

                const char* name = av_get_pix_fmt_name(src);
                bool ok = true;
                for (int k = 0; k < kGuardBytes && ok; ++k)
                    ok = memory[k] == kGuard && memory[kGuardBytes + size + k] == kGuard;
                EXPECT_TRUE(ok) << name << " to " << t.use << ", width " << w
                                << ": written outside the picture";
                for (int y = 0; y < height && ok; ++y) {
                    const std::uint8_t* got =
                        first + std::ptrdiff_t(y) * (t.bottomUp ? -stride : stride);
                    ok = std::memcmp(got, reference.data() + std::size_t(y) * wide, row) == 0;
                    for (int k = row; k < stride && ok; ++k)
                        ok = got[k] == kGuard; // row padding untouched
                    EXPECT_TRUE(ok) << name << " to " << t.use << ", width " << w << ", row " << y
                                    << " differs or its padding was written";
                }
                failures += ok ? 0 : 1;
                sws_freeContext(sws);
                av_frame_free(&in);
                if (failures > 10)
                    FAIL() << "more than 10 widths failed";
            }
        }
    }
}

TEST(ConversionBuffer, AFormatOfSeveralPlanesOrAMissingScalerIsRefused)
{
    AVFrame* in = sourcePicture(AV_PIX_FMT_BGRA, 8, 2);
    ASSERT_NE(in, nullptr);
    std::vector<std::uint8_t> out(64);
    ConversionBuffer buffer;
    EXPECT_FALSE(buffer.convert(nullptr, in, AV_PIX_FMT_BGR24, 8, 2, out.data(), 24));
    SwsContext* sws = sws_getContext(8, 2, AV_PIX_FMT_BGRA, 8, 2, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                     nullptr, nullptr, nullptr);
    EXPECT_FALSE(buffer.convert(sws, in, AV_PIX_FMT_YUV420P, 8, 2, out.data(), 8));
    sws_freeContext(sws);
    av_frame_free(&in);
}

// Recordings of the widths that crashed the export: every frame is the
// frame ffmpeg decodes, to the byte.
TEST(ConversionBuffer, NarrowAndOddWidthVideosDecodeAsFfmpegDecodesThem)
{
    if (test::ffmpegProgram().isEmpty())
        GTEST_SKIP() << "the ffmpeg program is not installed (apt-get install ffmpeg)";
    QTemporaryDir dir;
    for (const char* size : {"2x10", "6x10", "426x24", "718x8"}) {
        const QString path = dir.filePath(QStringLiteral("clip-%1.avi").arg(size));
        QString error;
        ASSERT_TRUE(test::makeTestClip(path, size, 5, 3, {"-c:v", "libx264", "-pix_fmt", "yuv420p"},
                                       &error))
            << size << ": " << error.toStdString();
        OpenResult opened = openVideo(path);
        ASSERT_TRUE(opened.source) << size << ": " << opened.reason.toStdString();
        for (int n = 0; n < 3; ++n) {
            const FrameResult r = opened.source->frame(n);
            ASSERT_TRUE(r) << size << " frame " << n << ": " << r.error.toStdString();
            const auto reference = test::ffmpegFramePixels(path, n, dir.path());
            ASSERT_TRUE(reference);
            // Bitmap rows are stored bottom-up.
            QByteArray ours;
            for (int y = r.picture->height - 1; y >= 0; --y)
                ours.append(reinterpret_cast<const char*>(r.picture->row(y)), r.picture->stride);
            EXPECT_TRUE(ours == *reference) << size << " frame " << n;
        }
    }
}
